// Splitter of the caret-separated texts of the web service: records are
// separated by "^^", the fields of a record by "^". Split fills a fixed
// table of slots with the records; GetField splits one slot on request.
//
// Splitting has one quirk the texts rely on: a separator at the very start
// of the text is not a separator, so such a text stays whole as one piece.
// A separator at the end gives no empty last piece; two adjacent separators
// enclose an empty piece.
#pragma once

#include <array>
#include <string>

class CKIVContentParser {
 public:
  static constexpr int kSlotCount = 1024;

  CKIVContentParser() = default;
  virtual ~CKIVContentParser() = default;

  // Appends the pieces of `text`, split at `separator`, to the next free
  // slots. Once every slot is filled the rest of the text is dropped: the
  // lists fed from here show no more than that many rows.
  void Split(const std::string& text, const std::string& separator);

  // Piece `field` (from 0) of slot `record`, split at `separator`; empty
  // when the record or the piece does not exist.
  std::string GetField(int record, int field, const std::string& separator) const;

  // Slots filled so far.
  int GetCount() const { return count_; }

 private:
  std::array<std::string, kSlotCount> slots_;
  int count_ = 0;
};
