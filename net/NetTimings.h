// Every wait of the market-data link in one place. The defaults are the
// program's; tests shorten them to run in a fraction of the time. The
// relations that keep a healthy link up must hold for any values chosen:
// the heartbeat interval is well below the inactivity time-out.
#pragma once

#include <chrono>

struct NetTimings {
  // A connect that has not completed by then is abandoned.
  std::chrono::milliseconds connectTimeout{10000};
  // A link on which no frame arrived for this long is closed.
  std::chrono::milliseconds inactivityTimeout{18000};
  // An idle link sends a heartbeat this often.
  std::chrono::milliseconds heartbeatInterval{8000};
  // The first heartbeat check after the first connect.
  std::chrono::milliseconds firstHeartbeat{1000};
  // After a lost link, the next server is tried this much later.
  std::chrono::milliseconds reconnectDelay{3000};
  // The I/O thread pauses this long on each bad status message.
  std::chrono::milliseconds statusPause{1000};

  // Short waits for tests on loopback.
  static NetTimings Fast() {
    NetTimings t;
    t.connectTimeout = std::chrono::milliseconds(2000);
    // Generous: a test machine busy enough to pause both ends for a few
    // seconds must not see a healthy link closed and its requests dropped.
    // Tests of the time-out itself set their own.
    t.inactivityTimeout = std::chrono::milliseconds(10000);
    t.heartbeatInterval = std::chrono::milliseconds(200);
    t.firstHeartbeat = std::chrono::milliseconds(50);
    t.reconnectDelay = std::chrono::milliseconds(100);
    t.statusPause = std::chrono::milliseconds(20);
    return t;
  }
};
