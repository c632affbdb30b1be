#include "CliTestSupport.h"

#include "FileSystem.h"
#include "TestPlatform.h"

#include <fstream>
#include <iterator>
#include <stdexcept>

namespace {
constexpr std::size_t fmtbody = 16;
constexpr std::uint32_t riffextra = 36;
constexpr unsigned randommultiplier = 1103515245u;
constexpr unsigned randomincrement = 12345u;
} // namespace

std::string le32bytes(std::uint32_t value) {
    std::string out(4, '\0');
    for (int i = 0; i < 4; ++i) {
        out[static_cast<std::size_t>(i)] = static_cast<char>((value >> (8 * i)) & 0xFF);
    }
    return out;
}

std::string le16bytes(std::uint16_t value) {
    return std::string{static_cast<char>(value & 0xFF), static_cast<char>(value >> 8)};
}

std::string samples(std::size_t count, unsigned seed) {
    std::string out(count, '\0');
    unsigned state = seed;
    for (char& c : out) {
        state = state * randommultiplier + randomincrement;
        c = static_cast<char>(state >> 16);
    }
    return out;
}

WavBuilder& WavBuilder::chunk(const std::string& id, const std::string& content) {
    body += id.substr(0, 4) + le32bytes(static_cast<std::uint32_t>(content.size())) + content;
    return *this;
}

static std::string fmtbodybytes(std::uint16_t channels, std::uint32_t rate, std::uint16_t bits,
                                std::uint16_t tag) {
    std::uint16_t align = static_cast<std::uint16_t>(channels * (bits / 8));
    return le16bytes(tag) + le16bytes(channels) + le32bytes(rate) + le32bytes(rate * align) +
           le16bytes(align) + le16bytes(bits);
}

WavBuilder& WavBuilder::fmt(std::uint16_t channels, std::uint32_t rate, std::uint16_t bits,
                            std::uint16_t tag, std::size_t extra) {
    return chunk("fmt ", fmtbodybytes(channels, rate, bits, tag) + std::string(extra, 'x'));
}

WavBuilder& WavBuilder::data(const std::string& d) {
    return chunk("data", d);
}

WavBuilder& WavBuilder::shortdata(std::uint32_t declared, const std::string& d) {
    body += "data" + le32bytes(declared) + d;
    return *this;
}

WavBuilder& WavBuilder::list(const std::string& text) {
    return chunk("LIST", text);
}

std::string WavBuilder::bytes() const {
    return "RIFF" + le32bytes(static_cast<std::uint32_t>(4 + body.size())) + "WAVE" + body;
}

std::string canonicalwav(const std::string& d, std::uint16_t channels, std::uint32_t rate,
                         std::uint16_t bits) {
    return "RIFF" + le32bytes(static_cast<std::uint32_t>(d.size()) + riffextra) + "WAVE" + "fmt " +
           le32bytes(fmtbody) + fmtbodybytes(channels, rate, bits, 1) + "data" +
           le32bytes(static_cast<std::uint32_t>(d.size())) + d;
}

std::string decoratedwav(const std::string& d) {
    return WavBuilder()
        .fmt(2, 44100, 16, 1, 2)
        .list()
        .chunk("fact", le32bytes(static_cast<std::uint32_t>(d.size() / 4)))
        .data(d)
        .bytes();
}

std::string readfile(const std::string& name) {
    std::ifstream in(name, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void writefile(const std::string& name, const std::string& bytes) {
    std::ofstream out(name, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    if (!out) {
        throw std::runtime_error("cannot write " + name);
    }
}

bool fileexists(const std::string& name) {
    FileStat st;
    return fsstat(name, st);
}

std::int64_t modtime(const std::string& name) {
    FileStat st;
    fsstat(name, st);
    return st.mtime;
}

void backdate(const std::string& name) {
    setmodtime(name, backdatedtime());
}

TempFolder::TempFolder() : root(makeuniquefolder()) {}

TempFolder::~TempFolder() {
    removetree(root);
}

std::string TempFolder::file(const std::string& relative) const {
    return fsjoin(root, relative);
}

std::vector<std::string> TempFolder::list(const std::string& folder) const {
    std::vector<std::string> names;
    fslistdir(folder.empty() ? root : file(folder), names);
    return names;
}
