// A frame ("fra" control): a group box whose caption sits on its top border, the border line
// running through the caption's middle and broken behind it, as frames of the classic design
// were drawn. The border itself is the style's own group-box frame, so it looks like any
// other group box of the desktop; only its place differs.
//
// Threads: the GUI thread only.
#pragma once

#include <QGroupBox>
#include <QRect>
#include <QString>

namespace quonder {

class FrameBox : public QGroupBox {
  Q_OBJECT

 public:
  explicit FrameBox(QWidget* parent = nullptr) : QGroupBox(parent) {}

  // Where the caption is drawn: from the top edge, one font height tall, starting one average
  // character width in from the left edge. Empty without a caption.
  QRect CaptionRect() const;
  // The y of the border's top line: the middle of a caption line.
  int BorderTop() const { return fontMetrics().height() / 2; }
  // The width the caption needs: its indent on both sides and the text.
  int CaptionWidth() const;

 protected:
  void paintEvent(QPaintEvent* event) override;
  void changeEvent(QEvent* event) override;

 private:
  // Rows the style leaves above the top line of its group-box frame (some styles keep room
  // for a caption there); found by drawing the frame once, kept until style or font change.
  int StyleTopRoom() const;

  mutable int style_top_room_ = -1;
};

}  // namespace quonder
