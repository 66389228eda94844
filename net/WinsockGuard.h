// CKivPing: the socket start-up guard of the program. On Windows it started
// Winsock at start-up and released it at exit. Linux sockets need no
// start-up, so what remains is a process-wide count of holders and the
// version check, kept so that start-up and exit read the same on both
// systems. The start-up step can be replaced for tests.
#pragma once

#include <functional>

class CKivPing {
 public:
  // The version the program asks for: 1.1, major in the low byte.
  static constexpr unsigned kVersion = 0x0101;

  // Returns the version granted for a request, or a negative value when
  // start-up failed.
  using StartupFunction = std::function<int(unsigned requested)>;

  // Starts sockets through the default start-up, which grants any request.
  CKivPing();
  explicit CKivPing(const StartupFunction& startup);
  virtual ~CKivPing();
  CKivPing(const CKivPing&) = delete;
  CKivPing& operator=(const CKivPing&) = delete;

  // Set only when start-up succeeded with exactly the version asked for;
  // only then is the start-up released at destruction.
  bool IsStarted() const { return started_; }

  // Holders that started successfully and are not yet destroyed.
  static int StartedCount();

 private:
  bool started_ = false;
};
