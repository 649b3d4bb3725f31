#pragma once
// Help: the user guide, one HTML page that ships with the program, opened in the user's
// browser at its index or at the section a help context number stands for.

#include "platform/services.h"

namespace quenbry {

// The page beside the program: share/quenbry/help/index.html next to its bin/ folder, both in
// the build tree and where it is installed; else in the system's data folders. "" when it
// cannot be found.
QString helpPagePath();

// The anchor of the page's section for a context number, from 1 in the page's order; "" for
// 0 (the index) and for numbers the page has no section for.
QString helpSection(int context);

// Opens the page; nothing happens, and nothing is said, when it cannot be found. A browser
// that cannot be started is reported through the shell's onBrowserFailed.
void showHelp(Shell &shell, int context = 0);

} // namespace quenbry
