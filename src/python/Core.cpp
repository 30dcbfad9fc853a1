// kestrav._core: the headless session for Python. Plain tuples out, the
// package's exception classes raised; the interpreter's lock is released
// for every bridge transaction, so other Python threads run meanwhile.

#include <pybind11/pybind11.h>
#include <pybind11/stl.h>

#include <exception>
#include <memory>
#include <optional>
#include <string>

#include "app/StackConfigSteps.h"
#include "headless/Session.h"
#include "sim/Simulator.h"

namespace py = pybind11;
using namespace kestrav::headless;

namespace {

// A failure on its way to the Python exception that names it.
struct SessionFailure : std::exception {
  explicit SessionFailure(Failure f) : failure(std::move(f)) {}
  const char* what() const noexcept override { return failure.text.c_str(); }
  Failure failure;
};

Failure failure(Fault kind, std::string text) {
  Failure f;
  f.kind = kind;
  f.text = std::move(text);
  return f;
}

void check(const Failure& f) {
  if (f) throw SessionFailure(f);
}

void raise(const Failure& f) {
  py::module_ errors = py::module_::import("kestrav._errors");
  py::object exc;
  switch (f.kind) {
    case Fault::OutOfRange:
      PyErr_SetString(PyExc_ValueError, f.text.c_str());
      return;
    case Fault::Io:
      PyErr_SetString(PyExc_OSError, f.text.c_str());
      return;
    case Fault::Refused:
      exc = errors.attr("BridgeRefused")(f.text);
      break;
    case Fault::Lost:
      exc = errors.attr("BridgeLost")(f.text);
      break;
    case Fault::PecGaveUp:
      exc = errors.attr("PecError")(f.text, f.board + 1, f.command, f.received, f.computed, f.attempts);
      break;
    case Fault::Unavailable:
    case Fault::NotTaken:
    case Fault::None:
      exc = errors.attr("Error")(f.text);
      break;
  }
  PyErr_SetObject(exc.get_type().ptr(), exc.ptr());
}

py::tuple pec(const PecCheck& p) { return py::make_tuple(p.received, p.computed, p.ok); }

py::tuple cells(const CellsReading& r) {
  return py::make_tuple(r.board + 1, py::cast(r.volts), py::cast(r.codes), pec(r.pec));
}
py::tuple temps(const TempsReading& r) { return py::make_tuple(r.board + 1, r.etmp1, r.etmp2, r.itmp, pec(r.pec)); }
py::tuple flags(const FlagsReading& r) { return py::make_tuple(r.board + 1, r.uv, r.ov, py::cast(r.raw), pec(r.pec)); }
py::tuple config(const ConfigReading& r) {
  return py::make_tuple(r.board + 1, py::cast(r.registers), r.vuv, r.vov, r.matchesPrepared, pec(r.pec));
}

// The session of one stack; closed, every call raises.
class Stack {
 public:
  Stack(const std::string& uri, bool pecMatchOnly, const std::string& trace, int settleMs) {
    SessionOptions o;
    o.pecMatchOnly = pecMatchOnly;
    o.tracePath = trace;
    o.settleMs = settleMs;
    Failure why;
    {
      py::gil_scoped_release nogil;
      s_ = Session::open(uri, o, why);
    }
    check(why);
  }

  Session& s() {
    if (!s_) throw SessionFailure(failure(Fault::Unavailable, "the stack is closed"));
    return *s_;
  }
  void close() { s_.reset(); }
  bool closed() const { return !s_; }

  // Runs `step` without the interpreter's lock and raises its failure.
  template <class Step>
  void run(Step&& step) {
    Session& session = s();
    Failure f;
    {
      py::gil_scoped_release nogil;
      f = step(session);
    }
    check(f);
  }

  kestrav::sim::Simulator& sim() {
    kestrav::sim::Simulator* simulator = s().simulator();
    if (!simulator) throw SessionFailure(failure(Fault::Unavailable, "this stack is not simulated"));
    return *simulator;
  }

 private:
  std::unique_ptr<Session> s_;
};

Start startOf(const std::string& what) {
  if (what == "cells") return Start::Cells;
  if (what == "openwire") return Start::OpenWire;
  if (what == "temps") return Start::Temps;
  if (what == "adc") return Start::PollAdc;
  if (what == "int") return Start::PollInt;
  throw SessionFailure(failure(Fault::OutOfRange, "unknown start \"" + what + "\""));
}

// A stack configuration refused (ValueError) or not written (OSError).
Failure configFault(Fault kind, std::string reason) { return reason.empty() ? Failure{} : failure(kind, std::move(reason)); }

ConfigFlag flagOf(const std::string& name) {
  if (name == "cell10") return ConfigFlag::Cell10;
  if (name == "lvlpl") return ConfigFlag::Lvlpl;
  if (name == "gpio1") return ConfigFlag::Gpio1;
  if (name == "gpio2") return ConfigFlag::Gpio2;
  throw SessionFailure(failure(Fault::OutOfRange, "unknown configuration bit \"" + name + "\""));
}

}  // namespace

PYBIND11_MODULE(_core, m) {
  m.doc() = "The KESTRAV-2 stack monitor's headless session (use the kestrav package).";
  py::register_exception_translator([](std::exception_ptr p) {
    try {
      if (p) std::rethrow_exception(p);
    } catch (const SessionFailure& e) {
      raise(e.failure);
    }
  });

  py::class_<Stack>(m, "Session")
      .def(py::init<const std::string&, bool, const std::string&, int>(), py::arg("uri"), py::arg("pec_match_only"),
           py::arg("trace"), py::arg("settle_ms"))
      .def("close", &Stack::close)
      .def_property_readonly("closed", &Stack::closed)
      .def_property_readonly("lost", [](Stack& st) { return st.s().lost(); })
      .def_property_readonly("identification", [](Stack& st) { return st.s().identification(); })
      .def_property_readonly("simulated", [](Stack& st) { return st.s().simulator() != nullptr; })
      .def_property_readonly("boards", [](Stack& st) { return st.s().boards(); })
      .def("set_boards", [](Stack& st, int n) { st.run([&](Session& s) { return s.setBoards(n); }); })
      .def("address", [](Stack& st, int b) { return st.s().address(b - 1); })
      .def("set_address",
           [](Stack& st, int b, int a) { st.run([&](Session& s) { return s.setAddress(b - 1, a); }); })
      .def_property(
          "pec_match_only", [](Stack& st) { return st.s().pecMatchOnly(); },
          [](Stack& st, bool on) { st.s().setPecMatchOnly(on); })
      .def("broadcast", [](Stack& st, int c) { return st.s().broadcast(c); })
      .def("set_broadcast",
           [](Stack& st, int c, bool on) { st.run([&](Session& s) { return s.setBroadcast(c, on); }); })
      .def("prepared",
           [](Stack& st, int b) {
             PreparedConfig p;
             st.run([&](Session& s) { return s.prepared(b - 1, p); });
             return py::make_tuple(py::cast(p.registers), p.cdc, p.cell10, p.lvlpl, p.gpio1, p.gpio2, p.discharge,
                                   p.mask, p.vuv, p.vov);
           })
      .def("set_cdc", [](Stack& st, int b, int mode) { st.run([&](Session& s) { return s.setCdc(b - 1, mode); }); })
      .def("set_config_flag",
           [](Stack& st, int b, const std::string& name, bool on) {
             const ConfigFlag flag = flagOf(name);
             st.run([&](Session& s) { return s.setConfigFlag(b - 1, flag, on); });
           })
      .def("set_discharge",
           [](Stack& st, int b, unsigned cells) {
             st.run([&](Session& s) {
               return cells >> 12 ? failure(Fault::OutOfRange, "cells are numbered 1 to 12")
                                  : s.setDischarge(b - 1, static_cast<std::uint16_t>(cells));
             });
           })
      .def("set_mask",
           [](Stack& st, int b, unsigned cells) {
             st.run([&](Session& s) {
               return cells >> 12 ? failure(Fault::OutOfRange, "cells are numbered 1 to 12")
                                  : s.setMask(b - 1, static_cast<std::uint16_t>(cells));
             });
           })
      .def("set_thresholds",
           [](Stack& st, int b, std::optional<double> vuv, std::optional<double> vov) {
             st.run([&](Session& s) { return s.setThresholds(b - 1, vuv, vov); });
           })
      .def("set_all_thresholds",
           [](Stack& st, double vuv, double vov) { st.run([&](Session& s) { return s.setAllThresholds(vuv, vov); }); })
      .def("write_config",
           [](Stack& st, int b, bool broadcast) { st.run([&](Session& s) { return s.writeConfig(b - 1, broadcast); }); })
      .def("read_config",
           [](Stack& st, int b) {
             ConfigReading r;
             st.run([&](Session& s) { return s.readConfig(b - 1, r); });
             return config(r);
           })
      .def("read_cells",
           [](Stack& st, int b, bool start) {
             CellsReading r;
             st.run([&](Session& s) { return s.readCells(b - 1, start, r); });
             return cells(r);
           })
      .def("read_temps",
           [](Stack& st, int b, bool start) {
             TempsReading r;
             st.run([&](Session& s) { return s.readTemps(b - 1, start, r); });
             return temps(r);
           })
      .def("read_flags",
           [](Stack& st, int b) {
             FlagsReading r;
             st.run([&](Session& s) { return s.readFlags(b - 1, r); });
             return flags(r);
           })
      .def("start",
           [](Stack& st, int b, const std::string& what) {
             const Start kind = startOf(what);
             st.run([&](Session& s) { return s.start(b - 1, kind); });
           })
      .def("statuses",
           [](Stack& st, int b) {
             std::array<std::string, 12> out;
             st.run([&](Session& s) { return s.statuses(b - 1, out); });
             return py::tuple(py::cast(out));
           })
      .def("read_all",
           [](Stack& st) {
             std::vector<BoardSnapshot> all;
             st.run([&](Session& s) { return s.readAll(all); });
             py::list out;
             for (const BoardSnapshot& b : all)
               out.append(py::make_tuple(b.board + 1, b.address, cells(b.cells), temps(b.temps), flags(b.flags),
                                         py::tuple(py::cast(b.statuses))));
             return out;
           })
      // The simulator of a "sim:" stack; boards from 1, cells 1..12.
      .def("sim_set_cell", [](Stack& st, int b, int c, double v) { st.sim().setCellVolts(b - 1, c, v); })
      .def("sim_open_wire", [](Stack& st, int b, int c) { st.sim().openWire(b - 1, c); })
      .def("sim_set_shares",
           [](Stack& st, double corrupt, double shortShare, double drop) {
             st.sim().setFaultShares(corrupt, shortShare, drop);
           })
      .def("sim_unplug", [](Stack& st) { st.sim().unplug(); })
      // The cost of one crossing into C++ and back, for the benchmark.
      .def("config_json", [](Stack& st) { return kestrav::app::preparedStackConfigJson(st.s().monitor()); })
      .def("apply_config_json",
           [](Stack& st, const std::string& text) {
             st.run([&](Session& s) {
               return configFault(Fault::OutOfRange, kestrav::app::applyStackConfigJson(s.monitor(), text));
             });
           })
      .def("load_config",
           [](Stack& st, const std::string& path) {
             st.run([&](Session& s) {
               return configFault(Fault::OutOfRange, kestrav::app::openStackConfig(s.monitor(), path));
             });
           })
      .def("save_config",
           [](Stack& st, const std::string& path) {
             st.run([&](Session& s) { return configFault(Fault::Io, kestrav::app::saveStackConfig(s.monitor(), path)); });
           })
      .def("noop", [](Stack& st) { st.run([](Session&) { return Failure{}; }); });
}
