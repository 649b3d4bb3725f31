#pragma once
// The toolbar's 16x16 icons, drawn by the program itself so that they look alike on every
// desktop and scale cleanly on high-resolution screens.

#include "commandtable.h"

#include <QIcon>

namespace quenbry {

QIcon toolIcon(ToolIcon which);

} // namespace quenbry
