#pragma once
// The program's window: one widget per control of the window model, drawn
// from the model after every event, and every user action and timer tick
// passed to the handler the core wired to the control.

#include <QMainWindow>
#include <QTimer>
#include <unordered_map>
#include <vector>

#include "context/Monitor.h"
#include "gui/ControlWidgets.h"

class QAction;

namespace kestrav::gui {

class MainWindow : public QMainWindow {
  Q_OBJECT

 public:
  explicit MainWindow(context::Monitor& monitor, QWidget* parent = nullptr);
  ~MainWindow() override;

  // Brings every widget whose control changed since the last render up to
  // date (all of them the first time), moves the keyboard focus where the
  // model put it and runs Timer1 exactly while it is enabled.
  void render();
  // How many controls the last render painted.
  int lastRenderCount() const { return lastRenderCount_; }

  // The widget of a control; nullptr for controls drawn without one (the
  // window itself, menus, Timer1, CommonDialog1).
  QWidget* widgetFor(const context::Control& c) const;
  QAction* actionFor(const context::Control& c) const;
  QTimer& timer1() { return timer_; }

 protected:
  void closeEvent(QCloseEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void buildMenus();
  void buildControls();
  void connectControl(const ControlView& v);

  // Every entry point: runs the action on the model, then renders. The
  // control the user acted on is repainted even if its model did not
  // change, so the widget never keeps a state the model refused.
  template <typename Action>
  void userEvent(context::Control& c, Action&& action);
  void tick();
  void focusEntered(context::Control& c);

  context::Monitor& m_;
  std::vector<ControlView> views_;
  std::unordered_map<const context::Control*, std::size_t> viewOf_;
  std::unordered_map<const QObject*, context::Control*> controlOf_;
  QTimer timer_;
  const context::Control* renderedFocus_ = nullptr;
  int lastRenderCount_ = 0;
};

}  // namespace kestrav::gui
