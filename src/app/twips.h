// The window is designed in twips (1/1440 inch); Qt places widgets in logical pixels. One
// scale per window, taken from its logical DPI (96 DPI gives 15 twips to a pixel).
#pragma once

#include <QRect>
#include <QWidget>
#include <QtMath>

namespace quonder {

class TwipsScale {
 public:
  TwipsScale() = default;
  explicit TwipsScale(const QWidget& widget)
      : dpi_x_(widget.logicalDpiX()), dpi_y_(widget.logicalDpiY()) {}

  int ToPixelsX(double twips) const { return qRound(twips * dpi_x_ / kTwipsPerInch); }
  int ToPixelsY(double twips) const { return qRound(twips * dpi_y_ / kTwipsPerInch); }
  double ToTwipsX(double pixels) const { return pixels * kTwipsPerInch / dpi_x_; }
  double ToTwipsY(double pixels) const { return pixels * kTwipsPerInch / dpi_y_; }

  // Left, Top, Width, Height in twips to a rectangle in pixels.
  QRect ToPixels(double left, double top, double width, double height) const {
    return QRect(ToPixelsX(left), ToPixelsY(top), ToPixelsX(width), ToPixelsY(height));
  }

 private:
  static constexpr double kTwipsPerInch = 1440.0;
  double dpi_x_ = 96.0;
  double dpi_y_ = 96.0;
};

}  // namespace quonder
