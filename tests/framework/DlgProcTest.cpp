// Dialog objects bound to real dialogs: binding on the first message, the default behaviour,
// and the order of teardown and reference counts of a modeless (ended by Esc) and a modal one.
#include "App.h"
#include "DlgProc.h"
#include "MsgLoop.h"
#include "TesselTestIds.h"

#include <gtest/gtest.h>

#include <stdexcept>

namespace {

std::string events; // what the recorders saw, each event followed by a blank
HWND lastdlg = nullptr;

struct Recorder : DlgObject {
    ~Recorder() override { events += "deleted "; }
    int notify(int code, void* data) override {
        const char* const names[] = {"",       "addref",      "release",     "attach",
                                     "detach", "setmodeless", "pretranslate"};
        // At detach the window is unbound already: no later message reaches the object.
        events += std::string(names[code]) +
                  (code == detach && GetWindowLongPtrA(hwnd, DWLP_USER) != 0 ? "(bound) " : " ");
        return DlgObject::notify(code, data);
    }
    INT_PTR handlemessage(HWND dlg, UINT msg, WPARAM wparam, LPARAM lparam) override {
        lastdlg = dlg;
        events += msg == WM_SETFONT      ? "font "
                  : msg == WM_INITDIALOG ? "init "
                  : msg == WM_COMMAND    ? "command "
                  : msg == WM_NCDESTROY  ? "ncdestroy" + std::to_string(refcount) + " "
                                         : "";
        if (msg == WM_APP) {
            throw std::runtime_error("never out of the dialog procedure");
        }
        return DlgObject::handlemessage(dlg, msg, wparam, lparam);
    }
};

// Ends the last dialog with IDOK and a notification code in the high word: a timer procedure,
// served by the modal loop until the dialog is there.
void CALLBACK endlast(HWND, UINT, UINT_PTR, DWORD) {
    if (lastdlg != nullptr && IsWindow(lastdlg)) {
        PostMessageA(lastdlg, WM_COMMAND, MAKEWPARAM(IDOK, 1), 0);
    }
}

} // namespace

TEST(DlgProc, ModelessBindsOnTheFirstMessageAndOutlivesItsWindowEndedDuringTheOffer) {
    App app(GetModuleHandleA(nullptr), true);
    MsgLoop loop;
    events.clear();
    HWND dlg = CreateDialogIndirectParamA(app.hinst, loaddialogtemplate(IDD_TEST), nullptr,
                                          binddlgproc<Recorder, dlgmodeless>, 0);
    auto* object = reinterpret_cast<Recorder*>(GetWindowLongPtrA(dlg, DWLP_USER));
    ASSERT_NE(object, nullptr);
    // Made for WM_SETFONT; the window holds no reference of its own, the loop's list one.
    EXPECT_EQ(events, "attach addref release setmodeless addref font init ");
    EXPECT_EQ(loop.modelesslist, (std::list<WndObject*>{object}));
    EXPECT_EQ(SendMessageA(dlg, WM_APP, 0, 0), 0); // its handler throws
    EXPECT_EQ(routedlgproc(dlg, WM_COMMAND, MAKEWPARAM(IDOK + 100, 0), 0), 0);
    // Esc makes IDCANCEL, which destroys a modeless dialog during the offer; the object, held
    // by the offer and its creator, outlives it.
    events.clear();
    PostMessageA(dlg, WM_KEYDOWN, VK_ESCAPE, 0);
    PostQuitMessage(5);
    EXPECT_EQ(loop.messageloop(), 5);
    EXPECT_FALSE(IsWindow(dlg));
    EXPECT_EQ(object->hwnd, nullptr);
    EXPECT_TRUE(loop.modelesslist.empty());
    EXPECT_EQ(object->notify(WndObject::release, nullptr), 0);
    EXPECT_EQ(events, "addref pretranslate command ncdestroy3 detach release release release "
                      "deleted ");
}

TEST(DlgProc, ModalEndsWithTheCommandAndIsDeletedWithItsWindow) {
    App app(GetModuleHandleA(nullptr), true);
    MsgLoop loop;
    events.clear();
    lastdlg = nullptr;
    const UINT_PTR timer = SetTimer(nullptr, 0, 20, endlast);
    EXPECT_EQ(DialogBoxIndirectParamA(app.hinst, loaddialogtemplate(IDD_TEST), nullptr,
                                      binddlgproc<Recorder, dlgmodal>, 0),
              IDOK);
    KillTimer(nullptr, timer);
    EXPECT_EQ(events, "attach addref release setmodeless font init command ncdestroy1 detach "
                      "release deleted ");
}
