#include "RepairText.h"

#include "WaveLayout.h"

const char* const repairedlabel = ": repaired: ";
const char* const willrepairlabel = "; repairs: ";
const char* const wouldrepairlabel = "; --repair would take it: ";

std::string toolargetext() {
    return "The data up to the end of the file is more than the " +
           std::to_string(wave::maxcanonicaldata) + " bytes a canonical header can describe";
}

std::vector<std::string> repairtexts(const WaveRepairs& repairs, std::uint32_t datasize) {
    std::vector<std::string> texts;
    if (repairs.datasize) {
        texts.push_back("data size " + std::to_string(repairs.declaredsize) + " taken as " +
                        std::to_string(datasize) +
                        " (the data up to the end of the file, in whole frames)");
    }
    if (repairs.padbytes != 0) {
        texts.push_back("pad bytes after odd-sized chunks skipped: " +
                        std::to_string(repairs.padbytes));
    }
    if (repairs.extensible) {
        texts.push_back("WAVE_FORMAT_EXTENSIBLE PCM written as format 1 (channel mask dropped)");
    }
    return texts;
}

std::string repairline(const WaveRepairs& repairs, std::uint32_t datasize) {
    std::string line;
    for (const std::string& text : repairtexts(repairs, datasize)) {
        line += (line.empty() ? "" : ", ") + text;
    }
    return line;
}
