// Fonts and text: metrics from LOGFONT, extents that match what is drawn,
// DrawText's formats. Literals are GBK, as everywhere in the program.
#include <gtest/gtest.h>

#include <cstring>

#include "platform/gdi/FontFace.h"
#include "tests/platform/gdi/GdiTestSupport.h"
#include "tests/support/CaseName.h"

namespace kiv {
namespace gdi {
namespace {

using test::Canvas;
using test::kBlack;
using test::kGreen;
using test::kRed;
using test::kWhite;

LOGFONT Font(LONG height, const char* face, LONG weight = FW_NORMAL) {
  LOGFONT lf;
  lf.lfHeight = height;
  lf.lfWeight = weight;
  std::strncpy(lf.lfFaceName, face, LF_FACESIZE - 1);
  return lf;
}

TEST(FontTest, FaceNamesMapToTheInstalledFaces) {
  EXPECT_STREQ(FontFace::FamilyFor("宋体"), "AR PL UMing CN");
  EXPECT_STREQ(FontFace::FamilyFor("新宋体"), "AR PL UMing CN");
  EXPECT_STREQ(FontFace::FamilyFor("黑体"), "WenQuanYi Zen Hei");
  EXPECT_STREQ(FontFace::FamilyFor("微软雅黑"), "WenQuanYi Zen Hei");
  EXPECT_STREQ(FontFace::FamilyFor(""), "WenQuanYi Zen Hei");
}

struct HeightCase {
  LONG lfHeight;
  LONG tmHeight;
};

class FontHeightTest : public ::testing::TestWithParam<HeightCase> {};

TEST_P(FontHeightTest, CellHeightFollowsTheLogicalHeight) {
  CDC dc;
  CFont font;
  LOGFONT lf = Font(GetParam().lfHeight, "宋体");
  ASSERT_TRUE(font.CreateFontIndirect(&lf));
  dc.SelectObject(&font);
  TEXTMETRIC tm;
  ASSERT_TRUE(dc.GetTextMetrics(&tm));
  EXPECT_EQ(tm.tmHeight, GetParam().tmHeight);
  EXPECT_EQ(tm.tmAscent + tm.tmDescent, tm.tmHeight);
  EXPECT_EQ(dc.GetTextExtent("国").cy, tm.tmHeight);
}

INSTANTIATE_TEST_SUITE_P(Heights, FontHeightTest,
                         ::testing::Values(HeightCase{15, 15}, HeightCase{-15, 15},
                                           HeightCase{12, 12}, HeightCase{26, 26},
                                           HeightCase{0, 12}),
                         [](const ::testing::TestParamInfo<HeightCase>& info) {
                           const LONG height = info.param.lfHeight;
                           return (height < 0 ? "height_minus_" : "height_") + std::to_string(height < 0 ? -height : height);
                         });

TEST(TextExtentTest, WidthsAddUpAndBoldIsNoNarrower) {
  CDC dc;
  CFont normal, bold;
  LOGFONT lf = Font(-22, "黑体");
  normal.CreateFontIndirect(&lf);
  lf.lfWeight = 1000;
  bold.CreateFontIndirect(&lf);
  dc.SelectObject(&normal);
  int one = dc.GetTextExtent("国").cx;
  EXPECT_GT(one, 0);
  EXPECT_EQ(dc.GetTextExtent("国国国").cx, 3 * one);
  EXPECT_EQ(dc.GetTextExtent("").cx, 0);
  dc.SelectObject(&bold);
  EXPECT_GE(dc.GetTextExtent("国").cx, one);
}

struct DrawnTextCase {
  const char* name;
  LONG height;
  const char* face;
  const char* text;
};

class DrawnTextTest : public ::testing::TestWithParam<DrawnTextCase> {};

// What is drawn lies inside the measured cell and reaches across most of it.
TEST_P(DrawnTextTest, InkStaysInsideTheMeasuredCell) {
  const DrawnTextCase& c = GetParam();
  Canvas canvas(200, 60);
  CFont font;
  LOGFONT lf = Font(c.height, c.face);
  font.CreateFontIndirect(&lf);
  canvas.dc.SelectObject(&font);
  canvas.dc.SetBkMode(TRANSPARENT);
  canvas.dc.SetTextColor(kBlack);
  canvas.dc.TextOut(10, 12, c.text);
  CSize extent = canvas.dc.GetTextExtent(c.text);
  CRect cell(10, 12, 10 + extent.cx, 12 + extent.cy);
  CRect ink = canvas.Changed(kWhite);
  ASSERT_FALSE(ink.IsRectEmpty()) << c.name;
  CRect inside;
  inside.IntersectRect(ink, cell);
  EXPECT_EQ(inside, ink) << c.name << " cell " << cell.left << "," << cell.top << "," << cell.right
                         << "," << cell.bottom << " ink " << ink.left << "," << ink.top << ","
                         << ink.right << "," << ink.bottom;
  EXPECT_GE(ink.Width(), extent.cx * 3 / 4) << c.name;
  EXPECT_GT(canvas.Count(kBlack), 0) << c.name << ": the text colour itself appears";
}

INSTANTIATE_TEST_SUITE_P(
    Faces, DrawnTextTest,
    ::testing::Values(DrawnTextCase{"small song", 12, "宋体", "我的股票"},
                      DrawnTextCase{"normal song", 15, "宋体", "价值排行"},
                      DrawnTextCase{"large song", 26, "宋体", "主力动向"},
                      DrawnTextCase{"hei", 22, "黑体", "翠溪提醒"}),
    kiv::test::CaseName());

struct StyleCase {
  const char* name;
  BYTE italic;
  BYTE underline;
  BYTE strikeOut;
};

class FontStyleTest : public ::testing::TestWithParam<StyleCase> {};

// Each style flag changes what is drawn, and none changes the cell height.
TEST_P(FontStyleTest, StyleFlagsChangeTheInk) {
  const StyleCase& c = GetParam();
  auto draw = [](const LOGFONT& lf, Canvas* canvas) {
    CFont font;
    font.CreateFontIndirect(&lf);
    canvas->dc.SelectObject(&font);
    canvas->dc.SetBkMode(TRANSPARENT);
    canvas->dc.SetTextColor(kBlack);
    canvas->dc.TextOut(4, 4, "国家");
    canvas->dc.SelectStockObject(SYSTEM_FONT);
    return canvas->Count(kWhite);
  };
  LOGFONT plain = Font(-20, "黑体");
  LOGFONT styled = plain;
  styled.lfItalic = c.italic;
  styled.lfUnderline = c.underline;
  styled.lfStrikeOut = c.strikeOut;
  Canvas a(80, 40), b(80, 40);
  int plainWhite = draw(plain, &a), styledWhite = draw(styled, &b);
  EXPECT_NE(plainWhite, styledWhite) << c.name;
  CDC dc;
  CFont font;
  font.CreateFontIndirect(&styled);
  dc.SelectObject(&font);
  EXPECT_EQ(dc.GetTextExtent("国家").cy, 20) << c.name;
}

INSTANTIATE_TEST_SUITE_P(Flags, FontStyleTest,
                         ::testing::Values(StyleCase{"italic", 1, 0, 0}, StyleCase{"underline", 0, 1, 0},
                                           StyleCase{"strike-out", 0, 0, 1}),
                         kiv::test::CaseName());

TEST(DrawTextTest, WordBreakDrawsEveryLineInsideTheRectangle) {
  Canvas canvas(100, 100);
  canvas.dc.SetBkColor(kGreen);
  int glyph = canvas.dc.GetTextExtent("国").cx;
  CRect box(5, 5, 5 + glyph * 3, 95);
  int height = canvas.dc.DrawText("国国国国国国国", box, DT_WORDBREAK);
  TEXTMETRIC tm;
  canvas.dc.GetTextMetrics(&tm);
  EXPECT_EQ(height, 3 * tm.tmHeight);
  EXPECT_EQ(canvas.Changed(kWhite), CRect(5, 5, 5 + glyph * 3, 5 + 3 * tm.tmHeight));
}

TEST(TextOutTest, OpaqueBackgroundFillsExactlyTheCell) {
  Canvas canvas(120, 40);
  canvas.dc.SetBkMode(OPAQUE);
  canvas.dc.SetBkColor(kGreen);
  canvas.dc.SetTextColor(kRed);
  canvas.dc.TextOut(5, 7, "选股");
  CSize extent = canvas.dc.GetTextExtent("选股");
  EXPECT_EQ(canvas.Changed(kWhite), CRect(5, 7, 5 + extent.cx, 7 + extent.cy));
  EXPECT_EQ(canvas.Count(kWhite, CRect(5, 7, 5 + extent.cx, 7 + extent.cy)), 0);
}

TEST(TextOutTest, AlignmentMovesTheCell) {
  Canvas canvas(120, 60);
  canvas.dc.SetBkColor(kGreen);
  CSize extent = canvas.dc.GetTextExtent("推荐");
  canvas.dc.SetTextAlign(TA_RIGHT | TA_BOTTOM);
  canvas.dc.TextOut(100, 50, "推荐");
  EXPECT_EQ(canvas.Changed(kWhite), CRect(100 - extent.cx, 50 - extent.cy, 100, 50));
}

TEST(DrawTextTest, CalcRectMeasuresLinesAndWrapping) {
  CDC dc;
  TEXTMETRIC tm;
  dc.GetTextMetrics(&tm);
  CRect single(0, 0, 1000, 0);
  EXPECT_EQ(dc.DrawText("排行榜", &single, DT_SINGLELINE | DT_CALCRECT), tm.tmHeight);
  EXPECT_EQ(single.Width(), dc.GetTextExtent("排行榜").cx);

  CRect two(0, 0, 1000, 0);
  EXPECT_EQ(dc.DrawText("第一行\n第二行更长", &two, DT_CALCRECT), 2 * tm.tmHeight);
  EXPECT_EQ(two.Width(), dc.GetTextExtent("第二行更长").cx);

  int glyph = dc.GetTextExtent("国").cx;
  CRect narrow(0, 0, glyph * 3, 0);
  EXPECT_EQ(dc.DrawText("国国国国国国国", &narrow, DT_WORDBREAK | DT_CALCRECT), 3 * tm.tmHeight);
  EXPECT_LE(narrow.Width(), glyph * 3);

  CRect words(0, 0, dc.GetTextExtent("alpha beta").cx, 0);
  EXPECT_EQ(dc.DrawText("alpha beta gamma", &words, DT_WORDBREAK | DT_CALCRECT), 2 * tm.tmHeight);
}

struct AlignCase {
  const char* name;
  UINT format;
  bool right;   // text ends at the right edge
  bool centre;  // text is centred
};

class DrawTextAlignTest : public ::testing::TestWithParam<AlignCase> {};

TEST_P(DrawTextAlignTest, PlacesTheCellInTheRectangle) {
  const AlignCase& c = GetParam();
  Canvas canvas(200, 50);
  canvas.dc.SetBkColor(kGreen);
  CRect box(20, 10, 180, 40);
  canvas.dc.DrawText("盯盘", box, c.format | DT_SINGLELINE | DT_VCENTER);
  CSize extent = canvas.dc.GetTextExtent("盯盘");
  CRect cell = canvas.Changed(kWhite);
  EXPECT_EQ(cell.Size(), extent) << c.name;
  EXPECT_EQ(cell.top, 10 + (30 - extent.cy) / 2) << c.name;
  if (c.right) EXPECT_EQ(cell.right, 180) << c.name;
  else if (c.centre) EXPECT_EQ(cell.left, 20 + (160 - extent.cx) / 2) << c.name;
  else EXPECT_EQ(cell.left, 20) << c.name;
}

INSTANTIATE_TEST_SUITE_P(Formats, DrawTextAlignTest,
                         ::testing::Values(AlignCase{"left", DT_LEFT, false, false},
                                           AlignCase{"centre", DT_CENTER, false, true},
                                           AlignCase{"right", DT_RIGHT, true, false}),
                         kiv::test::CaseName());

TEST(DrawTextTest, ClipsToTheRectangleAndDropsPrefixes) {
  Canvas canvas(200, 40);
  canvas.dc.SetBkColor(kGreen);
  CRect box(10, 5, 30, 35);
  canvas.dc.DrawText("很长很长很长的文字", box, DT_SINGLELINE);
  EXPECT_EQ(canvas.Changed(kWhite).right, 30);
  CDC dc;
  EXPECT_EQ(dc.GetTextExtent("About").cx, [&] {
    CRect r(0, 0, 500, 0);
    dc.DrawText("&About", &r, DT_SINGLELINE | DT_CALCRECT);
    return r.Width();
  }());
  CRect r(0, 0, 500, 0);
  dc.DrawText("A&&B", &r, DT_SINGLELINE | DT_CALCRECT);
  EXPECT_EQ(r.Width(), dc.GetTextExtent("A&B").cx);
}

TEST(DrawTextTest, ThePrefixedCharacterIsUnderlined) {
  auto ink = [](const char* text, UINT format) {
    Canvas canvas(120, 30);
    canvas.dc.SetBkMode(TRANSPARENT);
    canvas.dc.SetTextColor(kBlack);
    CRect box(2, 2, 118, 28);
    canvas.dc.DrawText(text, box, format | DT_SINGLELINE);
    return canvas.Count(kBlack);
  };
  int plain = ink("关于(A)", DT_NOPREFIX);
  EXPECT_GT(ink("关于(&A)", 0), plain);
  EXPECT_GT(ink("&关于(A)", 0), plain);
  EXPECT_EQ(ink("关于(A)", 0), plain);
}

TEST(DrawTextTest, EndEllipsisFitsTheWidth) {
  Canvas canvas(200, 40);
  canvas.dc.SetBkColor(kGreen);
  int width = canvas.dc.GetTextExtent("国国国").cx;
  CRect box(0, 0, width, 20);
  canvas.dc.DrawText("国国国国国国国国", box, DT_SINGLELINE | DT_END_ELLIPSIS | DT_NOCLIP);
  EXPECT_LE(canvas.Changed(kWhite).right, width);
}

}  // namespace
}  // namespace gdi
}  // namespace kiv
