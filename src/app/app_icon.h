// The program's icon, the one the desktop shows for it too: a magnifying glass over a page of
// text. Its source is data/icons/hicolor/scalable/apps/<app id>.svg; the PNG sizes rendered from
// it are built into the program as Qt resources, so the window needs no SVG support.
#pragma once

#include <QIcon>

namespace quonder {

// Every rendered size (16 to 256 pixels). Threads: the GUI thread.
QIcon AppIcon();

}  // namespace quonder
