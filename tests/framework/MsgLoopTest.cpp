// The thread message loop: the offer of messages to the modeless dialogs over a referenced
// snapshot, and the message-filter hook.
#include "App.h"
#include "MsgLoop.h"
#include "WndObject.h"

#include <gtest/gtest.h>

#include <memory>

namespace {

std::string events; // "<name><code>" from the probes, each followed by a blank
std::vector<int> oldercodes;

// A list entry that logs its notifications and answers pretranslate and msgfilter as told.
struct Probe : WndObject {
    Probe(const char* probename, int pretranslateanswer, int filteranswer = 0)
        : name(probename), answer(pretranslateanswer), filter(filteranswer) {}
    int notify(int code, void* data) override {
        events += name + std::to_string(code) + " ";
        return code == pretranslate ? answer
               : code == msgfilter  ? filter
                                    : WndObject::notify(code, data);
    }
    std::string name;
    int answer, filter;
};

// A message-filter hook installed before the loop's, so it is next in the chain.
LRESULT CALLBACK olderhook(int code, WPARAM, LPARAM) {
    oldercodes.push_back(code);
    return 77;
}

} // namespace

TEST(MsgLoop, OfferStopsAtTheFirstHandledAndEveryEntryIsReferencedDuringIt) {
    App app(GetModuleHandleA(nullptr), true);
    MsgLoop loop;
    Probe a("a", WndObject::handled), b("b", WndObject::handled), c("c", 1); // 1: not handled
    for (Probe* p : {&a, &b, &c}) {
        loop.addmodeless(p);
    }
    MSG msg{};
    events.clear();
    EXPECT_TRUE(loop.pretranslatemessage(&msg));
    loop.removemodeless(&b);
    loop.removemodeless(&a);
    EXPECT_FALSE(loop.pretranslatemessage(&msg));
    EXPECT_EQ(events, "c1 b1 a1 c6 b6 c2 b2 a2 c1 c6 c2 ");
}

TEST(MsgLoop, HookPassesOnNegativeCodesOnlyAndOffersDialogMessagesToFilters) {
    App app(GetModuleHandleA(nullptr), true);
    oldercodes.clear();
    HHOOK older = SetWindowsHookExA(WH_MSGFILTER, olderhook, nullptr, GetCurrentThreadId());
    auto loop = std::make_unique<MsgLoop>();
    MSG msg{};
    EXPECT_TRUE(CallMsgFilterA(&msg, -1));              // passed on: the older hook answers
    EXPECT_FALSE(CallMsgFilterA(&msg, MSGF_MENU));      // a menu's loop: 0 at once
    EXPECT_FALSE(CallMsgFilterA(&msg, MSGF_DIALOGBOX)); // no filter clients: 0
    Probe quiet("q", 0, 0), taker("t", 0, 9), last("l", 0, 5);
    for (Probe* p : {&last, &taker, &quiet}) {
        loop->addfilter(p);
    }
    events.clear();
    EXPECT_EQ(msgfilterhook(MSGF_DIALOGBOX, 0, reinterpret_cast<LPARAM>(&msg)), 9);
    EXPECT_TRUE(CallMsgFilterA(&msg, MSGF_DIALOGBOX)); // consumed, never passed on
    EXPECT_EQ(events, "q1 t1 l1 q8 t8 q2 t2 l2 q1 t1 l1 q8 t8 q2 t2 l2 ");
    // Destroyed: the loop's hook is gone, so even a menu's code reaches the older hook.
    loop.reset();
    EXPECT_TRUE(app.loops.empty());
    EXPECT_TRUE(CallMsgFilterA(&msg, MSGF_MENU));
    EXPECT_EQ(oldercodes, (std::vector<int>{-1, MSGF_MENU}));
    UnhookWindowsHookEx(older);
}
