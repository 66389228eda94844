#include "net/WinsockGuard.h"

#include <atomic>

#include "platform/sys/Trace.h"

namespace {

std::atomic<int> g_started{0};

}  // namespace

CKivPing::CKivPing() : CKivPing([](unsigned requested) { return static_cast<int>(requested); }) {}

CKivPing::CKivPing(const StartupFunction& startup) {
  const int granted = startup ? startup(kVersion) : -1;
  if (granted < 0) {
    OutputDebugStringA("/nError initializing WinSock/n");
    return;
  }
  if (static_cast<unsigned>(granted) != kVersion) {
    OutputDebugStringA("/nWinSock version not supported/n");
    return;
  }
  started_ = true;
  ++g_started;
}

CKivPing::~CKivPing() {
  if (started_) --g_started;
}

int CKivPing::StartedCount() { return g_started.load(); }
