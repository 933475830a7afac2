// The page control of the main window: tabs 100 pixels wide and, once owner drawing is
// switched on, captions drawn by PageControl1DrawTab: centred in the tab, red when they
// carry a row count (a "-"), in the window-text colour otherwise, active and inactive tabs
// alike.
#ifndef SKARNVEL_UI_PAGE_CONTROL_H_
#define SKARNVEL_UI_PAGE_CONTROL_H_

#include <QTabBar>
#include <QTabWidget>

namespace ui {

class PageTabBar : public QTabBar {
  Q_OBJECT

 public:
  static constexpr int kTabWidth = 100;

  explicit PageTabBar(QWidget* parent = nullptr);

  bool ownerDraw() const { return owner_draw_; }
  void setOwnerDraw(bool on);
  // The colour in which a tab's caption is drawn.
  QColor CaptionColor(int index) const;
  // Where a tab's caption is drawn: its top left corner and size.
  QRect CaptionRect(int index) const;

 protected:
  QSize tabSizeHint(int index) const override;
  void paintEvent(QPaintEvent* event) override;

 private:
  void PageControl1DrawTab(QPainter& painter, int index) const;

  bool owner_draw_ = false;
};

class PageControl : public QTabWidget {
  Q_OBJECT

 public:
  explicit PageControl(QWidget* parent = nullptr);
  PageTabBar* pageTabBar() const { return bar_; }

 private:
  PageTabBar* bar_;
};

}  // namespace ui

#endif  // SKARNVEL_UI_PAGE_CONTROL_H_
