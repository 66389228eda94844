#include <gtest/gtest.h>

#include "platform/office/Document.h"

namespace {

using namespace kiv::office;

TEST(DocumentTest, TypedTextFormsRunsByFormatAndParagraphsKeepTheirFormat) {
  Document document;
  document.SetAlignment(Alignment::kCenter);
  document.Font().bold = true;
  document.Font().sizePt = 16;
  document.TypeText("Title");
  document.TypeText(" line");
  document.TypeParagraph();
  document.Font().bold = false;
  document.Font().sizePt = 10.5f;
  document.TypeText("body");
  document.TypeText("");  // nothing, not an empty run

  const auto& paragraphs = document.Body()[0].flow.Paragraphs();
  ASSERT_EQ(paragraphs.size(), 2u);
  ASSERT_EQ(paragraphs[0].runs.size(), 1u) << "same format, one run";
  EXPECT_EQ(paragraphs[0].runs[0].text, "Title line");
  EXPECT_TRUE(paragraphs[0].runs[0].format.bold);
  EXPECT_EQ(paragraphs[1].format.alignment, Alignment::kCenter)
      << "the next paragraph carries the format on";
  ASSERT_EQ(paragraphs[1].runs.size(), 1u);
  EXPECT_FALSE(paragraphs[1].runs[0].format.bold);
}

TEST(DocumentTest, ATableTakesTheEmptyCurrentParagraphAndTypingContinuesAfterIt) {
  Document document;
  document.TypeText("before");
  document.TypeParagraph();
  document.Font().underline = true;
  Table* table = document.AddTable(2, 3);
  ASSERT_NE(table, nullptr);
  document.TypeText("after");

  const auto& body = document.Body();
  ASSERT_EQ(body.size(), 3u);
  EXPECT_EQ(body[0].flow.Paragraphs().size(), 1u) << "the empty paragraph became the table";
  EXPECT_EQ(body[1].table.get(), table);
  EXPECT_EQ(body[2].flow.Paragraphs()[0].runs[0].text, "after");
  EXPECT_TRUE(body[2].flow.Paragraphs()[0].runs[0].format.underline);

  // At the very start, and right after a table, no empty text is left.
  Document tables;
  tables.AddTable(1, 1);
  tables.AddTable(1, 1);
  ASSERT_EQ(tables.Body().size(), 3u);
  EXPECT_TRUE(tables.Body()[0].table && tables.Body()[1].table && !tables.Body()[2].table);

  EXPECT_EQ(document.AddTable(0, 1), nullptr);
  EXPECT_EQ(document.AddTable(1, 64), nullptr);
}

TEST(DocumentTest, TableGeometryIsCheckedAndColumnsShareTheTextWidth) {
  Table table(2, 4, 400);
  EXPECT_FLOAT_EQ(table.ColumnWidth(3), 100);
  EXPECT_TRUE(table.SetColumnWidth(0, 50));
  EXPECT_FALSE(table.SetColumnWidth(4, 50));
  EXPECT_FALSE(table.SetColumnWidth(1, 0));
  EXPECT_TRUE(table.SetRowHeight(1, 20, HeightRule::kExact));
  EXPECT_FALSE(table.SetRowHeight(2, 20, HeightRule::kExact));
  EXPECT_EQ(table.RowHeightRule(1), HeightRule::kExact);
  EXPECT_EQ(table.At(2, 0), nullptr);
  EXPECT_EQ(table.At(0, -1), nullptr);
}

TEST(DocumentTest, MergesJoinRectanglesIntoTheirTopLeftCell) {
  Table table(4, 4, 400);
  table.At(0, 0)->TypeText("a");
  table.At(0, 1)->TypeText("b");
  table.At(1, 1)->TypeText("c");

  EXPECT_TRUE(table.Merge(1, 1, 0, 0)) << "either corner order";
  EXPECT_EQ(table.At(1, 1), table.At(0, 0));
  const auto& paragraphs = table.At(0, 0)->Paragraphs();
  ASSERT_EQ(paragraphs.size(), 3u) << "the others' text follows the anchor's";
  EXPECT_EQ(paragraphs[0].Text() + paragraphs[1].Text() + paragraphs[2].Text(), "abc");
  Table::Span span = table.SpanOf(1, 0);
  EXPECT_EQ(span.row, 0);
  EXPECT_EQ(span.rows, 2);
  EXPECT_EQ(span.columns, 2);

  struct Case {
    const char* what;
    int r1, c1, r2, c2;
    bool merges;
  };
  const Case cases[] = {
      {"cuts through the earlier merge", 1, 1, 1, 2, false},
      {"out of range", 0, 0, 4, 0, false},
      {"negative", -1, 0, 0, 0, false},
      {"beside it", 2, 0, 3, 0, true},
      {"covers earlier merges whole", 0, 0, 3, 1, true},
      {"a single cell", 3, 3, 3, 3, true},
  };
  for (const Case& c : cases) EXPECT_EQ(table.Merge(c.r1, c.c1, c.r2, c.c2), c.merges) << c.what;
  EXPECT_EQ(table.SpanOf(3, 1).rows, 4);
  EXPECT_EQ(table.At(3, 1), table.At(0, 0));
  EXPECT_NE(table.At(0, 2), table.At(0, 0));
}

}  // namespace
