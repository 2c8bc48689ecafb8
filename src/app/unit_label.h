// A label that names a field and its unit around it: "Maximum File Size                  kB"
// with the field sitting in the blanks. The part before the blanks is drawn at the left, the
// last word (the unit) from a given x just behind the field, whatever a blank's width is in
// the font in use. text() stays the caption as written.
//
// Threads: the GUI thread only.
#pragma once

#include <QLabel>
#include <QRect>
#include <QString>

namespace quonder {

class UnitLabel : public QLabel {
  Q_OBJECT

 public:
  using QLabel::QLabel;

  // The caption before the blanks, and the last word.
  QString Caption() const;
  QString Unit() const;
  // Draws the unit from `x` (pixels inside the label); -1 draws the text as a plain label.
  void SetUnitPosition(int x);
  // Where the two parts are drawn (label coordinates, one line of text high, centred).
  QRect CaptionRect() const;
  QRect UnitRect() const;

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  QRect TextRect(int left, const QString& text) const;

  int unit_x_ = -1;
};

}  // namespace quonder
