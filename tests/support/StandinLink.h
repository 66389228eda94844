// Tests that run the terminal's code against the stand-in on loopback: the
// stand-in started and the market link up before a test, both ended after
// it, the link first, as the program ends.
#pragma once

#include <gtest/gtest.h>

#include "net/NetService.h"
#include "tools/standin/serve/StandinServer.h"

namespace kiv::test {

// The stand-in's options with its market clock fixed at nowUtc (seconds),
// everything else as it starts by default.
inline standin::StandinOptions StandinAt(int64_t nowUtc) {
  standin::StandinOptions options;
  options.fixedNowUtc = nowUtc;
  return options;
}

// Starts the stand-in and connects the service to its market port; a
// failure fails the test (call it through ASSERT_NO_FATAL_FAILURE).
inline void ConnectToStandin(standin::StandinServer& server, CNetService& service) {
  ASSERT_TRUE(server.Start()) << server.LastError();
  ASSERT_TRUE(service.AddServer("127.0.0.1", server.MarketPort(), "standin"));
  ASSERT_TRUE(server.WaitForConnections(1));
}

inline void DisconnectFromStandin(standin::StandinServer& server, CNetService& service) {
  service.Shutdown();
  server.Stop();
}

}  // namespace kiv::test
