#include "app/panel_navigation.h"

#include <QEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QMouseEvent>
#include <QPointer>

#include <algorithm>
#include <utility>
#include <vector>

namespace maj::app {
namespace {

// Lives as a child of the label it serves.
class LinkActivation : public QObject {
 public:
  LinkActivation(QLabel& label, std::function<void()> activate)
      : QObject(&label), label_(label), activate_(std::move(activate)) {
    label.setFocusPolicy(Qt::TabFocus);
    label.installEventFilter(this);
  }

 protected:
  bool eventFilter(QObject*, QEvent* event) override {
    switch (event->type()) {
      case QEvent::MouseButtonPress:
        return static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton;
      case QEvent::MouseButtonRelease: {
        const auto* mouse = static_cast<QMouseEvent*>(event);
        if (mouse->button() != Qt::LeftButton) return false;
        // Like a button: letting go outside the label cancels the click.
        if (label_.rect().contains(mouse->position().toPoint())) activate_();
        return true;
      }
      case QEvent::KeyPress: {
        const int key = static_cast<QKeyEvent*>(event)->key();
        if (key != Qt::Key_Return && key != Qt::Key_Enter && key != Qt::Key_Space) return false;
        activate_();
        return true;
      }
      default:
        return false;
    }
  }

 private:
  QLabel& label_;
  std::function<void()> activate_;
};

// Lives as a child of the panel; watches the panel and its window (a destroyed filter leaves the window's
// list by itself).
class EscapeToClose : public QObject {
 public:
  EscapeToClose(QWidget& panel, std::function<void()> close) : QObject(&panel), panel_(panel), close_(std::move(close)) {
    panel.installEventFilter(this);
    if (panel.window() != &panel) panel.window()->installEventFilter(this);
  }

 protected:
  bool eventFilter(QObject*, QEvent* event) override {
    if (event->type() != QEvent::KeyPress || static_cast<QKeyEvent*>(event)->key() != Qt::Key_Escape ||
        !panel_.isVisible()) {
      return false;
    }
    close_();
    return true;
  }

 private:
  QWidget& panel_;
  std::function<void()> close_;
};

// Lives as a child of the first panel.
class ExclusivePanels : public QObject {
 public:
  explicit ExclusivePanels(std::vector<QPointer<QWidget>> panels)
      : QObject(panels.front()), panels_(std::move(panels)) {
    for (const QPointer<QWidget>& panel : panels_) panel->installEventFilter(this);
  }

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override {
    if (event->type() != QEvent::Show) return false;
    for (const QPointer<QWidget>& panel : panels_) {
      if (panel && panel != watched) panel->hide();
    }
    return false;
  }

 private:
  std::vector<QPointer<QWidget>> panels_;
};

}  // namespace

void MakeLabelActivatable(QLabel& label, std::function<void()> activate) {
  // The focus frame and the click area hug the text rather than the whole width laid out for the label.
  label.ensurePolished();
  const int width = std::min(label.width(), label.sizeHint().width());
  if (label.alignment() & Qt::AlignRight) {
    label.setGeometry(label.geometry().right() + 1 - width, label.y(), width, label.height());
  } else {
    label.resize(width, label.height());
  }
  new LinkActivation(label, std::move(activate));
}

void CloseOnEscape(QWidget& panel, std::function<void()> close) { new EscapeToClose(panel, std::move(close)); }

void ShowOnePanelAtATime(std::initializer_list<QWidget*> panels) {
  if (panels.size() < 2) return;
  new ExclusivePanels(std::vector<QPointer<QWidget>>(panels.begin(), panels.end()));
}

}  // namespace maj::app
