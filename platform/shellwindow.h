// The handheld shell's treatment of top-level windows.
//
// On the handheld, a top-level window created with default position and size
// fills the screen below the navigation bar, which shows the active window's
// title. Desktop Win32 has no such bar; this stand-in draws one.
#pragma once

#include <windows.h>

namespace ce {

// Height of the navigation bar in pixels at the screen's density.
int NavigationBarHeight();

// Adjusts the arguments of a top-level window's creation: default position
// and size become the screen below the navigation bar, and the window gets no
// caption or border of its own (the navigation bar shows its title). Creates
// the navigation bar on first use.
void PlaceTopLevelWindow(DWORD& style, DWORD& exStyle, int& x, int& y, int& width, int& height);

}  // namespace ce
