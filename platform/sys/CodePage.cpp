#include "platform/sys/CodePage.h"

#include <cerrno>
#include <cstring>
#include <iconv.h>

#include "platform/sys/ByteOrder.h"

namespace {

constexpr char16_t kReplacement = 0xFFFD;

bool IsHighSurrogate(char16_t c) { return c >= 0xD800 && c <= 0xDBFF; }
bool IsLowSurrogate(char16_t c) { return c >= 0xDC00 && c <= 0xDFFF; }

bool IsGbk(UINT codePage) { return codePage == CP_ACP || codePage == CP_GBK; }

// One iconv descriptor per thread and direction: descriptors are not
// thread-safe, and opening one per call would dominate short conversions.
class IconvHandle {
 public:
  IconvHandle(const char* to, const char* from) : cd_(iconv_open(to, from)) {}
  ~IconvHandle() {
    if (Valid()) iconv_close(cd_);
  }
  IconvHandle(const IconvHandle&) = delete;
  IconvHandle& operator=(const IconvHandle&) = delete;
  bool Valid() const { return cd_ != reinterpret_cast<iconv_t>(-1); }
  iconv_t get() const { return cd_; }

 private:
  iconv_t cd_;
};

iconv_t GbkDecoder() {
  thread_local IconvHandle handle("UTF-16LE", "CP936");
  return handle.Valid() ? handle.get() : reinterpret_cast<iconv_t>(-1);
}

iconv_t GbkEncoder() {
  thread_local IconvHandle handle("CP936", "UTF-16LE");
  return handle.Valid() ? handle.get() : reinterpret_cast<iconv_t>(-1);
}

std::u16string DecodeGbk(std::string_view text) {
  std::u16string out;
  out.reserve(text.size());
  size_t i = 0;
  iconv_t cd = GbkDecoder();
  while (i < text.size()) {
    unsigned char byte = static_cast<unsigned char>(text[i]);
    if (byte < 0x80) {  // ASCII is the common case; no need to ask iconv
      out.push_back(byte);
      ++i;
      continue;
    }
    size_t width = (byte == 0x80 || byte == 0xFF || i + 1 >= text.size()) ? 1 : 2;
    char in[2] = {text[i], width == 2 ? text[i + 1] : '\0'};
    char* inPtr = in;
    size_t inLeft = width;
    char outBuf[8];
    char* outPtr = outBuf;
    size_t outLeft = sizeof outBuf;
    iconv(cd, nullptr, nullptr, nullptr, nullptr);
    if (cd != reinterpret_cast<iconv_t>(-1) &&
        iconv(cd, &inPtr, &inLeft, &outPtr, &outLeft) != static_cast<size_t>(-1) && inLeft == 0) {
      for (char* p = outBuf; p + 1 < outPtr; p += 2) {
        out.push_back(static_cast<char16_t>(kiv::LoadLe16(p)));
      }
      i += width;
    } else {
      out.push_back(kReplacement);
      ++i;  // resynchronise on the next byte
    }
  }
  return out;
}

std::string EncodeGbk(std::u16string_view text, bool* usedDefault) {
  std::string out;
  out.reserve(text.size() * 2);
  iconv_t cd = GbkEncoder();
  for (size_t i = 0; i < text.size(); ++i) {
    char16_t c = text[i];
    if (c < 0x80) {
      out.push_back(static_cast<char>(c));
      continue;
    }
    if (IsHighSurrogate(c) && i + 1 < text.size() && IsLowSurrogate(text[i + 1])) {
      ++i;  // CP936 has nothing outside the basic plane
      out.push_back('?');
      if (usedDefault) *usedDefault = true;
      continue;
    }
    char in[2];
    kiv::StoreLe16(in, static_cast<uint16_t>(c));
    char* inPtr = in;
    size_t inLeft = 2;
    char outBuf[8];
    char* outPtr = outBuf;
    size_t outLeft = sizeof outBuf;
    iconv(cd, nullptr, nullptr, nullptr, nullptr);
    if (cd != reinterpret_cast<iconv_t>(-1) &&
        iconv(cd, &inPtr, &inLeft, &outPtr, &outLeft) != static_cast<size_t>(-1) && inLeft == 0) {
      out.append(outBuf, outPtr);
    } else {
      out.push_back('?');
      if (usedDefault) *usedDefault = true;
    }
  }
  return out;
}

std::u16string DecodeUtf8(std::string_view text) {
  std::u16string out;
  out.reserve(text.size());
  size_t i = 0;
  while (i < text.size()) {
    unsigned char b0 = static_cast<unsigned char>(text[i]);
    if (b0 < 0x80) {
      out.push_back(b0);
      ++i;
      continue;
    }
    size_t length = b0 >= 0xF0 ? 4 : b0 >= 0xE0 ? 3 : b0 >= 0xC0 ? 2 : 0;
    if (length == 0 || b0 > 0xF4 || i + length > text.size()) {
      out.push_back(kReplacement);
      ++i;
      continue;
    }
    char32_t cp = b0 & (0x7F >> length);
    bool valid = true;
    for (size_t k = 1; k < length; ++k) {
      unsigned char b = static_cast<unsigned char>(text[i + k]);
      if ((b & 0xC0) != 0x80) {
        valid = false;
        break;
      }
      cp = (cp << 6) | (b & 0x3F);
    }
    static const char32_t kMinimum[5] = {0, 0, 0x80, 0x800, 0x10000};
    if (!valid || cp < kMinimum[length] || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) {
      out.push_back(kReplacement);
      ++i;
      continue;
    }
    if (cp >= 0x10000) {
      cp -= 0x10000;
      out.push_back(static_cast<char16_t>(0xD800 + (cp >> 10)));
      out.push_back(static_cast<char16_t>(0xDC00 + (cp & 0x3FF)));
    } else {
      out.push_back(static_cast<char16_t>(cp));
    }
    i += length;
  }
  return out;
}

std::string EncodeUtf8(std::u16string_view text) {
  std::string out;
  out.reserve(text.size() * 3);
  for (size_t i = 0; i < text.size(); ++i) {
    char32_t cp = text[i];
    if (IsHighSurrogate(text[i]) && i + 1 < text.size() && IsLowSurrogate(text[i + 1])) {
      cp = 0x10000 + ((cp - 0xD800) << 10) + (text[i + 1] - 0xDC00);
      ++i;
    } else if (IsHighSurrogate(text[i]) || IsLowSurrogate(text[i])) {
      cp = kReplacement;
    }
    if (cp < 0x80) {
      out.push_back(static_cast<char>(cp));
    } else if (cp < 0x800) {
      out.push_back(static_cast<char>(0xC0 | (cp >> 6)));
      out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
    } else if (cp < 0x10000) {
      out.push_back(static_cast<char>(0xE0 | (cp >> 12)));
      out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
      out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
    } else {
      out.push_back(static_cast<char>(0xF0 | (cp >> 18)));
      out.push_back(static_cast<char>(0x80 | ((cp >> 12) & 0x3F)));
      out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
      out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
    }
  }
  return out;
}

}  // namespace

namespace kiv {

std::u16string DecodeToUtf16(UINT codePage, std::string_view text) {
  if (codePage == CP_UTF8) return DecodeUtf8(text);
  if (IsGbk(codePage)) return DecodeGbk(text);
  return {};
}

std::string EncodeFromUtf16(UINT codePage, std::u16string_view text) {
  if (codePage == CP_UTF8) return EncodeUtf8(text);
  if (IsGbk(codePage)) return EncodeGbk(text, nullptr);
  return {};
}

std::string GbkToUtf8(std::string_view gbk) { return EncodeUtf8(DecodeGbk(gbk)); }

std::string Utf8ToGbk(std::string_view utf8) { return EncodeGbk(DecodeUtf8(utf8), nullptr); }

}  // namespace kiv

int MultiByteToWideChar(UINT codePage, DWORD flags, const char* source, int sourceLength,
                        WCHAR* destination, int destinationSize) {
  if (source == nullptr || sourceLength == 0 || sourceLength < -1 || destinationSize < 0) return 0;
  if (codePage != CP_UTF8 && !IsGbk(codePage)) return 0;
  size_t length = sourceLength == -1 ? std::strlen(source) + 1 : static_cast<size_t>(sourceLength);
  std::u16string wide = kiv::DecodeToUtf16(codePage, std::string_view(source, length));
  if (destinationSize == 0) return static_cast<int>(wide.size());
  if (destination == nullptr || wide.size() > static_cast<size_t>(destinationSize)) return 0;
  std::memcpy(destination, wide.data(), wide.size() * sizeof(WCHAR));
  return static_cast<int>(wide.size());
}

int WideCharToMultiByte(UINT codePage, DWORD flags, const WCHAR* source, int sourceLength,
                        char* destination, int destinationSize, const char* defaultChar,
                        BOOL* usedDefaultChar) {
  if (usedDefaultChar) *usedDefaultChar = FALSE;
  if (source == nullptr || sourceLength == 0 || sourceLength < -1 || destinationSize < 0) return 0;
  if (codePage != CP_UTF8 && !IsGbk(codePage)) return 0;
  size_t length = 0;
  if (sourceLength == -1) {
    while (source[length] != 0) ++length;
    ++length;
  } else {
    length = static_cast<size_t>(sourceLength);
  }
  std::u16string_view text(source, length);
  std::string narrow;
  if (codePage == CP_UTF8) {
    narrow = EncodeUtf8(text);
  } else {
    bool used = false;
    narrow = EncodeGbk(text, &used);
    if (used && usedDefaultChar) *usedDefaultChar = TRUE;
  }
  if (destinationSize == 0) return static_cast<int>(narrow.size());
  if (destination == nullptr || narrow.size() > static_cast<size_t>(destinationSize)) return 0;
  std::memcpy(destination, narrow.data(), narrow.size());
  return static_cast<int>(narrow.size());
}
