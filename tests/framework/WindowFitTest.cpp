#include "WindowFit.h"

#include <gtest/gtest.h>

TEST(WindowFit, UsesRectanglesOnScreenOrMoreThan80x80VisibleAndMaximizesPlainShowCommands) {
    const std::tuple<EdgeRect, bool, const char*> cases[] = {
        {{10, 10, 50, 50}, true, "wholly on screen, smaller than 80 x 80"},
        {{1199, 943, 1400, 1100}, true, "81 x 81 visible"},
        {{1200, 943, 1400, 1100}, false, "80 wide visible"},
        {{1199, 944, 1400, 1100}, false, "80 high visible"},
        {{-120, 100, 81, 300}, true, "81 visible left of the origin"},
        {{-120, 100, 80, 300}, false, "80 visible left of the origin"},
        {{-800, 0, 0, 600}, false, "touching the left edge"},
        {{100, 100, 100, 200}, false, "right equal to left"},
        {{100, 200, 300, 200}, false, "bottom equal to top"},
    };
    for (const auto& [saved, used, what] : cases) {
        EXPECT_EQ(acceptsavedrect(saved, 1280, 1024), used) << what;
    }
    // SW_SHOWNORMAL, SW_SHOW and SW_SHOWDEFAULT become SW_SHOWMAXIMIZED; the others stay.
    const std::pair<int, int> shows[] = {{1, 3}, {5, 3}, {10, 3}, {7, 7}, {2, 2}, {0, 0}};
    for (const auto& [show, maximized] : shows) {
        EXPECT_EQ(maximizedshowcmd(show, true), maximized) << show;
        EXPECT_EQ(maximizedshowcmd(show, false), show) << show;
    }
}
