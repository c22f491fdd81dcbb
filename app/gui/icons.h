// Toolbar and window icons, drawn with QPainter so the program needs no image
// files at run time.
#pragma once

#include <QIcon>
#include <QSize>

namespace velmor::gui {

// The icon of a toolbar button, drawn for a button of the given size (16 by
// 15 on the main and group-relations toolbars, 30 by 15 on the functions
// toolbar). Unknown ids get an empty icon.
QIcon commandIcon(int id, QSize size);

// The program's icon: a root sign over x on a blue tile.
QIcon appIcon();

}  // namespace velmor::gui
