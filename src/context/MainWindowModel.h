#pragma once
// The main window as plain data: every control of the window, in arrays
// indexed exactly like the window's control arrays (a control's index is the
// bit, cell, board or command it stands for). Built with the captions, tool
// tips, initial texts and states the window opens with.

#include <array>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "context/Control.h"

namespace kestrav::context {

inline constexpr const char* kWindowCaption = "ZAZUVER KESTRAV-2 HEV BATTERY MONITOR MINI GUI";
inline constexpr const char* kVersionText = "MARLOW_KESTRAV_2_GUI_V_05152008";

// Layout units of the stack overview: the column of board i starts at
// kOverviewLeft + kOverviewColumn * i.
constexpr int kOverviewLeft = 504;
constexpr int kOverviewColumn = 24;
constexpr int kOverviewLegendLeft = 536;  // Label9(1) beside one visible column
constexpr int kBroadcastWideWidth = 113;  // Check5 when checked ("BROADCAST")
constexpr int kBroadcastNarrowWidth = 57;  // Check5 when clear ("B'CAST")

struct MainWindowModel {
  MainWindowModel();
  MainWindowModel(const MainWindowModel&) = delete;
  MainWindowModel& operator=(const MainWindowModel&) = delete;

  Control form;  // the window; its text is the window caption

  // Menus.
  Control mnuFile, mnuExit;
  Control mnuDatalog, mnuCreateNewSetup, mnuUsePreviousSetup, mnuViewLastDatalog;

  // Commands and board selection.
  std::array<Control, 14> Command1;
  std::array<Control, 10> Command4;
  Control Combo1, Combo2;
  Control Label1, Label7, Label12, Label14, Label15, Label16;
  std::array<Control, 6> Check5;
  std::array<Control, 6> Label19;
  std::array<Control, 4> Label18;

  // Configuration registers.
  Control Frame4;
  std::array<Control, 6> Text4;  // CFGR0..5 prepared/written
  std::array<Control, 6> Text5;  // CFGR0..5 read back
  std::array<Control, 2> Label5;
  std::array<Control, 8> Check0, Check1, Check2, Check3;
  Control Frame3;
  std::array<Control, 2> Check4;
  Control Label4, Text3;
  std::array<Control, 2> Command0;

  // Voltage limits.
  Control Frame2;
  std::array<Control, 2> Text2;
  std::array<Control, 2> Label3;
  std::array<Control, 2> Option1;
  std::array<Control, 2> Label13;
  std::array<Control, 4> Command2;

  // Cells of the selected board.
  std::array<Control, 12> Frame1;
  std::array<Control, 12> Text1;
  std::array<Control, 12> Shape2, Shape4, Shape5;
  std::array<Control, 12> Line7, Line9, Line10;

  // Temperatures.
  Control Frame5;
  std::array<Control, 3> Text6;
  std::array<Control, 3> Label6;
  std::array<Control, 3> Shape6, Shape7, Shape8;

  // Flags.
  Control Frame6;
  std::array<Control, 3> Text7;
  std::array<Control, 3> Label2;

  // Packet error code.
  Control Frame7;
  Control Text8;
  std::array<Control, 2> Label8;

  // Stack overview.
  std::array<Control, 120> Shape1;
  std::array<Control, 2> Label9;
  std::array<Control, 10> Shape12;

  // Legend.
  Control Frame8;
  std::array<Control, 7> Label11, Label10;
  std::array<Control, 7> Shape9, Shape10, Shape11;

  // Status and identity.
  Control Check_AUTO, Label_AUTOstatus, Label_IDstring, Label_version;

  // Non-visual and decorative.
  Control Timer1, CommonDialog1, Image1, Shape3, Picture1;

  // Every control, in a stable order (the form first).
  const std::vector<Control*>& all() const { return all_; }
  // A control by inventory name and index (-1 outside arrays); nullptr if none.
  Control* find(std::string_view name, int index = -1) const;

  // Keyboard focus. Moving it raises LostFocus on the control that had it,
  // then GotFocus on the new one.
  Control* focused() const { return focused_; }
  void setFocus(Control& c);
  void clearFocus() { focused_ = nullptr; }

 private:
  void add(Control& c) { all_.push_back(&c); }
  template <std::size_t N>
  void addArray(std::array<Control, N>& a) {
    for (Control& c : a) all_.push_back(&c);
  }
  void buildInventory();

  std::vector<Control*> all_;
  Control* focused_ = nullptr;
};

}  // namespace kestrav::context
