// StockSearch: what the keyboard stock search lists for a typed text, apart
// from any window: the shortcut rows whose key holds the typed digits, then
// every security that matches by code, name or pinyin initials (CRomSpell),
// shares first, then indices, then the rest, shorter names first, and in
// stock-table order where those are equal.
//
// Owned by the search pop-up, which hands it its copy of the stock table
// when it opens; the copy is not refreshed while it is open. One thread at a
// time (the UI thread).
#pragma once

#include <string>
#include <vector>

#include "data/StockTable.h"
#include "shell/RomSpell.h"

class StockSearch {
 public:
  // One shortcut row: its key and caption (GBK).
  struct Shortcut {
    const char* key;
    const char* caption;
  };
  // A matching security: its place in the copy and its sort key.
  struct Hit {
    int index;
    int sortKey;
  };
  // Sort keys: group x 65536 + the name's length in bytes.
  static constexpr int kShareGroup = 1;
  static constexpr int kIndexGroup = 2;
  static constexpr int kOtherGroup = 3;

  StockSearch() = default;

  void SetSecurities(std::vector<StockRecord> securities) { securities_ = std::move(securities); }
  const std::vector<StockRecord>& Securities() const { return securities_; }
  const CRomSpell& Spell() const { return spell_; }

  // The ten shortcut rows, in the order they are listed.
  static const std::vector<Shortcut>& Shortcuts();
  // "key caption".
  static std::string ShortcutRow(const Shortcut& shortcut);

  // Every row for the typed text, in the order listed: "." gives every
  // shortcut row and nothing else; a text that begins with a digit gives
  // the shortcut rows whose key holds it; then the matching securities,
  // sorted. Nothing for an empty text.
  std::vector<std::string> Rows(const std::string& typed) const;

  // The steps of Rows, for those that time or test them one by one.
  void ShortcutRows(const std::string& typed, std::vector<std::string>& rows) const;
  // The securities that match, in stock-table order, with their sort keys.
  void MatchSecurities(const std::string& typed, std::vector<Hit>& hits) const;
  // Ascending sort key; equal keys keep stock-table order.
  static void SortHits(std::vector<Hit>& hits);
  // "SH600000 name": market prefix (SH 1, SZ 2, SB 3, ZD any other), the
  // six-digit code, a blank and the name.
  std::string SecurityRow(const Hit& hit) const;

  // group x 65536 + name length: shares (classes 0, 1, 5, and in Shenzhen
  // 4, 9, 10), then indices (class 4 elsewhere, or a 399xxx code), then all
  // others.
  static int SortKey(const StockRecord& record);

 private:
  std::vector<StockRecord> securities_;
  CRomSpell spell_;
};
