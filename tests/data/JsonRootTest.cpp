#include "data/JsonRoot.h"

#include <gtest/gtest.h>

#include <string>

namespace {

TEST(JsonRoot, ParsesADocument) {
  CJsonRoot root("{\"Data1Ip\": \"10.0.0.1\", \"count\": 2}");
  ASSERT_NE(root.Get(), nullptr);
  EXPECT_EQ(JsonString(root.Get(), "Data1Ip"), "10.0.0.1");
  EXPECT_EQ(JsonInt64(root.Get(), "count"), 2);
}

TEST(JsonRoot, SkipsAByteOrderMark) {
  CJsonRoot root("\xEF\xBB\xBF[1, 2]");
  ASSERT_NE(root.Get(), nullptr);
  EXPECT_EQ(root.Get()->size(), 2u);
}

TEST(JsonRoot, LiteralNullIsADocumentNotAFailure) {
  CJsonRoot root("null");
  ASSERT_NE(root.Get(), nullptr);
  EXPECT_TRUE(root.Get()->is_null());
}

TEST(JsonRoot, TextThatDoesNotParseLeavesNoRoot) {
  const std::string cases[] = {
      "",
      "   ",
      "{",
      "[1, 2",
      "{\"a\": }",
      "{\"a\": 1,}",
      "nul",
      "{} trailing",
      "\"\xff\"",                 // not UTF-8
      "\xEF\xBB\xBF",             // a mark and nothing else
      "{\"a\": \"\\ud800\"}",     // lone surrogate escape
      std::string("{\"a\"\0: 1}", 9),
  };
  for (const std::string& text : cases) EXPECT_EQ(CJsonRoot(text).Get(), nullptr) << text;
}

TEST(JsonRoot, TextEndsAtItsFirstZero) {
  CJsonRoot root(std::string("{\"a\": 1}\0garbage", 16));
  ASSERT_NE(root.Get(), nullptr);
  EXPECT_EQ(JsonInt64(root.Get(), "a"), 1);
}

TEST(JsonRoot, DeepNestingParsesWithoutExhaustingTheStack) {
  const int depth = 100000;
  CJsonRoot root(std::string(depth, '[') + std::string(depth, ']'));
  EXPECT_NE(root.Get(), nullptr);
}

TEST(JsonRoot, MembersOfTheWrongTypeCountAsAbsent) {
  CJsonRoot root(R"({"s": "text", "i": 42, "f": -3.9, "b": true, "o": {"k": 1}, "a": [1, "x"],
                     "n": null, "si": "7", "big": 1e30, "umax": 18446744073709551615,
                     "imax": 9223372036854775807})");
  const nlohmann::json* doc = root.Get();
  ASSERT_NE(doc, nullptr);

  EXPECT_EQ(JsonString(doc, "s"), "text");
  EXPECT_EQ(JsonString(doc, "i"), std::nullopt);
  EXPECT_EQ(JsonString(doc, "n"), std::nullopt);
  EXPECT_EQ(JsonString(doc, "missing"), std::nullopt);

  EXPECT_EQ(JsonNumber(doc, "f"), -3.9);
  EXPECT_EQ(JsonNumber(doc, "i"), 42.0);
  EXPECT_EQ(JsonNumber(doc, "si"), std::nullopt);
  EXPECT_EQ(JsonNumber(doc, "b"), std::nullopt);

  EXPECT_EQ(JsonInt64(doc, "i"), 42);
  EXPECT_EQ(JsonInt64(doc, "f"), -3);  // truncated toward zero
  EXPECT_EQ(JsonInt64(doc, "imax"), INT64_MAX);
  EXPECT_EQ(JsonInt64(doc, "umax"), std::nullopt);
  EXPECT_EQ(JsonInt64(doc, "big"), std::nullopt);
  EXPECT_EQ(JsonInt64(doc, "si"), std::nullopt);

  EXPECT_EQ(JsonBool(doc, "b"), true);
  EXPECT_EQ(JsonBool(doc, "i"), std::nullopt);

  EXPECT_NE(JsonObject(doc, "o"), nullptr);
  EXPECT_EQ(JsonObject(doc, "a"), nullptr);
  EXPECT_EQ(JsonArray(doc, "o"), nullptr);
  const nlohmann::json* array = JsonArray(doc, "a");
  ASSERT_NE(array, nullptr);
  EXPECT_EQ(JsonElement(array, 1)->get<std::string>(), "x");
  EXPECT_EQ(JsonElement(array, 2), nullptr);
  EXPECT_EQ(JsonElement(doc, 0), nullptr);  // not an array

  // Lookups chain through absent and mistyped levels without checks between.
  EXPECT_EQ(JsonInt64(JsonObject(doc, "o"), "k"), 1);
  EXPECT_EQ(JsonInt64(JsonObject(doc, "a"), "k"), std::nullopt);
  EXPECT_EQ(JsonString(JsonElement(array, 0), "k"), std::nullopt);
  EXPECT_EQ(JsonMember(nullptr, "k"), nullptr);
}

}  // namespace
