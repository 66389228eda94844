#include "shell/PPToolTipMarkupReader.h"

#include <cctype>

namespace {

std::string LowerAscii(std::string text) {
  for (char& c : text) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return text;
}

// One item of a tag body: a name up to "=", a blank or the end, and after
// an "=" right behind it a value up to the next blank.
size_t ReadTagItem(const std::string& body, size_t at, std::string* name, bool* hasValue, std::string* value) {
  size_t end = at;
  while (end < body.size() && body[end] != ' ' && body[end] != '=') ++end;
  *name = body.substr(at, end - at);
  *hasValue = false;
  value->clear();
  if (end < body.size() && body[end] == '=') {
    *hasValue = true;
    size_t valueEnd = end + 1;
    while (valueEnd < body.size() && body[valueEnd] != ' ') ++valueEnd;
    *value = body.substr(end + 1, valueEnd - end - 1);
    end = valueEnd;
  }
  return end;
}

size_t SkipBlanks(const std::string& body, size_t at) {
  while (at < body.size() && body[at] == ' ') ++at;
  return at;
}

}  // namespace

bool PPToolTipMarkupReader::Next(PPToolTipToken* token) {
  if (ended_ || at_ >= text_.size()) return false;
  *token = PPToolTipToken();
  const char c = text_[at_];
  if (c == '\t' || c == '\n') {
    token->kind = c == '\t' ? PPToolTipToken::kTab : PPToolTipToken::kLineBreak;
    ++at_;
    return true;
  }
  if (c == '<' && !(at_ + 1 < text_.size() && text_[at_ + 1] == '<')) {
    // A tag: its body is what lies before the ">", less tabs and line ends.
    const size_t close = text_.find('>', at_ + 1);
    if (close == std::string_view::npos) {
      ended_ = true;  // no ">" follows: the text ends here
      return false;
    }
    std::string body;
    for (size_t i = at_ + 1; i < close; ++i) {
      if (text_[i] != '\t' && text_[i] != '\n' && text_[i] != '\r') body += text_[i];
    }
    at_ = close + 1;
    token->kind = PPToolTipToken::kTag;
    size_t pos = SkipBlanks(body, 0);
    std::string name;
    pos = ReadTagItem(body, pos, &name, &token->hasValue, &token->value);
    if (!name.empty() && name[0] == '/') {
      token->closing = true;
      name.erase(0, 1);
    }
    token->name = LowerAscii(name);
    for (pos = SkipBlanks(body, pos); pos < body.size(); pos = SkipBlanks(body, pos)) {
      std::string attribute;
      std::string value;
      bool hasValue = false;
      const size_t next = ReadTagItem(body, pos, &attribute, &hasValue, &value);
      // An "=" with no name before it starts no item: step over it.
      pos = next > pos ? next : pos + 1;
      if (attribute.empty()) continue;
      token->attributes.emplace_back(LowerAscii(attribute), value);
      token->attributeHasValue.push_back(hasValue);
    }
    return true;
  }
  // A run of plain text.
  token->kind = PPToolTipToken::kText;
  while (at_ < text_.size()) {
    const char ch = text_[at_];
    if (ch == '\t' || ch == '\n') break;
    if (ch == '<') {
      if (at_ + 1 < text_.size() && text_[at_ + 1] == '<') {
        token->text += '<';
        at_ += 2;
        continue;
      }
      break;
    }
    if (ch != '\r') token->text += ch;
    ++at_;
  }
  return true;
}

uint32_t PPToolTipMarkupReader::Number(const std::string& value, uint32_t fallback) {
  if (value.empty()) return fallback;
  size_t at = 0;
  uint32_t base = 10;
  if (value.size() >= 2 && value[0] == '0' && (value[1] == 'x' || value[1] == 'X')) {
    base = 16;
    at = 2;
  } else if (value[0] == '0') {
    base = 8;
  }
  uint32_t result = 0;
  for (; at < value.size(); ++at) {
    const char c = value[at];
    uint32_t digit;
    if (c >= '0' && c <= '9') {
      digit = static_cast<uint32_t>(c - '0');
    } else if (c >= 'a' && c <= 'f') {
      digit = static_cast<uint32_t>(c - 'a' + 10);
    } else if (c >= 'A' && c <= 'F') {
      digit = static_cast<uint32_t>(c - 'A' + 10);
    } else {
      break;
    }
    if (digit >= base) break;
    result = result * base + digit;  // unsigned: wraps
  }
  return result;
}
