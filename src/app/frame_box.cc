#include "app/frame_box.h"

#include <QEvent>
#include <QImage>
#include <QPainter>
#include <QRegion>
#include <QStyle>
#include <QStyleOptionFrame>
#include <QStyleOptionGroupBox>

namespace quonder {
namespace {

constexpr int kCaptionFlags =
    Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine | Qt::TextShowMnemonic;

QStyleOptionFrame FrameOption(const QGroupBox& box, const QRect& rect) {
  QStyleOptionFrame frame;
  frame.initFrom(&box);
  frame.rect = rect;
  frame.lineWidth = 1;
  frame.midLineWidth = 0;
  frame.features = box.isFlat() ? QStyleOptionFrame::Flat : QStyleOptionFrame::None;
  return frame;
}

}  // namespace

QRect FrameBox::CaptionRect() const {
  if (title().isEmpty()) return QRect();
  const QFontMetrics metrics = fontMetrics();
  const int width = metrics.size(kCaptionFlags, title()).width();
  return QRect(metrics.averageCharWidth(), 0, width, metrics.height());
}

int FrameBox::CaptionWidth() const {
  if (title().isEmpty()) return 0;
  return 2 * fontMetrics().averageCharWidth() + CaptionRect().width();
}

int FrameBox::StyleTopRoom() const {
  if (style_top_room_ >= 0) return style_top_room_;
  const int height = 4 * fontMetrics().height() + 32;
  QImage probe(48, height, QImage::Format_ARGB32_Premultiplied);
  probe.fill(Qt::transparent);
  {
    QPainter painter(&probe);
    const QStyleOptionFrame frame = FrameOption(*this, probe.rect());
    style()->drawPrimitive(QStyle::PE_FrameGroupBox, &frame, &painter, this);
  }
  style_top_room_ = 0;
  for (int y = 0; y < height && style_top_room_ == 0; ++y) {
    for (int x = 0; x < probe.width(); ++x) {
      if (qAlpha(probe.pixel(x, y)) != 0) {
        style_top_room_ = y;
        break;
      }
    }
  }
  return style_top_room_;
}

void FrameBox::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  const QRect caption = CaptionRect();
  // The style's frame, moved up so that its top line runs at BorderTop().
  const int top = BorderTop() - StyleTopRoom();
  const QStyleOptionFrame frame = FrameOption(*this, QRect(0, top, width(), height() - top));
  painter.save();
  if (!caption.isEmpty()) {
    const int gap = fontMetrics().averageCharWidth() / 2;
    painter.setClipRegion(QRegion(rect()) - caption.adjusted(-gap, 0, gap, 0));
  }
  style()->drawPrimitive(QStyle::PE_FrameGroupBox, &frame, &painter, this);
  painter.restore();
  if (!caption.isEmpty()) {
    style()->drawItemText(&painter, caption, kCaptionFlags, palette(), isEnabled(), title(),
                          QPalette::WindowText);
  }
}

void FrameBox::changeEvent(QEvent* event) {
  if (event->type() == QEvent::StyleChange || event->type() == QEvent::FontChange) {
    style_top_room_ = -1;
  }
  QGroupBox::changeEvent(event);
}

}  // namespace quonder
