#include "gui/MainWindow.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QFrame>
#include <QKeySequence>
#include <QLineEdit>
#include <QMenuBar>
#include <QPushButton>
#include <QRadioButton>
#include <QToolButton>

#include "app/Events.h"
#include "app/StackConfigSteps.h"
#include "gui/RoutedLineEdit.h"
#include "gui/WindowLayout.h"

namespace kestrav::gui {

namespace {

using context::Control;
using context::ControlKind;

const char* panelName(layout::Panel p) {
  switch (p) {
    case layout::Panel::Boards: return "panelBoards";
    case layout::Panel::Commands: return "panelCommands";
    case layout::Panel::Status: return "panelStatus";
    case layout::Panel::Overview: return "panelOverview";
    case layout::Panel::Identity: return "panelIdentity";
    case layout::Panel::Central: break;
  }
  return "central";
}

}  // namespace

MainWindow::MainWindow(app::CoreThread& core, QWidget* parent) : QMainWindow(parent), core_(core) {
  setObjectName(QString::fromStdString(shown_.form.objectName()));
  setAccessibleName(QString::fromStdString(shown_.form.caption()));
  for (std::size_t i = 0; i < shown_.all().size(); ++i) placeOf_[shown_.all()[i]] = static_cast<int>(i);
  buildMenus();
  buildControls();
  timer_.setObjectName("Timer1");
  connect(&timer_, &QTimer::timeout, this, &MainWindow::tick);
  render();
}

MainWindow::~MainWindow() { timer_.stop(); }

void MainWindow::buildMenus() {
  context::MainWindowModel& ui = shown_;
  views_.push_back({&ui.form, this, ViewKind::Window});
  auto addMenu = [&](Control& menu, std::initializer_list<Control*> items) {
    QMenu* qmenu = menuBar()->addMenu(QString());
    qmenu->setObjectName(QString::fromStdString(menu.objectName()));
    views_.push_back({&menu, qmenu, ViewKind::Menu});
    for (Control* item : items) {
      QAction* action = qmenu->addAction(QString());
      action->setObjectName(QString::fromStdString(item->objectName()));
      views_.push_back({item, action, ViewKind::Action});
      connect(action, &QAction::triggered, this,
              [this, item] { userEvent(*item, [](context::Monitor&, Control* c) { c->raiseClick(); }); });
    }
    return qmenu;
  };
  addStackConfigItems(*addMenu(ui.mnuFile, {&ui.mnuExit}));
  addMenu(ui.mnuDatalog, {&ui.mnuCreateNewSetup, &ui.mnuUsePreviousSetup, &ui.mnuViewLastDatalog});
  views_.push_back({&ui.Timer1, &timer_, ViewKind::Timer});
  views_.push_back({&ui.CommonDialog1, nullptr, ViewKind::None});
}

void MainWindow::addStackConfigItems(QMenu& file) {
  QAction* exit = file.actions().value(0);
  auto add = [&](const char* name, const char* caption, QKeyCombination keys, void (*handler)(context::Monitor&)) {
    auto* action = new QAction(caption, &file);
    action->setObjectName(name);
    action->setShortcut(QKeySequence(keys));
    file.insertAction(exit, action);
    connect(action, &QAction::triggered, this, [this, handler] {
      core_.post(-1, [handler](context::Monitor& m, Control*) { handler(m); });
    });
  };
  add("mnuOpenStackConfig", "Open Stack Configuration...", Qt::CTRL | Qt::Key_O, &app::mnuOpenStackConfig_Click);
  add("mnuSaveStackConfig", "Save Stack Configuration...", Qt::CTRL | Qt::Key_S, &app::mnuSaveStackConfig_Click);
  file.insertSeparator(exit);
}

void MainWindow::buildControls() {
  auto* central = new QWidget(this);
  central->setObjectName("central");
  central->setFixedSize(layout::centralSize());
  setCentralWidget(central);

  std::unordered_map<layout::Panel, QWidget*> panels;
  panels[layout::Panel::Central] = central;
  for (layout::Panel p : layout::panels()) {
    auto* frame = new QFrame(central);
    frame->setObjectName(panelName(p));
    frame->setFrameStyle(QFrame::StyledPanel | QFrame::Plain);
    frame->setGeometry(layout::panelRect(p));
    panels[p] = frame;
  }

  std::unordered_map<std::string, QWidget*> frames;
  auto create = [&](Control& c) {
    const layout::Placement at = layout::place(c);
    QWidget* parent = at.frame.empty() ? panels[at.panel] : frames.at(at.frame);
    ControlView v = createControlWidget(c, parent);
    if (v.object == nullptr) return;
    v.widget()->setGeometry(at.rect);
    if (c.kind() == ControlKind::Frame) frames[c.objectName()] = v.widget();
    connectControl(v);
    views_.push_back(v);
  };
  // Frames first: the other controls sit in them.
  for (Control* c : shown_.all())
    if (c->kind() == ControlKind::Frame) create(*c);
  for (Control* c : shown_.all())
    if (c->kind() != ControlKind::Frame && c->kind() != ControlKind::Form && c->kind() != ControlKind::Menu &&
        c->kind() != ControlKind::MenuItem && c->kind() != ControlKind::Timer &&
        c->kind() != ControlKind::CommonDialog)
      create(*c);

  for (std::size_t i = 0; i < views_.size(); ++i) {
    viewOf_[views_[i].control] = i;
    viewByName_[views_[i].control->objectName()] = i;
    if (views_[i].object != nullptr) controlOf_[views_[i].object] = views_[i].control;
  }

  // Parts of a symbol drawn over one another: the bar over the cell body,
  // mercury and bulb over the thermometer stem, the sample over its cell.
  context::MainWindowModel& ui = shown_;
  for (int i = 0; i < 12; ++i) widgetFor(ui.Shape2[i])->raise();
  for (int i = 0; i < 3; ++i) {
    widgetFor(ui.Shape6[i])->raise();
    widgetFor(ui.Shape7[i])->raise();
  }
  for (int i = 0; i < 7; ++i) widgetFor(ui.Shape9[i])->raise();

  // The keyboard starts on the first board button, not in a threshold box
  // (entering one of those empties it).
  widgetFor(ui.Command4[0])->setFocus(Qt::OtherFocusReason);
}

void MainWindow::connectControl(const ControlView& v) {
  Control& c = *v.control;
  QWidget* w = v.widget();
  using context::Monitor;
  switch (v.kind) {
    case ViewKind::PushButton:
      connect(static_cast<QPushButton*>(w), &QPushButton::clicked, this,
              [this, &c] { userEvent(c, [](Monitor&, Control* t) { t->raiseClick(); }); });
      break;
    case ViewKind::ArrowButton:
      connect(static_cast<QToolButton*>(w), &QToolButton::clicked, this,
              [this, &c] { userEvent(c, [](Monitor&, Control* t) { t->raiseClick(); }); });
      break;
    case ViewKind::CheckBox:
      // setValue raises Click when the value changed.
      connect(static_cast<QCheckBox*>(w), &QCheckBox::clicked, this, [this, &c](bool checked) {
        userEvent(c, [checked](Monitor&, Control* t) { t->setValue(checked ? 1 : 0); });
      });
      break;
    case ViewKind::Radio:
      connect(static_cast<QRadioButton*>(w), &QRadioButton::clicked, this,
              [this, &c] { userEvent(c, [](Monitor&, Control* t) { t->setValue(1); }); });
      break;
    case ViewKind::Combo:
      connect(static_cast<QComboBox*>(w), &QComboBox::activated, this,
              [this, &c](int i) { userEvent(c, [i](Monitor&, Control* t) { t->setListIndex(i); }); });
      break;
    case ViewKind::LineEdit:
      // Only the threshold boxes take typing. What the user enters reaches
      // the model's key handler character by character, in order with the
      // box's focus events and only while the box has the focus; the box
      // shows the text the model then has.
      if (auto* edit = qobject_cast<RoutedLineEdit*>(w)) {
        connect(edit, &RoutedLineEdit::characterTyped, this, [this, &c](uint code) {
          userEvent(c, [code](Monitor&, Control* t) { t->typeKey(static_cast<int>(code)); }, true);
        });
        connect(edit, &RoutedLineEdit::deletePressed, this,
                [this, &c] { userEvent(c, [](Monitor&, Control* t) { t->deleteForward(); }, true); });
        connect(edit, &RoutedLineEdit::caretMoved, this, [this, &c](int start, int length) {
          core_.post(placeOf_.at(&c), [start, length](Monitor&, Control* t) { t->setSelection(start, length); },
                     true);
        });
      }
      break;
    default:
      break;
  }
  if (w->focusPolicy() != Qt::NoFocus) w->installEventFilter(this);
}

int MainWindow::viewIndexOf(const Control& c) const {
  const auto it = viewByName_.find(c.objectName());
  return it == viewByName_.end() ? -1 : static_cast<int>(it->second);
}

QWidget* MainWindow::widgetFor(const Control& c) const {
  const int i = viewIndexOf(c);
  return i < 0 || views_[i].kind == ViewKind::Window ? nullptr : views_[i].widget();
}

QAction* MainWindow::actionFor(const Control& c) const {
  const int i = viewIndexOf(c);
  if (i < 0) return nullptr;
  const ControlView& v = views_[i];
  if (v.kind == ViewKind::Action) return static_cast<QAction*>(v.object);
  if (v.kind == ViewKind::Menu) return static_cast<QMenu*>(v.object)->menuAction();
  return nullptr;
}

std::uint64_t MainWindow::userEvent(const Control& c, app::CoreThread::Event event, bool focused) {
  views_[viewOf_.at(&c)].rendered = 0;
  return core_.post(placeOf_.at(&c), std::move(event), focused);
}

void MainWindow::render() {
  core_.takePublished(shown_);
  int painted = 0;
  for (ControlView& v : views_) {
    const std::uint64_t revision = v.control->revision();
    if (v.rendered == revision) continue;
    v.rendered = revision;
    renderControl(v);
    ++painted;
  }
  lastRenderCount_ = painted;
  followModelFocus();
}

void MainWindow::followModelFocus() {
  const Control* focus = shown_.focused();
  QWidget* w = focus != nullptr ? widgetFor(*focus) : nullptr;
  if (w == nullptr) return;
  // A focus move of the user's the core has not taken yet is newer than
  // the model's focus; the core's answer to it comes with a later copy.
  if (core_.takenThrough() < lastFocusMove_) return;
  // A popup or a dialog keeps the keyboard while it is up; the window's
  // own focus is set, for when it comes back.
  if (QApplication::activePopupWidget() != nullptr || QApplication::activeModalWidget() != nullptr) return;
  // Compared with where Qt's focus really is, not with the last focus
  // rendered: a message box closing, or an event the core dropped, moves
  // Qt's focus without the model.
  if (focusWidget() != w || (isActiveWindow() && QApplication::focusWidget() != w)) w->setFocus(Qt::OtherFocusReason);
}

void MainWindow::tick() { core_.requestTick(); }

void MainWindow::closeEvent(QCloseEvent* event) {
  userEvent(shown_.form, [](context::Monitor& m, Control*) { app::closeRequested(m); });
  event->accept();
}

bool MainWindow::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() == QEvent::FocusIn) {
    const auto it = controlOf_.find(watched);
    if (it != controlOf_.end()) focusEntered(*it->second);
  }
  return QMainWindow::eventFilter(watched, event);
}

void MainWindow::focusEntered(Control& c) {
  // The model already has it when render() moved the focus.
  if (shown_.focused() == &c) return;
  lastFocusMove_ = userEvent(c, [](context::Monitor& m, Control* t) { m.ui.setFocus(*t); });
}

}  // namespace kestrav::gui
