#pragma once
// A program of the build run as a child of the test: its standard output
// on a pipe the test reads a line at a time or gathers whole, its standard
// error gathered too or sent to a file, its end awaited with a deadline.
// A child still running when the object goes is killed and reaped.

#include <gtest/gtest.h>

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <cstring>
#include <map>
#include <optional>
#include <string>
#include <thread>
#include <vector>

extern char** environ;

namespace kestrav::test {

// The path of a program built beside the tests ("kestrav-log").
inline std::string builtProgram(const char* name) {
  const char* dir = std::getenv("KESTRAV_BUILD_DIR");
  return std::string(dir != nullptr ? dir : KESTRAV_BINARY_DIR) + "/" + name;
}

struct ChildOptions {
  ChildOptions() = default;
  ChildOptions(std::string errorFile, std::map<std::string, std::string> variables = {})
      : errFile(std::move(errorFile)), environment(std::move(variables)) {}

  // Standard error to this file (made or emptied); gathered on a pipe
  // when empty.
  std::string errFile = "/dev/null";
  // Variables set for the child on top of the test's environment.
  std::map<std::string, std::string> environment;
  // Signals the child starts with blocked, so that one sent at once waits
  // for the program to take it.
  std::vector<int> blocked;
};

class ChildProcess {
 public:
  using Options = ChildOptions;

  ChildProcess() = default;
  ChildProcess(const ChildProcess&) = delete;
  ChildProcess& operator=(const ChildProcess&) = delete;
  ~ChildProcess() {
    if (pid_ > 0) {
      ::kill(pid_, SIGKILL);
      ::waitpid(pid_, nullptr, 0);
    }
    for (int fd : {out_, err_})
      if (fd >= 0) ::close(fd);
  }

  void spawn(const std::string& binary, std::vector<std::string> args, const Options& options = {}) {
    int out[2], err[2] = {-1, -1};
    ASSERT_EQ(::pipe(out), 0);
    if (options.errFile.empty()) {
      ASSERT_EQ(::pipe(err), 0);
    }
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, out[1], STDOUT_FILENO);
    posix_spawn_file_actions_addclose(&actions, out[0]);
    if (options.errFile.empty()) {
      posix_spawn_file_actions_adddup2(&actions, err[1], STDERR_FILENO);
      posix_spawn_file_actions_addclose(&actions, err[0]);
    } else {
      posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, options.errFile.c_str(), O_WRONLY | O_CREAT | O_TRUNC,
                                       0644);
    }
    args.insert(args.begin(), binary);
    std::vector<char*> argv;
    for (auto& a : args) argv.push_back(a.data());
    argv.push_back(nullptr);
    std::vector<std::string> variables;
    for (char** e = environ; *e != nullptr; ++e) {
      const std::string entry = *e;
      if (options.environment.count(entry.substr(0, entry.find('='))) == 0) variables.push_back(entry);
    }
    for (const auto& [name, value] : options.environment) variables.push_back(name + "=" + value);
    std::vector<char*> envp;
    for (auto& v : variables) envp.push_back(v.data());
    envp.push_back(nullptr);
    // The child starts with only the signals asked for blocked, whatever
    // the test blocked.
    posix_spawnattr_t attributes;
    posix_spawnattr_init(&attributes);
    sigset_t mask;
    sigemptyset(&mask);
    for (const int sig : options.blocked) sigaddset(&mask, sig);
    posix_spawnattr_setsigmask(&attributes, &mask);
    posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETSIGMASK);
    const int spawned = posix_spawn(&pid_, binary.c_str(), &actions, &attributes, argv.data(), envp.data());
    posix_spawnattr_destroy(&attributes);
    posix_spawn_file_actions_destroy(&actions);
    ::close(out[1]);
    if (err[1] >= 0) ::close(err[1]);
    out_ = out[0];
    err_ = err[0];
    ASSERT_EQ(spawned, 0) << binary << ": " << std::strerror(spawned);
  }

  // The next line of standard output, without its line end; what came
  // when the output ends or `limit` passes first.
  std::string readLine(std::chrono::milliseconds limit = std::chrono::seconds(10)) {
    std::string line;
    const auto deadline = std::chrono::steady_clock::now() + limit;
    while (out_ >= 0 && std::chrono::steady_clock::now() < deadline) {
      pollfd p{out_, POLLIN, 0};
      if (::poll(&p, 1, 50) <= 0) continue;
      char c = 0;
      if (::read(out_, &c, 1) != 1 || c == '\n') break;
      line += c;
    }
    return line;
  }

  // Gathers standard output and error into out() and err() until the child
  // closes both or `limit` passes. True when both were closed.
  bool gather(std::chrono::milliseconds limit) {
    const auto deadline = std::chrono::steady_clock::now() + limit;
    while ((out_ >= 0 || err_ >= 0) && std::chrono::steady_clock::now() < deadline) {
      pollfd fds[2] = {{out_, POLLIN, 0}, {err_, POLLIN, 0}};
      if (::poll(fds, 2, 20) <= 0) continue;
      for (int i = 0; i < 2; ++i) {
        if (fds[i].fd < 0 || !(fds[i].revents & (POLLIN | POLLHUP))) continue;
        char buffer[512];
        const ssize_t n = ::read(fds[i].fd, buffer, sizeof buffer);
        int& fd = i == 0 ? out_ : err_;
        if (n > 0) {
          (i == 0 ? out : err).append(buffer, static_cast<std::size_t>(n));
        } else {
          ::close(fd);
          fd = -1;
        }
      }
    }
    return out_ < 0 && err_ < 0;
  }

  // The wait status, or nothing when the child still runs after `limit`.
  std::optional<int> wait(std::chrono::milliseconds limit) {
    if (pid_ <= 0) return std::nullopt;
    int status = 0;
    const auto deadline = std::chrono::steady_clock::now() + limit;
    while (::waitpid(pid_, &status, WNOHANG) != pid_) {
      if (std::chrono::steady_clock::now() > deadline) return std::nullopt;
      std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    pid_ = -1;
    return status;
  }

  // Nothing is sent once the child was reaped (or never started): a pid
  // of -1 would signal every process there is.
  void signal(int sig) {
    if (pid_ > 0) ::kill(pid_, sig);
  }

  // Sends `sig` and waits for the end however long it takes; the status.
  int stop(int sig = SIGTERM) {
    if (pid_ <= 0) return -1;
    ::kill(pid_, sig);
    int status = -1;
    ::waitpid(pid_, &status, 0);
    pid_ = -1;
    return status;
  }

  int outFd() const { return out_; }

  std::string out, err;  // what gather() collected

 private:
  pid_t pid_ = -1;
  int out_ = -1, err_ = -1;
};

}  // namespace kestrav::test
