#include "app/design_layout.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QStyle>
#include <QStyleOptionButton>
#include <QStyleOptionComboBox>
#include <QStyleOptionFrame>

#include <algorithm>

#include "app/frame_box.h"
#include "app/unit_label.h"

namespace quonder {
namespace {

// What the style keeps beside the text area of `widget`, measured on a wide probe rectangle.
int StyleChrome(const QWidget& widget) {
  const QRect probe(0, 0, 1000, std::max(widget.height(), widget.fontMetrics().height() + 8));
  const QStyle* style = widget.style();
  if (const auto* button = qobject_cast<const QPushButton*>(&widget)) {
    QStyleOptionButton option;
    option.initFrom(button);
    option.rect = probe;
    if (button->autoDefault()) option.features |= QStyleOptionButton::AutoDefaultButton;
    if (button->isDefault()) option.features |= QStyleOptionButton::DefaultButton;
    return probe.width() -
           style->subElementRect(QStyle::SE_PushButtonContents, &option, button).width();
  }
  if (qobject_cast<const QCheckBox*>(&widget) != nullptr ||
      qobject_cast<const QRadioButton*>(&widget) != nullptr) {
    QStyleOptionButton option;
    option.initFrom(&widget);
    option.rect = probe;
    const auto element = qobject_cast<const QCheckBox*>(&widget) != nullptr
                             ? QStyle::SE_CheckBoxContents
                             : QStyle::SE_RadioButtonContents;
    return probe.width() - style->subElementRect(element, &option, &widget).width();
  }
  if (const auto* box = qobject_cast<const QComboBox*>(&widget)) {
    QStyleOptionComboBox option;
    option.initFrom(box);
    option.rect = probe;
    option.editable = box->isEditable();
    option.frame = box->hasFrame();
    const QRect edit =
        style->subControlRect(QStyle::CC_ComboBox, &option, QStyle::SC_ComboBoxEditField, box);
    return probe.width() - edit.width();
  }
  if (const auto* edit = qobject_cast<const QLineEdit*>(&widget)) {
    QStyleOptionFrame option;
    option.initFrom(edit);
    option.rect = probe;
    option.lineWidth = style->pixelMetric(QStyle::PM_DefaultFrameWidth, &option, edit);
    const QMargins margins = edit->textMargins();
    // The line edit keeps two pixels of its own on each side of its contents.
    return probe.width() -
           style->subElementRect(QStyle::SE_LineEditContents, &option, edit).width() +
           margins.left() + margins.right() + 4;
  }
  if (const auto* label = qobject_cast<const QLabel*>(&widget)) {
    return label->width() - label->contentsRect().width() + 2 * label->margin();
  }
  return 0;
}

// The texts that `widget` shows as a caption and that must show whole at its designed width.
QStringList CaptionsOf(const QWidget& widget) {
  if (qobject_cast<const UnitLabel*>(&widget) != nullptr) return {};  // its parts have rooms
  if (const auto* label = qobject_cast<const QLabel*>(&widget)) {
    if (label->wordWrap() || label->text().isEmpty()) return {};
    return {label->text()};
  }
  if (const auto* button = qobject_cast<const QAbstractButton*>(&widget)) return {button->text()};
  if (const auto* frame = qobject_cast<const QGroupBox*>(&widget)) return {frame->title()};
  if (const auto* box = qobject_cast<const QComboBox*>(&widget); box && !box->isEditable()) {
    QStringList items;
    for (int i = 0; i < box->count(); ++i) items << box->itemText(i);
    return items;
  }
  return {};
}

}  // namespace

int CaptionWidth(const QWidget& widget, const QString& text) {
  if (const auto* frame = qobject_cast<const FrameBox*>(&widget)) {
    return frame->title() == text ? frame->CaptionWidth() : 0;
  }
  const int flags = qobject_cast<const QAbstractButton*>(&widget) != nullptr
                        ? Qt::TextShowMnemonic | Qt::TextSingleLine
                        : Qt::TextSingleLine;
  return widget.fontMetrics().size(flags, text).width() + StyleChrome(widget) + 2;
}

int DesignLayout::CaptionRoom(const Placed& placed) const {
  const QRect& own = placed.place;
  int room = own.width();
  for (const Placed& other : placed_) {
    if (other.widget == nullptr || other.widget == placed.widget ||
        other.widget->parentWidget() != placed.widget->parentWidget()) {
      continue;
    }
    const QRect& next = other.place;
    const bool same_row =
        next.top() < own.top() + own.height() && own.top() < next.top() + next.height();
    if (same_row && next.left() > own.left() && next.left() < own.left() + own.width()) {
      room = std::min(room, next.left() - own.left());
    }
  }
  return room;
}

void DesignLayout::Place(QWidget* widget, const QRect& place) {
  placed_.push_back({widget, place});
}

void DesignLayout::Require(QWidget* widget, const QString& text, int twips) {
  rooms_.push_back({widget, text, twips});
}

TwipsScale DesignLayout::Fit(const QWidget& window) const {
  const TwipsScale dpi = TwipsScale::ForDpi(window);
  double x = dpi.PixelsPerTwipX();
  double y = std::max(
      dpi.PixelsPerTwipY(),
      (window.fontMetrics().height() + kLineMarginTwips * dpi.PixelsPerTwipY()) / kLineTwips);
  // One pixel more than needed: the edges of a place are rounded separately.
  const auto require = [&x](int pixels, int twips) {
    if (twips > 0) x = std::max(x, (pixels + 1) / static_cast<double>(twips));
  };

  for (const Placed& placed : placed_) {
    if (placed.widget == nullptr) continue;
    const int room = CaptionRoom(placed);
    for (const QString& text : CaptionsOf(*placed.widget)) {
      require(CaptionWidth(*placed.widget, text), room);
    }
    // A one-line label holds a line of its font: one placed lower than the design's line, or
    // with a larger font of its own, would lose the bottom of its text at a large font.
    if (const auto* label = qobject_cast<const QLabel*>(placed.widget.data());
        label != nullptr && !label->wordWrap() && !label->text().isEmpty() &&
        placed.place.height() > 0) {
      const int chrome = label->height() - label->contentsRect().height() + 2 * label->margin();
      y = std::max(y, (label->fontMetrics().height() + chrome + 1) /
                          static_cast<double>(placed.place.height()));
    }
    // Below a frame's caption: a control that draws a frame of its own starts there, and a
    // caption of a label or a box centred in its control does.
    const auto* frame = qobject_cast<const FrameBox*>(placed.widget->parentWidget());
    if (frame == nullptr || frame->title().isEmpty()) continue;
    const int caption_bottom = frame->CaptionRect().bottom() + 1;
    const int text_height = placed.widget->fontMetrics().height();
    const bool framed = qobject_cast<const QLineEdit*>(placed.widget.data()) != nullptr ||
                        qobject_cast<const QComboBox*>(placed.widget.data()) != nullptr ||
                        qobject_cast<const QPushButton*>(placed.widget.data()) != nullptr;
    const double twips =
        framed ? placed.place.top() : placed.place.top() + placed.place.height() / 2.0;
    const double pixels = framed ? caption_bottom : caption_bottom + text_height / 2.0;
    if (twips > 0) y = std::max(y, (pixels + 1) / twips);
  }
  for (const Room& room : rooms_) {
    if (room.widget != nullptr) require(CaptionWidth(*room.widget, room.text), room.twips);
  }
  for (const Placed& placed : placed_) {
    const auto* label = qobject_cast<const QLabel*>(placed.widget.data());
    if (label == nullptr || !label->wordWrap() || placed.place.height() <= 0) continue;
    const QRect pixels = TwipsScale(x, y).ToPixels(placed.place.x(), placed.place.y(),
                                                   placed.place.width(), placed.place.height());
    y = std::max(y, (label->heightForWidth(pixels.width()) + 1) /
                        static_cast<double>(placed.place.height()));
  }
  return TwipsScale(x, y);
}

void DesignLayout::Apply(const TwipsScale& scale) const {
  for (const Placed& placed : placed_) {
    if (placed.widget == nullptr) continue;
    placed.widget->setGeometry(scale.ToPixels(placed.place.x(), placed.place.y(),
                                              placed.place.width(), placed.place.height()));
  }
}

}  // namespace quonder
