// A tiny blocking client of the market-data port for the stand-in's tests:
// it frames and unframes with the terminal's own frame and message code,
// over a plain POSIX socket whose reads wait with a generous bound.
#pragma once

#include <chrono>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "net/Frame.h"
#include "net/KivNetPack.h"
#include "net/Message.h"

namespace kiv::standin::testing {

// One frame as read from the wire.
struct RawFrame {
  FrameHeader header;
  FrameHeaderCheck check = FrameHeaderCheck::kOk;
  std::string body;  // as sent (compressed or not); empty unless check is kOk
};

class StandinClient {
 public:
  static constexpr std::chrono::milliseconds kBound{10000};

  explicit StandinClient(uint16_t port);
  ~StandinClient();
  StandinClient(const StandinClient&) = delete;
  StandinClient& operator=(const StandinClient&) = delete;

  bool IsConnected() const { return fd_ >= 0; }

  // Builds, frames and writes one message; false when the write failed.
  bool Send(uint64_t requestId, uint32_t type, const KivNetPack& payload = KivNetPack());
  bool SendRaw(const std::string& bytes);

  // The next frame; nullopt on end of stream, error or the bound. A frame
  // whose header check fails carries the header and no body.
  std::optional<RawFrame> ReadFrame(std::chrono::milliseconds bound = kBound);
  // The messages of the next frame that decodes (undecodable frames and
  // keep-alive / heartbeat messages of type 102 are skipped unless asked).
  std::optional<std::vector<NetMessage>> ReadMessages(bool keepHeartbeats = false,
                                                      std::chrono::milliseconds bound = kBound);
  // The next message other than a type-102 one.
  std::optional<NetMessage> ReadMessage(std::chrono::milliseconds bound = kBound);
  // Exactly length bytes as they arrive (for the ports that speak no
  // frames); nullopt on end of stream, error or the bound.
  std::optional<std::string> ReadRaw(size_t length, std::chrono::milliseconds bound = kBound);
  // True when the server closes the link within the bound (anything still
  // arriving is discarded).
  bool WaitForClose(std::chrono::milliseconds bound = kBound);

 private:
  // Exactly length bytes, or false (end of stream, error or deadline).
  bool ReadExactly(void* out, size_t length, std::chrono::steady_clock::time_point deadline);

  int fd_ = -1;
  std::vector<NetMessage> pending_;  // messages of a batch not handed out yet
};

}  // namespace kiv::standin::testing
