#include "platform/sys/Trace.h"

#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <mutex>

namespace {

// Never destroyed: threads and static destructors may still trace while the
// process exits.
std::mutex& SinkMutex() {
  static std::mutex* mutex = new std::mutex;
  return *mutex;
}

std::function<void(const std::string&)>& TestSink() {
  static auto* sink = new std::function<void(const std::string&)>;
  return *sink;
}

void Emit(const std::string& text) {
  std::lock_guard<std::mutex> lock(SinkMutex());
  if (TestSink()) {
    TestSink()(text);
    return;
  }
  if (!std::getenv("KIV_TRACE")) return;
  std::fputs(text.c_str(), stderr);
  // Network trace lines often come without a newline; keep one line each.
  if (text.empty() || text.back() != '\n') std::fputc('\n', stderr);
}

}  // namespace

void OutputDebugStringA(const char* text) { Emit(text ? text : ""); }

void KivTrace(const char* format, ...) {
  if (!format) return;
  va_list args;
  va_start(args, format);
  va_list measure;
  va_copy(measure, args);
  int length = std::vsnprintf(nullptr, 0, format, measure);
  va_end(measure);
  if (length < 0) {  // a format the C library cannot render: nothing to say
    va_end(args);
    return;
  }
  std::string text(static_cast<size_t>(length) + 1, '\0');
  std::vsnprintf(&text[0], text.size(), format, args);
  va_end(args);
  text.resize(static_cast<size_t>(length));
  Emit(text);
}

namespace kiv {

void SetTraceSinkForTesting(std::function<void(const std::string&)> sink) {
  std::lock_guard<std::mutex> lock(SinkMutex());
  TestSink() = std::move(sink);
}

}  // namespace kiv
