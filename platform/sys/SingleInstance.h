// One running copy of the program per user, and the channel through which
// other processes reach it.
//
// The first start holds an exclusive flock on "<folder>/<name>.lock". The
// lock belongs to the open file, so it ends with the process however the
// process ends; nothing has to be cleaned up after a crash. Beside the lock
// the first start listens on the Unix-domain stream socket
// "<folder>/<name>.sock", served on a thread of its own. A socket file left
// behind by a crashed first start is removed by the next first start, which
// may do so because it holds the lock.
//
// A later start finds the lock taken and sends the first one a message:
// "raise" (bring the main window to the front) or the text of a WM_COPYDATA
// open-stock request. One connection carries one message, after which the
// sender shuts down its side:
//
//   offset 0  uint8     kind: 1 raise, 2 copy data
//   offset 1  uint16le  length of the data that follows (0 for raise,
//                       at most kMaxCopyDataBytes for copy data)
//   offset 3  data
//
// The receiver reads until the sender's end of file, never more than the
// largest valid message plus one byte, and answers one byte: 1 when the
// message was handed to a handler, 0 when it was refused (unknown kind,
// length field not matching the bytes sent, data too long, or no handler
// set yet). The copy-data text is the data up to its first zero byte.
#pragma once

#include <atomic>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <thread>

namespace kiv {

class SingleInstance {
 public:
  // WM_COPYDATA text is read into a 272-byte buffer with its terminator.
  static constexpr size_t kMaxCopyDataBytes = 271;

  enum class Role {
    kFirst,   // this process holds the instance and serves the socket
    kSecond,  // another process holds it
    kFailed,  // the folder or lock file could not be set up
  };

  // folder: where the lock and socket live; empty means DefaultFolder().
  // name: the instance name, the base name of both files.
  explicit SingleInstance(std::string name, std::string folder = std::string());
  // Stops the serving thread, removes the socket file and releases the lock.
  ~SingleInstance();
  SingleInstance(const SingleInstance&) = delete;
  SingleInstance& operator=(const SingleInstance&) = delete;

  // Takes the lock; as the first instance also starts serving the socket.
  // A socket that cannot be set up still leaves this process the first
  // instance (later starts then cannot reach it; a trace line says why).
  // Later calls answer kFirst again once the lock is held.
  Role Acquire();

  // Handlers run on the serving thread, one message at a time. They may be
  // set or replaced at any time; until a handler is set, its messages are
  // refused, so that a second start raises nothing before the main window
  // exists. The copy-data handler gets at most kMaxCopyDataBytes bytes.
  void SetRaiseHandler(std::function<void()> handler);
  void SetCopyDataHandler(std::function<void(const std::string& text)> handler);

  // How long one connection may take to deliver its message (default 2 s).
  void SetReceiveTimeoutMs(int ms) { receiveTimeoutMs_.store(ms); }

  const std::string& LockPath() const { return lockPath_; }
  const std::string& SocketPath() const { return socketPath_; }

  // $XDG_RUNTIME_DIR, else "/tmp/kivdesk-<uid>" (created private, and
  // refused when it belongs to someone else or others may write to it).
  static std::string DefaultFolder();

 private:
  void Serve();
  void HandleConnection(int fd);

  std::string lockPath_;
  std::string socketPath_;
  int lockFd_ = -1;
  int listenFd_ = -1;
  int wakeFd_ = -1;  // eventfd that ends the serving thread
  std::thread server_;
  std::atomic<int> receiveTimeoutMs_{2000};
  std::mutex handlersMutex_;
  std::function<void()> raiseHandler_;
  std::function<void(const std::string&)> copyDataHandler_;
};

// Results of a message sent to the first instance.
enum class InstanceSendResult {
  kDelivered,    // a handler of the first instance took it
  kRefused,      // the first instance refused it (no handler yet, too long)
  kUnreachable,  // nobody listens on the socket
};

// Asks the first instance to raise its window. timeoutMs bounds the wait
// for its answer.
InstanceSendResult SendRaiseToInstance(const std::string& name,
                                       const std::string& folder = std::string(),
                                       int timeoutMs = 2000);
// Sends the text of a WM_COPYDATA request. Longer than kMaxCopyDataBytes is
// refused here without connecting.
InstanceSendResult SendCopyDataToInstance(const std::string& name, const std::string& data,
                                          const std::string& folder = std::string(),
                                          int timeoutMs = 2000);

}  // namespace kiv
