// Saved main-window placements on the 1280 x 1024 primary screen: whether each rectangle is
// used, and which show commands a saved maximized state changes. Checked as arithmetic
// natively and on a real window under Wine.
#ifndef TESSEL_SAVEDPLACEMENTS_H
#define TESSEL_SAVEDPLACEMENTS_H

#include "WindowFit.h"

constexpr int testscreenwidth = 1280;
constexpr int testscreenheight = 1024;

struct SavedRect {
    EdgeRect saved;
    bool used;
    const char* what;
};

inline constexpr SavedRect savedrects[] = {
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

struct MaximizedShow {
    int showcmd;
    int result; // when the saved state is maximized; otherwise showcmd stays
};

inline constexpr MaximizedShow maximizedshows[] = {
    {showcmdnormal, showcmdmaximized},
    {showcmdshow, showcmdmaximized},
    {showcmddefault, showcmdmaximized},
    {7, 7}, // SW_SHOWMINNOACTIVE
    {2, 2}, // SW_SHOWMINIMIZED
    {0, 0}, // SW_HIDE
};

#endif
