#pragma once

#include "Outcome.h"

// Whether the window stores text members with Windows line ends (its "Line ends for Windows"
// box), remembered beside LastDir under kWindowsLineEndsKey so that the next window starts the same.

Outcome<void> RememberWindowsLineEnds(bool on);
// false when never remembered.
Outcome<bool> ReadWindowsLineEnds();
