// The file-name dialog: record preparation, cancel, a chosen name, failure codes, and the
// removal of caller-set hooks and templates.
#include "FileDialog.h"

#include "WinTestSupport.h"

#include <gtest/gtest.h>

#include <cstddef>
#include <cstring>
#include <string>

namespace {

constexpr int filenameedit = 0x480;       // edt1
constexpr int filenamecombo = 0x47C;      // cmb13
constexpr DWORD cderrstructsize = 0x0001; // CDERR_STRUCTSIZE (not in the MinGW headers)

int hookcalls = 0;

UINT_PTR CALLBACK countinghook(HWND, UINT, WPARAM, LPARAM) {
    ++hookcalls;
    return 0;
}

// A prepared record with its own name buffer.
struct Record {
    Record() { initopenfilename(&ofn, nullptr, file, sizeof file); }
    // Runs the dialog; when typed is given, types it as the name and presses OK, otherwise
    // cancels. Answers the result; seen tells what dialog was shown.
    int choose(bool save, const char* typed, DWORD* error = nullptr) {
        int result = 0;
        seen =
            watchmodal([&] { result = choosefilename(&ofn, error, save); },
                       [typed](HWND dlg) {
                           HWND edit = GetDlgItem(dlg, filenameedit);
                           if (typed != nullptr) {
                               SetWindowTextA(edit ? edit : GetDlgItem(dlg, filenamecombo), typed);
                           }
                       },
                       typed != nullptr ? IDOK : IDCANCEL);
        return result;
    }
    OPENFILENAMEA ofn;
    char file[260] = "";
    ModalSeen seen;
};

} // namespace

TEST(FileDialog, InitPreparesTheRecordWithoutTheWindows2000Fields) {
    OPENFILENAMEA ofn;
    std::memset(&ofn, 0xCD, sizeof ofn);
    char file[260] = "";
    HWND owner = reinterpret_cast<HWND>(0x100);
    initopenfilename(&ofn, owner, file, sizeof file);
    EXPECT_EQ(ofn.lStructSize, offsetof(OPENFILENAMEA, pvReserved));
    EXPECT_EQ(ofn.hwndOwner, owner);
    EXPECT_EQ(ofn.lpstrFile, file);
    EXPECT_EQ(ofn.nMaxFile, 260u);
    EXPECT_EQ(ofn.Flags, static_cast<DWORD>(OFN_EXPLORER));
    EXPECT_EQ(ofn.lpstrFilter, nullptr);
    EXPECT_EQ(ofn.lpfnHook, nullptr);
    EXPECT_EQ(ofn.FlagsEx, 0u);
}

TEST(FileDialog, CancelGivesTwoAndLeavesTheErrorCode) {
    std::string captions[2];
    for (bool save : {false, true}) {
        Record r;
        DWORD error = 12345;
        EXPECT_EQ(r.choose(save, nullptr, &error), filecancelled);
        EXPECT_TRUE(r.seen.found);
        EXPECT_EQ(error, 12345u);
        captions[save] = r.seen.caption;
    }
    EXPECT_NE(captions[0], captions[1]); // an open and a save dialog
}

TEST(FileDialog, ChosenNameIsReturnedInTheBuffer) {
    char temp[MAX_PATH];
    GetTempPathA(sizeof temp, temp);
    char self[MAX_PATH];
    GetModuleFileNameA(nullptr, self, sizeof self);
    // A new name to save as, and an existing file to open.
    for (const std::string& name : {std::string(temp) + "tessel-chosen.wav", std::string(self)}) {
        const bool save = name != self;
        Record r;
        r.ofn.Flags |= save ? 0 : OFN_FILEMUSTEXIST;
        EXPECT_EQ(r.choose(save, name.c_str()), filechosen);
        EXPECT_EQ(lstrcmpiA(r.file, name.c_str()), 0) << r.file;
    }
}

TEST(FileDialog, FailureGivesThreeAndTheExtendedError) {
    Record r;
    r.ofn.lStructSize = 1;
    DWORD error = 0;
    EXPECT_EQ(choosefilename(&r.ofn, &error, false), filefailed);
    EXPECT_EQ(error, cderrstructsize);
    EXPECT_EQ(choosefilename(&r.ofn, nullptr, true), filefailed);
}

TEST(FileDialog, CallerSetHooksAndTemplatesAreCleared) {
    Record r;
    r.ofn.Flags |=
        OFN_ENABLEHOOK | OFN_ENABLETEMPLATE | OFN_ENABLETEMPLATEHANDLE | OFN_HIDEREADONLY;
    r.ofn.lpfnHook = countinghook;
    r.ofn.lpTemplateName = "NOSUCHTEMPLATE";
    r.ofn.hInstance = GetModuleHandleA(nullptr);
    hookcalls = 0;
    EXPECT_EQ(r.choose(false, nullptr), filecancelled);
    EXPECT_TRUE(r.seen.found);
    EXPECT_EQ(hookcalls, 0);
    EXPECT_EQ(r.ofn.lpfnHook, nullptr);
    EXPECT_EQ(r.ofn.lpTemplateName, nullptr);
    EXPECT_EQ(r.ofn.hInstance, nullptr);
    // The dialog itself may add bits (Wine adds OFN_ENABLESIZING); the caller's others stay.
    EXPECT_EQ(r.ofn.Flags & (OFN_ENABLEHOOK | OFN_ENABLETEMPLATE | OFN_ENABLETEMPLATEHANDLE), 0u);
    EXPECT_EQ(r.ofn.Flags & (OFN_EXPLORER | OFN_HIDEREADONLY),
              static_cast<DWORD>(OFN_EXPLORER | OFN_HIDEREADONLY));
}
