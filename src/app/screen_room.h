// Keeping windows inside the screen's available geometry (what panels and docks leave of it). A
// window designed in twips grows with the desktop's font, so on a small screen at a large font
// its design can be larger than that room. Such a window keeps its controls at their designed
// places on a form inside a form area, which scrolls where the window is smaller than the
// design; the window itself never asks for more than the room.
//
// Threads: the GUI thread only.
#pragma once

#include <QRect>
#include <QSize>
#include <QString>

class QScrollArea;
class QWidget;

namespace quonder {

// The available geometry of the screen `window` is on.
QRect AvailableGeometry(const QWidget& window);

// What the window manager adds around `window`: as measured once it is shown with its frame,
// estimated from its font before (title bar and borders of three lines in all, borders of a
// quarter line on each side).
QSize FrameExtra(const QWidget& window);

// The largest size of `window` without its frame that lets the frame fit AvailableGeometry.
QSize ClientRoom(const QWidget& window);

// Makes `window` no larger than ClientRoom and moves it, when its frame runs past an edge of
// the available geometry, back inside.
void KeepInsideScreen(QWidget& window);

// A scroll area named `name` holding a form named "form" (its widget()), for controls placed
// by hand. It draws nothing of its own (no frame, the window's background) and takes no focus;
// it shows the form at the form's own size, with scroll bars only where it is smaller. A
// control inside it that gets the focus is scrolled into view.
QScrollArea* MakeFormArea(QWidget* parent, const QString& name);

}  // namespace quonder
