// libFuzzer target: the input as a WAV file through the whole conversion (open, write, close)
// and the report of its result. Besides the sanitizers it checks what must hold for any file.
#include "ErrorReport.h"
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

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* bytes, std::size_t size) {
    static WorkDir dir;
    std::FILE* file = std::fopen(dir.input.c_str(), "wb");
    require(file != nullptr);
    require(std::fwrite(bytes, 1, size, file) == size);
    require(std::fclose(file) == 0);
    std::remove(dir.output.c_str());

    Result result;
    WaveSource source;
    bool opened = source.open(result, dir.input.c_str());
    require(opened == result.ok());
    require(opened == source.isopen());
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
    }

    char report[reportsize];
    bool severe = false;
    bool composed = composereport(result, loadstring, nullptr, report, severe);
    require(composed == !result.ok());
    std::size_t length = std::strlen(report);
    require(length < reportsize);
    require(composed ? length > 0 && report[length - 1] == ']' : length == 0);
    return 0;
}
