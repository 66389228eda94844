// Lifeline: the liveness token of an object that is not a window (a model,
// a worker's shared state) and is called back from other threads. Windows
// need none: the layer gives each window a token of its own (WindowRef::Of).
//
// The owner revokes the token before anything its callbacks read is gone:
// either the Lifeline is its last member (members die in reverse order, so
// it is revoked first), or its destructor calls Revoke first thing.
//
//   class KLineModel {
//     ...
//     Lifeline life_;  // last: revoked before the members above
//   };
//   service.RequestKLine(BindAlive(life_.Ref(), this, &KLineModel::OnPacket), ...);
#pragma once

#include <memory>

#include "platform/post/LivenessToken.h"
#include "platform/post/WindowRef.h"

namespace kiv {

class Lifeline {
 public:
  Lifeline() : token_(std::make_shared<LivenessToken>()) {}
  ~Lifeline() { token_->Revoke(); }
  Lifeline(const Lifeline&) = delete;
  Lifeline& operator=(const Lifeline&) = delete;

  WindowRef Ref() const { return WindowRef(token_); }
  // Waits for a running callback and stops later ones; idempotent.
  void Revoke() { token_->Revoke(); }

 private:
  std::shared_ptr<LivenessToken> token_;
};

}  // namespace kiv
