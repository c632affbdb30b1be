// The file-name dialog: the record's size for this build, cancel, failure codes, and the
// removal of caller-set hooks and templates. Choosing a name is the browse scenario's part.
#include "FileDialog.h"

#include "WinTestSupport.h"

#include <gtest/gtest.h>

#include <cstddef>

namespace {

constexpr DWORD cderrstructsize = 0x0001; // CDERR_STRUCTSIZE (not in the MinGW headers)

int hookcalls = 0;

UINT_PTR CALLBACK countinghook(HWND, UINT, WPARAM, LPARAM) {
    ++hookcalls;
    return 0;
}

} // namespace

// The record without the Windows 2000 fields: a size that the dialog of this bitness accepts.
TEST(FileDialog, CancelGivesTwoAndClearsCallerSetHooksAndTemplates) {
    for (bool save : {false, true}) {
        OPENFILENAMEA ofn;
        char file[260] = "";
        initopenfilename(&ofn, nullptr, file, sizeof file);
        EXPECT_EQ(ofn.lStructSize, offsetof(OPENFILENAMEA, pvReserved));
        ofn.Flags |=
            OFN_ENABLEHOOK | OFN_ENABLETEMPLATE | OFN_ENABLETEMPLATEHANDLE | OFN_HIDEREADONLY;
        ofn.lpfnHook = countinghook;
        ofn.lpTemplateName = "NOSUCHTEMPLATE";
        ofn.hInstance = GetModuleHandleA(nullptr);
        hookcalls = 0;
        DWORD error = 12345;
        int result = 0;
        const ModalSeen seen =
            watchmodal([&] { result = choosefilename(&ofn, &error, save); }, nullptr, IDCANCEL);
        EXPECT_TRUE(seen.found);
        EXPECT_EQ(result, filecancelled);
        EXPECT_EQ(error, 12345u);
        EXPECT_EQ(hookcalls, 0);
        EXPECT_EQ(ofn.lpfnHook, nullptr);
        EXPECT_EQ(ofn.lpTemplateName, nullptr);
        EXPECT_EQ(ofn.hInstance, nullptr);
        // The dialog itself may add bits (Wine adds OFN_ENABLESIZING); the caller's others stay.
        EXPECT_EQ(ofn.Flags & (OFN_ENABLEHOOK | OFN_ENABLETEMPLATE | OFN_ENABLETEMPLATEHANDLE), 0u);
        EXPECT_EQ(ofn.Flags & (OFN_EXPLORER | OFN_HIDEREADONLY),
                  static_cast<DWORD>(OFN_EXPLORER | OFN_HIDEREADONLY));
    }
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
