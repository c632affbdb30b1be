// The visibility test of a saved window rectangle and the maximized show command, as plain
// rectangle arithmetic.
#ifndef TESSEL_WINDOWFIT_H
#define TESSEL_WINDOWFIT_H

#include <cstdint>

// A rectangle with the layout of the platform's RECT (four signed 32-bit edges).
struct EdgeRect {
    std::int32_t left;
    std::int32_t top;
    std::int32_t right;
    std::int32_t bottom;
};

// The visible part must be more than this many pixels wide and high, unless the rectangle lies
// wholly on the screen.
constexpr std::int32_t minvisiblepart = 80;

// Show commands the maximized state acts on.
constexpr int showcmdnormal = 1;    // SW_SHOWNORMAL
constexpr int showcmdmaximized = 3; // SW_SHOWMAXIMIZED
constexpr int showcmdshow = 5;      // SW_SHOW
constexpr int showcmddefault = 10;  // SW_SHOWDEFAULT

// Intersection of a and b into out; false (out all zero) when it is empty.
bool intersectedges(EdgeRect& out, const EdgeRect& a, const EdgeRect& b);

bool equaledges(const EdgeRect& a, const EdgeRect& b);

// Whether a saved rectangle is used on a primary screen of screenwidth x screenheight: its
// visible part is not empty and either the whole rectangle or more than 80 x 80 pixels of it.
bool acceptsavedrect(const EdgeRect& saved, std::int32_t screenwidth, std::int32_t screenheight);

// The show command to use: SW_SHOWNORMAL, SW_SHOW and SW_SHOWDEFAULT become SW_SHOWMAXIMIZED
// when maximized; every other command stays.
int maximizedshowcmd(int showcmd, bool maximized);

#endif
