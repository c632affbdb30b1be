// The visibility test of a saved window rectangle and the maximized show command, as
// arithmetic (RegistryTest applies the same cases to a real window).
#include "SavedPlacements.h"

#include <gtest/gtest.h>

TEST(WindowFit, UsesRectanglesOnScreenOrMoreThan80x80Visible) {
    for (const SavedRect& c : savedrects) {
        EXPECT_EQ(acceptsavedrect(c.saved, testscreenwidth, testscreenheight), c.used) << c.what;
    }
}

TEST(WindowFit, MaximizedChangesOnlyPlainShowCommands) {
    for (const MaximizedShow& c : maximizedshows) {
        EXPECT_EQ(maximizedshowcmd(c.showcmd, true), c.result) << c.showcmd;
        EXPECT_EQ(maximizedshowcmd(c.showcmd, false), c.showcmd) << c.showcmd;
    }
}
