#include "app/unit_label.h"

#include <QPainter>

namespace quonder {
namespace {

constexpr int kFlags = Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine;

}  // namespace

QString UnitLabel::Caption() const {
  const QString caption = text();
  return caption.left(caption.lastIndexOf(QLatin1Char(' ')) + 1).trimmed();
}

QString UnitLabel::Unit() const {
  const QString caption = text();
  return caption.mid(caption.lastIndexOf(QLatin1Char(' ')) + 1);
}

void UnitLabel::SetUnitPosition(int x) {
  unit_x_ = x;
  update();
}

QRect UnitLabel::TextRect(int left, const QString& part) const {
  const QRect area = contentsRect();
  const QSize size = fontMetrics().size(kFlags, part);
  return QRect(area.left() + left, area.top() + (area.height() - size.height()) / 2, size.width(),
               size.height());
}

QRect UnitLabel::CaptionRect() const { return TextRect(0, Caption()); }

QRect UnitLabel::UnitRect() const { return TextRect(unit_x_, Unit()); }

void UnitLabel::paintEvent(QPaintEvent* event) {
  if (unit_x_ < 0 || Caption().isEmpty()) {
    QLabel::paintEvent(event);
    return;
  }
  QPainter painter(this);
  painter.setPen(
      palette().color(isEnabled() ? QPalette::Active : QPalette::Disabled, foregroundRole()));
  painter.drawText(CaptionRect(), kFlags | Qt::TextDontClip, Caption());
  painter.drawText(UnitRect(), kFlags | Qt::TextDontClip, Unit());
}

}  // namespace quonder
