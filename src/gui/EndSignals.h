#pragma once
// SIGTERM, SIGINT and SIGHUP (logout, kill, Ctrl-C in the terminal) as an
// event of the program's loop: the signal handler only writes the signal's
// number into a pipe; a socket notifier reads it on the loop and hands the
// first one to `onSignal`, which passes it to the core thread's one entry
// point (context::endOnSignal: save the datalog, end the program).

#include <QObject>
#include <QSocketNotifier>
#include <functional>
#include <memory>

namespace kestrav::gui {

class EndSignals : public QObject {
 public:
  // Installs the handlers; the destructor puts the default actions back.
  explicit EndSignals(std::function<void(int signalNumber)> onSignal);
  ~EndSignals() override;
  EndSignals(const EndSignals&) = delete;
  EndSignals& operator=(const EndSignals&) = delete;

  // The signal that ended the program, or 0.
  int received() const { return received_; }

 private:
  void readPipe();

  std::function<void(int)> onSignal_;
  int pipe_[2] = {-1, -1};
  std::unique_ptr<QSocketNotifier> notifier_;
  int received_ = 0;
};


}  // namespace kestrav::gui
