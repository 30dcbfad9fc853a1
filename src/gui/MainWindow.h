#pragma once
// The program's window: one widget per control of the window model, drawn
// from the copies of the model the core thread publishes, and every user
// action and timer tick posted to the core thread in the order it happened.

#include <QMainWindow>
#include <QTimer>
#include <string>
#include <unordered_map>
#include <vector>

#include "app/CoreThread.h"
#include "context/MainWindowModel.h"
#include "gui/ControlWidgets.h"

class QAction;
class QMenu;

namespace kestrav::gui {

class MainWindow : public QMainWindow {
  Q_OBJECT

 public:
  explicit MainWindow(app::CoreThread& core, QWidget* parent = nullptr);
  ~MainWindow() override;

  // Takes the model the core last published and brings every widget whose
  // control changed since the last render up to date (all of them the first
  // time), moves the keyboard focus where the model put it and runs Timer1
  // exactly while it is enabled.
  void render();
  // How many controls the last render painted.
  int lastRenderCount() const { return lastRenderCount_; }

  // The widget of a control (of any copy of the model, by its name);
  // nullptr for controls drawn without one (the window itself, menus,
  // Timer1, CommonDialog1).
  QWidget* widgetFor(const context::Control& c) const;
  QAction* actionFor(const context::Control& c) const;
  QTimer& timer1() { return timer_; }

 protected:
  void closeEvent(QCloseEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void buildMenus();
  // File > Open and Save Stack Configuration..., above Exit: files the
  // program reads and writes only when asked, beside the window's own
  // controls.
  void addStackConfigItems(QMenu& file);
  void buildControls();
  void connectControl(const ControlView& v);

  // Every entry point: posts the event to the core. The control the user
  // acted on is repainted at the next render even if its model did not
  // change, so the widget never keeps a state the model refused.
  std::uint64_t userEvent(const context::Control& c, app::CoreThread::Event event, bool focused = false);
  int viewIndexOf(const context::Control& c) const;
  void tick();
  void focusEntered(context::Control& c);
  // Puts Qt's keyboard focus where the model has it.
  void followModelFocus();

  app::CoreThread& core_;
  context::MainWindowModel shown_;  // the copy rendered: only this thread touches it
  std::vector<ControlView> views_;
  std::unordered_map<const context::Control*, std::size_t> viewOf_;
  std::unordered_map<std::string, std::size_t> viewByName_;
  std::unordered_map<const context::Control*, int> placeOf_;  // index in all()
  std::unordered_map<const QObject*, context::Control*> controlOf_;
  QTimer timer_;
  std::uint64_t lastFocusMove_ = 0;  // the event of the user's last focus move
  int lastRenderCount_ = 0;
};

}  // namespace kestrav::gui
