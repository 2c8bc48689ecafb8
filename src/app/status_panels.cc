#include "app/status_panels.h"

#include <QWidget>

#include <algorithm>
#include <cstdint>

namespace quonder {

PanelLabel::PanelLabel(QWidget* parent, bool widens) : QLabel(parent), widens_(widens) {
  setFrameStyle(QFrame::StyledPanel | QFrame::Sunken);
  setTextFormat(Qt::PlainText);
}

void PanelLabel::SetDesignWidth(int pixels) {
  design_width_ = pixels;
  updateGeometry();
}

QSize PanelLabel::sizeHint() const {
  const QSize text = QLabel::sizeHint();
  return QSize(widens_ ? std::max(design_width_, text.width()) : design_width_, text.height());
}

QSize PanelLabel::minimumSizeHint() const {
  const QSize hint = sizeHint();
  const QMargins margins = contentsMargins();
  const int few = fontMetrics().horizontalAdvance(QStringLiteral("0000")) + 2 * frameWidth() +
                  margins.left() + margins.right() + 2 * margin();
  return QSize(std::min(hint.width(), few), hint.height());
}

std::vector<int> SharePanelWidths(const std::vector<int>& wanted, const std::vector<int>& least,
                                  size_t stretch, int room) {
  const size_t count = wanted.size();
  std::vector<int> widths(count, 0);
  if (stretch >= count) return widths;
  int others = 0;
  for (size_t i = 0; i < count; ++i) {
    if (i != stretch) others += wanted[i];
  }
  if (room - others >= least[stretch]) {
    widths = wanted;
    widths[stretch] = room - others;
    return widths;
  }
  // The others shrink in proportion to their widths; one that would go below its least width
  // keeps that, and the rest share what is left.
  const int share = room - least[stretch];
  std::vector<bool> at_least(count, false);
  at_least[stretch] = true;
  for (;;) {
    int64_t free_wanted = 0;
    int left = share;
    for (size_t i = 0; i < count; ++i) {
      if (i == stretch) continue;
      if (at_least[i]) {
        left -= least[i];
      } else {
        free_wanted += wanted[i];
      }
    }
    if (free_wanted == 0) break;
    bool pinned = false;
    for (size_t i = 0; i < count; ++i) {
      if (!at_least[i] && int64_t{wanted[i]} * left < int64_t{least[i]} * free_wanted) {
        at_least[i] = true;
        pinned = true;
      }
    }
    if (pinned) continue;
    // Rounded along the running sum, so that the widths add up to what is left exactly.
    int64_t running = 0;
    int given = 0;
    for (size_t i = 0; i < count; ++i) {
      if (at_least[i]) continue;
      running += wanted[i];
      const int upto = static_cast<int>(running * left / free_wanted);
      widths[i] = upto - given;
      given = upto;
    }
    break;
  }
  int used = 0;
  for (size_t i = 0; i < count; ++i) {
    if (i == stretch) continue;
    if (at_least[i]) widths[i] = least[i];
    used += widths[i];
  }
  widths[stretch] = std::max(0, room - used);
  return widths;
}

PanelRowLayout::PanelRowLayout(QWidget* parent, int stretch) : QLayout(parent), stretch_(stretch) {
  setContentsMargins(0, 0, 0, 0);
  setSpacing(0);
}

PanelRowLayout::~PanelRowLayout() {
  while (QLayoutItem* item = takeAt(0)) delete item;
}

void PanelRowLayout::addItem(QLayoutItem* item) { items_.append(item); }

QLayoutItem* PanelRowLayout::itemAt(int index) const {
  return index >= 0 && index < items_.size() ? items_[index] : nullptr;
}

QLayoutItem* PanelRowLayout::takeAt(int index) {
  return index >= 0 && index < items_.size() ? items_.takeAt(index) : nullptr;
}

QSize PanelRowLayout::sizeHint() const {
  QSize size;
  for (int i = 0; i < items_.size(); ++i) {
    if (items_[i]->isEmpty()) continue;
    const QSize hint = items_[i]->sizeHint();
    if (i != stretch_) size.rwidth() += hint.width();
    size.setHeight(std::max(size.height(), hint.height()));
  }
  return size;
}

QSize PanelRowLayout::minimumSize() const {
  QSize size;
  for (int i = 0; i < items_.size(); ++i) {
    const QWidget* panel = items_[i]->widget();
    if (items_[i]->isEmpty() || panel == nullptr) continue;
    size.rwidth() += i == stretch_ ? panel->sizeHint().width() : panel->minimumSizeHint().width();
    size.setHeight(std::max(size.height(), items_[i]->minimumSize().height()));
  }
  return size;
}

void PanelRowLayout::setGeometry(const QRect& rect) {
  QLayout::setGeometry(rect);
  std::vector<int> wanted;
  std::vector<int> least;
  for (int i = 0; i < items_.size(); ++i) {
    const QWidget* panel = items_[i]->widget();
    const bool shown = !items_[i]->isEmpty() && panel != nullptr;
    wanted.push_back(shown ? panel->sizeHint().width() : 0);
    least.push_back(!shown ? 0 : i == stretch_ ? wanted.back() : panel->minimumSizeHint().width());
  }
  const std::vector<int> widths =
      SharePanelWidths(wanted, least, static_cast<size_t>(stretch_), rect.width());
  int x = rect.x();
  for (int i = 0; i < items_.size(); ++i) {
    items_[i]->setGeometry(QRect(x, rect.y(), widths[i], rect.height()));
    x += widths[i];
  }
}

}  // namespace quonder
