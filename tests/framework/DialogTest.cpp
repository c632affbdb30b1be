// Dialog objects bound to real dialogs (binding on the first message, routing, the default
// behaviour, teardown order and reference counts, modeless and modal) and the thread message
// loop (quit code, pre-translation over a snapshot with references, Esc closing a modeless
// dialog during the offer, the loop registry and the message-filter hook).
#include "App.h"
#include "DlgProc.h"
#include "MsgLoop.h"
#include "TesselTestIds.h"
#include "WinTestSupport.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <memory>
#include <new>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

namespace {

using Events = std::vector<std::string>;

// What the recording objects saw, in order: "m<msg>", "n<code>", "deleted" from dialogs,
// "<name>:<code>" from probes.
struct Journal {
    Events events;
    int created = 0;
    int deleted = 0;
    int failcreations = 0; // constructions left to fail
    int countatncdestroy = -1;
    LONG_PTR procatdetach = 0;
    LONG_PTR useratdetach = -1;
    HWND hwnd = nullptr;
    WPARAM endcommand = 0;
    bool throwing = false; // throw out of attach (once attached) and out of WM_APP

    bool has(const std::string& event) const {
        return std::find(events.begin(), events.end(), event) != events.end();
    }
    long index(const std::string& event) const {
        return std::find(events.begin(), events.end(), event) - events.begin();
    }
};

Journal journal;

// A dialog object with the default behaviour that records what happens to it.
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
        const int result = DlgObject::notify(code, data);
        if (code == attach && journal.throwing) {
            throw std::runtime_error("attach");
        }
        return result;
    }
    INT_PTR handlemessage(HWND dlg, UINT msg, WPARAM wparam, LPARAM lparam) override {
        journal.events.push_back("m" + std::to_string(msg));
        if (msg == WM_APP && journal.throwing) {
            throw std::runtime_error("message");
        }
        if (msg == WM_INITDIALOG) {
            journal.hwnd = dlg;
        }
        if (msg == WM_NCDESTROY) {
            journal.countatncdestroy = refcount;
        }
        return DlgObject::handlemessage(dlg, msg, wparam, lparam);
    }
};

// A loop list entry that logs every notification as "<name>:<code>" and answers pretranslate
// (for message consume, or any when 0) and msgfilter as told.
class Probe : public WndObject {
public:
    Probe(const char* probename, int pretranslateanswer, int filteranswer = 0)
        : name(probename), answer(pretranslateanswer), filter(filteranswer) {}
    int notify(int code, void* data) override {
        journal.events.push_back(name + ":" + std::to_string(code));
        if (code == pretranslate) {
            const MSG* msg = static_cast<const MSG*>(data);
            offered.push_back(*msg);
            return consume == 0 || msg->message == consume ? answer : 0;
        }
        if (code == msgfilter) {
            filtered.push_back(data);
            return filter;
        }
        return WndObject::notify(code, data);
    }
    std::string name;
    int answer;
    int filter;
    UINT consume = 0;
    std::vector<MSG> offered;
    std::vector<void*> filtered;
};

const std::string initdialog = "m" + std::to_string(WM_INITDIALOG);
const std::string setfont = "m" + std::to_string(WM_SETFONT);
const std::string ncdestroy = "m" + std::to_string(WM_NCDESTROY);
const std::string notifydetach = "n" + std::to_string(WndObject::detach);
const std::string notifyattach = "n" + std::to_string(WndObject::attach);
const std::string notifysetmodeless = "n" + std::to_string(WndObject::setmodeless);

// Ends the recorded dialog with journal.endcommand through its default command handling: a
// timer procedure, served by the modal loop.
void CALLBACK endrecorded(HWND, UINT, UINT_PTR, DWORD) {
    if (journal.hwnd != nullptr && IsWindow(journal.hwnd)) {
        PostMessageA(journal.hwnd, WM_COMMAND, journal.endcommand, 0);
    }
}

std::vector<UINT> received;

LRESULT CALLBACK recordingproc(HWND wnd, UINT msg, WPARAM wparam, LPARAM lparam) {
    if (msg >= WM_USER || msg == WM_KEYDOWN || msg == WM_CHAR) {
        received.push_back(msg);
    }
    return DefWindowProcA(wnd, msg, wparam, lparam);
}

HWND makerecordingwindow() {
    WNDCLASSA wc{};
    wc.lpfnWndProc = recordingproc;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.lpszClassName = "TesselRecording";
    RegisterClassA(&wc);
    return CreateWindowExA(0, "TesselRecording", "", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr,
                           wc.hInstance, nullptr);
}

// Runs setup on a new thread, then check on this one while that thread (and what setup made
// on it) still exists; then lets the thread end with teardown.
void onotherthread(const std::function<void()>& setup, const std::function<void()>& check,
                   const std::function<void()>& teardown) {
    HANDLE built = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    HANDLE finish = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    std::thread worker([&] {
        setup();
        SetEvent(built);
        WaitForSingleObject(finish, INFINITE);
        teardown();
    });
    WaitForSingleObject(built, INFINITE);
    check();
    SetEvent(finish);
    worker.join();
    CloseHandle(built);
    CloseHandle(finish);
}

class DialogTest : public ::testing::Test {
protected:
    void SetUp() override {
        journal = Journal{};
        received.clear();
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
    std::unique_ptr<App> app;
    std::unique_ptr<MsgLoop> loop;
};

using MsgLoopTest = DialogTest;

} // namespace

TEST_F(DialogTest, ModelessBindsOnTheFirstMessageAndOutlivesItsWindow) {
    EXPECT_EQ(createmodeless(IDD_TEST_MISSING), nullptr);
    HWND dlg = createmodeless(IDD_TEST_FONT);
    ASSERT_NE(dlg, nullptr);
    Recorder* object = bound(dlg);
    ASSERT_NE(object, nullptr);
    EXPECT_EQ(journal.created, 1);
    // WM_SETFONT came first and created the object; WM_INITDIALOG followed.
    EXPECT_LT(journal.index(notifyattach), journal.index(setfont));
    EXPECT_LT(journal.index(setfont), journal.index(initdialog));
    EXPECT_EQ(object->hwnd, dlg);
    EXPECT_TRUE(object->modeless);
    EXPECT_EQ(object->refcount, 2); // creator + modeless list
    EXPECT_EQ(loop->modelesslist, (std::list<WndObject*>{object}));
    EXPECT_EQ(GetWindowLongPtrA(dlg, DWLP_DLGPROC), reinterpret_cast<LONG_PTR>(&routedlgproc));

    // IDCANCEL with any high word destroys a modeless dialog; the object outlives it.
    EXPECT_EQ(routedlgproc(dlg, WM_COMMAND, MAKEWPARAM(IDC_TEST_EDIT, EN_CHANGE), 0), 0);
    EXPECT_EQ(routedlgproc(dlg, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0), 1);
    EXPECT_FALSE(IsWindow(dlg));
    EXPECT_EQ(journal.deleted, 0);
    EXPECT_EQ(object->refcount, 1);
    EXPECT_EQ(object->hwnd, nullptr);
    EXPECT_TRUE(loop->modelesslist.empty());
    EXPECT_LT(journal.index(ncdestroy), journal.index(notifydetach));
    EXPECT_EQ(journal.procatdetach, reinterpret_cast<LONG_PTR>(&nulldlgproc));
    EXPECT_EQ(journal.useratdetach, 0);
    // Torn down: no object is reached any more.
    const std::size_t seen = journal.events.size();
    EXPECT_EQ(routedlgproc(dlg, WM_COMMAND, IDOK, 0), 0);
    EXPECT_EQ(nulldlgproc(dlg, WM_INITDIALOG, 0, 0), 0);
    EXPECT_EQ(journal.events.size(), seen);
    EXPECT_EQ(object->notify(WndObject::release, nullptr), 0);
    EXPECT_EQ(journal.deleted, 1);
}

TEST_F(DialogTest, ModalDialogEndsWithTheCommandAndIsDeletedWithItsWindow) {
    HWND owner = CreateWindowExA(0, "STATIC", "owner", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr,
                                 nullptr, nullptr);
    struct Case {
        unsigned id;
        HWND owner;
        WPARAM command; // any high word
        INT_PTR result;
    };
    for (const Case& c : {Case{IDD_TEST_FONT, owner, IDCANCEL, IDCANCEL},
                          Case{IDD_TEST_PLAIN, nullptr, MAKEWPARAM(IDOK, 1), IDOK}}) {
        journal = Journal{};
        journal.endcommand = c.command;
        const UINT_PTR timer = SetTimer(nullptr, 0, 50, endrecorded);
        EXPECT_EQ(DialogBoxIndirectParamA(app->hinst, loaddialogtemplate(c.id), c.owner,
                                          binddlgproc<Recorder, dlgmodal>, 0),
                  c.result);
        KillTimer(nullptr, timer);
        EXPECT_EQ(journal.created, 1);
        EXPECT_EQ(journal.deleted, 1);
        EXPECT_EQ(journal.countatncdestroy, 1);
        EXPECT_LT(journal.index(ncdestroy), journal.index(notifydetach));
        EXPECT_LT(journal.index(notifydetach), journal.index("deleted"));
        EXPECT_TRUE(loop->modelesslist.empty());
    }
    DestroyWindow(owner);
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
    object = bound(plain);
    ASSERT_NE(object, nullptr);
    DestroyWindow(plain);
    object->notify(WndObject::release, nullptr);
    EXPECT_EQ(journal.deleted, 2);
}

namespace {

Recorder* preset = nullptr;

LRESULT CALLBACK presetoncreate(int code, WPARAM wparam, LPARAM lparam) {
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
    HHOOK cbt = SetWindowsHookExA(WH_CBT, presetoncreate, nullptr, GetCurrentThreadId());
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

TEST_F(DialogTest, ExceptionsNeverLeaveTheDialogProcedures) {
    journal.throwing = true;
    HWND dlg = createmodeless(IDD_TEST_FONT);
    ASSERT_NE(dlg, nullptr);
    Recorder* object = bound(dlg); // bound although attach threw
    ASSERT_NE(object, nullptr);
    EXPECT_TRUE(journal.has(initdialog));
    EXPECT_EQ(object->refcount, 2);
    EXPECT_EQ(SendMessageA(dlg, WM_APP, 0, 0), 0);
    EXPECT_EQ(GetWindowLongPtrA(dlg, DWLP_MSGRESULT), 0);
    EXPECT_EQ(routedlgproc(dlg, WM_INITDIALOG, 0, 0), 1); // answers still pass through
    DestroyWindow(dlg);
    EXPECT_EQ(object->notify(WndObject::release, nullptr), 0);
}

TEST_F(MsgLoopTest, MessagesAreTranslatedAndDispatchedUnlessConsumedUntilTheQuitCode) {
    EXPECT_EQ(loop->run(SW_SHOW), 0);
    HWND wnd = makerecordingwindow();
    ASSERT_NE(wnd, nullptr);
    Probe probe("p", WndObject::handled);
    probe.consume = WM_USER + 1;
    loop->addmodeless(&probe);
    PostMessageA(wnd, WM_KEYDOWN, 'A', 1);
    PostMessageA(wnd, WM_USER + 1, 0, 0);
    PostMessageA(wnd, WM_USER, 0, 0);
    PostQuitMessage(5);
    EXPECT_EQ(loop->messageloop(), 5);
    // WM_CHAR is posted by the translation, behind the messages already queued.
    EXPECT_EQ(received, (std::vector<UINT>{WM_KEYDOWN, WM_USER, WM_CHAR}));
    EXPECT_EQ(probe.refcount, 1);
    loop->removemodeless(&probe);
    DestroyWindow(wnd);
    PostQuitMessage(0);
    EXPECT_EQ(loop->messageloop(), 0);
}

TEST_F(MsgLoopTest, OfferStopsAtTheFirstHandledAndEveryEntryIsReferencedOnce) {
    Probe a("a", WndObject::handled);
    Probe b("b", WndObject::handled);
    Probe c("c", 1);          // not 7: not consumed
    loop->removemodeless(&a); // not listed: nothing happens
    loop->addmodeless(&a);
    loop->addmodeless(&b);
    loop->addmodeless(&a);
    loop->removemodeless(&a); // the first equal entry only
    loop->addmodeless(&c);
    EXPECT_EQ(loop->modelesslist, (std::list<WndObject*>{&c, &b, &a}));
    MSG msg{};
    msg.message = WM_USER;
    EXPECT_TRUE(loop->pretranslatemessage(&msg));
    EXPECT_EQ(journal.events, (Events{"c:1", "b:1", "a:1", "c:6", "b:6", "c:2", "b:2", "a:2"}));
    for (Probe* p : {&a, &b, &c}) {
        EXPECT_EQ(p->refcount, 1);
    }
    loop->removemodeless(&b);
    loop->removemodeless(&a);
    journal.events.clear();
    EXPECT_FALSE(loop->pretranslatemessage(&msg));
    EXPECT_EQ(journal.events, (Events{"c:1", "c:6", "c:2"}));
    loop->removemodeless(&c);
    EXPECT_TRUE(loop->modelesslist.empty());
}

// Esc posted to a modeless dialog that leaves IDCANCEL to the default behaviour: the dialog is
// destroyed during the offer, whether or not its creator still holds its reference.
TEST_F(MsgLoopTest, EscDestroysTheModelessDialogDuringTheOffer) {
    for (bool keepcreator : {true, false}) {
        SCOPED_TRACE(keepcreator ? "creator keeps its reference" : "creator released it");
        journal.deleted = 0;
        Probe behind("behind", 0);
        loop->addmodeless(&behind);
        HWND dlg = createmodeless(IDD_TEST_FONT);
        Recorder* object = bound(dlg);
        ASSERT_NE(object, nullptr);
        EXPECT_EQ(loop->modelesslist.front(), object);
        if (!keepcreator) {
            object->notify(WndObject::release, nullptr);
        }
        PostMessageA(dlg, WM_KEYDOWN, VK_ESCAPE, 0);
        PostQuitMessage(0);
        EXPECT_EQ(loop->messageloop(), 0);
        EXPECT_FALSE(IsWindow(dlg));
        EXPECT_EQ(loop->modelesslist, (std::list<WndObject*>{&behind}));
        // The key was consumed by the dialog: never offered to the entry behind it.
        for (const MSG& m : behind.offered) {
            EXPECT_FALSE(m.message == WM_KEYDOWN && m.wParam == VK_ESCAPE);
        }
        EXPECT_EQ(behind.refcount, 1);
        if (keepcreator) {
            EXPECT_EQ(journal.deleted, 0);
            EXPECT_EQ(object->refcount, 1);
            EXPECT_EQ(object->notify(WndObject::release, nullptr), 0);
        }
        EXPECT_EQ(journal.deleted, 1);
        loop->removemodeless(&behind);
    }
}

TEST_F(MsgLoopTest, LoopsAndTheirModelessWindowsAreFoundByThread) {
    EXPECT_EQ(app->loops, (std::list<MsgLoop*>{loop.get()}));
    EXPECT_EQ(loop->threadid, GetCurrentThreadId());
    EXPECT_NE(loop->hook, nullptr);
    {
        MsgLoop second; // the most recent first
        EXPECT_EQ(app->findloop(GetCurrentThreadId()), &second);
        app->removeloop(reinterpret_cast<MsgLoop*>(0x10)); // not listed: unchanged
        EXPECT_EQ(app->loops.size(), 2u);
    }
    EXPECT_EQ(app->findloop(GetCurrentThreadId()), loop.get());
    HWND wnd = makerecordingwindow();
    Probe mine("mine", 0);
    mine.hwnd = wnd;
    app->addmodelesswindow(&mine);
    EXPECT_EQ(loop->modelesslist, (std::list<WndObject*>{&mine}));
    app->removemodelesswindow(&mine);
    EXPECT_TRUE(loop->modelesslist.empty());
    DestroyWindow(wnd);

    // Another thread's loop is found by that thread's id only; a window of a thread without a
    // loop joins nothing.
    std::unique_ptr<MsgLoop> other;
    DWORD otherthread = 0;
    onotherthread(
        [&] {
            other = std::make_unique<MsgLoop>();
            otherthread = GetCurrentThreadId();
        },
        [&] {
            EXPECT_EQ(app->findloop(otherthread), other.get());
            EXPECT_EQ(app->findloop(GetCurrentThreadId()), loop.get());
        },
        [&] { other.reset(); });
    EXPECT_EQ(app->loops.size(), 1u);
    Probe stranger("stranger", 0);
    onotherthread(
        [&] {
            stranger.hwnd = CreateWindowExA(0, "STATIC", "", WS_POPUP, 0, 0, 10, 10, nullptr,
                                            nullptr, nullptr, nullptr);
        },
        [&] {
            app->addmodelesswindow(&stranger);
            EXPECT_TRUE(loop->modelesslist.empty());
            app->removemodelesswindow(&stranger);
        },
        [&] { DestroyWindow(stranger.hwnd); });
}

namespace {

std::vector<int> oldercodes;

// A message-filter hook installed before the loop's, so it is next in the chain.
LRESULT CALLBACK olderhook(int code, WPARAM, LPARAM) {
    oldercodes.push_back(code);
    return 77;
}

} // namespace

TEST_F(MsgLoopTest, HookPassesOnNegativeCodesOnlyAndOffersDialogMessagesToFilters) {
    loop.reset();
    oldercodes.clear();
    HHOOK older = SetWindowsHookExA(WH_MSGFILTER, olderhook, nullptr, GetCurrentThreadId());
    ASSERT_NE(older, nullptr);
    loop = std::make_unique<MsgLoop>();
    MSG msg{};
    msg.message = WM_USER;

    EXPECT_TRUE(CallMsgFilterA(&msg, -1)); // passed on: the older hook answers 77
    EXPECT_EQ(oldercodes, (std::vector<int>{-1}));
    EXPECT_FALSE(CallMsgFilterA(&msg, 2));              // a menu's loop: 0 at once
    EXPECT_FALSE(CallMsgFilterA(&msg, MSGF_DIALOGBOX)); // no filter clients: 0
    EXPECT_EQ(oldercodes.size(), 1u);
    EXPECT_EQ(msgfilterhook(2, 0, reinterpret_cast<LPARAM>(&msg)), 0);

    Probe quiet("quiet", 0, 0);
    Probe taker("taker", 0, 9);
    Probe last("last", 0, 5);
    loop->addfilter(&last);
    loop->addfilter(&taker);
    loop->addfilter(&quiet); // quiet, taker, last
    journal.events.clear();
    EXPECT_EQ(msgfilterhook(MSGF_DIALOGBOX, 0, reinterpret_cast<LPARAM>(&msg)), 9);
    EXPECT_EQ(journal.events, (Events{"quiet:1", "taker:1", "last:1", "quiet:8", "taker:8",
                                      "quiet:2", "taker:2", "last:2"}));
    EXPECT_EQ(taker.filtered, (std::vector<void*>{&msg}));
    EXPECT_TRUE(CallMsgFilterA(&msg, MSGF_DIALOGBOX));
    EXPECT_EQ(oldercodes.size(), 1u); // code 0 is never passed on
    for (Probe* p : {&quiet, &taker, &last}) {
        loop->removefilter(p);
    }

    // The modal loop of a message box calls the hook too.
    loop->addfilter(&quiet);
    EXPECT_TRUE(watchmodal([] { MessageBoxA(nullptr, "hooked", "caption", MB_OK); }).found);
    EXPECT_FALSE(quiet.filtered.empty());
    EXPECT_EQ(quiet.refcount, 1);
    loop->removefilter(&quiet);

    // Destroyed: the loop's hook is gone, so even code 2 reaches the older hook.
    loop.reset();
    EXPECT_TRUE(app->loops.empty());
    EXPECT_TRUE(CallMsgFilterA(&msg, 2));
    EXPECT_EQ(oldercodes.back(), 2);
    UnhookWindowsHookEx(older);
}
