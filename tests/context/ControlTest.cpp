#include <gtest/gtest.h>

#include "context/MainWindowModel.h"
#include "support/MonitorFixture.h"

namespace kestrav::context {
namespace {

TEST(Control, CheckBoxRaisesClickOnlyWhenItsValueChanges) {
  Control box(ControlKind::CheckBox, "Check1", 3);
  std::vector<int> clicks;
  box.onClick([&](int i) { clicks.push_back(i); });
  box.setValue(1);
  box.setValue(1);
  box.setValue(0);
  EXPECT_EQ(clicks, (std::vector<int>{3, 3}));
}

TEST(Control, OptionButtonsAreExclusiveAndRaiseOnEveryAssignment) {
  std::array<Control, 2> options = {Control(ControlKind::OptionButton, "Option1", 0),
                                    Control(ControlKind::OptionButton, "Option1", 1)};
  std::vector<int> clicks;
  for (Control& o : options) {
    o.setOptionGroup(options.data(), 2);
    o.onClick([&](int i) { clicks.push_back(i); });
  }
  options[1].setValue(1);
  options[1].setValue(1);
  EXPECT_EQ(clicks, (std::vector<int>{1, 1}));
  options[0].setValue(1);
  EXPECT_EQ(options[0].value(), 1);
  EXPECT_EQ(options[1].value(), 0);
  EXPECT_EQ(clicks.back(), 0);
}

TEST(Control, ListIndexRaisesClickOnEveryAssignment) {
  Control combo(ControlKind::ComboBox, "Combo1");
  int clicks = 0;
  combo.onClick([&](int) { ++clicks; });
  combo.setListIndex(2);
  combo.setListIndex(2);
  EXPECT_EQ(clicks, 2);
  EXPECT_EQ(combo.listIndex(), 2);
}

TEST(Control, RevisionMovesOnlyWhenSomethingVisibleChanges) {
  Control label(ControlKind::Label, "Label1");
  const auto r0 = label.revision();
  label.setText("");
  label.setVisible(true);
  label.setForeColor(kBlack);
  EXPECT_EQ(label.revision(), r0);
  label.setText("B O A R D # 2");
  EXPECT_GT(label.revision(), r0);
  const auto r1 = label.revision();
  label.setFillColor(kRed);
  label.setLeft(528);
  EXPECT_EQ(label.revision(), r1 + 2);
}

TEST(Control, KeyPressCanSwallowOrReplaceTheKey) {
  Control box(ControlKind::TextBox, "Text2", 0);
  EXPECT_EQ(box.raiseKeyPress('5'), '5');  // no handler: every key goes through
  box.onKeyPress([](int, int key) { return key == 'x' ? 0 : key; });
  EXPECT_EQ(box.raiseKeyPress('x'), 0);
  EXPECT_EQ(box.raiseKeyPress('.'), '.');
}

TEST(Control, FocusMovesRaiseLostThenGot) {
  MainWindowModel ui;
  std::vector<std::string> events;
  for (Control& box : ui.Text2) {
    box.onGotFocus([&](int i) { events.push_back("got" + std::to_string(i)); });
    box.onLostFocus([&](int i) { events.push_back("lost" + std::to_string(i)); });
  }
  ui.setFocus(ui.Text2[0]);
  ui.setFocus(ui.Text2[0]);
  ui.setFocus(ui.Text2[1]);
  ui.setFocus(ui.Command1[5]);
  EXPECT_EQ(events, (std::vector<std::string>{"got0", "lost0", "got1", "lost1"}));
  EXPECT_EQ(ui.focused(), &ui.Command1[5]);
}

TEST(Control, TheIoModeLegendCannotBeChanged) {
  test::MonitorFixture f;
  Monitor& m = f.start();
  m.ui.Check4[0].setValue(0);
  m.ui.Check4[1].setValue(1);
  EXPECT_EQ(m.ui.Check4[0].value(), 1);
  EXPECT_EQ(m.ui.Check4[1].value(), 0);
  EXPECT_TRUE(m.ui.Check4[0].enabled());
}

}  // namespace
}  // namespace kestrav::context

namespace kestrav::context {
namespace {

// A typed key goes to the key handler first; only what it returns reaches
// the text, at the caret or over the selection.
TEST(ControlTyping, TheHandlersVerdictIsWhatTheBoxTakes) {
  Control box(ControlKind::TextBox, "Text2", 0);
  box.onKeyPress([](int, int key) { return key == 'x' ? 0 : key == ',' ? '.' : key; });
  for (int key : {'1', 'x', ',', '5'}) box.typeKey(key);
  EXPECT_EQ(box.text(), "1.5");
  EXPECT_EQ(box.selStart(), 3);
  box.typeKey(233);  // a character outside ASCII is never inserted, whatever the handler says
  box.typeKey(13);
  EXPECT_EQ(box.text(), "1.5");

  box.setSelection(1, 2);
  box.typeKey('7');
  EXPECT_EQ(box.text(), "17");
  EXPECT_EQ(box.selStart(), 2);
  EXPECT_EQ(box.selLength(), 0);
  box.typeKey(8);
  box.typeKey(8);
  box.typeKey(8);  // nothing left before the caret
  EXPECT_EQ(box.text(), "");

  // A caret beyond a text the handler shortened is taken at the end.
  box.setText("123");
  box.setSelection(9, 4);
  box.typeKey('4');
  EXPECT_EQ(box.text(), "1234");
}

TEST(ControlTyping, DeleteRemovesTheSelectionOrTheNextCharacterWithoutKeyPress) {
  Control box(ControlKind::TextBox, "Text2", 1);
  int keyPresses = 0;
  box.onKeyPress([&](int, int key) {
    ++keyPresses;
    return key;
  });
  box.setText("4.25");
  box.setSelStart(1);
  box.deleteForward();
  EXPECT_EQ(box.text(), "425");
  box.setSelection(0, 2);
  box.deleteForward();
  EXPECT_EQ(box.text(), "5");
  box.setSelStart(1);
  box.deleteForward();  // at the end: nothing after the caret
  EXPECT_EQ(box.text(), "5");
  EXPECT_EQ(keyPresses, 0);
}

}  // namespace
}  // namespace kestrav::context
