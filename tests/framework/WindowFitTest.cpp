// The visibility test of a saved window rectangle on the 1280 x 1024 primary screen, and the
// maximized show command.
#include "WindowFit.h"

#include <gtest/gtest.h>

TEST(WindowFit, AcceptsRectanglesOnScreenOrMostlyVisible) {
    struct Case {
        EdgeRect saved;
        bool accepted;
        const char* what;
    };
    const Case cases[] = {
        {{10, 10, 50, 50}, true, "wholly on screen, smaller than 80 x 80"},
        {{0, 0, 1280, 1024}, true, "the whole screen"},
        {{1279, 1023, 1280, 1024}, true, "one pixel in the corner"},
        {{-10, -10, 1300, 1100}, true, "larger than the screen"},
        {{1199, 943, 1400, 1100}, true, "81 x 81 visible"},
        {{1200, 943, 1400, 1100}, false, "80 wide visible"},
        {{1199, 944, 1400, 1100}, false, "80 high visible"},
        {{-120, 100, 81, 300}, true, "81 visible left of the origin"},
        {{-120, 100, 80, 300}, false, "80 visible left of the origin"},
        {{-800, 0, -100, 600}, false, "on a display to the left"},
        {{-800, 0, 0, 600}, false, "touching the left edge"},
        {{1280, 0, 1900, 600}, false, "touching the right edge"},
        {{100, 100, 100, 200}, false, "right equal to left"},
        {{200, 100, 100, 200}, false, "right below left"},
        {{100, 200, 300, 100}, false, "bottom above top"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(acceptsavedrect(c.saved, 1280, 1024), c.accepted) << c.what;
    }
}

TEST(WindowFit, MaximizedChangesOnlyPlainShowCommands) {
    struct Case {
        int showcmd;
        bool maximized;
        int result;
    };
    const Case cases[] = {
        {showcmdnormal, true, showcmdmaximized},
        {showcmdshow, true, showcmdmaximized},
        {showcmddefault, true, showcmdmaximized},
        {7, true, 7}, // SW_SHOWMINNOACTIVE
        {0, true, 0}, // SW_HIDE
        {2, true, 2}, // SW_SHOWMINIMIZED
        {showcmdnormal, false, showcmdnormal},
        {showcmdshow, false, showcmdshow},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(maximizedshowcmd(c.showcmd, c.maximized), c.result) << c.showcmd;
    }
}
