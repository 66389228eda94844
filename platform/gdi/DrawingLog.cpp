#include "platform/gdi/DrawingLog.h"

#include <atomic>
#include <mutex>

namespace kiv {
namespace gdi {

namespace {

std::atomic<bool> gDrawingLogOn{false};

struct DrawingLogStore {
  std::mutex mutex;
  std::vector<LoggedText> texts;
  std::vector<LoggedBlit> blits;
};

DrawingLogStore& Store() {
  static DrawingLogStore store;
  return store;
}

}  // namespace

void DrawingLog::Enable(bool on) { gDrawingLogOn.store(on, std::memory_order_relaxed); }

bool DrawingLog::Enabled() { return gDrawingLogOn.load(std::memory_order_relaxed); }

void DrawingLog::Clear() {
  DrawingLogStore& s = Store();
  std::lock_guard<std::mutex> lock(s.mutex);
  s.texts.clear();
  s.blits.clear();
}

std::vector<LoggedText> DrawingLog::Texts() {
  DrawingLogStore& s = Store();
  std::lock_guard<std::mutex> lock(s.mutex);
  return s.texts;
}

std::vector<LoggedBlit> DrawingLog::Blits() {
  DrawingLogStore& s = Store();
  std::lock_guard<std::mutex> lock(s.mutex);
  return s.blits;
}

void DrawingLog::Record(LoggedText text) {
  DrawingLogStore& s = Store();
  std::lock_guard<std::mutex> lock(s.mutex);
  s.texts.push_back(std::move(text));
}

void DrawingLog::Record(LoggedBlit blit) {
  DrawingLogStore& s = Store();
  std::lock_guard<std::mutex> lock(s.mutex);
  s.blits.push_back(blit);
}

}  // namespace gdi
}  // namespace kiv
