#pragma once

#include <QIcon>

// The picture of the main window's button that opens the drop window: a sheet of paper with
// a folded corner and lines of text, drawn at the usual icon sizes.
QIcon GetTextIcon();
