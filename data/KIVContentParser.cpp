#include "data/KIVContentParser.h"

#include <new>
#include <string_view>

namespace {

// Calls `take(piece)` for each piece of `text` until it returns false.
template <typename Take>
void ForEachPiece(std::string_view text, std::string_view separator, Take take) {
  size_t position = 0;
  while (position < text.size()) {
    const size_t match = text.find(separator, position);
    if (match == std::string_view::npos || match == 0) {
      take(text.substr(position));
      return;
    }
    if (!take(text.substr(position, match - position))) return;
    position = match + separator.size();
  }
}

}  // namespace

void CKIVContentParser::Split(const std::string& text, const std::string& separator) {
  try {
    ForEachPiece(text, separator, [this](std::string_view piece) {
      if (count_ >= kSlotCount) return false;
      slots_[static_cast<size_t>(count_)].assign(piece);
      ++count_;
      return true;
    });
  } catch (const std::bad_alloc&) {
    // Keep the pieces taken so far; a text too big to copy is not worth more.
  }
}

std::string CKIVContentParser::GetField(int record, int field, const std::string& separator) const {
  if (record < 0 || record >= count_ || field < 0) return std::string();
  const std::string& slot = slots_[static_cast<size_t>(record)];
  std::string_view found;
  int index = 0;
  ForEachPiece(slot, separator, [&](std::string_view piece) {
    if (index++ < field) return true;
    found = piece;
    return false;
  });
  return std::string(found);
}
