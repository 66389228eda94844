// KivListCell: one cell of the program's dark grid, as a header cell
// (caption) or a row cell. Its owners fill it and copy it into a grid by
// value; it holds a text, or an integer or a float in its first four bytes,
// as its kind says.
//
// Plain data, any thread.
#pragma once

#include <cstdint>
#include <cstring>

#include "net/StockId.h"
#include "platform/gdi/Geometry.h"

struct KivListCell {
  static constexpr int kValueBytes = 260;
  static constexpr int kFormatBytes = 260;
  enum Kind : uint32_t { kText = 0, kInteger = 1, kFloat = 2 };

  char value[kValueBytes] = {};   // GBK text, or int32 / float in its first 4 bytes
  uint32_t kind = kText;
  char format[kFormatBytes] = {}; // printf format for kinds 0 and 2
  StockId stock = 0;              // the security the row stands for
  COLORREF colour = 0xFBFBFB;
  uint32_t flags = 1;             // DrawText flags (DT_CENTER)

  void SetText(const char* text) {
    std::strncpy(value, text, kValueBytes - 1);
    value[kValueBytes - 1] = '\0';
    kind = kText;
  }
  void SetInteger(int32_t v) {
    std::memset(value, 0, sizeof value);
    std::memcpy(value, &v, sizeof v);
    kind = kInteger;
  }
  void SetFloat(float v) {
    std::memset(value, 0, sizeof value);
    std::memcpy(value, &v, sizeof v);
    kind = kFloat;
  }
  void SetFormat(const char* text) {
    std::strncpy(format, text, kFormatBytes - 1);
    format[kFormatBytes - 1] = '\0';
  }
  int32_t Integer() const {
    int32_t v;
    std::memcpy(&v, value, sizeof v);
    return v;
  }
  float Float() const {
    float v;
    std::memcpy(&v, value, sizeof v);
    return v;
  }
};
