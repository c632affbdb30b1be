// The visibility test of a saved window rectangle and the maximized show command.
#include "WindowFit.h"

#include <gtest/gtest.h>

TEST(WindowFit, UsesRectanglesOnScreenOrMoreThan80x80Visible) {
    constexpr int width = 1280;
    constexpr int height = 1024;
    struct Case {
        EdgeRect saved;
        bool used;
        const char* what;
    };
    const Case cases[] = {
        {{10, 10, 50, 50}, true, "wholly on screen, smaller than 80 x 80"},
        {{1279, 1023, 1280, 1024}, true, "one pixel in the corner"},
        {{-10, -10, 1300, 1100}, true, "larger than the screen"},
        {{1199, 943, 1400, 1100}, true, "81 x 81 visible"},
        {{1200, 943, 1400, 1100}, false, "80 wide visible"},
        {{1199, 944, 1400, 1100}, false, "80 high visible"},
        {{-120, 100, 81, 300}, true, "81 visible left of the origin"},
        {{-120, 100, 80, 300}, false, "80 visible left of the origin"},
        {{-800, 0, 0, 600}, false, "touching the left edge"},
        {{1280, 0, 1900, 600}, false, "touching the right edge"},
        {{100, 100, 100, 200}, false, "right equal to left"},
        {{100, 200, 300, 200}, false, "bottom equal to top"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(acceptsavedrect(c.saved, width, height), c.used) << c.what;
    }
}

TEST(WindowFit, MaximizedChangesOnlyPlainShowCommands) {
    const int shows[][2] = {{showcmdnormal, showcmdmaximized},
                            {showcmdshow, showcmdmaximized},
                            {showcmddefault, showcmdmaximized},
                            {7, 7}, // SW_SHOWMINNOACTIVE
                            {2, 2}, // SW_SHOWMINIMIZED
                            {0, 0}};
    for (const auto& s : shows) {
        EXPECT_EQ(maximizedshowcmd(s[0], true), s[1]) << s[0];
        EXPECT_EQ(maximizedshowcmd(s[0], false), s[0]) << s[0];
    }
}
