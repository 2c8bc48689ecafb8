// The windows are designed in twips (1/1440 inch); Qt places widgets in logical pixels. A
// TwipsScale is the number of pixels per twip along each axis. It starts from the logical DPI
// (96 DPI gives 15 twips to a pixel) and grows with the font, the way dialog units do, so that
// the design keeps its proportions and the desktop's font fits its controls (design_layout.h).
// A window keeps the scale it was laid out with (Store), so that every measure read off it
// converts back to the same twips.
#pragma once

#include <QRect>
#include <QWidget>
#include <QtMath>

namespace quonder {

class TwipsScale {
 public:
  static constexpr double kTwipsPerInch = 1440.0;

  // 96 DPI.
  TwipsScale() = default;
  TwipsScale(double pixels_per_twip_x, double pixels_per_twip_y)
      : pixels_per_twip_x_(pixels_per_twip_x), pixels_per_twip_y_(pixels_per_twip_y) {}
  // The scale `widget`'s window was laid out with (see Store); the plain scale of the widget's
  // logical DPI when the window has none.
  explicit TwipsScale(const QWidget& widget);

  // The plain scale of `widget`'s logical DPI, before any font is taken into account.
  static TwipsScale ForDpi(const QWidget& widget) {
    return TwipsScale(widget.logicalDpiX() / kTwipsPerInch, widget.logicalDpiY() / kTwipsPerInch);
  }

  // Keeps this scale with `window` for TwipsScale(widget) of any widget inside it.
  void Store(QWidget& window) const;

  double PixelsPerTwipX() const { return pixels_per_twip_x_; }
  double PixelsPerTwipY() const { return pixels_per_twip_y_; }
  int ToPixelsX(double twips) const { return qRound(twips * pixels_per_twip_x_); }
  int ToPixelsY(double twips) const { return qRound(twips * pixels_per_twip_y_); }
  double ToTwipsX(double pixels) const { return pixels / pixels_per_twip_x_; }
  double ToTwipsY(double pixels) const { return pixels / pixels_per_twip_y_; }

  // Left, Top, Width, Height in twips to a rectangle in pixels. Right and bottom edges are
  // rounded on their own, so that controls that meet in the design meet on the screen.
  QRect ToPixels(double left, double top, double width, double height) const {
    const int x = ToPixelsX(left);
    const int y = ToPixelsY(top);
    return QRect(x, y, ToPixelsX(left + width) - x, ToPixelsY(top + height) - y);
  }

  bool operator==(const TwipsScale& other) const = default;

 private:
  double pixels_per_twip_x_ = 96.0 / kTwipsPerInch;
  double pixels_per_twip_y_ = 96.0 / kTwipsPerInch;
};

}  // namespace quonder
