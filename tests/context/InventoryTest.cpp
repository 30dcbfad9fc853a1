#include <gtest/gtest.h>

#include <set>

#include "context/MainWindowModel.h"

namespace kestrav::context {
namespace {

TEST(Inventory, EveryControlIsRegisteredOnceUnderAUniqueName) {
  MainWindowModel ui;
  std::set<std::string> names;
  for (const Control* c : ui.all()) EXPECT_TRUE(names.insert(c->objectName()).second) << c->objectName();
  // Arrays are complete and indexed from 0.
  const std::pair<const char*, int> arrays[] = {
      {"Command1", 14}, {"Command4", 10}, {"Check5", 6},  {"Label19", 6},  {"Label18", 4}, {"Text4", 6},
      {"Text5", 6},     {"Check0", 8},    {"Check3", 8},  {"Check4", 2},   {"Command0", 2}, {"Text2", 2},
      {"Option1", 2},   {"Command2", 4},  {"Frame1", 12}, {"Shape2", 12},  {"Line10", 12}, {"Text6", 3},
      {"Shape8", 3},    {"Text7", 3},     {"Label8", 2},  {"Shape1", 120}, {"Shape12", 10}, {"Label11", 7},
      {"Shape11", 7}};
  for (auto [name, n] : arrays) {
    for (int i = 0; i < n; ++i) EXPECT_NE(ui.find(name, i), nullptr) << name << i;
    EXPECT_EQ(ui.find(name, n), nullptr) << name;
  }
  for (const char* single : {"Timer1", "CommonDialog1", "Image1", "Shape3", "Picture1", "Check_AUTO",
                             "Label_IDstring", "Label_version", "Text8", "Combo1", "Combo2", "mnuExit"})
    EXPECT_NE(ui.find(single), nullptr) << single;
  EXPECT_EQ(ui.Command1[7].objectName(), "Command1_7");
  EXPECT_EQ(ui.Text1[3].inventoryName(), "Text1(3)");
}

TEST(Inventory, CaptionsToolTipsAndStatesTheWindowOpensWith) {
  MainWindowModel ui;
  EXPECT_EQ(ui.form.text(), "ZAZUVER KESTRAV-2 HEV BATTERY MONITOR MINI GUI");
  EXPECT_EQ(ui.mnuExit.text(), "&Exit");
  EXPECT_TRUE(ui.mnuCreateNewSetup.enabled());
  EXPECT_FALSE(ui.mnuUsePreviousSetup.enabled());
  EXPECT_FALSE(ui.mnuViewLastDatalog.enabled());
  EXPECT_EQ(ui.Command1[7].text(), "READCELLVOLT");
  EXPECT_EQ(ui.Command1[7].toolTip(), "0x04 RDCV");
  EXPECT_EQ(ui.Command1[10].toolTip(),
            "CONTINUOUS  READ = 1) STCVAD and RDCV. 2) STTMPAD and  RDTMP. 3) RDFLG.");
  for (int i = 0; i <= 10; ++i) EXPECT_TRUE(ui.Command1[i].visible()) << i;
  for (int i = 11; i <= 13; ++i) EXPECT_FALSE(ui.Command1[i].visible()) << i;
  EXPECT_EQ(ui.Command4[0].text(), "BRD# 1    0x81");
  EXPECT_EQ(ui.Command4[9].text(), "BRD#10   0x8A");
  EXPECT_EQ(ui.Combo1.items().size(), 10u);
  EXPECT_EQ(ui.Combo2.items().size(), 16u);
  EXPECT_EQ(ui.Combo2.items()[15], "F");
  EXPECT_EQ(ui.Combo2.listIndex(), 1);  // the address digit of board 1
  EXPECT_EQ(ui.Check5[0].text(), "B'CAST");
  EXPECT_EQ(ui.Text4[0].text(), "0xE0");
  EXPECT_EQ(ui.Text4[5].text(), "0x00");
  EXPECT_EQ(ui.Check2[4].text(), "Mask C1");
  EXPECT_EQ(ui.Check3[7].text(), "Mask C12");
  EXPECT_EQ(ui.Check2[3].text(), "DCC12");
  EXPECT_EQ(ui.Text2[0].toolTip(), "Set VUV");
  EXPECT_EQ(ui.Text2[1].text(), "0.000");
  EXPECT_EQ(ui.Frame1[11].text(), "CELL12");
  EXPECT_EQ(ui.Text1[0].text(), "0.000V");
  EXPECT_EQ(ui.Label6[0].text(), "ITMP");
  EXPECT_EQ(ui.Text7[2].text(), "00");
  EXPECT_EQ(ui.Frame7.text(), "PACKET ERROR CODE ");
  EXPECT_EQ(ui.Label10[6].text(), " CAUTION!");
  EXPECT_EQ(ui.Check_AUTO.toolTip(), "Auto Retry Command on Detection of CRC8 (PEC) Error");
  EXPECT_EQ(ui.Label_version.text(), "MARLOW_KESTRAV_2_GUI_V_05152008");
  EXPECT_EQ(ui.Timer1.interval(), 100);
  EXPECT_FALSE(ui.Timer1.enabled());
  EXPECT_EQ(ui.Image1.left(), 504);
  EXPECT_EQ(ui.Shape3.fillColor(), kRed);
  EXPECT_EQ(ui.Shape2[0].top() + ui.Shape2[0].height(), 855);
}

}  // namespace
}  // namespace kestrav::context
