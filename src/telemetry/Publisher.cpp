#include "telemetry/Publisher.h"

#include <fcntl.h>
#include <netdb.h>
#include <poll.h>
#include <sys/socket.h>
#include <sys/file.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <filesystem>

#include <mqtt/async_client.h>

#include "datalog/Journal.h"

namespace kestrav::telemetry {

namespace {

using SteadyClock = std::chrono::steady_clock;

constexpr int kBufferFullCode = -12;  // MQTTASYNC_MAX_BUFFERED_MESSAGES
constexpr std::chrono::seconds kBoardInterval{1};
constexpr std::chrono::seconds kLongestRetry{8};
constexpr int kResendPiece = 50;
constexpr int kMostInFlight = 100;

// Whether something accepts TCP connections at host:port within half a
// second: tells a TLS handshake that failed from a broker that is not there.
bool tcpAnswers(const std::string& host, int port) {
  addrinfo hints{};
  hints.ai_family = AF_UNSPEC;
  hints.ai_socktype = SOCK_STREAM;
  addrinfo* found = nullptr;
  if (getaddrinfo(host.c_str(), std::to_string(port).c_str(), &hints, &found) != 0) return false;
  bool answers = false;
  for (addrinfo* a = found; a != nullptr && !answers; a = a->ai_next) {
    const int fd = socket(a->ai_family, a->ai_socktype | SOCK_NONBLOCK | SOCK_CLOEXEC, a->ai_protocol);
    if (fd < 0) continue;
    if (::connect(fd, a->ai_addr, a->ai_addrlen) == 0) {
      answers = true;
    } else if (errno == EINPROGRESS) {
      pollfd p{fd, POLLOUT, 0};
      int error = 0;
      socklen_t length = sizeof error;
      answers = poll(&p, 1, 500) == 1 && getsockopt(fd, SOL_SOCKET, SO_ERROR, &error, &length) == 0 && error == 0;
    }
    ::close(fd);
  }
  freeaddrinfo(found);
  return answers;
}

std::string fileName(const std::string& path) { return std::filesystem::path(path).filename().string(); }

}  // namespace

// The connect's outcome, handed on to the publisher.
class Publisher::Callbacks : public mqtt::iaction_listener {
 public:
  explicit Callbacks(Publisher& p) : p_(p) {}
  // The connect's own outcome (the first and every retry before one succeeded).
  void on_success(const mqtt::token&) override {}
  void on_failure(const mqtt::token& t) override {
    std::string reason = "error " + std::to_string(t.get_return_code());
    if (t.get_return_code() == MQTTASYNC_FAILURE || t.get_return_code() == 0) reason = "no answer";
    p_.onConnectFailed(reason);
  }

 private:
  Publisher& p_;
};

// Every publish's outcome; the user context is the message's key in inFlight_.
class Publisher::DeliveryListener : public mqtt::iaction_listener {
 public:
  explicit DeliveryListener(Publisher& p) : p_(p) {}
  void on_success(const mqtt::token& t) override { p_.finished(key(t), true); }
  void on_failure(const mqtt::token& t) override { p_.finished(key(t), false); }

 private:
  static std::uint64_t key(const mqtt::token& t) { return reinterpret_cast<std::uintptr_t>(t.get_user_context()); }
  Publisher& p_;
};

std::string Publisher::stateFolder(const std::string& program, const std::string& bench) {
  std::filesystem::path base;
  if (const char* xdg = std::getenv("XDG_STATE_HOME"); xdg != nullptr && xdg[0] == '/')
    base = xdg;
  else if (const char* home = std::getenv("HOME"); home != nullptr && home[0] != '\0')
    base = std::filesystem::path(home) / ".local" / "state";
  else
    base = std::filesystem::temp_directory_path();
  return (base / "kestrav-monitor" / "mqtt" / (program + "-" + bench)).string();
}

std::unique_ptr<Publisher> Publisher::open(const TelemetryOptions& o, const std::string& program, Say say,
                                           std::string& error) {
  const std::string folder = stateFolder(program, o.bench);
  std::error_code ec;
  std::filesystem::create_directories(folder, ec);
  if (ec) {
    error = "cannot make the MQTT folder " + folder + ": " + ec.message();
    return nullptr;
  }
  const std::string lockPath = folder + "/lock";
  const int fd = ::open(lockPath.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0644);
  if (fd < 0) {
    error = "cannot open " + lockPath;
    return nullptr;
  }
  if (flock(fd, LOCK_EX | LOCK_NB) != 0) {
    ::close(fd);
    error = "another " + program + " already publishes as bench \"" + o.bench + "\" (" + lockPath +
            " is locked); give this one another --bench";
    return nullptr;
  }
  std::unique_ptr<Publisher> p(new Publisher(o, program, std::move(say), fd, folder));
  p->start();
  return p;
}

Publisher::Publisher(const TelemetryOptions& o, const std::string& program, Say say, int lockFd, std::string folder)
    : options_(o), program_(program), say_(std::move(say)), lockFd_(lockFd), folder_(std::move(folder)) {
  const auto create = mqtt::create_options_builder()
                          .mqtt_version(MQTTVERSION_3_1_1)
                          .send_while_disconnected(true, true)
                          .max_buffered_messages(o.bufferedMessages)
                          .delete_oldest_messages(false)
                          .restore_messages(true)
                          .finalize();
  // "kestrav-log-bench7": the program's name without its "kestrav-".
  const std::string shortName = program.rfind("kestrav-", 0) == 0 ? program.substr(8) : program;
  client_ = std::make_unique<mqtt::async_client>(o.broker->serverUri(), "kestrav-" + shortName + "-" + o.bench, create,
                                                 folder_);
  callbacks_ = std::make_unique<Callbacks>(*this);
  listener_ = std::make_unique<DeliveryListener>(*this);
  // The handlers one by one rather than set_callback(): that one holds the
  // client's lock while it takes Paho C's, the reverse of the order in
  // which Paho's threads take them as they call back.
  client_->set_connected_handler([this](const std::string&) { onConnected(); });
  client_->set_connection_lost_handler([this](const std::string& cause) { onConnectionLost(cause); });
  client_->set_message_callback([this](mqtt::const_message_ptr msg) {
    // Home Assistant announces its (re)start: it needs the configs again.
    if (msg->get_topic() == "homeassistant/status" && msg->to_string() == "online") {
      std::lock_guard lock(mu_);
      discoveryDue_ = true;
      wake_.notify_all();
    }
  });
}

void Publisher::drop(std::shared_ptr<mqtt::token> token) {
  // Paho finishes a token on its own threads while it holds Paho C's
  // client mutex, and counts the token's owners with atomics inside its
  // library, where ThreadSanitizer cannot see them. Taking that mutex once
  // (MQTTAsync_isConnected does) just before our reference goes orders
  // Paho's last touch of a finished token before its end, should ours be
  // the last reference. Only a token finished in the instant between the
  // two calls escapes that order; nothing of it is unsafe, the sanitizer
  // just cannot prove it.
  (void)client_->is_connected();
  token.reset();
}

void Publisher::disconnect() {
  try {
    if (!client_->is_connected()) return;
    mqtt::token_ptr token = client_->disconnect();
    token->wait_for(std::chrono::seconds(2));
    drop(std::move(token));
  } catch (const mqtt::exception&) {
  }
}

Publisher::~Publisher() {
  {
    std::lock_guard lock(mu_);
    stop_ = true;
  }
  wake_.notify_all();
  if (worker_.joinable()) worker_.join();
  disconnect();
  client_->disable_callbacks();
  client_.reset();
  ::close(lockFd_);
}

void Publisher::start() {
  worker_ = std::thread([this] { run(); });
}

void Publisher::connect(std::unique_lock<std::mutex>& lock) {
  auto builder = mqtt::connect_options_builder()
                     .mqtt_version(MQTTVERSION_3_1_1)
                     .clean_session(false)
                     .automatic_reconnect(std::chrono::seconds(1), kLongestRetry)
                     .keep_alive_interval(std::chrono::seconds(10))
                     .connect_timeout(std::chrono::seconds(5))
                     .will(mqtt::message(topic("status"), "offline", 1, true));
  if (!options_.broker->user.empty()) builder.user_name(options_.broker->user);
  if (!options_.password.empty()) builder.password(options_.password);
  if (options_.broker->tls) {
    // No error handler: Paho C++ 1.2.0 hands OpenSSL a pointer to the
    // options object it was set on, and the options are copied on their way
    // into the client, which leaves that pointer dangling.
    auto ssl = mqtt::ssl_options_builder().enable_server_cert_auth(true).verify(true);
    if (!options_.caFile.empty()) ssl.trust_store(options_.caFile);
    builder.ssl(ssl.finalize());
  }
  connecting_ = true;
  const auto connectOptions = builder.finalize();
  lock.unlock();
  std::string failure;
  try {
    drop(client_->connect(connectOptions, nullptr, *callbacks_));
  } catch (const mqtt::exception& e) {
    failure = e.what();
  }
  lock.lock();
  if (!failure.empty()) {
    connecting_ = false;
    lastError_ = "MQTT: " + failure;
    nextConnectTry_ = SteadyClock::now() + retryDelay_;
  }
}

void Publisher::onConnected() {
  std::lock_guard lock(mu_);
  if (outageTold_ && say_) say_("MQTT: " + options_.broker->shown() + " answers again");
  connected_ = true;
  justConnected_ = true;
  connecting_ = false;
  everConnected_ = true;
  outageTold_ = false;
  retryDelay_ = std::chrono::seconds(1);
  lastError_.clear();
  wake_.notify_all();
}

void Publisher::onConnectionLost(const std::string& cause) {
  std::lock_guard lock(mu_);
  connected_ = false;
  lostAt_ = std::chrono::system_clock::now();
  lostSinceConnect_ = true;
  lastError_ = "MQTT: lost " + options_.broker->shown() + (cause.empty() ? "" : " (" + cause + ")");
  if (!outageTold_ && say_)
    say_(lastError_ + "; going on, and sending what it missed when it answers again");
  outageTold_ = true;
}

void Publisher::onConnectFailed(const std::string& reason) {
  std::lock_guard lock(mu_);
  connecting_ = false;
  connectFailure_ = reason;
  nextConnectTry_ = SteadyClock::now() + retryDelay_;
  retryDelay_ = std::min(retryDelay_ * 2, std::chrono::seconds(kLongestRetry));
  wake_.notify_all();
}

void Publisher::tellConnectFailure(std::unique_lock<std::mutex>& lock) {
  const std::string reason = std::move(connectFailure_);
  connectFailure_.clear();
  if (outageTold_) return;
  const BrokerAddress& b = *options_.broker;
  lock.unlock();
  const bool handshakeFailed = b.tls && tcpAnswers(b.host, b.port);
  lock.lock();
  if (handshakeFailed)
    lastError_ = "MQTT: " + b.shown() + " answers but its TLS certificate is refused (it does not verify against " +
                 (options_.caFile.empty() ? std::string("the system's CAs") : options_.caFile) +
                 ", or names another host)";
  else
    lastError_ = "MQTT: cannot reach " + b.shown() + " (" + reason + ")";
  if (say_) say_(lastError_ + "; going on, and sending what it missed when it answers");
  outageTold_ = true;
}

void Publisher::finished(std::uint64_t key, bool completed) {
  std::lock_guard lock(mu_);
  const auto it = inFlight_.find(key);
  if (it == inFlight_.end()) return;
  const Pending p = std::move(it->second);
  inFlight_.erase(it);
  if (completed) {
    if (p.seq > 0 && p.run == run_) {
      ackedAbove_.insert(p.seq);
      while (!ackedAbove_.empty() && *ackedAbove_.begin() <= ackedUpTo_ + 1) {
        ackedUpTo_ = std::max(ackedUpTo_, *ackedAbove_.begin());
        ackedAbove_.erase(ackedAbove_.begin());
      }
    }
  } else if (p.seq > 0) {
    if (p.run == run_) resendNeeded(p.seq);
  } else {
    retry_.push_back(p);
  }
  wake_.notify_all();
}

void Publisher::resendNeeded(long long seq) {
  resendWanted_ = resendWanted_ == 0 ? seq : std::min(resendWanted_, seq);
}

bool Publisher::publishNow(const Pending& p, std::unique_lock<std::mutex>& lock) {
  const std::uint64_t key = ++nextKey_;
  inFlight_.emplace(key, p);
  auto message = mqtt::make_message(p.topic, p.payload, p.qos, p.retained);
  // Paho may finish a publish on its own thread at once, and that thread
  // takes this lock.
  lock.unlock();
  int failure = 0;
  try {
    drop(client_->publish(message, reinterpret_cast<void*>(static_cast<std::uintptr_t>(key)), *listener_));
  } catch (const mqtt::exception& e) {
    failure = e.get_return_code() == 0 ? -1 : e.get_return_code();
  }
  lock.lock();
  if (failure == 0) return true;
  inFlight_.erase(key);
  if (failure == kBufferFullCode) noteBufferFull();
  if (p.seq > 0)
    resendNeeded(p.seq);
  else
    retry_.push_back(p);
  return false;
}

void Publisher::noteBufferFull() {
  if (bufferFullTold_) return;
  bufferFullTold_ = true;
  bufferFullEventDue_ = true;
  if (say_)
    say_("MQTT: " + std::to_string(options_.bufferedMessages) +
         " messages wait for the broker and the buffer is full; the journal is sent again when it answers");
}

void Publisher::describe(const StackDescription& s) {
  std::lock_guard lock(mu_);
  stack_ = s;
  addresses_ = s.addresses;
  queue_.push_back({topic("meta"), metaPayload(s).dump(), 1, true, 0, {}});
  discoveryDue_ = options_.discovery;
  wake_.notify_all();
}

void Publisher::boardReadings(const BoardReadings& b) {
  std::lock_guard lock(mu_);
  boards_[b.board].newest = b;
}

void Publisher::sample(const std::string& journalPath, int boards, const std::vector<std::string>& fields) {
  std::lock_guard lock(mu_);
  if (journalPath != journalPath_) {
    // A new datalog: its journal numbers its samples from 1 again.
    journalPath_ = journalPath;
    run_ = fileName(journalPath);
    journalBoards_ = boards;
    header_ = datalog::journalHeader(boards);
    ackedUpTo_ = 0;
    ackedAbove_.clear();
    recent_.clear();
    resend_.reset();
    resendWanted_ = 0;
  }
  const nlohmann::json payload = samplePayload(run_, header_, fields, addresses_);
  Pending p{topic("sample"), payload.dump(), 1, false, payload.value("seq", 0LL), run_};
  lastJournaled_ = std::max(lastJournaled_, p.seq);
  const auto now = std::chrono::system_clock::now();
  recent_.emplace_back(now, p.seq);
  while (!recent_.empty() && recent_.front().first < now - 4 * kResendBeforeLoss) recent_.pop_front();
  queue_.push_back(std::move(p));
  wake_.notify_all();
}

void Publisher::event(const std::string& type, nlohmann::json detail) {
  std::lock_guard lock(mu_);
  queue_.push_back(
      {topic("event"), eventPayload(std::chrono::system_clock::now(), type, std::move(detail)).dump(), 1, false, 0, {}});
  wake_.notify_all();
}

void Publisher::finish(const std::string& why, int status) {
  event("ended", {{"why", why}, {"exit_status", status}});
  std::unique_lock lock(mu_);
  queue_.push_back({topic("status"), "offline", 1, true, 0, {}});
  wake_.notify_all();
  // Connected, the broker's acknowledgements come within moments; away, what
  // Paho holds stays in its persistence folder for the next run.
  const auto deadline = SteadyClock::now() + (connected_ ? std::chrono::seconds(3) : std::chrono::milliseconds(300));
  wake_.wait_until(lock, deadline, [this] { return queue_.empty() && inFlight_.empty(); });
  stop_ = true;
  lock.unlock();
  wake_.notify_all();
  if (worker_.joinable()) worker_.join();
  disconnect();
}

std::string Publisher::stateText() const {
  std::lock_guard lock(mu_);
  if (connected_) return "MQTT connected";
  const std::size_t waiting = inFlight_.size() + queue_.size();
  if (waiting > 0 && (everConnected_ || !lastError_.empty())) return "MQTT buffering " + std::to_string(waiting);
  if (!lastError_.empty()) return lastError_;
  return "MQTT connecting";
}

int Publisher::inFlightLimit() const { return std::min(kMostInFlight, std::max(1, options_.bufferedMessages / 2)); }

void Publisher::startResend(long long fromSeq) {
  if (journalPath_.empty() || fromSeq > lastJournaled_) return;
  resend_ = std::make_unique<JournalReader>(journalPath_);
  resendFrom_ = std::max(1LL, fromSeq);
  resendTo_ = lastJournaled_;
}

void Publisher::pumpResend(std::unique_lock<std::mutex>& lock) {
  while (resend_ && connected_ && !stop_ && static_cast<int>(inFlight_.size()) < inFlightLimit()) {
    JournalReader* reader = resend_.get();
    const long long from = resendFrom_;
    lock.unlock();
    const std::vector<JournalLine> lines = reader->next(from, kResendPiece);
    lock.lock();
    if (resend_.get() != reader) continue;  // a new run replaced it meanwhile
    bool done = lines.empty();
    for (const JournalLine& line : lines) {
      if (line.seq > resendTo_) {
        done = true;
        break;
      }
      const std::vector<std::string>& header = reader->header().empty() ? header_ : reader->header();
      Pending p{topic("sample"), samplePayload(run_, header, line.fields, addresses_).dump(), 1, false, line.seq, run_};
      if (!publishNow(p, lock)) {
        done = true;
        break;
      }
    }
    if (done) resend_.reset();
  }
}

void Publisher::publishDueBoards(std::unique_lock<std::mutex>& lock) {
  const auto now = SteadyClock::now();
  for (auto& [board, slot] : boards_) {
    if (!slot.newest || now - slot.lastSent < kBoardInterval) continue;
    Pending p{topic("board/" + std::to_string(board)), boardPayload(*slot.newest).dump(), 0, true, 0, {}};
    slot.newest.reset();
    slot.lastSent = now;
    publishNow(p, lock);
  }
}

void Publisher::subscribeHomeAssistant(std::unique_lock<std::mutex>& lock) {
  lock.unlock();
  try {
    drop(client_->subscribe("homeassistant/status", 1));
  } catch (const mqtt::exception&) {
  }
  lock.lock();
}

void Publisher::run() {
  std::unique_lock lock(mu_);
  connect(lock);
  while (!stop_) {
    if (!connectFailure_.empty()) tellConnectFailure(lock);
    if (!connected_ && !connecting_ && !everConnected_ && SteadyClock::now() >= nextConnectTry_) connect(lock);
    if (justConnected_) {
      justConnected_ = false;
      publishNow({topic("status"), "online", 1, true, 0, {}}, lock);
      if (stack_) publishNow({topic("meta"), metaPayload(*stack_).dump(), 1, true, 0, {}}, lock);
      if (options_.discovery) {
        subscribeHomeAssistant(lock);
        discoveryDue_ = true;
      }
      if (bufferFullEventDue_) {
        bufferFullEventDue_ = false;
        publishNow({topic("event"),
                    eventPayload(std::chrono::system_clock::now(), "buffer-full",
                                 {{"buffered_messages", options_.bufferedMessages}})
                        .dump(),
                    1, false, 0, {}}, lock);
      }
      // The journal again from after the last acknowledged sample, and from
      // 30 s before the loss: a broker killed outright forgets what it
      // acknowledged but had not written down.
      long long from = ackedUpTo_ + 1;
      if (lostSinceConnect_) {
        for (const auto& [when, seq] : recent_)
          if (when >= lostAt_ - kResendBeforeLoss) {
            from = std::min(from, seq);
            break;
          }
        lostSinceConnect_ = false;
      }
      if (resendWanted_ > 0) from = std::min(from, resendWanted_);
      resendWanted_ = 0;
      startResend(from);
    }
    // What Paho did not complete or had no room for goes again once it has.
    if (connected_ && !retry_.empty() && static_cast<int>(inFlight_.size()) < inFlightLimit()) {
      while (!retry_.empty()) {
        queue_.push_front(std::move(retry_.back()));
        retry_.pop_back();
      }
    }
    if (connected_ && discoveryDue_ && stack_) {
      discoveryDue_ = false;
      const std::vector<std::string> addresses = stack_->addresses;
      for (std::size_t b = 0; b < addresses.size(); ++b)
        for (const auto& [t, payload] : discoveryConfigs(options_.bench, static_cast<int>(b) + 1, addresses[b]))
          publishNow({t, payload, 1, true, 0, {}}, lock);
    }
    while (!queue_.empty()) {
      Pending p = std::move(queue_.front());
      queue_.pop_front();
      publishNow(p, lock);
    }
    if (connected_ && resendWanted_ > 0 && !resend_) {
      startResend(resendWanted_);
      resendWanted_ = 0;
    }
    publishDueBoards(lock);
    pumpResend(lock);
    wake_.notify_all();  // finish() waits for the queue to empty
    wake_.wait_for(lock, std::chrono::milliseconds(100));
  }
}

}  // namespace kestrav::telemetry
