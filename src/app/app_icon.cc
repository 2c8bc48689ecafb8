#include "app/app_icon.h"

#include <QPainter>
#include <QPainterPath>
#include <QPixmap>

namespace quonder {
namespace {

QPixmap Paint(int size) {
  QPixmap pixmap(size, size);
  pixmap.fill(Qt::transparent);
  QPainter painter(&pixmap);
  painter.setRenderHint(QPainter::Antialiasing);
  painter.scale(size / 64.0, size / 64.0);

  // The page with its lines of text.
  painter.setPen(QPen(QColor(0x55, 0x5f, 0x6b), 2));
  painter.setBrush(QColor(0xfb, 0xfb, 0xf7));
  painter.drawRoundedRect(QRectF(6, 4, 40, 52), 3, 3);
  painter.setPen(QPen(QColor(0x9a, 0xa4, 0xae), 3, Qt::SolidLine, Qt::RoundCap));
  for (int y = 14; y <= 44; y += 8) painter.drawLine(QPointF(13, y), QPointF(y == 30 ? 26 : 38, y));
  // The hit, marked.
  painter.setPen(Qt::NoPen);
  painter.setBrush(QColor(0xff, 0xc1, 0x07));
  painter.drawRect(QRectF(27, 27, 12, 6));

  // The magnifying glass over it.
  painter.setPen(QPen(QColor(0x1f, 0x4e, 0x8c), 5, Qt::SolidLine, Qt::RoundCap));
  painter.setBrush(QColor(0xcf, 0xe4, 0xff, 110));
  painter.drawEllipse(QPointF(36, 32), 13, 13);
  painter.setPen(QPen(QColor(0x1f, 0x4e, 0x8c), 8, Qt::SolidLine, Qt::RoundCap));
  painter.drawLine(QPointF(46, 42), QPointF(57, 54));
  return pixmap;
}

}  // namespace

QIcon AppIcon() {
  QIcon icon;
  for (int size : {16, 24, 32, 48, 64, 128, 256}) icon.addPixmap(Paint(size));
  return icon;
}

}  // namespace quonder
