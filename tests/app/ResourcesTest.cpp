// The resources compiled into Sonorm.exe, read back from the built executable through the
// platform's resource loader: which resources exist, the two dialog templates control by
// control, the menu, the string table, the icon images and the version block.
#include "ResourceIds.h"
#include "StringTexts.h"
#include "Version.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>
#include <cstring>
#include <iterator>
#include <string>
#include <vector>

namespace {

constexpr WORD japanese = MAKELANGID(LANG_JAPANESE, SUBLANG_DEFAULT);
constexpr WORD ordinalmark = 0xFFFF;
// Atoms of the predefined control classes, as the templates store them.
constexpr const char* buttonclass = "#128";
constexpr const char* editclass = "#129";
constexpr const char* staticclass = "#130";

using Bytes = std::vector<unsigned char>;

// The executable's path for the Windows side (the build passes the build machine's path).
std::string exepath() {
    std::string path = SONORM_EXE_PATH;
    if (!path.empty() && path[0] == '/') {
        std::replace(path.begin(), path.end(), '/', '\\');
        path = "Z:" + path;
    }
    return path;
}

std::string utf8(const wchar_t* text, int length) {
    const int size = WideCharToMultiByte(CP_UTF8, 0, text, length, nullptr, 0, nullptr, nullptr);
    std::string out(static_cast<std::size_t>(std::max(size, 0)), '\0');
    WideCharToMultiByte(CP_UTF8, 0, text, length, out.data(), size, nullptr, nullptr);
    return out;
}

std::string hex(const unsigned char* data, std::size_t size) {
    std::string out;
    char pair[3];
    for (std::size_t i = 0; i < size; ++i) {
        std::snprintf(pair, sizeof pair, "%02x", data[i]);
        out += pair;
    }
    return out;
}

// Reads a resource's little-endian structures in order.
class Cursor {
public:
    explicit Cursor(const Bytes& bytes, std::size_t at = 0) : b(bytes), pos(at) {}
    WORD word() {
        WORD v = 0;
        if (pos <= b.size() - sizeof v) {
            std::memcpy(&v, b.data() + pos, sizeof v);
        }
        pos += sizeof v;
        return v;
    }
    DWORD dword() {
        const DWORD lo = word();
        return lo | static_cast<DWORD>(word()) << 16;
    }
    short coord() { return static_cast<short>(word()); }
    unsigned byte() { return pos < b.size() ? b[pos++] : 0; }
    // A zero-terminated UTF-16 string, as UTF-8.
    std::string text() {
        std::wstring w;
        for (WORD c = word(); c != 0 && pos <= b.size(); c = word()) {
            w += static_cast<wchar_t>(c);
        }
        return utf8(w.c_str(), static_cast<int>(w.size()));
    }
    // A name or an ordinal ("#number"); an empty string for a null field.
    std::string nameorordinal() {
        const std::size_t start = pos;
        if (word() == ordinalmark) {
            return "#" + std::to_string(word());
        }
        pos = start;
        return text();
    }
    void align() { pos = (pos + 3) / 4 * 4; }
    std::size_t at() const { return pos; }
    void skip(std::size_t n) { pos += n; }
    bool ok() const { return pos <= b.size(); }

private:
    const Bytes& b;
    std::size_t pos;
};

// A control as "id class style x,y,width,height text".
std::string control(int id, const std::string& cls, DWORD style, const std::vector<short>& place,
                    const std::string& text) {
    char head[96];
    std::snprintf(head, sizeof head, "%d %s 0x%08lx %d,%d,%d,%d ", id, cls.c_str(),
                  static_cast<unsigned long>(style), place[0], place[1], place[2], place[3]);
    return head + text;
}

struct Dialog {
    DWORD style;
    std::vector<short> place;
    std::string menu;
    std::string title;
    std::vector<std::string> controls;
    std::vector<std::string> texts; // of the controls
};

// The bytes of a Japanese resource of the executable, or none.
Bytes raw(LPCSTR type, unsigned id) {
    static const HMODULE module =
        LoadLibraryExA(exepath().c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
    HRSRC found = module ? FindResourceExA(module, type, MAKEINTRESOURCEA(id), japanese) : nullptr;
    HGLOBAL loaded = found ? LoadResource(module, found) : nullptr;
    auto* data = static_cast<const unsigned char*>(loaded ? LockResource(loaded) : nullptr);
    return data ? Bytes(data, data + SizeofResource(module, found)) : Bytes();
}

// A standard dialog template. Every one of the program's has no extended styles, no class of
// its own and the dialog font "ＭＳ Ｐゴシック" at 9 points.
Dialog dialog(unsigned id) {
    const Bytes bytes = raw(RT_DIALOG, id);
    Cursor in(bytes);
    Dialog d{};
    d.style = in.dword();
    EXPECT_EQ(in.dword(), 0u);
    const WORD count = in.word();
    for (int i = 0; i < 4; ++i) {
        d.place.push_back(in.coord());
    }
    d.menu = in.nameorordinal();
    EXPECT_EQ(in.nameorordinal(), ""); // class
    d.title = in.text();
    EXPECT_TRUE(d.style & DS_SETFONT);
    EXPECT_EQ(in.word(), 9u);
    EXPECT_EQ(in.text(), "ＭＳ Ｐゴシック");
    for (WORD i = 0; i < count && in.ok(); ++i) {
        in.align();
        const DWORD style = in.dword();
        EXPECT_EQ(in.dword(), 0u);
        std::vector<short> place;
        for (int k = 0; k < 4; ++k) {
            place.push_back(in.coord());
        }
        const int id = static_cast<short>(in.word());
        const std::string cls = in.nameorordinal();
        d.texts.push_back(in.nameorordinal());
        d.controls.push_back(control(id, cls, style, place, d.texts.back()));
        in.skip(in.word());
    }
    EXPECT_TRUE(in.ok());
    return d;
}

BOOL CALLBACK addlanguage(HMODULE, LPCSTR type, LPCSTR name, WORD language, LONG_PTR list) {
    reinterpret_cast<std::vector<std::string>*>(list)->push_back(
        std::to_string(reinterpret_cast<ULONG_PTR>(type)) + ":" +
        std::to_string(reinterpret_cast<ULONG_PTR>(name)) + ":" + std::to_string(language));
    return TRUE;
}

BOOL CALLBACK addnames(HMODULE module, LPCSTR type, LPSTR name, LONG_PTR list) {
    return IS_INTRESOURCE(name) ? EnumResourceLanguagesA(module, type, name, addlanguage, list)
                                : FALSE;
}

BOOL CALLBACK addtypes(HMODULE module, LPSTR type, LONG_PTR list) {
    return IS_INTRESOURCE(type) ? EnumResourceNamesA(module, type, addnames, list) : FALSE;
}

} // namespace

TEST(Resources, ExactlyTheProgramsResourcesAllJapanese) {
    HMODULE module = LoadLibraryExA(exepath().c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
    ASSERT_NE(module, nullptr) << "cannot load " << exepath();
    std::vector<std::string> found;
    EXPECT_TRUE(EnumResourceTypesA(module, addtypes, reinterpret_cast<LONG_PTR>(&found)));
    FreeLibrary(module);
    std::vector<std::string> expected;
    for (const char* resource : {"3:1", "3:2", "4:129", "5:130", "5:131", "6:1569", "6:2501",
                                 "6:2502", "14:128", "16:1"}) {
        expected.push_back(resource + (":" + std::to_string(japanese)));
    }
    EXPECT_EQ(found, expected);
}

TEST(Resources, DialogTemplates) {
    constexpr DWORD child = WS_CHILD | WS_VISIBLE;
    constexpr DWORD edit = child | WS_BORDER | WS_TABSTOP | ES_LEFT | ES_AUTOHSCROLL;
    constexpr DWORD button = child | WS_TABSTOP | BS_PUSHBUTTON;
    constexpr DWORD label = child | WS_GROUP | SS_LEFT;
    constexpr DWORD frame = WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME | DS_SETFONT;

    const Dialog main = dialog(IDD_MAIN);
    EXPECT_EQ(main.style, frame | WS_MINIMIZEBOX | DS_CENTER);
    EXPECT_EQ(main.place, (std::vector<short>{0, 0, 187, 119}));
    EXPECT_EQ(main.menu, "#" + std::to_string(IDR_MAINMENU));
    EXPECT_EQ(main.title, "Sonorm");
    // Template order is the tab order.
    EXPECT_EQ(main.controls,
              (std::vector<std::string>{
                  control(IDC_INPUT_NAME, editclass, edit, {5, 20, 175, 14}, ""),
                  control(IDC_INPUT_BROWSE, buttonclass, button, {150, 5, 31, 14}, "参照..."),
                  control(IDC_OUTPUT_NAME, editclass, edit, {5, 65, 175, 14}, ""),
                  control(IDC_OUTPUT_BROWSE, buttonclass, button, {150, 50, 30, 14}, "参照..."),
                  control(IDC_START, buttonclass, button, {130, 95, 50, 14}, "開始"),
                  control(-1, staticclass, label, {5, 10, 59, 8}, "読み込みファイル名"),
                  control(-1, staticclass, label, {5, 55, 58, 8}, "書き込みファイル名"),
                  control(IDC_STATUS, staticclass, label, {5, 95, 60, 10}, ""),
              }));

    const Dialog about = dialog(IDD_ABOUT);
    EXPECT_EQ(about.style, frame);
    EXPECT_EQ(about.place, (std::vector<short>{0, 0, 183, 46}));
    EXPECT_EQ(about.menu, "");
    EXPECT_EQ(about.title, "バージョン情報");
    ASSERT_EQ(about.controls.size(), 3u);
    // The placeholder has four lines; the dialog replaces it completely.
    const std::string& placeholder = about.texts[1];
    EXPECT_EQ(std::count(placeholder.begin(), placeholder.end(), '\n'), 3);
    EXPECT_EQ(placeholder.rfind("(Title) version (ver)\n", 0), 0u);
    EXPECT_EQ(about.controls,
              (std::vector<std::string>{
                  control(IDOK, buttonclass, child | WS_TABSTOP | BS_DEFPUSHBUTTON,
                          {150, 5, 30, 14}, "OK"),
                  control(IDC_ABOUT_TEXT, staticclass, label, {40, 5, 105, 40}, placeholder),
                  control(-1, staticclass, child | SS_ICON, {10, 10, 20, 20},
                          "#" + std::to_string(IDI_MAIN)),
              }));
}

TEST(Resources, MenuHelpPopupWithHelpVersionSeparatorExit) {
    const Bytes bytes = raw(RT_MENU, IDR_MAINMENU);
    Cursor in(bytes);
    EXPECT_EQ(in.dword(), 0u); // version and header size
    std::vector<std::string> items;
    while (in.at() < bytes.size()) {
        const WORD flags = in.word();
        const WORD id = flags & MF_POPUP ? 0 : in.word();
        items.push_back(std::to_string(flags) + "," + std::to_string(id) + "," + in.text());
    }
    const auto item = [](unsigned flags, unsigned id, const char* text) {
        return std::to_string(flags) + "," + std::to_string(id) + "," + text;
    };
    EXPECT_EQ(items, (std::vector<std::string>{item(MF_POPUP | MF_END, 0, "ヘルプ(&H)"),
                                               item(0, ID_HELP, "ヘルプ(&H)"),
                                               item(0, ID_ABOUT, "バージョン情報(&A)"),
                                               item(0, 0, ""), item(MF_END, ID_EXIT, "終了(&X)")}));
}

TEST(Resources, StringTableHoldsEveryTextOfTheSourceAndNothingElse) {
    std::size_t strings = 0;
    for (unsigned block : {1569u, 2501u, 2502u}) {
        const Bytes bytes = raw(RT_STRING, block);
        Cursor in(bytes);
        for (unsigned index = 0; index < 16; ++index) {
            const WORD length = in.word();
            const std::size_t start = in.at();
            in.skip(length * sizeof(WCHAR));
            ASSERT_TRUE(in.ok()) << block;
            if (length != 0) {
                const unsigned id = (block - 1) * 16 + index;
                std::wstring text(length, L'\0');
                std::memcpy(text.data(), bytes.data() + start, length * sizeof(WCHAR));
                EXPECT_STREQ(utf8(text.c_str(), length).c_str(), stringtext(id)) << id;
                ++strings;
            }
        }
        EXPECT_EQ(in.at(), bytes.size()) << block;
    }
    EXPECT_EQ(strings, std::size(stringtexts));
    EXPECT_STREQ(stringtext(IDS_FILE_NOT_OPEN), stringtext(IDS_FILE_NOT_OPEN_2));
}

TEST(Resources, IconGroupHasTwoSixteenColourImagesWithMasks) {
    const Bytes group = raw(RT_GROUP_ICON, IDI_MAIN);
    Cursor in(group);
    EXPECT_EQ(in.dword(), 0x10000u); // reserved, type 1 (icons)
    ASSERT_EQ(in.word(), 2u);
    struct Image {
        int size;
        DWORD bytes;
        WORD id;
    };
    for (const Image& want : {Image{32, 744, 1}, Image{16, 296, 2}}) {
        SCOPED_TRACE(want.size);
        // Width, height, colours, reserved, planes, bits per pixel, bytes, id.
        const std::vector<DWORD> entry = {in.byte(), in.byte(), in.byte(),  in.byte(),
                                          in.word(), in.word(), in.dword(), in.word()};
        EXPECT_EQ(entry, (std::vector<DWORD>{DWORD(want.size), DWORD(want.size), 16, 0, 1, 4,
                                             want.bytes, want.id}));
        const Bytes image = raw(RT_ICON, want.id);
        ASSERT_EQ(image.size(), want.bytes);
        BITMAPINFOHEADER h;
        std::memcpy(&h, image.data(), sizeof h);
        // Colour rows, then mask rows: twice the height.
        EXPECT_EQ((std::vector<LONG>{LONG(h.biSize), h.biWidth, h.biHeight, h.biPlanes,
                                     h.biBitCount, LONG(h.biCompression)}),
                  (std::vector<LONG>{sizeof h, want.size, 2 * want.size, 1, 4, BI_RGB}));
    }
}

namespace {

// Flattens the leaves of the version block (nodes of length, value length, type, key, value,
// children) into "path=value" lines, texts as UTF-8 and binary values in hex.
void flatten(const Bytes& b, std::size_t at, const std::string& path,
             std::vector<std::string>& out) {
    Cursor in(b, at);
    const std::size_t end = at + in.word();
    const std::size_t valuelength = in.word();
    const bool text = in.word() == 1;
    const std::string key = path + in.text();
    in.align();
    const std::size_t value = in.at();
    const std::size_t valuebytes = text ? valuelength * sizeof(WCHAR) : valuelength;
    std::size_t child = (value + valuebytes + 3) / 4 * 4;
    if (child >= end) {
        std::wstring w(text && valuelength > 0 ? valuelength - 1 : 0, L'\0');
        std::memcpy(w.data(), b.data() + value, w.size() * sizeof(WCHAR));
        out.push_back(key + "=" +
                      (text ? utf8(w.c_str(), static_cast<int>(w.size()))
                            : hex(b.data() + value, valuebytes)));
    }
    for (; child < end && child < b.size(); child = (child + Cursor(b, child).word() + 3) / 4 * 4) {
        flatten(b, child, at == 0 ? "" : key + "/", out);
    }
}

} // namespace

TEST(Resources, VersionBlock) {
    Bytes block = raw(RT_VERSION, VS_VERSION_INFO);
    ASSERT_FALSE(block.empty());
    VS_FIXEDFILEINFO* fixed = nullptr;
    UINT size = 0;
    ASSERT_TRUE(VerQueryValueA(block.data(), "\\", reinterpret_cast<void**>(&fixed), &size));
    ASSERT_EQ(size, sizeof *fixed);
    const auto* f = reinterpret_cast<const DWORD*>(fixed);
    EXPECT_EQ(std::vector<DWORD>(f, f + sizeof *fixed / sizeof(DWORD)),
              (std::vector<DWORD>{VS_FFI_SIGNATURE, 0x00010000, // structure version 1.0
                                  0x00010000, 0x00010001,       // file version 1.0.1.1
                                  0x00010000, 0x00010001,       // product version 1.0.1.1
                                  0x3F, 0, VOS_NT_WINDOWS32, VFT_APP, 0, 0, 0}));

    std::vector<std::string> strings;
    flatten(block, 0, "", strings);
    EXPECT_EQ(strings, (std::vector<std::string>{
                           "StringFileInfo/041104b0/Comments=",
                           "StringFileInfo/041104b0/CompanyName=Velquin",
                           "StringFileInfo/041104b0/FileDescription=Convert WAV for Quillplay",
                           "StringFileInfo/041104b0/FileVersion=1.01",
                           "StringFileInfo/041104b0/InternalName=Sonorm",
                           "StringFileInfo/041104b0/LegalCopyright=" SONORM_LEGAL,
                           "StringFileInfo/041104b0/LegalTrademarks=",
                           "StringFileInfo/041104b0/OriginalFilename=Sonorm.exe",
                           "StringFileInfo/041104b0/PrivateBuild=",
                           "StringFileInfo/041104b0/ProductName=Sonorm",
                           "StringFileInfo/041104b0/ProductVersion=1.01",
                           "StringFileInfo/041104b0/SpecialBuild=",
                           "VarFileInfo/Translation=1104b004",
                       }));
    EXPECT_NE(std::strstr(SONORM_LEGAL, "Velquin"), nullptr);
}
