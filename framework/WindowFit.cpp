#include "WindowFit.h"

#include <algorithm>

bool intersectedges(EdgeRect& out, const EdgeRect& a, const EdgeRect& b) {
    const EdgeRect v{std::max(a.left, b.left), std::max(a.top, b.top), std::min(a.right, b.right),
                     std::min(a.bottom, b.bottom)};
    if (v.right <= v.left || v.bottom <= v.top) {
        out = EdgeRect{0, 0, 0, 0};
        return false;
    }
    out = v;
    return true;
}

bool equaledges(const EdgeRect& a, const EdgeRect& b) {
    return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom;
}

bool acceptsavedrect(const EdgeRect& saved, std::int32_t screenwidth, std::int32_t screenheight) {
    const EdgeRect screen{0, 0, screenwidth, screenheight};
    EdgeRect v;
    if (!intersectedges(v, screen, saved)) {
        return false;
    }
    if (equaledges(v, saved)) {
        return true;
    }
    // Both differences are positive here: v is not empty.
    return v.right - v.left > minvisiblepart && v.bottom - v.top > minvisiblepart;
}

int maximizedshowcmd(int showcmd, bool maximized) {
    if (maximized &&
        (showcmd == showcmdnormal || showcmd == showcmdshow || showcmd == showcmddefault)) {
        return showcmdmaximized;
    }
    return showcmd;
}
