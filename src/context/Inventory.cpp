// The main window's controls as the window opens: names, indices, captions,
// tool tips, initial texts and states.

#include "context/MainWindowModel.h"

namespace kestrav::context {

namespace {

// A single control with its caption.
Control captioned(ControlKind kind, const char* name, std::string caption) {
  Control c(kind, name);
  c.setText(std::move(caption));
  return c;
}

template <std::size_t N>
void makeArray(std::array<Control, N>& a, ControlKind kind, const char* name) {
  for (std::size_t i = 0; i < N; ++i) a[i] = Control(kind, name, static_cast<int>(i));
}

template <std::size_t N>
void setTexts(std::array<Control, N>& a, const std::array<const char*, N>& texts) {
  for (std::size_t i = 0; i < N; ++i) a[i].setText(texts[i]);
}

// Colours of the cell statuses, in the order of the window's legend:
// over-voltage, in range, no reading, masked, masked with discharge,
// discharge, under-voltage.
constexpr std::array<std::uint32_t, 7> kLegendColours = {0x0000FF, 0x00FF00, 0xFFFFFF, 0xE0E0E0,
                                                         0x808080, 0xFF8080, 0x00FFFF};
constexpr std::uint32_t kCellBody = 0xE0E0E0;
constexpr std::uint32_t kCellTerminal = 0xC0C0C0;

}  // namespace

MainWindowModel::MainWindowModel() { buildInventory(); }

void MainWindowModel::buildInventory() {
  using K = ControlKind;

  form = captioned(K::Form, "MainWindow", kWindowCaption);

  mnuFile = captioned(K::Menu, "mnuFile", "File");
  mnuExit = captioned(K::MenuItem, "mnuExit", "&Exit");
  mnuDatalog = captioned(K::Menu, "mnuDatalog", "Datalog");
  mnuCreateNewSetup = captioned(K::MenuItem, "mnuCreateNewSetup", "Create New Setup");
  mnuUsePreviousSetup = captioned(K::MenuItem, "mnuUsePreviousSetup", "Use Previous Setup");
  mnuUsePreviousSetup.setEnabled(false);
  mnuViewLastDatalog = captioned(K::MenuItem, "mnuViewLastDatalog", "View Last Datalog");
  mnuViewLastDatalog.setEnabled(false);

  makeArray(Command1, K::CommandButton, "Command1");
  setTexts(Command1, {"POLL ADC", "POLL INT", "STARTCELLVOLT", "START OPENWIRE", "START TEMP", "WRITE CONFIG",
                      "READ CONFIG", "READCELLVOLT", "READ FLAG", "READ TEMP",
                      "            START                   CONTINUOUS              READ CELLS", "START D-LOG",
                      "STOP", "VIEW"});
  const std::array<const char*, 14> command1Tips = {
      "0x40 PLADC", "0x50 PLINT", "0x10 STCVAD", "0x20 STOWAD", "0x30 STTMPAD", "0x01 WRCFG", "0x02 RDCFG",
      "0x04 RDCV", "0x06 RDFLG", "0x08 RDTMP",
      "CONTINUOUS  READ = 1) STCVAD and RDCV. 2) STTMPAD and  RDTMP. 3) RDFLG.", "START/ PAUSE DATA LOGGING",
      "STOP DATA LOGGING!", "VIEW DATA TEXT FILE"};
  for (int i = 0; i < 14; ++i) Command1[i].setToolTip(command1Tips[i]);
  for (int i = 11; i <= 13; ++i) Command1[i].setVisible(false);

  makeArray(Command4, K::CommandButton, "Command4");
  for (int i = 0; i < 10; ++i) {
    static const char* kAddr[] = {"81", "82", "83", "84", "85", "86", "87", "88", "89", "8A"};
    Command4[i].setText(i < 9 ? "BRD# " + std::to_string(i + 1) + "    0x" + kAddr[i] : std::string("BRD#10   0x8A"));
  }

  Combo1 = Control(K::ComboBox, "Combo1");
  Combo1.setItems({"1", "2", "3", "4", "5", "6", "7", "8", "9", "10"});
  Combo1.setDescription("Number of boards in the stack");
  Combo2 = Control(K::ComboBox, "Combo2");
  Combo2.setItems({"0", "1", "2", "3", "4", "5", "6", "7", "8", "9", "A", "B", "C", "D", "E", "F"});
  Combo2.setDescription("Low digit of the selected board's address");
  Combo2.setListIndex(1);  // board 1 at 0x81 (no handler is wired yet)
  Label1 = captioned(K::Label, "Label1", "B O A R D # 1");
  Label7 = captioned(K::Label, "Label7", "NUMBER OF BOARDS IN SYSTEM");
  Label12 = captioned(K::Label, "Label12", "BOARDS   1       2      3      4      5      6      7      8      9     10");
  Label14 = captioned(K::Label, "Label14", "SET/ DISPLAY BOARD # 1 AT HEX ADDRESS");
  Label15 = captioned(K::Label, "Label15", "ADDRESS 81    82    83    84    85    86    87    88    89    8A");
  Label16 = captioned(K::Label, "Label16", "0x8");

  makeArray(Check5, K::CheckBox, "Check5");
  static const char* kBroadcastNames[] = {"PLADC", "PLINT", "STCVAD", "STOWAD", "STTMPAD", "WRCFG"};
  for (int i = 0; i < 6; ++i) {
    Check5[i].setText("B'CAST");
    Check5[i].setWidth(kBroadcastNarrowWidth);
    Check5[i].setDescription(std::string("Broadcast ") + kBroadcastNames[i]);
  }
  makeArray(Label19, K::Label, "Label19");
  for (Control& c : Label19) c.setText("BRD#1");
  makeArray(Label18, K::Label, "Label18");
  for (Control& c : Label18) c.setText("BOARD# 1 ONLY");

  Frame4 = captioned(K::Frame, "Frame4", "CONFIGURATION REGISTERS");
  makeArray(Text4, K::TextBox, "Text4");
  makeArray(Text5, K::TextBox, "Text5");
  for (int k = 0; k < 6; ++k) {
    Text4[k].setText(k == 0 ? "0xE0" : "0x00");
    Text5[k].setText(k == 0 ? "0xE0" : "0x00");
    Text4[k].setDescription("CFGR" + std::to_string(k) + " written");
    Text5[k].setDescription("CFGR" + std::to_string(k) + " read");
  }
  makeArray(Label5, K::Label, "Label5");
  Label5[0].setText(
      "CONFIGURATION READ FROM KESTRAV                        | CFGR0 | CFGR1 | CFGR2 | CFGR3 | CFGR4 | CFGR5 |");
  Label5[1].setText(
      "CONFIGURATION WRITTEN TO KESTRAV                       | CFGR0 | CFGR1 | CFGR2 | CFGR3 | CFGR4 | CFGR5 |");

  makeArray(Check0, K::CheckBox, "Check0");
  setTexts(Check0, {"CDC[0] (Bit 0)", "CDC[1] (Bit 1)", "CDC[2] (Bit 2)",
                    "10 CELLS CFGR0 (Bit 3)   1 = 10 CELL Reading, 0 = 12 CELL Reading",
                    "LVLPL (LeVeL PolL SDO) CFGR0 (Bit 4)   1 = Level Poll, 0 = Toggle Poll.",
                    "GPIO1 (General Purpose Input Output 1) CFGR0 (Bit 5)  1 = Hi-Z, 0 = Out Low",
                    "GPIO2 (General Purpose Input Output 2) CFGR0 (Bit 6)  1 = Hi-Z, 0 = Out Low",
                    "UNUSED CFGR0 (Bit 7)"});
  makeArray(Check1, K::CheckBox, "Check1");
  makeArray(Check2, K::CheckBox, "Check2");
  makeArray(Check3, K::CheckBox, "Check3");
  for (int i = 0; i < 8; ++i) {
    Check1[i].setText("DCC" + std::to_string(i + 1));
    Check2[i].setText(i < 4 ? "DCC" + std::to_string(i + 9) : "Mask C" + std::to_string(i - 3));
    Check3[i].setText("Mask C" + std::to_string(i + 5));
  }

  Frame3 = captioned(K::Frame, "Frame3", "SET I/O MODE");
  makeArray(Check4, K::CheckBox, "Check4");
  Check4[0].setText("Checked  = 1");
  Check4[0].setValue(1);
  Check4[1].setText(" Unchecked = 0");

  Label4 = Control(K::Label, "Label4");
  Label4.setText(
      "CDC |  MONITOR COMPARATOR PERIOD  |  VREF POWERED DOWN BETWEEN MEASUREMENTS  |  COMPARATOR AND CELL "
      "VOLTAGE MEASUREMENT TIME  |");
  Text3 = Control(K::TextBox, "Text3");
  Text3.setDescription("Comparator duty cycle mode");
  makeArray(Command0, K::PictureButton, "Command0");
  Command0[0].setDescription("Comparator duty cycle down");
  Command0[1].setDescription("Comparator duty cycle up");

  Frame2 = captioned(K::Frame, "Frame2", "SET VOLTAGE LIMITS");
  makeArray(Text2, K::TextBox, "Text2");
  Text2[0].setText("0.000");
  Text2[0].setToolTip("Set VUV");
  Text2[0].setDescription("VUV undervoltage threshold");
  Text2[1].setText("0.000");
  Text2[1].setToolTip("Set VOV");
  Text2[1].setDescription("VOV overvoltage threshold");
  makeArray(Label3, K::Label, "Label3");
  Label3[0].setText("Enter VUV Undervoltage                            0.000V to                            6.120V");
  Label3[1].setText("Enter VOV  Overvoltage                             0.000V to                            6.120V");
  makeArray(Option1, K::OptionButton, "Option1");
  for (Control& c : Option1) c.setOptionGroup(Option1.data(), 2);
  Option1[0].setDescription("Thresholds for the selected board only");
  Option1[1].setDescription("Global thresholds for every board");
  Option1[1].setValue(1);
  makeArray(Label13, K::Label, "Label13");
  Label13[0].setText("CUSTOM  BOARD # 1");
  Label13[1].setText("GLOBAL VUV,  VOV");
  makeArray(Command2, K::PictureButton, "Command2");
  setTexts(Command2, {"", "", "", ""});
  Command2[0].setDescription("VUV down");
  Command2[1].setDescription("VUV up");
  Command2[2].setDescription("VOV down");
  Command2[3].setDescription("VOV up");

  makeArray(Frame1, K::Frame, "Frame1");
  makeArray(Text1, K::TextBox, "Text1");
  makeArray(Shape2, K::Shape, "Shape2");
  makeArray(Shape4, K::Shape, "Shape4");
  makeArray(Shape5, K::Shape, "Shape5");
  makeArray(Line7, K::Line, "Line7");
  makeArray(Line9, K::Line, "Line9");
  makeArray(Line10, K::Line, "Line10");
  for (int i = 0; i < 12; ++i) {
    const std::string cell = "CELL" + std::to_string(i + 1);
    Frame1[i].setText(cell);
    Text1[i].setText("0.000V");
    Text1[i].setDescription(cell + " voltage");
    // The status bar: bottom edge at 855 in cell-frame units; NR fills 600..855.
    Shape2[i].setTop(600);
    Shape2[i].setHeight(255);
    Shape2[i].setFillColor(kWhite);
    Shape2[i].setDescription(cell + " status");
    Shape4[i].setFillColor(kWhite);
    Shape4[i].setDescription(cell + " body");
    Shape5[i].setFillColor(kCellTerminal);
    Shape5[i].setDescription(cell + " terminal");
  }

  Frame5 = captioned(K::Frame, "Frame5", "TEMPS");
  makeArray(Text6, K::TextBox, "Text6");
  makeArray(Label6, K::Label, "Label6");
  makeArray(Shape6, K::Shape, "Shape6");
  makeArray(Shape7, K::Shape, "Shape7");
  makeArray(Shape8, K::Shape, "Shape8");
  setTexts(Label6, {"ITMP", "ETMP1", "ETMP2"});
  for (int i = 0; i < 3; ++i) {
    Text6[i].setText("0.000V");
    Text6[i].setDescription(Label6[i].text() + " voltage");
    Shape6[i].setDescription(Label6[i].text() + " sensor");
    Shape7[i].setDescription(Label6[i].text() + " bulb");
    Shape8[i].setDescription(Label6[i].text() + " stem");
  }

  Frame6 = captioned(K::Frame, "Frame6", "FLAG REG");
  makeArray(Text7, K::TextBox, "Text7");
  makeArray(Label2, K::Label, "Label2");
  setTexts(Label2, {"|  FLGR0  | ", "|  FLGR1  | ", "|  FLGR2  | "});
  for (int i = 0; i < 3; ++i) {
    Text7[i].setText("00");
    Text7[i].setDescription("FLGR" + std::to_string(i));
  }

  Frame7 = captioned(K::Frame, "Frame7", "PACKET ERROR CODE ");
  Text8 = Control(K::TextBox, "Text8");
  Text8.setDescription("Received versus computed PEC");
  makeArray(Label8, K::Label, "Label8");
  Label8[0].setText("|  KESTRAV  |    CALC    |  ");

  makeArray(Shape1, K::Shape, "Shape1");
  for (int i = 0; i < 120; ++i) {
    Shape1[i].setFillColor(kWhite);
    Shape1[i].setDescription("Board " + std::to_string(i / 12 + 1) + " cell " + std::to_string(i % 12 + 1));
  }
  makeArray(Label9, K::Label, "Label9");
  Label9[0].setText(
      "CELL12 CELL11 CELL10 CELL 9  CELL 8  CELL 7  CELL 6  CELL 5  CELL 4  CELL 3  CELL 2  CELL 1");
  Label9[1].setText("PEC C12 C11  C10   C 9    C 8    C 7    C 6    C 5    C 4    C 3    C 2    C 1");
  Label9[1].setLeft(kOverviewLegendLeft);
  makeArray(Shape12, K::Shape, "Shape12");
  for (int i = 0; i < 10; ++i) Shape12[i].setDescription("Board " + std::to_string(i + 1) + " PEC");

  Frame8 = captioned(K::Frame, "Frame8", "LEGEND");
  makeArray(Label11, K::Label, "Label11");
  setTexts(Label11, {"Flag Over Voltage ", "Voltage In Range", "No Voltage Reading", "Mask Cell Interrupt",
                     "Mask Cell Int w/ DCC", "DisCharge Cell", "Flag  Under Voltage "});
  makeArray(Label10, K::Label, "Label10");
  setTexts(Label10, {" DANGER!", " GOOD", " CLEAR", " MASKED", " MASKDCC", " DISCHARGE", " CAUTION!"});
  makeArray(Shape9, K::Shape, "Shape9");
  makeArray(Shape10, K::Shape, "Shape10");
  makeArray(Shape11, K::Shape, "Shape11");
  for (int i = 0; i < 7; ++i) {
    Shape9[i].setFillColor(kLegendColours[i]);
    Shape10[i].setFillColor(kLegendColours[i] == kWhite ? kWhite : kCellBody);
    Shape11[i].setFillColor(kCellTerminal);
    Shape9[i].setDescription("Legend colour " + std::to_string(i + 1));
  }

  Check_AUTO = captioned(K::CheckBox, "Check_AUTO", "PEC Match Only");
  Check_AUTO.setToolTip("Auto Retry Command on Detection of CRC8 (PEC) Error");
  Label_AUTOstatus = captioned(K::Label, "Label_AUTOstatus", "DISPLAY ONLY VALID DATA TRANSFERS!");
  Label_AUTOstatus.setForeColor(0x008000);
  Label_IDstring = Control(K::Label, "Label_IDstring");
  Label_IDstring.setDescription("Bridge identification");
  Label_version = Control(K::Label, "Label_version");
  Label_version.setText(kVersionText);

  Timer1 = Control(K::Timer, "Timer1");
  Timer1.setInterval(100);
  Timer1.setEnabled(false);
  CommonDialog1 = Control(K::CommonDialog, "CommonDialog1");
  Image1 = Control(K::Image, "Image1");
  Image1.setLeft(kOverviewLeft);
  Image1.setDescription("Marker above the selected board");
  Shape3 = Control(K::Shape, "Shape3");
  Shape3.setFillColor(kRed);
  Shape3.setDescription("Continuous measurement lamp");
  Picture1 = Control(K::PictureBox, "Picture1");
  Picture1.setDescription("KESTRAV-2 logo");

  // The registry, in a stable order: the view builds from it.
  all_.clear();
  for (Control* c : {&form, &mnuFile, &mnuExit, &mnuDatalog, &mnuCreateNewSetup, &mnuUsePreviousSetup,
                     &mnuViewLastDatalog})
    add(*c);
  addArray(Command1);
  addArray(Command4);
  for (Control* c : {&Combo1, &Combo2, &Label1, &Label7, &Label12, &Label14, &Label15, &Label16}) add(*c);
  addArray(Check5);
  addArray(Label19);
  addArray(Label18);
  add(Frame4);
  addArray(Text4);
  addArray(Text5);
  addArray(Label5);
  addArray(Check0);
  addArray(Check1);
  addArray(Check2);
  addArray(Check3);
  add(Frame3);
  addArray(Check4);
  add(Label4);
  add(Text3);
  addArray(Command0);
  add(Frame2);
  addArray(Text2);
  addArray(Label3);
  addArray(Option1);
  addArray(Label13);
  addArray(Command2);
  addArray(Frame1);
  addArray(Text1);
  addArray(Shape2);
  addArray(Shape4);
  addArray(Shape5);
  addArray(Line7);
  addArray(Line9);
  addArray(Line10);
  add(Frame5);
  addArray(Text6);
  addArray(Label6);
  addArray(Shape6);
  addArray(Shape7);
  addArray(Shape8);
  add(Frame6);
  addArray(Text7);
  addArray(Label2);
  add(Frame7);
  add(Text8);
  addArray(Label8);
  addArray(Shape1);
  addArray(Label9);
  addArray(Shape12);
  add(Frame8);
  addArray(Label11);
  addArray(Label10);
  addArray(Shape9);
  addArray(Shape10);
  addArray(Shape11);
  for (Control* c : {&Check_AUTO, &Label_AUTOstatus, &Label_IDstring, &Label_version, &Timer1, &CommonDialog1,
                     &Image1, &Shape3, &Picture1})
    add(*c);
}

Control* MainWindowModel::find(std::string_view name, int index) const {
  for (Control* c : all_)
    if (c->name() == name && c->index() == index) return c;
  return nullptr;
}

void MainWindowModel::setFocus(Control& c) {
  if (focused_ == &c) return;
  Control* old = focused_;
  focused_ = &c;
  if (old != nullptr) old->raiseLostFocus();
  if (focused_ == &c) c.raiseGotFocus();
}

}  // namespace kestrav::context
