#pragma once
// The lab telemetry's MQTT client: Paho's asynchronous client (MQTT 3.1.1,
// persistent session, file persistence, automatic reconnect) and one
// thread that does all its publishing, so the thread of the run only hands
// messages over and never waits for the network.
//
// Nothing the journal holds is lost while the broker is away: the publisher
// remembers the last sample the broker acknowledged, and on every
// (re)connect sends the journal again from after it, together with the
// samples of the 30 s before the connection was lost (a broker killed
// outright may have acknowledged messages it never wrote down).

#include <chrono>
#include <cstdint>
#include <condition_variable>
#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include "telemetry/JournalReader.h"
#include "telemetry/Payloads.h"
#include "telemetry/TelemetryOptions.h"

namespace mqtt {
class async_client;
class token;
}

namespace kestrav::telemetry {

// How far back before a lost connection the journal is sent again.
inline constexpr std::chrono::seconds kResendBeforeLoss{30};

class Publisher {
 public:
  // Lines for the user (stderr); called on the publisher's own threads.
  using Say = std::function<void(const std::string&)>;

  // Takes the bench's lock in the persistence folder and starts connecting.
  // Nothing, with the reason in `error`, when the folder cannot be made or
  // another instance holds its lock (a usage error: status 2).
  static std::unique_ptr<Publisher> open(const TelemetryOptions& o, const std::string& program, Say say,
                                         std::string& error);
  ~Publisher();
  Publisher(const Publisher&) = delete;
  Publisher& operator=(const Publisher&) = delete;

  // The folder of Paho's persistence and the lock.
  static std::string stateFolder(const std::string& program, const std::string& bench);

  // The stack as identified; sent (retained) on every connect.
  void describe(const StackDescription& s);
  // The newest readings of a board; sent at most once a second per board.
  void boardReadings(const BoardReadings& b);
  // A sample line just written to the journal at `journalPath`.
  void sample(const std::string& journalPath, int boards, const std::vector<std::string>& fields);
  void event(const std::string& type, nlohmann::json detail);
  // The clean end: the "ended" event, the retained "offline", a short wait
  // for the broker's acknowledgements, and the disconnect.
  void finish(const std::string& why, int status);

  // For the Bridge Traffic window: "MQTT connected", "MQTT buffering N", or
  // the last error.
  std::string stateText() const;

 private:
  struct Pending {
    std::string topic, payload;
    int qos = 1;
    bool retained = false;
    long long seq = 0;  // a sample's seq; 0 for any other message
    std::string run;    // a sample's journal file name
  };
  class Callbacks;
  class DeliveryListener;

  Publisher(const TelemetryOptions& o, const std::string& program, Say say, int lockFd, std::string folder);
  void start();
  void run();
  void connect(std::unique_lock<std::mutex>& lock);
  // Our reference to one of Paho's tokens let go (see the definition).
  void drop(std::shared_ptr<mqtt::token> token);
  // DISCONNECT, waited for at most two seconds, when connected.
  void disconnect();
  // Hands one message to Paho; false when its buffer is full.
  // Called with `lock` held; lets go of it while Paho takes the message.
  bool publishNow(const Pending& p, std::unique_lock<std::mutex>& lock);
  void onConnected();
  void onConnectionLost(const std::string& cause);
  void onConnectFailed(const std::string& reason);
  void tellConnectFailure(std::unique_lock<std::mutex>& lock);
  void finished(std::uint64_t key, bool completed);
  void resendNeeded(long long seq);
  void noteBufferFull();
  // How many publishes may wait for the broker while the journal is sent again.
  int inFlightLimit() const;
  void startResend(long long fromSeq);
  void pumpResend(std::unique_lock<std::mutex>& lock);
  void publishDueBoards(std::unique_lock<std::mutex>& lock);
  std::string topic(const std::string& leaf) const { return "kestrav/" + options_.bench + "/" + leaf; }
  void subscribeHomeAssistant(std::unique_lock<std::mutex>& lock);

  const TelemetryOptions options_;
  const std::string program_;
  const Say say_;
  const int lockFd_;
  const std::string folder_;
  std::unique_ptr<mqtt::async_client> client_;
  std::unique_ptr<Callbacks> callbacks_;
  std::unique_ptr<DeliveryListener> listener_;

  mutable std::mutex mu_;
  std::condition_variable wake_;
  std::thread worker_;
  bool stop_ = false;
  bool connected_ = false, justConnected_ = false, connecting_ = false, everConnected_ = false;
  bool outageTold_ = false, bufferFullTold_ = false, bufferFullEventDue_ = false, discoveryDue_ = false;
  std::chrono::steady_clock::time_point nextConnectTry_{};
  std::chrono::seconds retryDelay_{1};
  std::string lastError_;
  std::string connectFailure_;  // a failed connect's reason, not yet told
  std::uint64_t nextKey_ = 0;
  std::map<std::uint64_t, Pending> inFlight_;  // handed to Paho, not finished
  std::deque<Pending> queue_;  // handed over by the run, not yet given to Paho
  std::deque<Pending> retry_;  // not completed by Paho: sent again once connected
  std::optional<StackDescription> stack_;
  struct BoardSlot {
    std::optional<BoardReadings> newest;
    std::chrono::steady_clock::time_point lastSent{};
  };
  std::map<int, BoardSlot> boards_;

  // The journal as the spool.
  std::string journalPath_, run_;
  int journalBoards_ = 0;
  std::vector<std::string> header_;
  long long lastJournaled_ = 0;
  long long ackedUpTo_ = 0;      // every seq up to this one was acknowledged
  std::set<long long> ackedAbove_;
  std::deque<std::pair<std::chrono::system_clock::time_point, long long>> recent_;  // when each seq was journaled
  std::chrono::system_clock::time_point lostAt_{};
  bool lostSinceConnect_ = false;
  std::unique_ptr<JournalReader> resend_;
  long long resendFrom_ = 0, resendTo_ = 0;
  long long resendWanted_ = 0;  // a sample Paho did not complete: send the journal again from it
  std::vector<std::string> addresses_;
};

}  // namespace kestrav::telemetry
