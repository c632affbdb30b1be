// libFuzzer target: the input as a WAV file through the whole conversion (open, write, close)
// and the report of its result, strictly and with repairs allowed, and through sonorm-cli's
// pipeline: its --check must foretell a conversion. Besides the sanitizers it checks what must
// hold for any file.
#include "ErrorReport.h"
#include "Pipeline.h"
#include "StringTexts.h"
#include "WaveSource.h"
#include "WaveWriter.h"

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>
#include <system_error>

namespace fs = std::filesystem;

namespace {

// One folder for the whole run, removed when the process ends normally.
struct WorkDir {
    std::string input;
    std::string output;
    fs::path root;

    WorkDir() {
        std::string pattern = (fs::temp_directory_path() / "sonorm-fuzz-XXXXXX").string();
        if (::mkdtemp(pattern.data()) == nullptr) {
            std::abort();
        }
        root = pattern;
        input = (root / "in.wav").string();
        output = (root / "out.wav").string();
    }
    ~WorkDir() {
        std::error_code ignored;
        fs::remove_all(root, ignored);
    }
};

int loadstring(void*, unsigned id, char* buf, int size) {
    const char* text = stringtext(id);
    if (text == nullptr) {
        return 0;
    }
    int length = static_cast<int>(std::strlen(text));
    if (length > size - 1) {
        length = size - 1;
    }
    std::memcpy(buf, text, static_cast<std::size_t>(length));
    buf[length] = '\0';
    return length;
}

void require(bool condition) {
    if (!condition) {
        __builtin_trap();
    }
}

// The engine alone: open, write, close and the report, in one of its two modes.
void convert(const WorkDir& dir, bool repair) {
    std::remove(dir.output.c_str());
    Result result;
    WaveSource source;
    source.allowrepairs(repair);
    bool opened = source.open(result, dir.input.c_str());
    require(opened == result.ok());
    require(opened == source.isopen());
    require(repair || !source.repairs().any());
    std::uint32_t datasize = source.datachunksize();
    if (opened) {
        WaveWriter writer;
        bool written = writer.write(result, source, dir.output.c_str());
        require(source.close(result) == result.ok());
        std::error_code error;
        std::uintmax_t outsize = fs::file_size(dir.output, error);
        require(!error);
        // Complete output: the header and every data byte; otherwise never more.
        require(written ? outsize == wave::headersize + std::uintmax_t{datasize}
                        : outsize <= wave::headersize + std::uintmax_t{datasize});
        // A repaired header is always exact: no RIFF size wrapped beyond 32 bits.
        require(!repair || datasize <= wave::maxcanonicaldata);
    }

    char report[reportsize];
    bool severe = false;
    bool composed = composereport(result, loadstring, nullptr, report, severe);
    require(composed == !result.ok());
    std::size_t length = std::strlen(report);
    require(length < reportsize);
    require(composed ? length > 0 && report[length - 1] == ']' : length == 0);
}

bool samerepairs(const WaveRepairs& a, const WaveRepairs& b) {
    return a.datasize == b.datasize && a.declaredsize == b.declaredsize &&
           a.padbytes == b.padbytes && a.extensible == b.extensible;
}

// sonorm-cli's --check against its conversion of the same file, in the given mode: the same
// verdict, code, sizes and repairs. Returns the check.
Outcome checkagrees(const WorkDir& dir, bool repair) {
    const auto quiet = [](std::uint64_t) {};
    Policy check;
    check.write = false;
    check.repair = repair;
    Outcome checked = runjob(Job{dir.input, "", "", false, 0}, check, quiet);
    std::remove(dir.output.c_str());
    Policy conversion;
    conversion.repair = repair;
    Outcome converted = runjob(Job{dir.input, dir.output, "", false, 0}, conversion, quiet);
    require((checked.status == Status::failed) == (converted.status == Status::failed));
    require(checked.result.code == converted.result.code);
    require(checked.result.syserr == converted.result.syserr);
    if (converted.status != Status::failed) {
        require(checked.facts->datasize == converted.facts->datasize);
        require(samerepairs(checked.facts->repairs, converted.facts->repairs));
        std::error_code error;
        require(fs::file_size(dir.output, error) == converted.written && !error);
    }
    return checked;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* bytes, std::size_t size) {
    static WorkDir dir;
    std::FILE* file = std::fopen(dir.input.c_str(), "wb");
    require(file != nullptr);
    require(std::fwrite(bytes, 1, size, file) == size);
    require(std::fclose(file) == 0);

    convert(dir, false);
    convert(dir, true);
    Outcome strict = checkagrees(dir, false);
    Outcome lenient = checkagrees(dir, true);
    // A strict check names the repairs exactly when it fails and --repair would convert.
    require(strict.wouldrepair.has_value() ==
            (strict.status == Status::failed && lenient.status != Status::failed));
    require(!strict.wouldrepair ||
            samerepairs(strict.wouldrepair->repairs, lenient.facts->repairs));
    require(!strict.wouldrepair || strict.wouldrepair->repairs.any());
    return 0;
}
