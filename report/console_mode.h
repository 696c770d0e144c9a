// Whether the launcher is a console program. A copy of it whose image header
// says "Windows CUI" shows no window at all: every message that would be a
// box becomes a line on standard error, and the splash and the dialogs stay
// away. Decided once, from the process's own image header.
#pragma once

namespace report {

// True in a console program: no splash, no dialog, no box.
bool IsConsoleProgram();

}  // namespace report
