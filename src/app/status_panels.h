// The main window's status bar panels: sunken one-line labels side by side without gaps, one of
// them taking the room the others leave. A bar narrower than the panels' designed widths (a
// small screen at a large font) is shared out so that every panel still shows the start of its
// text.
//
// Threads: the GUI thread only.
#pragma once

#include <QLabel>
#include <QLayout>
#include <QList>

#include <vector>

namespace quonder {

// A status bar panel at its designed width. A counter widens when its text needs it, so that a
// number is never cut off while the bar has room; a message panel keeps its width and shows
// the start of a longer message, which would otherwise push the panels after it out of the
// window. Its minimumSizeHint is as narrow as it may be squeezed: four digits, or its designed
// width when that is less.
class PanelLabel : public QLabel {
 public:
  PanelLabel(QWidget* parent, bool widens);
  void SetDesignWidth(int pixels);
  QSize sizeHint() const override;
  QSize minimumSizeHint() const override;

 private:
  bool widens_;
  int design_width_ = 0;
};

// Widths for panels side by side in `room` pixels. Every panel but `stretch` gets its `wanted`
// width and `stretch` the rest, as long as that rest is at least its `least` width. Where the
// room is shorter, `stretch` keeps its `least` width and the others give up the shortfall in
// proportion to their widths, none below its `least`; where even that is too wide, `stretch`
// gives up what it must. `wanted[stretch]` is not read.
std::vector<int> SharePanelWidths(const std::vector<int>& wanted, const std::vector<int>& least,
                                  size_t stretch, int room);

// Lays out PanelLabels added in order, each as tall as the row, by SharePanelWidths: their
// sizeHint widths are wanted, their minimumSizeHint widths the least; the panel at index
// `stretch` takes the rest. Its size hint leaves out the stretching panel, so that the panels
// never make the window wider than the others' widths.
class PanelRowLayout : public QLayout {
 public:
  PanelRowLayout(QWidget* parent, int stretch);
  ~PanelRowLayout() override;

  void addItem(QLayoutItem* item) override;
  int count() const override { return static_cast<int>(items_.size()); }
  QLayoutItem* itemAt(int index) const override;
  QLayoutItem* takeAt(int index) override;
  QSize sizeHint() const override;
  QSize minimumSize() const override;
  Qt::Orientations expandingDirections() const override { return Qt::Horizontal; }
  void setGeometry(const QRect& rect) override;

 private:
  QList<QLayoutItem*> items_;
  int stretch_;
};

}  // namespace quonder
