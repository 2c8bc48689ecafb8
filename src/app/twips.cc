#include "app/twips.h"

#include <QVariant>

namespace quonder {
namespace {

// Dynamic properties of a window laid out in twips: its pixels per twip.
constexpr char kScaleX[] = "quonderPixelsPerTwipX";
constexpr char kScaleY[] = "quonderPixelsPerTwipY";

}  // namespace

TwipsScale::TwipsScale(const QWidget& widget) {
  const QWidget* window = widget.window();
  const QVariant x = window->property(kScaleX);
  const QVariant y = window->property(kScaleY);
  if (x.isValid() && y.isValid()) {
    pixels_per_twip_x_ = x.toDouble();
    pixels_per_twip_y_ = y.toDouble();
  } else {
    *this = ForDpi(widget);
  }
}

void TwipsScale::Store(QWidget& window) const {
  window.setProperty(kScaleX, pixels_per_twip_x_);
  window.setProperty(kScaleY, pixels_per_twip_y_);
}

}  // namespace quonder
