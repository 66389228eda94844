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

// The ports the terminal itself expects; 916 is below 1024, so that only
// root (or a process allowed to bind low ports) can take it.
constexpr uint16_t kDefaultMarketPort = 6200;
constexpr uint16_t kDefaultBlockPort = 5150;
constexpr uint16_t kDefaultListPort = 916;
constexpr uint16_t kDefaultHttpPort = 8080;

void Usage(std::FILE* out) {
  std::fprintf(out,
               "usage: kivstandin [--market-port N] [--block-port N] [--list-port N] [--http-port N]\n"
               "                  [--seed N] [--now \"YYYY-MM-DD HH:MM:SS\"] [--request-log N]\n"
               "                  [--update-root DIR]\n"
               "Serves the terminal's protocols on 127.0.0.1 with synthetic data until SIGINT or SIGTERM.\n"
               "  --market-port N  the market-data link (default %u)\n"
               "  --block-port N   the block data port (default %u)\n"
               "  --list-port N    the server list (default %u, which only root may take)\n"
               "  --http-port N    every HTTP service (default %u)\n"
               "  --seed N         the synthetic market's seed\n"
               "  --now TIME       a fixed Beijing time instead of the clock\n"
               "  --request-log N  requests each port's log keeps (default %zu)\n"
               "  --update-root DIR  the update server's folder, served under /update with a\n"
               "                   package list made from it (see update-manifest.txt)\n"
               "Port 0 takes any free port; the first line of output names the ports taken\n"
               "(\"ports market=N block=N list=N http=N\"). Beside another stand-in, or without root:\n"
               "  kivstandin --market-port 0 --block-port 0 --list-port 0 --http-port 0\n",
               unsigned{kDefaultMarketPort}, unsigned{kDefaultBlockPort}, unsigned{kDefaultListPort},
               unsigned{kDefaultHttpPort}, kiv::standin::kDefaultLogLimit);
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
  options.marketPort = kDefaultMarketPort;
  options.blockPort = kDefaultBlockPort;
  options.listPort = kDefaultListPort;
  options.httpPort = kDefaultHttpPort;

  for (int i = 1; i < argc; ++i) {
    const std::string option = argv[i];
    if (option == "--help" || option == "-h") {
      Usage(stdout);
      return 0;
    }
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
    } else if (option == "--update-root" && value && *value) {
      options.updateRoot = value;
    } else if (option == "--now" && value && kiv::standin::ParseBeijingTime(value)) {
      options.fixedNowUtc = kiv::standin::ParseBeijingTime(value);
    } else {
      std::fprintf(stderr, "kivstandin: bad option %s %s\n", option.c_str(), value ? value : "");
      Usage(stderr);
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
    std::fprintf(stderr,
                 "kivstandin: choose other ports with --market-port, --block-port, --list-port and --http-port;\n"
                 "kivstandin: port 0 takes any free one, and ports below 1024 need root. For example:\n"
                 "  kivstandin --market-port 0 --block-port 0 --list-port 0 --http-port 0\n");
    return 1;
  }
  std::printf("%s\n", server.PortsLine().c_str());
  std::fflush(stdout);

  int received = 0;
  sigwait(&stopSignals, &received);
  server.Stop();
  return 0;
}
