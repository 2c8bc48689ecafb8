// The program's icon: a magnifying glass over a page of text, drawn at each size asked for,
// so no image file has to travel with the program.
#pragma once

#include <QIcon>

namespace quonder {

// Threads: the GUI thread (it paints pixmaps).
QIcon AppIcon();

}  // namespace quonder
