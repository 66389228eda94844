#include "data/KIVContentParser.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

std::vector<std::string> Slots(const CKIVContentParser& parser) {
  std::vector<std::string> slots;
  for (int i = 0; i < parser.GetCount(); ++i) slots.push_back(parser.GetField(i, 0, "\x01"));
  return slots;
}

TEST(KIVContentParser, SplitsIntoSlots) {
  const struct {
    const char* name;
    std::string text;
    std::string separator;
    std::vector<std::string> pieces;
  } cases[] = {
      {"each value followed by the separator", "a^^b^^", "^^", {"a", "b"}},
      {"no trailing separator", "a^^b", "^^", {"a", "b"}},
      {"leading separator keeps the text whole", "^^a^^b", "^^", {"^^a^^b"}},
      {"adjacent separators enclose an empty piece", "a^^^^b", "^^", {"a", "", "b"}},
      {"no separator", "abc", "^^", {"abc"}},
      {"empty text", "", "^^", {}},
      {"empty separator", "abc", "", {"abc"}},
      {"separator alone", "^^", "^^", {"^^"}},
  };
  for (const auto& c : cases) {
    CKIVContentParser parser;
    parser.Split(c.text, c.separator);
    EXPECT_EQ(Slots(parser), c.pieces) << c.name;
  }
}

TEST(KIVContentParser, SplitAppendsToTheFilledSlots) {
  CKIVContentParser parser;
  parser.Split("a^^b", "^^");
  parser.Split("c", "^^");
  EXPECT_EQ(Slots(parser), (std::vector<std::string>{"a", "b", "c"}));
}

TEST(KIVContentParser, StopsWhenEverySlotIsFilled) {
  std::string text;
  for (int i = 0; i < CKIVContentParser::kSlotCount + 10; ++i) text += std::to_string(i) + "^^";
  CKIVContentParser parser;
  parser.Split(text, "^^");
  ASSERT_EQ(parser.GetCount(), CKIVContentParser::kSlotCount);
  EXPECT_EQ(parser.GetField(CKIVContentParser::kSlotCount - 1, 0, "^"), "1023");
  parser.Split("more", "^^");
  EXPECT_EQ(parser.GetCount(), CKIVContentParser::kSlotCount);
}

TEST(KIVContentParser, GetFieldSplitsOneRecord) {
  CKIVContentParser parser;
  parser.Split("a^^b^^^^x^y^z", "^^");  // records "a", "b", "", "x^y^z"
  ASSERT_EQ(parser.GetCount(), 4);
  const struct {
    int record;
    int field;
    const char* separator;
    std::string expected;
  } cases[] = {
      {0, 0, "^", "a"},  {0, 1, "^", ""},  {3, 0, "^", "x"},  {3, 2, "^", "z"},
      {3, 3, "^", ""},   {2, 0, "^", ""},  {-1, 0, "^", ""},  {4, 0, "^", ""},
      {3, -1, "^", ""},  {3, 0, "", "x^y^z"},
  };
  for (const auto& c : cases)
    EXPECT_EQ(parser.GetField(c.record, c.field, c.separator), c.expected)
        << c.record << "/" << c.field;

  // Two values joined by a doubled separator: the empty piece between them.
  CKIVContentParser joined;
  joined.Split("one^^two", "\x01");
  EXPECT_EQ(joined.GetField(0, 0, "^"), "one");
  EXPECT_EQ(joined.GetField(0, 1, "^"), "");
  EXPECT_EQ(joined.GetField(0, 2, "^"), "two");
  EXPECT_EQ(joined.GetField(0, 3, "^"), "");
}

}  // namespace
