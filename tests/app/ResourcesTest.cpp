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
constexpr WORD unicodecodepage = 0x04B0;
constexpr WORD ordinalmark = 0xFFFF;
// Atoms of the predefined control classes, as the templates store them.
constexpr const char* buttonclass = "#128";
constexpr const char* editclass = "#129";
constexpr const char* staticclass = "#130";

// The executable's path for the Windows side (the build passes the build machine's path).
std::string exepath() {
    std::string path = SONORM_EXE_PATH;
    if (!path.empty() && path[0] == '/') {
        for (char& c : path) {
            c = c == '/' ? '\\' : c;
        }
        path = "Z:" + path;
    }
    return path;
}

std::string utf8(const wchar_t* text, int length) {
    int size = WideCharToMultiByte(CP_UTF8, 0, text, length, nullptr, 0, nullptr, nullptr);
    std::string out(static_cast<std::size_t>(size > 0 ? size : 0), '\0');
    if (size > 0) {
        WideCharToMultiByte(CP_UTF8, 0, text, length, &out[0], size, nullptr, nullptr);
    }
    return out;
}

// Reads a resource's little-endian structures in order.
class Cursor {
public:
    Cursor(const unsigned char* data, std::size_t size) : base(data), size(size) {}

    WORD word() {
        WORD v = 0;
        if (pos <= size - sizeof v) {
            std::memcpy(&v, base + pos, sizeof v);
        }
        pos += sizeof v;
        return v;
    }
    DWORD dword() {
        DWORD lo = word();
        return lo | static_cast<DWORD>(word()) << 16;
    }
    short coord() { return static_cast<short>(word()); }
    unsigned char byte() { return pos < size ? base[pos++] : 0; }
    // A zero-terminated UTF-16 string, as UTF-8.
    std::string text() {
        std::wstring w;
        for (WORD c = word(); c != 0 && pos <= size; c = word()) {
            w += static_cast<wchar_t>(c);
        }
        return utf8(w.c_str(), static_cast<int>(w.size()));
    }
    // A name or an ordinal ("#number"); an empty string for a null field.
    std::string nameorordinal() {
        std::size_t start = pos;
        WORD first = word();
        if (first == ordinalmark) {
            return "#" + std::to_string(word());
        }
        pos = start;
        return text();
    }
    void align(std::size_t to) { pos = (pos + to - 1) / to * to; }
    std::size_t at() const { return pos; }
    void seek(std::size_t to) { pos = to; }
    bool ok() const { return pos <= size; }

private:
    const unsigned char* base;
    std::size_t size;
    std::size_t pos = 0;
};

struct Control {
    int id;
    std::string cls;
    DWORD style;
    short x, y, cx, cy;
    std::string text;
};

struct Dialog {
    DWORD style;
    DWORD exstyle;
    short x, y, cx, cy;
    std::string menu;
    std::string cls;
    std::string title;
    WORD pointsize;
    std::string face;
    std::vector<Control> controls;
};

bool operator==(const Control& a, const Control& b) {
    return a.id == b.id && a.cls == b.cls && a.style == b.style && a.x == b.x && a.y == b.y &&
           a.cx == b.cx && a.cy == b.cy && a.text == b.text;
}

void PrintTo(const Control& c, std::ostream* os) {
    *os << "{" << c.id << ", " << c.cls << ", 0x" << std::hex << c.style << std::dec << ", " << c.x
        << "," << c.y << "," << c.cx << "," << c.cy << ", \"" << c.text << "\"}";
}

class Resources : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        module = LoadLibraryExA(exepath().c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
    }
    static void TearDownTestSuite() {
        if (module) {
            FreeLibrary(module);
        }
    }
    void SetUp() override { ASSERT_NE(module, nullptr) << "cannot load " << exepath(); }

    // The bytes of a Japanese resource, or an empty vector.
    static std::vector<unsigned char> raw(LPCSTR type, unsigned id) {
        HRSRC found = FindResourceExA(module, type, MAKEINTRESOURCEA(id), japanese);
        HGLOBAL loaded = found ? LoadResource(module, found) : nullptr;
        auto* data = static_cast<const unsigned char*>(loaded ? LockResource(loaded) : nullptr);
        if (!data) {
            return {};
        }
        return std::vector<unsigned char>(data, data + SizeofResource(module, found));
    }

    static Dialog dialog(unsigned id) {
        std::vector<unsigned char> bytes = raw(RT_DIALOG, id);
        Cursor in(bytes.data(), bytes.size());
        Dialog d{};
        d.style = in.dword();
        d.exstyle = in.dword();
        WORD count = in.word();
        d.x = in.coord();
        d.y = in.coord();
        d.cx = in.coord();
        d.cy = in.coord();
        d.menu = in.nameorordinal();
        d.cls = in.nameorordinal();
        d.title = in.text();
        if (d.style & DS_SETFONT) {
            d.pointsize = in.word();
            d.face = in.text();
        }
        for (WORD i = 0; i < count && in.ok(); ++i) {
            in.align(sizeof(DWORD));
            Control c{};
            c.style = in.dword();
            DWORD exstyle = in.dword();
            EXPECT_EQ(exstyle, 0u);
            c.x = in.coord();
            c.y = in.coord();
            c.cx = in.coord();
            c.cy = in.coord();
            c.id = static_cast<short>(in.word());
            c.cls = in.nameorordinal();
            c.text = in.nameorordinal();
            WORD extra = in.word();
            in.seek(in.at() + extra);
            d.controls.push_back(c);
        }
        EXPECT_TRUE(in.ok());
        return d;
    }

    static HMODULE module;
};

HMODULE Resources::module = nullptr;

// --- which resources exist ----------------------------------------------------------------

BOOL CALLBACK addlanguage(HMODULE, LPCSTR type, LPCSTR name, WORD language, LONG_PTR list) {
    try {
        auto* out = reinterpret_cast<std::vector<std::string>*>(list);
        out->push_back(std::to_string(reinterpret_cast<ULONG_PTR>(type)) + ":" +
                       std::to_string(reinterpret_cast<ULONG_PTR>(name)) + ":" +
                       std::to_string(language));
        return TRUE;
    } catch (...) {
        return FALSE;
    }
}

BOOL CALLBACK addnames(HMODULE module, LPCSTR type, LPSTR name, LONG_PTR list) {
    return IS_INTRESOURCE(name) ? EnumResourceLanguagesA(module, type, name, addlanguage, list)
                                : FALSE;
}

BOOL CALLBACK addtypes(HMODULE module, LPSTR type, LONG_PTR list) {
    return IS_INTRESOURCE(type) ? EnumResourceNamesA(module, type, addnames, list) : FALSE;
}

TEST_F(Resources, ExactlyTheProgramsResourcesAllJapanese) {
    std::vector<std::string> found;
    EXPECT_TRUE(EnumResourceTypesA(module, addtypes, reinterpret_cast<LONG_PTR>(&found)));
    const std::string ja = ":" + std::to_string(japanese);
    std::vector<std::string> expected = {"3:1" + ja,    "3:2" + ja,    "4:129" + ja,  "5:130" + ja,
                                         "5:131" + ja,  "6:1569" + ja, "6:2501" + ja, "6:2502" + ja,
                                         "14:128" + ja, "16:1" + ja};
    EXPECT_EQ(found, expected);
}

// --- dialogs ------------------------------------------------------------------------------

constexpr DWORD childvisible = WS_CHILD | WS_VISIBLE;
constexpr DWORD editstyle = childvisible | WS_BORDER | WS_TABSTOP | ES_LEFT | ES_AUTOHSCROLL;
constexpr DWORD buttonstyle = childvisible | WS_TABSTOP | BS_PUSHBUTTON;
constexpr DWORD labelstyle = childvisible | WS_GROUP | SS_LEFT;
constexpr const char* dialogfont = "ＭＳ Ｐゴシック";
constexpr WORD dialogpoints = 9;

TEST_F(Resources, MainDialogTemplate) {
    Dialog d = dialog(IDD_MAIN);
    EXPECT_EQ(d.style, static_cast<DWORD>(WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX |
                                          DS_CENTER | DS_MODALFRAME | DS_SETFONT));
    EXPECT_EQ(d.exstyle, 0u);
    EXPECT_EQ(std::vector<short>({d.x, d.y, d.cx, d.cy}), std::vector<short>({0, 0, 187, 119}));
    EXPECT_EQ(d.menu, "#" + std::to_string(IDR_MAINMENU));
    EXPECT_EQ(d.cls, "");
    EXPECT_EQ(d.title, "Sonorm");
    EXPECT_EQ(d.pointsize, dialogpoints);
    EXPECT_EQ(d.face, dialogfont);
    // Template order is the tab order.
    std::vector<Control> expected = {
        {IDC_INPUT_NAME, editclass, editstyle, 5, 20, 175, 14, ""},
        {IDC_INPUT_BROWSE, buttonclass, buttonstyle, 150, 5, 31, 14, "参照..."},
        {IDC_OUTPUT_NAME, editclass, editstyle, 5, 65, 175, 14, ""},
        {IDC_OUTPUT_BROWSE, buttonclass, buttonstyle, 150, 50, 30, 14, "参照..."},
        {IDC_START, buttonclass, buttonstyle, 130, 95, 50, 14, "開始"},
        {-1, staticclass, labelstyle, 5, 10, 59, 8, "読み込みファイル名"},
        {-1, staticclass, labelstyle, 5, 55, 58, 8, "書き込みファイル名"},
        {IDC_STATUS, staticclass, labelstyle, 5, 95, 60, 10, ""},
    };
    EXPECT_EQ(d.controls, expected);
}

TEST_F(Resources, AboutDialogTemplate) {
    Dialog d = dialog(IDD_ABOUT);
    EXPECT_EQ(d.style,
              static_cast<DWORD>(WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME | DS_SETFONT));
    EXPECT_EQ(d.exstyle, 0u);
    EXPECT_EQ(std::vector<short>({d.x, d.y, d.cx, d.cy}), std::vector<short>({0, 0, 183, 46}));
    EXPECT_EQ(d.menu, "");
    EXPECT_EQ(d.cls, "");
    EXPECT_EQ(d.title, "バージョン情報");
    EXPECT_EQ(d.pointsize, dialogpoints);
    EXPECT_EQ(d.face, dialogfont);
    ASSERT_EQ(d.controls.size(), 3u);
    EXPECT_EQ(d.controls[0],
              (Control{IDOK, buttonclass, childvisible | WS_TABSTOP | BS_DEFPUSHBUTTON, 150, 5, 30,
                       14, "OK"}));
    // The placeholder has four lines; the dialog replaces it completely.
    const Control& text = d.controls[1];
    EXPECT_EQ(text.id, IDC_ABOUT_TEXT);
    EXPECT_EQ(text.cls, staticclass);
    EXPECT_EQ(text.style, labelstyle);
    EXPECT_EQ(std::vector<short>({text.x, text.y, text.cx, text.cy}),
              std::vector<short>({40, 5, 105, 40}));
    EXPECT_EQ(std::count(text.text.begin(), text.text.end(), '\n'), 3);
    EXPECT_EQ(text.text.rfind("(Title) version (ver)\n", 0), 0u);
    EXPECT_EQ(d.controls[2], (Control{-1, staticclass, childvisible | SS_ICON, 10, 10, 20, 20,
                                      "#" + std::to_string(IDI_MAIN)}));
}

// --- menu ---------------------------------------------------------------------------------

TEST_F(Resources, MenuHelpPopupWithHelpVersionSeparatorExit) {
    std::vector<unsigned char> bytes = raw(RT_MENU, IDR_MAINMENU);
    Cursor in(bytes.data(), bytes.size());
    EXPECT_EQ(in.word(), 0u); // version
    EXPECT_EQ(in.word(), 0u); // header size
    struct Item {
        WORD flags;
        WORD id;
        std::string text;
        bool operator==(const Item& o) const {
            return flags == o.flags && id == o.id && text == o.text;
        }
    };
    std::vector<Item> items;
    while (in.at() < bytes.size()) {
        Item item{};
        item.flags = in.word();
        if (!(item.flags & MF_POPUP)) {
            item.id = in.word();
        }
        item.text = in.text();
        items.push_back(item);
    }
    std::vector<Item> expected = {
        {MF_POPUP | MF_END, 0, "ヘルプ(&H)"}, {0, ID_HELP, "ヘルプ(&H)"},
        {0, ID_ABOUT, "バージョン情報(&A)"},  {0, 0, ""},
        {MF_END, ID_EXIT, "終了(&X)"},
    };
    ASSERT_EQ(items.size(), expected.size());
    for (std::size_t i = 0; i < items.size(); ++i) {
        EXPECT_TRUE(items[i] == expected[i]) << "item " << i << ": flags " << items[i].flags
                                             << " id " << items[i].id << " " << items[i].text;
    }
}

// --- string table -------------------------------------------------------------------------

TEST_F(Resources, StringTableHoldsEveryTextOfTheSource) {
    for (const StringText& s : stringtexts) {
        const wchar_t* text = nullptr;
        // Length 0 asks for a read-only pointer into the resource itself.
        int length = LoadStringW(module, s.id, reinterpret_cast<LPWSTR>(&text), 0);
        ASSERT_GT(length, 0) << s.id;
        EXPECT_EQ(utf8(text, length), s.text) << s.id;
    }
    EXPECT_STREQ(stringtext(IDS_FILE_NOT_OPEN), stringtext(IDS_FILE_NOT_OPEN_2));
}

TEST_F(Resources, StringBlocksHoldNothingElse) {
    std::size_t strings = 0;
    for (unsigned block : {1569u, 2501u, 2502u}) {
        std::vector<unsigned char> bytes = raw(RT_STRING, block);
        Cursor in(bytes.data(), bytes.size());
        for (int i = 0; i < 16; ++i) {
            WORD length = in.word();
            in.seek(in.at() + length * sizeof(WCHAR));
            strings += length ? 1 : 0;
        }
        EXPECT_EQ(in.at(), bytes.size()) << block;
    }
    EXPECT_EQ(strings, std::size(stringtexts));
}

// --- icon ---------------------------------------------------------------------------------

TEST_F(Resources, IconGroupHasTwoSixteenColourImagesWithMasks) {
    std::vector<unsigned char> group = raw(RT_GROUP_ICON, IDI_MAIN);
    Cursor in(group.data(), group.size());
    EXPECT_EQ(in.word(), 0u);
    EXPECT_EQ(in.word(), 1u); // icons
    ASSERT_EQ(in.word(), 2u);
    struct Image {
        int size;
        DWORD bytes;
        WORD id;
    };
    for (const Image& want : {Image{32, 744, 1}, Image{16, 296, 2}}) {
        SCOPED_TRACE(want.size);
        EXPECT_EQ(in.byte(), want.size);
        EXPECT_EQ(in.byte(), want.size);
        EXPECT_EQ(in.byte(), 16); // colours
        EXPECT_EQ(in.byte(), 0);
        EXPECT_EQ(in.word(), 1u); // planes
        EXPECT_EQ(in.word(), 4u); // bits per pixel
        EXPECT_EQ(in.dword(), want.bytes);
        EXPECT_EQ(in.word(), want.id);

        std::vector<unsigned char> image = raw(RT_ICON, want.id);
        ASSERT_EQ(image.size(), want.bytes);
        BITMAPINFOHEADER header;
        std::memcpy(&header, image.data(), sizeof header);
        EXPECT_EQ(header.biSize, sizeof header);
        EXPECT_EQ(header.biWidth, want.size);
        EXPECT_EQ(header.biHeight, 2 * want.size); // colour rows, then mask rows
        EXPECT_EQ(header.biPlanes, 1);
        EXPECT_EQ(header.biBitCount, 4);
        EXPECT_EQ(header.biCompression, static_cast<DWORD>(BI_RGB));
    }
}

// --- version block ------------------------------------------------------------------------

TEST_F(Resources, VersionFixedPart) {
    std::vector<unsigned char> block = raw(RT_VERSION, VS_VERSION_INFO);
    ASSERT_FALSE(block.empty());
    VS_FIXEDFILEINFO* fixed = nullptr;
    UINT size = 0;
    ASSERT_TRUE(VerQueryValueA(block.data(), "\\", reinterpret_cast<void**>(&fixed), &size));
    ASSERT_EQ(size, sizeof *fixed);
    EXPECT_EQ(fixed->dwSignature, 0xFEEF04BDu);
    EXPECT_EQ(fixed->dwStrucVersion, 0x00010000u);
    EXPECT_EQ(fixed->dwFileVersionMS, 0x00010000u); // 1.0
    EXPECT_EQ(fixed->dwFileVersionLS, 0x00010001u); // .1.1
    EXPECT_EQ(fixed->dwProductVersionMS, 0x00010000u);
    EXPECT_EQ(fixed->dwProductVersionLS, 0x00010001u);
    EXPECT_EQ(fixed->dwFileFlagsMask, 0x3Fu);
    EXPECT_EQ(fixed->dwFileFlags, 0u);
    EXPECT_EQ(fixed->dwFileOS, static_cast<DWORD>(VOS_NT_WINDOWS32));
    EXPECT_EQ(fixed->dwFileType, static_cast<DWORD>(VFT_APP));
    EXPECT_EQ(fixed->dwFileSubtype, 0u);
    EXPECT_EQ(fixed->dwFileDateMS, 0u);
    EXPECT_EQ(fixed->dwFileDateLS, 0u);

    WORD* translation = nullptr;
    ASSERT_TRUE(VerQueryValueA(block.data(), "\\VarFileInfo\\Translation",
                               reinterpret_cast<void**>(&translation), &size));
    ASSERT_EQ(size, 2 * sizeof(WORD));
    EXPECT_EQ(translation[0], japanese);
    EXPECT_EQ(translation[1], unicodecodepage);
}

// Walks the version block's nodes (length, value length, type, key, value, children) down to
// the strings of table "041104b0", in the order stored.
std::vector<std::pair<std::string, std::string>>
versionstrings(const std::vector<unsigned char>& b) {
    std::vector<std::pair<std::string, std::string>> out;
    struct Node {
        std::size_t start, end, valuelength, children;
        WORD type;
        std::string key;
    };
    auto node = [&b](std::size_t at) {
        Cursor in(b.data(), b.size());
        in.seek(at);
        Node n{};
        n.start = at;
        n.end = at + in.word();
        n.valuelength = in.word();
        n.type = in.word();
        n.key = in.text();
        in.align(sizeof(DWORD));
        n.children = in.at(); // the value, for a leaf
        return n;
    };
    Node root = node(0);
    std::size_t afterfixed = (root.children + root.valuelength + 3) / 4 * 4;
    for (std::size_t at = afterfixed; at < root.end;) {
        Node info = node(at);
        if (info.key == "StringFileInfo") {
            for (std::size_t t = info.children; t < info.end;) {
                Node table = node(t);
                for (std::size_t s = table.children; table.key == "041104b0" && s < table.end;) {
                    Node str = node(s);
                    std::size_t chars = str.valuelength ? str.valuelength - 1 : 0;
                    std::wstring value(chars, L'\0');
                    if (chars) {
                        std::memcpy(&value[0], b.data() + str.children, chars * sizeof(WCHAR));
                    }
                    out.emplace_back(str.key, utf8(value.c_str(), static_cast<int>(chars)));
                    s = (str.end + 3) / 4 * 4;
                }
                t = (table.end + 3) / 4 * 4;
            }
        }
        at = (info.end + 3) / 4 * 4;
    }
    return out;
}

TEST_F(Resources, VersionStringsInOrder) {
    std::vector<std::pair<std::string, std::string>> expected = {
        {"Comments", ""},
        {"CompanyName", SONORM_COMPANY},
        {"FileDescription", SONORM_DESCRIPTION},
        {"FileVersion", SONORM_FILEVERSION},
        {"InternalName", SONORM_INTERNAL},
        {"LegalCopyright", SONORM_LEGAL},
        {"LegalTrademarks", ""},
        {"OriginalFilename", SONORM_ORIGINAL_FILENAME},
        {"PrivateBuild", ""},
        {"ProductName", SONORM_PRODUCT},
        {"ProductVersion", SONORM_PRODUCTVERSION},
        {"SpecialBuild", ""},
    };
    EXPECT_EQ(versionstrings(raw(RT_VERSION, VS_VERSION_INFO)), expected);
    EXPECT_STREQ(SONORM_COMPANY, "Velquin");
    EXPECT_STREQ(SONORM_DESCRIPTION, "Convert WAV for Quillplay");
    EXPECT_STREQ(SONORM_FILEVERSION, "1.01");
    EXPECT_NE(std::strstr(SONORM_LEGAL, SONORM_COMPANY), nullptr);
}

} // namespace
