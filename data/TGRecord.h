// TGRecord: the per-stock advice record, 300 bytes; the mapped table KivMapTG
// (Pstock/TG.dat) keeps it behind a 32-bit key (TGTableRecord, 304 bytes).
// A file format: every byte is fixed, little-endian.
//
//   offset  size  field
//   0       36    reserved: nine 32-bit words
//   36      4     stock: StockId
//   40      16    name, NUL-terminated
//   56      140   industry block:
//     56    4       industry StockId
//     60    16      industry name (14 bytes of text at most, 2 unused)
//     76    112     28 finance values, i32, thousandths
//     188   8       industry AdviceCode, i64
//   196     8     stock AdviceCode, i64
//   204     8     market AdviceCode, i64
//   212     4     stock GradeCode, u32
//   216     4     market index StockId
//   220     12    six u16 counts (the first five: ratings of the last month)
//   232     4     shareholder accounts, i32
//   236     4     average shares per shareholder, i32
//   240     40    change against the previous period, text
//   280     20    chip concentration, text
#pragma once

#include <cstddef>
#include <cstdint>
#include <type_traits>

#include "net/StockId.h"

#pragma pack(push, 4)
struct TGIndustryBlock {
  StockId industry;
  char industryName[16];
  int32_t finance[28];
  int64_t industryAdvice;
};

struct TGRecord {
  uint32_t reserved[9];
  StockId stock;
  char name[16];
  TGIndustryBlock industry;
  int64_t stockAdvice;
  int64_t marketAdvice;
  uint32_t grade;
  StockId marketIndex;
  uint16_t ratings[6];
  int32_t accounts;
  int32_t averageShares;
  char changeText[40];
  char concentrationText[20];

  // Copies member by member: state words, stock, name, the industry block,
  // the six 32-bit and six 16-bit values and the rest. Defaulted, so the
  // record stays trivially copyable like the file bytes it mirrors.
  TGRecord& operator=(const TGRecord& source) = default;
};

// A record of KivMapTG: the StockId word as key, then the advice record.
struct TGTableRecord {
  StockId key;
  TGRecord record;
};
#pragma pack(pop)

static_assert(sizeof(TGIndustryBlock) == 140, "the industry block is 140 bytes");
static_assert(sizeof(TGRecord) == 300, "TGRecord is 300 bytes");
static_assert(offsetof(TGRecord, industry) == 56, "TGRecord layout");
static_assert(offsetof(TGRecord, stockAdvice) == 196, "TGRecord layout");
static_assert(offsetof(TGRecord, grade) == 212, "TGRecord layout");
static_assert(offsetof(TGRecord, ratings) == 220, "TGRecord layout");
static_assert(offsetof(TGRecord, accounts) == 232, "TGRecord layout");
static_assert(offsetof(TGRecord, changeText) == 240, "TGRecord layout");
static_assert(offsetof(TGRecord, concentrationText) == 280, "TGRecord layout");
static_assert(sizeof(TGTableRecord) == 304, "a KivMapTG record is 304 bytes");
static_assert(std::is_trivially_copyable<TGRecord>::value, "TGRecord is plain bytes");
