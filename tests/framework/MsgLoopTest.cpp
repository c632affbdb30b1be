// The thread message loop: quit code, pre-translation over a snapshot with references, a real
// modeless dialog closed by Esc during the offer, the loop registry and the message-filter hook.
#include "App.h"
#include "DlgProc.h"
#include "MsgLoop.h"
#include "TesselTestIds.h"
#include "WinTestSupport.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <string>
#include <thread>
#include <vector>

namespace {

std::vector<std::string> events;

// A list entry that logs every notification as "<name>:<code>".
class Probe : public WndObject {
public:
    Probe(const char* probename, int pretranslateanswer, int filteranswer = 0)
        : name(probename), answer(pretranslateanswer), filter(filteranswer) {}
    int notify(int code, void* data) override {
        events.push_back(name + ":" + std::to_string(code));
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
    UINT consume = 0; // when set, only this message gets the answer
    std::vector<MSG> offered;
    std::vector<void*> filtered;
};

int escdeleted = 0;

// A modeless dialog left entirely to the default behaviour.
class EscDialog : public DlgObject {
public:
    ~EscDialog() override { ++escdeleted; }
};

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

class MsgLoopTest : public ::testing::Test {
protected:
    void SetUp() override {
        events.clear();
        received.clear();
        escdeleted = 0;
        app = std::make_unique<App>(GetModuleHandleA(nullptr), true);
        loop = std::make_unique<MsgLoop>();
    }
    void TearDown() override {
        loop.reset();
        app.reset();
    }
    std::unique_ptr<App> app;
    std::unique_ptr<MsgLoop> loop;
};

MSG anymessage() {
    MSG msg{};
    msg.message = WM_USER;
    return msg;
}

} // namespace

TEST_F(MsgLoopTest, QuitCodeEndsTheLoop) {
    EXPECT_EQ(loop->run(SW_SHOW), 0);
    PostQuitMessage(5);
    EXPECT_EQ(loop->messageloop(), 5);
    PostQuitMessage(0);
    EXPECT_EQ(loop->messageloop(), 0);
}

TEST_F(MsgLoopTest, MessagesAreTranslatedAndDispatchedUnlessConsumed) {
    HWND wnd = makerecordingwindow();
    ASSERT_NE(wnd, nullptr);
    Probe probe("p", WndObject::handled);
    probe.consume = WM_USER + 1;
    loop->addmodeless(&probe);
    PostMessageA(wnd, WM_KEYDOWN, 'A', 1);
    PostMessageA(wnd, WM_USER + 1, 0, 0);
    PostMessageA(wnd, WM_USER, 0, 0);
    PostQuitMessage(0);
    EXPECT_EQ(loop->messageloop(), 0);
    // WM_CHAR is posted by the translation, behind the messages already queued.
    EXPECT_EQ(received, (std::vector<UINT>{WM_KEYDOWN, WM_USER, WM_CHAR}));
    EXPECT_EQ(probe.refcount, 1);
    loop->removemodeless(&probe);
    DestroyWindow(wnd);
}

TEST_F(MsgLoopTest, OfferStopsAtTheFirstHandledAndEveryEntryIsReferencedOnce) {
    Probe a("a", WndObject::handled);
    Probe b("b", WndObject::handled);
    Probe c("c", 1); // not 7: not consumed
    loop->addmodeless(&a);
    loop->addmodeless(&b);
    loop->addmodeless(&c); // the list is now c, b, a
    MSG msg = anymessage();
    EXPECT_TRUE(loop->pretranslatemessage(&msg));
    EXPECT_EQ(events,
              (std::vector<std::string>{"c:1", "b:1", "a:1", "c:6", "b:6", "c:2", "b:2", "a:2"}));
    for (Probe* p : {&a, &b, &c}) {
        EXPECT_EQ(p->refcount, 1);
    }
    loop->removemodeless(&b);
    loop->removemodeless(&a);
    events.clear();
    EXPECT_FALSE(loop->pretranslatemessage(&msg));
    EXPECT_EQ(events, (std::vector<std::string>{"c:1", "c:6", "c:2"}));
}

TEST_F(MsgLoopTest, ListRemovalTakesTheFirstEqualEntryOnly) {
    Probe a("a", 0);
    Probe b("b", 0);
    loop->addmodeless(&a);
    loop->removemodeless(&b); // not listed: unchanged
    EXPECT_EQ(loop->modelesslist, (std::list<WndObject*>{&a}));
    loop->addmodeless(&b);
    loop->addmodeless(&a);
    EXPECT_EQ(loop->modelesslist, (std::list<WndObject*>{&a, &b, &a}));
    loop->removemodeless(&a);
    EXPECT_EQ(loop->modelesslist, (std::list<WndObject*>{&b, &a}));
    loop->removemodeless(&a);
    EXPECT_EQ(loop->modelesslist, (std::list<WndObject*>{&b}));
    loop->removemodeless(&b);
    EXPECT_TRUE(loop->modelesslist.empty());
}

namespace {

// Esc posted to a modeless dialog that leaves IDCANCEL to the default behaviour: the dialog is
// destroyed during the offer. keepcreator: whether its creator still holds its reference.
void escclosesdialog(App& app, MsgLoop& loop, bool keepcreator) {
    Probe behind("behind", 0);
    loop.addmodeless(&behind);
    HWND dlg = CreateDialogIndirectParamA(app.hinst, loaddialogtemplate(IDD_TEST_FONT), nullptr,
                                          binddlgproc<EscDialog, dlgmodeless>, 0);
    ASSERT_NE(dlg, nullptr);
    auto* object = reinterpret_cast<EscDialog*>(GetWindowLongPtrA(dlg, DWLP_USER));
    ASSERT_NE(object, nullptr);
    EXPECT_EQ(loop.modelesslist.front(), object);
    if (!keepcreator) {
        object->notify(WndObject::release, nullptr);
    }
    PostMessageA(dlg, WM_KEYDOWN, VK_ESCAPE, 0);
    PostQuitMessage(0);
    EXPECT_EQ(loop.messageloop(), 0);
    EXPECT_FALSE(IsWindow(dlg));
    EXPECT_EQ(loop.modelesslist, (std::list<WndObject*>{&behind}));
    // The key was consumed by the dialog: never offered to the entry behind it.
    for (const MSG& m : behind.offered) {
        EXPECT_FALSE(m.message == WM_KEYDOWN && m.wParam == VK_ESCAPE);
    }
    EXPECT_EQ(behind.refcount, 1);
    if (keepcreator) {
        EXPECT_EQ(escdeleted, 0);
        EXPECT_EQ(object->refcount, 1);
        EXPECT_EQ(object->notify(WndObject::release, nullptr), 0);
    }
    EXPECT_EQ(escdeleted, 1);
    loop.removemodeless(&behind);
}

} // namespace

TEST_F(MsgLoopTest, EscDestroysTheModelessDialogDuringTheOffer) {
    escclosesdialog(*app, *loop, true);
}

TEST_F(MsgLoopTest, EscDuringTheOfferDeletesTheDialogAtTheClosingRelease) {
    escclosesdialog(*app, *loop, false);
}

TEST_F(MsgLoopTest, LoopsAreFoundByThreadMostRecentFirst) {
    EXPECT_EQ(app->loops, (std::list<MsgLoop*>{loop.get()}));
    EXPECT_EQ(loop->threadid, GetCurrentThreadId());
    EXPECT_NE(loop->hook, nullptr);
    {
        MsgLoop second;
        EXPECT_EQ(app->findloop(GetCurrentThreadId()), &second);
        app->removeloop(reinterpret_cast<MsgLoop*>(0x10)); // not listed: unchanged
        EXPECT_EQ(app->loops.size(), 2u);
    }
    EXPECT_EQ(app->findloop(GetCurrentThreadId()), loop.get());

    // A loop of another thread is found by that thread's id only.
    HANDLE built = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    HANDLE finish = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    MsgLoop* other = nullptr;
    DWORD otherthread = 0;
    std::thread worker([&] {
        MsgLoop mine;
        other = &mine;
        otherthread = GetCurrentThreadId();
        SetEvent(built);
        WaitForSingleObject(finish, INFINITE);
    });
    WaitForSingleObject(built, INFINITE);
    EXPECT_EQ(app->findloop(otherthread), other);
    EXPECT_EQ(app->findloop(GetCurrentThreadId()), loop.get());
    SetEvent(finish);
    worker.join();
    EXPECT_EQ(app->loops.size(), 1u);
    CloseHandle(built);
    CloseHandle(finish);
}

TEST_F(MsgLoopTest, ModelessWindowsJoinTheLoopOfTheirThread) {
    HWND wnd = makerecordingwindow();
    Probe mine("mine", 0);
    mine.hwnd = wnd;
    app->addmodelesswindow(&mine);
    EXPECT_EQ(loop->modelesslist, (std::list<WndObject*>{&mine}));
    app->removemodelesswindow(&mine);
    EXPECT_TRUE(loop->modelesslist.empty());

    // A window of a thread without a loop joins nothing.
    HANDLE built = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    HANDLE finish = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    HWND foreign = nullptr;
    std::thread worker([&] {
        foreign = CreateWindowExA(0, "STATIC", "", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr,
                                  nullptr, nullptr);
        SetEvent(built);
        WaitForSingleObject(finish, INFINITE);
        DestroyWindow(foreign);
    });
    WaitForSingleObject(built, INFINITE);
    Probe stranger("stranger", 0);
    stranger.hwnd = foreign;
    app->addmodelesswindow(&stranger);
    EXPECT_TRUE(loop->modelesslist.empty());
    app->removemodelesswindow(&stranger);
    SetEvent(finish);
    worker.join();
    CloseHandle(built);
    CloseHandle(finish);
    DestroyWindow(wnd);
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
    MSG msg = anymessage();

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
    events.clear();
    EXPECT_EQ(msgfilterhook(MSGF_DIALOGBOX, 0, reinterpret_cast<LPARAM>(&msg)), 9);
    EXPECT_EQ(events, (std::vector<std::string>{"quiet:1", "taker:1", "last:1", "quiet:8",
                                                "taker:8", "quiet:2", "taker:2", "last:2"}));
    EXPECT_EQ(taker.filtered, (std::vector<void*>{&msg}));
    EXPECT_TRUE(CallMsgFilterA(&msg, MSGF_DIALOGBOX));
    EXPECT_EQ(oldercodes.size(), 1u); // code 0 is never passed on
    loop->removefilter(&quiet);
    loop->removefilter(&taker);
    loop->removefilter(&last);

    // Destroyed: the loop's hook is gone, so even code 2 reaches the older hook.
    loop.reset();
    EXPECT_TRUE(app->loops.empty());
    EXPECT_TRUE(CallMsgFilterA(&msg, 2));
    EXPECT_EQ(oldercodes.back(), 2);
    UnhookWindowsHookEx(older);
}

TEST_F(MsgLoopTest, ModalLoopOfAMessageBoxCallsTheHook) {
    Probe watcher("watcher", 0, 0);
    loop->addfilter(&watcher);
    const ModalSeen seen =
        watchmodal([] { MessageBoxA(nullptr, "hooked", "caption", MB_OK | MB_ICONHAND); });
    EXPECT_TRUE(seen.found);
    EXPECT_FALSE(watcher.filtered.empty());
    EXPECT_EQ(watcher.refcount, 1);
    loop->removefilter(&watcher);
}
