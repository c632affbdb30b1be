// The conversion report as the user sees it: text, suffix, caption, owner and icon of the one
// message box, read back from the box itself.
#include "App.h"
#include "ShowResult.h"

#include "StringTexts.h"
#include "WinTestSupport.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>

namespace {

std::string systemtext(DWORD error) {
    char* text = nullptr;
    const DWORD n = FormatMessageA(
        FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
        nullptr, error, 0x400, reinterpret_cast<LPSTR>(&text), 0, nullptr);
    std::string result = n > 0 && text != nullptr ? std::string(text, n) : std::string();
    LocalFree(text);
    return result;
}

class ShowResultTest : public ::testing::Test {
protected:
    void SetUp() override {
        app = std::make_unique<App>(GetModuleHandleA(nullptr), true);
        owner = CreateWindowExA(0, "STATIC", "owner", WS_POPUP | WS_VISIBLE, 10, 10, 200, 100,
                                nullptr, nullptr, nullptr, nullptr);
        ASSERT_NE(owner, nullptr);
    }
    void TearDown() override {
        DestroyWindow(owner);
        app.reset();
    }
    std::unique_ptr<App> app;
    HWND owner = nullptr;
};

} // namespace

TEST_F(ShowResultTest, ShowsTextSuffixAndIconOfTheCode) {
    const HICON stop = LoadIconA(nullptr, IDI_HAND);
    const HICON warning = LoadIconA(nullptr, IDI_EXCLAMATION);
    ASSERT_NE(stop, warning);
    const std::string notfound = systemtext(2);
    ASSERT_FALSE(notfound.empty());
    struct Case {
        Result result;
        std::string text;
        HICON icon;
    };
    const Case cases[] = {
        {{0x00010007, 0}, acp(stringtext(40009)) + "[1,7,0,0]", warning},
        {{0x0001000E, 0}, acp(stringtext(40012)) + "[1,14,0,0]", warning},
        {{0x01010005, 2}, notfound + " [1,5,1,2]", stop},
        {{0x01010001, 5}, acp(stringtext(40006)) + "[1,1,1,5]", stop},
        {{0x00010015, 0}, acp(stringtext(40019)) + "[1,21,0,0]", stop},
        {{0x01010005, 0x7FFF1234}, "Tessel::maketextlasterr fail [1,5,1,2147422772]", stop},
        {{0x02010099, 0xFFFF}, "wave*GetErrorText:MMSYSERR_BADERRNUM [1,153,2,65535]", stop},
    };
    for (const Case& c : cases) {
        const ModalSeen seen = watchmodal([&] { showresult(c.result, owner); });
        ASSERT_TRUE(seen.found) << std::hex << c.result.code;
        EXPECT_EQ(seen.text, c.text) << std::hex << c.result.code;
        EXPECT_EQ(seen.caption, std::string(app->product));
        EXPECT_EQ(seen.owner, owner);
        EXPECT_EQ(seen.icon, c.icon) << std::hex << c.result.code;
    }
}

TEST_F(ShowResultTest, NoFailureShowsNothing) {
    const ModalSeen seen = watchmodal([&] {
        showresult(Result{}, owner);
        // Give a wrongly opened box the chance to be seen.
        MSG msg;
        const DWORD until = GetTickCount() + 200;
        while (GetTickCount() < until) {
            while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
                DispatchMessageA(&msg);
            }
            Sleep(10);
        }
    });
    EXPECT_FALSE(seen.found);
}

TEST_F(ShowResultTest, WithoutAnOwnerTheMainWindowOwnsTheBox) {
    App::setmainwnd(owner);
    const ModalSeen seen = watchmodal([&] { showresult(Result{0x00010007, 0}, nullptr); });
    EXPECT_EQ(seen.owner, owner);
}
