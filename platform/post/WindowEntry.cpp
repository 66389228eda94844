#include "platform/post/WindowEntry.h"

namespace kiv {
namespace post {

WindowEntry::WindowEntry() : liveness_(std::make_shared<LivenessToken>()) {}

WindowEntry::~WindowEntry() = default;

bool WindowEntry::AnswerWithoutWaiting(UINT, WPARAM, LPARAM, LRESULT*) { return false; }

WindowRef WindowEntry::Liveness() const {
  std::lock_guard<std::mutex> lock(livenessMutex_);
  return WindowRef(liveness_);
}

void WindowEntry::RevokeLiveness() {
  std::shared_ptr<LivenessToken> token;
  {
    std::lock_guard<std::mutex> lock(livenessMutex_);
    token = liveness_;
  }
  // Outside the pointer's lock: Revoke may wait for a running callback,
  // which may itself take a reference to this window.
  token->Revoke();
}

void WindowEntry::RenewLiveness() {
  std::shared_ptr<LivenessToken> fresh = std::make_shared<LivenessToken>();
  std::shared_ptr<LivenessToken> old;
  {
    std::lock_guard<std::mutex> lock(livenessMutex_);
    old = liveness_;
    liveness_ = fresh;
  }
  old->Revoke();
}

}  // namespace post
}  // namespace kiv
