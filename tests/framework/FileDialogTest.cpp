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

std::string chosen;

void typename_(HWND dlg) {
    HWND edit = GetDlgItem(dlg, filenameedit);
    if (edit == nullptr) {
        edit = GetDlgItem(dlg, filenamecombo);
    }
    SetWindowTextA(edit, chosen.c_str());
}

std::string tempdir() {
    char dir[MAX_PATH];
    GetTempPathA(sizeof dir, dir);
    return dir;
}

} // namespace

TEST(FileDialog, InitPreparesTheRecordWithoutTheWindows2000Fields) {
    OPENFILENAMEA ofn;
    std::memset(&ofn, 0xCD, sizeof ofn);
    char file[260] = "";
    HWND owner = reinterpret_cast<HWND>(0x100);
    initopenfilename(&ofn, owner, file, sizeof file);
    EXPECT_EQ(ofn.lStructSize, offsetof(OPENFILENAMEA, pvReserved));
    EXPECT_EQ(ofn.lStructSize, sizeof(void*) == 8 ? 136u : 76u);
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
        OPENFILENAMEA ofn;
        char file[260] = "";
        initopenfilename(&ofn, nullptr, file, sizeof file);
        DWORD error = 12345;
        int result = 0;
        const ModalSeen seen =
            watchmodal([&] { result = choosefilename(&ofn, &error, save); }, nullptr, IDCANCEL);
        EXPECT_TRUE(seen.found);
        EXPECT_EQ(result, filecancelled);
        EXPECT_EQ(error, 12345u);
        captions[save] = seen.caption;
    }
    EXPECT_NE(captions[0], captions[1]); // an open and a save dialog
}

TEST(FileDialog, ChosenNameIsReturnedInTheBuffer) {
    chosen = tempdir() + "tessel-chosen.wav";
    OPENFILENAMEA ofn;
    char file[260] = "";
    initopenfilename(&ofn, nullptr, file, sizeof file);
    int result = 0;
    watchmodal([&] { result = choosefilename(&ofn, nullptr, true); }, typename_, IDOK);
    EXPECT_EQ(result, filechosen);
    EXPECT_EQ(lstrcmpiA(file, chosen.c_str()), 0) << file;

    char self[MAX_PATH];
    GetModuleFileNameA(nullptr, self, sizeof self);
    chosen = self;
    file[0] = '\0';
    initopenfilename(&ofn, nullptr, file, sizeof file);
    ofn.Flags |= OFN_FILEMUSTEXIST;
    watchmodal([&] { result = choosefilename(&ofn, nullptr, false); }, typename_, IDOK);
    EXPECT_EQ(result, filechosen);
    EXPECT_EQ(lstrcmpiA(file, self), 0) << file;
}

TEST(FileDialog, FailureGivesThreeAndTheExtendedError) {
    OPENFILENAMEA ofn;
    char file[260] = "";
    initopenfilename(&ofn, nullptr, file, sizeof file);
    ofn.lStructSize = 1;
    DWORD error = 0;
    EXPECT_EQ(choosefilename(&ofn, &error, false), filefailed);
    EXPECT_EQ(error, cderrstructsize);
    EXPECT_EQ(choosefilename(&ofn, nullptr, true), filefailed);
}

TEST(FileDialog, CallerSetHooksAndTemplatesAreCleared) {
    OPENFILENAMEA ofn;
    char file[260] = "";
    initopenfilename(&ofn, nullptr, file, sizeof file);
    ofn.Flags |= OFN_ENABLEHOOK | OFN_ENABLETEMPLATE | OFN_ENABLETEMPLATEHANDLE | OFN_HIDEREADONLY;
    ofn.lpfnHook = countinghook;
    ofn.lpTemplateName = "NOSUCHTEMPLATE";
    ofn.hInstance = GetModuleHandleA(nullptr);
    hookcalls = 0;
    int result = 0;
    const ModalSeen seen =
        watchmodal([&] { result = choosefilename(&ofn, nullptr, false); }, nullptr, IDCANCEL);
    EXPECT_TRUE(seen.found);
    EXPECT_EQ(result, filecancelled);
    EXPECT_EQ(hookcalls, 0);
    EXPECT_EQ(ofn.lpfnHook, nullptr);
    EXPECT_EQ(ofn.lpTemplateName, nullptr);
    EXPECT_EQ(ofn.hInstance, nullptr);
    // The dialog itself may add bits (Wine adds OFN_ENABLESIZING); the caller's others stay.
    EXPECT_EQ(ofn.Flags & (OFN_ENABLEHOOK | OFN_ENABLETEMPLATE | OFN_ENABLETEMPLATEHANDLE), 0u);
    EXPECT_EQ(ofn.Flags & (OFN_EXPLORER | OFN_HIDEREADONLY),
              static_cast<DWORD>(OFN_EXPLORER | OFN_HIDEREADONLY));
}
