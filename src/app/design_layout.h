// A window designed in twips: each control's place, and the texts that must show whole. Its
// scale starts from the logical DPI and grows with the window's font, the way dialog units
// do: wide enough that every caption fits its designed width, tall enough that a one-line
// control of the design (255 twips) holds a line of the font with the design's margin. So the
// design keeps its proportions, and the desktop's font is used at its own size.
//
// Threads: the GUI thread only.
#pragma once

#include <QPointer>
#include <QRect>
#include <QString>
#include <QWidget>

#include <vector>

#include "app/twips.h"

namespace quonder {

// The width `widget` needs to show `text` whole at its font: the text and what the style draws
// beside it (a button's frame, a check box's indicator, a combo box's arrow), with a pixel to
// spare on each side. For a frame: its caption with the frame's indents.
int CaptionWidth(const QWidget& widget, const QString& text);

class DesignLayout {
 public:
  // A one-line control of the design, and how much of it a line of the design's font left
  // for frame and margins.
  static constexpr int kLineTwips = 255;
  static constexpr int kLineMarginTwips = 75;

  // Records `widget` at `place` (Left, Top, Width, Height in twips inside its parent). Its own
  // caption (label, button, frame) or, for a drop-down list, each item must fit its width, up
  // to where the next control of its row starts; inside a frame, it must keep below the
  // frame's caption.
  void Place(QWidget* widget, const QRect& place);
  // `text`, drawn by `widget`, must also fit `twips` of design width (for a text with less
  // room than its control, or one that a field will hold).
  void Require(QWidget* widget, const QString& text, int twips);

  // The scale for `window` at its logical DPI and font (see above). Word-wrapped labels get
  // the height for all their lines at the width found, other labels a line of their own font.
  TwipsScale Fit(const QWidget& window) const;
  // Moves and sizes every recorded widget to its place at `scale`.
  void Apply(const TwipsScale& scale) const;

 private:
  struct Placed {
    QPointer<QWidget> widget;
    QRect place;
  };
  struct Room {
    QPointer<QWidget> widget;
    QString text;
    int twips;
  };

  // Design width of `placed` up to the next control on its row.
  int CaptionRoom(const Placed& placed) const;

  std::vector<Placed> placed_;
  std::vector<Room> rooms_;
};

}  // namespace quonder
