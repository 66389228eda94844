// kivstandin: serves the terminal's protocols on loopback with synthetic
// data until SIGINT or SIGTERM. The first line of standard output names the
// ports it listens on, so that a script that asked for port 0 can find them.
#include <cerrno>
#include <csignal>
#include <pthread.h>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "tools/standin/serve/StandinServer.h"

namespace {

void Usage() {
  std::fprintf(stderr,
               "usage: kivstandin [--market-port N] [--block-port N] [--list-port N] [--http-port N]\n"
               "                  [--seed N] [--now \"YYYY-MM-DD HH:MM:SS\"]   (Beijing time; port 0 = any)\n"
               "                  [--request-log N]   (requests each port's log keeps; default %zu)\n",
               kiv::standin::kDefaultLogLimit);
}

bool ParseNumber(const char* text, unsigned long long max, unsigned long long& out) {
  if (!text || !*text || *text == '-') return false;
  char* end = nullptr;
  errno = 0;
  out = std::strtoull(text, &end, 10);
  return errno == 0 && *end == '\0' && out <= max;
}

}  // namespace

int main(int argc, char** argv) {
  kiv::standin::StandinOptions options;
  options.marketPort = 6200;
  options.blockPort = 5150;
  options.listPort = 916;
  options.httpPort = 8080;

  for (int i = 1; i < argc; ++i) {
    const std::string option = argv[i];
    const char* value = i + 1 < argc ? argv[i + 1] : nullptr;
    unsigned long long number = 0;
    uint16_t* port = option == "--market-port" ? &options.marketPort
                     : option == "--block-port" ? &options.blockPort
                     : option == "--list-port"  ? &options.listPort
                     : option == "--http-port"  ? &options.httpPort
                                                : nullptr;
    if (port && ParseNumber(value, 65535, number)) {
      *port = static_cast<uint16_t>(number);
    } else if (option == "--request-log" && ParseNumber(value, 100000000, number)) {
      options.requestLogLimit = static_cast<size_t>(number);
    } else if (option == "--seed" && ParseNumber(value, ~0ull, number)) {
      options.seed = number;
    } else if (option == "--now" && value && kiv::standin::ParseBeijingTime(value)) {
      options.fixedNowUtc = kiv::standin::ParseBeijingTime(value);
    } else {
      std::fprintf(stderr, "kivstandin: bad option %s %s\n", option.c_str(), value ? value : "");
      Usage();
      return 2;
    }
    ++i;
  }

  // Block the stop signals before any thread starts, so that only the wait
  // below receives them.
  sigset_t stopSignals;
  sigemptyset(&stopSignals);
  sigaddset(&stopSignals, SIGINT);
  sigaddset(&stopSignals, SIGTERM);
  pthread_sigmask(SIG_BLOCK, &stopSignals, nullptr);

  kiv::standin::StandinServer server(options);
  if (!server.Start()) {
    std::fprintf(stderr, "kivstandin: %s\n", server.LastError().c_str());
    return 1;
  }
  std::printf("%s\n", server.PortsLine().c_str());
  std::fflush(stdout);

  int received = 0;
  sigwait(&stopSignals, &received);
  server.Stop();
  return 0;
}
