// Dialog objects bound to real dialogs: binding on the first message, routing, the default
// behaviour, teardown order and reference counts, for modeless and modal dialogs.
#include "App.h"
#include "DlgProc.h"
#include "MsgLoop.h"
#include "TesselTestIds.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <new>
#include <stdexcept>
#include <string>
#include <vector>

namespace {

// What the recording dialogs saw, in order: "m<msg>", "n<code>", "deleted".
struct Journal {
    std::vector<std::string> events;
    int created = 0;
    int deleted = 0;
    int failcreations = 0; // constructions left to fail
    int countatncdestroy = -1;
    LONG_PTR procatdetach = 0;
    LONG_PTR useratdetach = -1;
    HWND hwnd = nullptr;

    bool has(const std::string& event) const {
        return std::find(events.begin(), events.end(), event) != events.end();
    }
    long index(const std::string& event) const {
        return std::find(events.begin(), events.end(), event) - events.begin();
    }
};

Journal journal;

class Recorder : public DlgObject {
public:
    Recorder() {
        if (journal.failcreations > 0) {
            --journal.failcreations;
            throw std::bad_alloc();
        }
        ++journal.created;
    }
    ~Recorder() override {
        ++journal.deleted;
        journal.events.push_back("deleted");
    }
    int notify(int code, void* data) override {
        journal.events.push_back("n" + std::to_string(code));
        if (code == detach && hwnd != nullptr) {
            journal.procatdetach = GetWindowLongPtrA(hwnd, DWLP_DLGPROC);
            journal.useratdetach = GetWindowLongPtrA(hwnd, DWLP_USER);
        }
        return DlgObject::notify(code, data);
    }
    INT_PTR handlemessage(HWND dlg, UINT msg, WPARAM wparam, LPARAM lparam) override {
        journal.events.push_back("m" + std::to_string(msg));
        if (msg == WM_INITDIALOG) {
            journal.hwnd = dlg;
        }
        if (msg == WM_NCDESTROY) {
            journal.countatncdestroy = refcount;
        }
        return DlgObject::handlemessage(dlg, msg, wparam, lparam);
    }
};

// Throws out of attach (after attaching) and out of handlemessage for WM_APP.
class Thrower : public Recorder {
public:
    int notify(int code, void* data) override {
        const int result = Recorder::notify(code, data);
        if (code == attach) {
            throw std::runtime_error("attach");
        }
        return result;
    }
    INT_PTR handlemessage(HWND dlg, UINT msg, WPARAM wparam, LPARAM lparam) override {
        Recorder::handlemessage(dlg, msg, wparam, lparam);
        if (msg == WM_APP) {
            throw std::runtime_error("message");
        }
        return msg == WM_APP + 1 ? 5 : DlgObject::handlemessage(dlg, msg, wparam, lparam);
    }
};

// Counts its own deletion; a plain window object.
struct PlainObject : WndObject {
    ~PlainObject() override { ++journal.deleted; }
};

const std::string initdialog = "m" + std::to_string(WM_INITDIALOG);
const std::string setfont = "m" + std::to_string(WM_SETFONT);
const std::string ncdestroy = "m" + std::to_string(WM_NCDESTROY);
const std::string notifydetach = "n" + std::to_string(WndObject::detach);
const std::string notifyattach = "n" + std::to_string(WndObject::attach);
const std::string notifysetmodeless = "n" + std::to_string(WndObject::setmodeless);

// Timer procedures that end the recorded dialog through its default command handling.
void CALLBACK cancelrecorded(HWND, UINT, UINT_PTR, DWORD) {
    if (journal.hwnd != nullptr && IsWindow(journal.hwnd)) {
        PostMessageA(journal.hwnd, WM_COMMAND, IDCANCEL, 0);
    }
}

void CALLBACK okrecorded(HWND, UINT, UINT_PTR, DWORD) {
    if (journal.hwnd != nullptr && IsWindow(journal.hwnd)) {
        PostMessageA(journal.hwnd, WM_COMMAND, MAKEWPARAM(IDOK, 1), 0);
    }
}

class DialogTest : public ::testing::Test {
protected:
    void SetUp() override {
        journal = Journal{};
        app = std::make_unique<App>(GetModuleHandleA(nullptr), true);
        loop = std::make_unique<MsgLoop>();
    }
    void TearDown() override {
        loop.reset();
        app.reset();
    }
    HWND createmodeless(unsigned id, DLGPROC proc = binddlgproc<Recorder, dlgmodeless>) {
        return CreateDialogIndirectParamA(app->hinst, loaddialogtemplate(id), nullptr, proc, 0);
    }
    static Recorder* bound(HWND dlg) {
        return reinterpret_cast<Recorder*>(GetWindowLongPtrA(dlg, DWLP_USER));
    }
    bool listed(WndObject* object) const {
        return std::count(loop->modelesslist.begin(), loop->modelesslist.end(), object) == 1;
    }
    std::unique_ptr<App> app;
    std::unique_ptr<MsgLoop> loop;
};

} // namespace

TEST_F(DialogTest, TemplatesLoadFromTheModule) {
    EXPECT_NE(loaddialogtemplate(IDD_TEST_FONT), nullptr);
    EXPECT_NE(loaddialogtemplate(IDD_TEST_PLAIN), nullptr);
    EXPECT_EQ(loaddialogtemplate(IDD_TEST_MISSING), nullptr);
    EXPECT_EQ(createmodeless(IDD_TEST_MISSING), nullptr);
    EXPECT_EQ(journal.created, 0);
}

TEST_F(DialogTest, ModelessBindsOnTheFirstMessageAndOutlivesItsWindow) {
    HWND dlg = createmodeless(IDD_TEST_FONT);
    ASSERT_NE(dlg, nullptr);
    Recorder* object = bound(dlg);
    ASSERT_NE(object, nullptr);
    EXPECT_EQ(journal.created, 1);
    // WM_SETFONT came first and created the object; WM_INITDIALOG followed.
    ASSERT_GE(journal.events.size(), 2u);
    EXPECT_LT(journal.index(notifyattach), journal.index(setfont));
    EXPECT_LT(journal.index(setfont), journal.index(initdialog));
    EXPECT_EQ(object->hwnd, dlg);
    EXPECT_TRUE(object->modeless);
    EXPECT_EQ(object->refcount, 2); // creator + modeless list
    EXPECT_TRUE(listed(object));
    EXPECT_EQ(GetWindowLongPtrA(dlg, DWLP_DLGPROC), reinterpret_cast<LONG_PTR>(&routedlgproc));
    EXPECT_EQ(object->defproc, DefDlgProcA);

    DestroyWindow(dlg);
    EXPECT_EQ(journal.deleted, 0);
    EXPECT_EQ(object->refcount, 1);
    EXPECT_EQ(object->hwnd, nullptr);
    EXPECT_TRUE(loop->modelesslist.empty());
    EXPECT_LT(journal.index(ncdestroy), journal.index(notifydetach));
    EXPECT_EQ(journal.procatdetach, reinterpret_cast<LONG_PTR>(&nulldlgproc));
    EXPECT_EQ(journal.useratdetach, 0);
    EXPECT_EQ(object->notify(WndObject::release, nullptr), 0);
    EXPECT_EQ(journal.deleted, 1);
}

TEST_F(DialogTest, DefaultBehaviourOfCommands) {
    HWND dlg = createmodeless(IDD_TEST_FONT);
    ASSERT_NE(dlg, nullptr);
    Recorder* object = bound(dlg);
    EXPECT_EQ(routedlgproc(dlg, WM_INITDIALOG, 0, 0), 1);
    EXPECT_EQ(routedlgproc(dlg, WM_COMMAND, MAKEWPARAM(IDC_TEST_EDIT, EN_CHANGE), 0), 0);
    EXPECT_EQ(routedlgproc(dlg, WM_APP, 0, 0), 0);
    // IDCANCEL with any high word destroys a modeless dialog.
    EXPECT_EQ(routedlgproc(dlg, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0), 1);
    EXPECT_FALSE(IsWindow(dlg));
    // Torn down: no object is reached any more.
    const std::size_t seen = journal.events.size();
    EXPECT_EQ(routedlgproc(dlg, WM_COMMAND, IDOK, 0), 0);
    EXPECT_EQ(nulldlgproc(dlg, WM_INITDIALOG, 0, 0), 0);
    EXPECT_EQ(journal.events.size(), seen);
    object->notify(WndObject::release, nullptr);
}

TEST_F(DialogTest, ModalDialogIsDeletedWhileItsWindowIsDestroyed) {
    HWND owner = CreateWindowExA(0, "STATIC", "owner", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr,
                                 nullptr, nullptr);
    // A timer inside the modal loop ends the dialog with IDCANCEL through its default behaviour.
    const UINT_PTR timer = SetTimer(nullptr, 0, 50, cancelrecorded);
    const INT_PTR result = DialogBoxIndirectParamA(app->hinst, loaddialogtemplate(IDD_TEST_FONT),
                                                   owner, binddlgproc<Recorder, dlgmodal>, 0);
    KillTimer(nullptr, timer);
    EXPECT_EQ(result, IDCANCEL);
    EXPECT_EQ(journal.created, 1);
    EXPECT_EQ(journal.deleted, 1);
    EXPECT_EQ(journal.countatncdestroy, 1);
    EXPECT_LT(journal.index(ncdestroy), journal.index(notifydetach));
    EXPECT_LT(journal.index(notifydetach), journal.index("deleted"));
    EXPECT_TRUE(loop->modelesslist.empty());
    DestroyWindow(owner);
}

TEST_F(DialogTest, ModalDialogEndsWithTheCommandId) {
    const UINT_PTR timer = SetTimer(nullptr, 0, 50, okrecorded);
    const INT_PTR result = DialogBoxIndirectParamA(app->hinst, loaddialogtemplate(IDD_TEST_PLAIN),
                                                   nullptr, binddlgproc<Recorder, dlgmodal>, 0);
    KillTimer(nullptr, timer);
    EXPECT_EQ(result, IDOK);
    EXPECT_EQ(journal.deleted, 1);
}

TEST_F(DialogTest, CreationFailureBindsNothingAndTheNextMessageRetries) {
    // Without a font the first message is WM_INITDIALOG.
    journal.failcreations = 1;
    HWND dlg = createmodeless(IDD_TEST_PLAIN);
    ASSERT_NE(dlg, nullptr);
    EXPECT_FALSE(journal.has(initdialog));
    SendMessageA(dlg, WM_APP, 0, 0); // binds now, if no later creation message did
    Recorder* object = bound(dlg);
    ASSERT_NE(object, nullptr);
    EXPECT_EQ(journal.created, 1);
    EXPECT_TRUE(journal.has("m" + std::to_string(WM_APP)));
    DestroyWindow(dlg);
    object->notify(WndObject::release, nullptr);

    // The answers of a failed binding, called directly on an unbound dialog.
    HWND plain = createmodeless(IDD_TEST_PLAIN, nulldlgproc);
    ASSERT_NE(plain, nullptr);
    journal.failcreations = 2;
    EXPECT_EQ((binddlgproc<Recorder, dlgmodeless>(plain, WM_INITDIALOG, 0, 0)), 1);
    EXPECT_EQ((binddlgproc<Recorder, dlgmodeless>(plain, WM_SETFONT, 0, 0)), 0);
    EXPECT_EQ(GetWindowLongPtrA(plain, DWLP_USER), 0);
    EXPECT_EQ((binddlgproc<Recorder, dlgmodeless>(plain, WM_INITDIALOG, 0, 0)), 1);
    ASSERT_NE(bound(plain), nullptr);
    object = bound(plain);
    DestroyWindow(plain);
    object->notify(WndObject::release, nullptr);
    EXPECT_EQ(journal.deleted, 2);
}

namespace {

Recorder* preset = nullptr;

LRESULT CALLBACK presetonCreate(int code, WPARAM wparam, LPARAM lparam) {
    if (code == HCBT_CREATEWND && preset != nullptr) {
        char name[16];
        HWND wnd = reinterpret_cast<HWND>(wparam);
        if (GetClassNameA(wnd, name, sizeof name) > 0 && std::string(name) == "#32770") {
            SetWindowLongPtrA(wnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(preset));
        }
    }
    return CallNextHookEx(nullptr, code, wparam, lparam);
}

} // namespace

TEST_F(DialogTest, PresetUserDataIsBoundWithoutAttachOrDetach) {
    preset = new Recorder();
    HHOOK cbt = SetWindowsHookExA(WH_CBT, presetonCreate, nullptr, GetCurrentThreadId());
    HWND dlg = createmodeless(IDD_TEST_FONT);
    UnhookWindowsHookEx(cbt);
    ASSERT_NE(dlg, nullptr);
    EXPECT_EQ(bound(dlg), preset);
    EXPECT_EQ(journal.created, 1); // only the preset object
    EXPECT_FALSE(journal.has(notifyattach));
    EXPECT_TRUE(journal.has(notifysetmodeless));
    EXPECT_TRUE(journal.has(setfont));
    DestroyWindow(dlg);
    EXPECT_TRUE(journal.has(ncdestroy));
    EXPECT_FALSE(journal.has(notifydetach));
    EXPECT_EQ(preset->refcount, 2); // the setmodeless reference is never dropped
    preset->notify(WndObject::release, nullptr);
    EXPECT_EQ(preset->notify(WndObject::release, nullptr), 0);
    EXPECT_EQ(journal.deleted, 1);
    preset = nullptr;
}

TEST_F(DialogTest, NotificationTableOfBothClasses) {
    auto* dialog = new Recorder();
    EXPECT_EQ(dialog->notify(WndObject::attach, reinterpret_cast<void*>(0x1234)), 1);
    EXPECT_EQ(dialog->hwnd, reinterpret_cast<HWND>(0x1234));
    EXPECT_EQ(dialog->notify(WndObject::msgfilter, nullptr), 0);
    EXPECT_EQ(dialog->notify(99, nullptr), 0);
    EXPECT_EQ(dialog->notify(WndObject::setmodeless, nullptr), 0);
    EXPECT_FALSE(dialog->modeless);
    EXPECT_EQ(dialog->notify(WndObject::addref, nullptr), 2);
    EXPECT_EQ(dialog->notify(WndObject::detach, reinterpret_cast<void*>(WM_NCDESTROY)), 1);
    EXPECT_EQ(dialog->hwnd, nullptr);
    EXPECT_EQ(dialog->notify(WndObject::release, nullptr), 0);
    EXPECT_EQ(journal.deleted, 1);

    auto* plain = new PlainObject();
    EXPECT_EQ(plain->defproc, DefWindowProcA);
    EXPECT_EQ(plain->notify(WndObject::attach, reinterpret_cast<void*>(0x1234)), 2);
    EXPECT_EQ(plain->notify(WndObject::setmodeless, reinterpret_cast<void*>(1)), 0);
    EXPECT_EQ(plain->notify(WndObject::pretranslate, nullptr), 0);
    EXPECT_EQ(plain->notify(WndObject::msgfilter, nullptr), 0);
    EXPECT_EQ(plain->notify(WndObject::detach, nullptr), 1);
    EXPECT_EQ(plain->notify(WndObject::release, nullptr), 0);
    EXPECT_EQ(journal.deleted, 2);
}

TEST_F(DialogTest, ExceptionsNeverLeaveTheDialogProcedures) {
    HWND dlg = createmodeless(IDD_TEST_FONT, binddlgproc<Thrower, dlgmodeless>);
    ASSERT_NE(dlg, nullptr);
    Recorder* object = bound(dlg); // bound although attach threw
    ASSERT_NE(object, nullptr);
    EXPECT_TRUE(journal.has(initdialog));
    EXPECT_EQ(object->refcount, 2);
    EXPECT_EQ(SendMessageA(dlg, WM_APP, 0, 0), 0);
    EXPECT_EQ(GetWindowLongPtrA(dlg, DWLP_MSGRESULT), 0);
    EXPECT_EQ(routedlgproc(dlg, WM_APP + 1, 0, 0), 5);
    DestroyWindow(dlg);
    EXPECT_EQ(object->notify(WndObject::release, nullptr), 0);
}
