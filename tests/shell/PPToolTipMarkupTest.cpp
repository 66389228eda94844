// The rich tooltip's markup: what the measuring pass finds and what the
// drawing pass draws, on a recording canvas, for the language's edge cases
// (one table); the reader's tags and numbers; and on a real DC, the
// background of "cb", the mask of "bmp" and a rule in percent.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/gdi/Bitmap.h"
#include "platform/gdi/DC.h"
#include "shell/PPToolTipMarkup.h"
#include "shell/PPToolTipMarkupReader.h"
#include "tests/shell/PPToolTipTestSupport.h"
#include "tests/support/CaseName.h"

namespace kiv::test {
namespace {

constexpr COLORREF kSlot17 = 0x112233;  // "ct" default, distinct from black
constexpr COLORREF kSlot18 = 0x445566;  // "cb" default

// The tooltip's colour table, with slots 17 and 18 made recognisable.
std::vector<COLORREF> MarkupColours() {
  return {0x000000, 0x800000, 0x008000, 0x808000, 0x000080, 0x800080, 0x008080, 0x808080, 0xFF0000,
          0x00FF00, 0xFFFF00, 0x0000FF, 0xFF00FF, 0x00FFFF, 0xC0C0C0, 0xFFFFFF, 0x000000, kSlot17,
          kSlot18,  kSlot18,  kSlot18,  0xEE0000, 0x8B1A55, 0x0000FF, 0x808080, 0x000000};
}

struct MarkupCase {
  const char* name;
  std::string text;
  std::vector<std::string> drawn;  // into a rectangle 200 wide at (0, 0)
  CSize measured;
  LONG defaultWeight = FW_NORMAL;
  std::vector<UINT> lineWidths = {};  // checked when given
};

class MarkupTableTest : public ::testing::TestWithParam<MarkupCase> {
 protected:
  void SetUp() override { gdi::SetResourceTable(&table_); }
  void TearDown() override { gdi::SetResourceTable(nullptr); }
  MarkupResourceTable table_;
};

TEST_P(MarkupTableTest, MeasuresAndDrawsAsTheLanguageSays) {
  const MarkupCase& c = GetParam();
  const std::vector<COLORREF> colours = MarkupColours();
  PPToolTipMarkupSettings settings;
  settings.font.lfHeight = -12;
  settings.font.lfWeight = c.defaultWeight;
  settings.colors = colours.data();
  std::vector<PPTOOLTIP_NAME_RES> noNames;
  CImageList noImages;
  settings.names = &noNames;
  settings.images = &noImages;

  PPToolTipMarkup markup;
  RecordingCanvas measuring;
  const CSize measured = markup.Run(measuring, settings, c.text, CRect(0, 0, 200, 100), true);
  EXPECT_EQ(measured, c.measured);
  EXPECT_TRUE(measuring.ops.empty()) << "measuring draws nothing";
  EXPECT_FALSE(measuring.fontSelected) << "the previous font is back";
  if (!c.lineWidths.empty()) {
    EXPECT_EQ(markup.LineWidths(), c.lineWidths);
  }

  RecordingCanvas drawing;
  markup.Run(drawing, settings, c.text, CRect(0, 0, 200, 100), false);
  EXPECT_EQ(drawing.ops, c.drawn);
  EXPECT_FALSE(drawing.fontSelected);
}

const std::string kUnder16M = std::to_string(PPToolTipMarkup::kCoordinateLimit);

INSTANTIATE_TEST_SUITE_P(
    Cases, MarkupTableTest,
    ::testing::Values(
        MarkupCase{"two_less_thans_are_one_in_a_single_run", "a<<b",
                   {"T 0,0 \"a<b\" w400 fg000000 bk-"}, CSize(18, 12)},
        MarkupCase{"bold_doubles_the_default_weight_until_its_closing_tag", "<b>x</b>y",
                   {"T 0,0 \"x\" w800 fg000000 bk-", "T 6,0 \"y\" w400 fg000000 bk-"}, CSize(12, 12)},
        MarkupCase{"bold_stops_at_900", "<b>x", {"T 0,0 \"x\" w900 fg000000 bk-"}, CSize(6, 12), 500},
        MarkupCase{"bold_of_a_font_without_weight_is_twice_normal", "<b>x", {"T 0,0 \"x\" w800 fg000000 bk-"},
                   CSize(6, 12), 0},
        MarkupCase{"an_upper_case_tag_acts_as_its_lower_case", "<B>x<I>y",
                   {"T 0,0 \"x\" w800 fg000000 bk-", "T 6,0 \"y\" w800 i fg000000 bk-"}, CSize(12, 12)},
        MarkupCase{"an_unknown_tag_changes_nothing", "a<zz=5 q=1>b",
                   {"T 0,0 \"a\" w400 fg000000 bk-", "T 6,0 \"b\" w400 fg000000 bk-"}, CSize(12, 12)},
        MarkupCase{"italic_underline_and_strike_out_until_their_closing_tags", "<i><u><s>a</s></u></i>b",
                   {"T 0,0 \"a\" w400 i u s fg000000 bk-", "T 6,0 \"b\" w400 fg000000 bk-"}, CSize(12, 12)},
        MarkupCase{"a_break_of_zero_breaks_once", "a<br=0>b",
                   {"T 0,0 \"a\" w400 fg000000 bk-", "T 0,12 \"b\" w400 fg000000 bk-"}, CSize(6, 24)},
        MarkupCase{"a_break_without_value_breaks_once", "a<br>b",
                   {"T 0,0 \"a\" w400 fg000000 bk-", "T 0,12 \"b\" w400 fg000000 bk-"}, CSize(6, 24), FW_NORMAL,
                   {6, 6}},
        MarkupCase{"a_break_of_three_advances_three_line_heights", "a<br=3>b",
                   {"T 0,0 \"a\" w400 fg000000 bk-", "T 0,36 \"b\" w400 fg000000 bk-"}, CSize(6, 48)},
        MarkupCase{"tab_characters_and_line_feeds_act_as_tags_and_returns_are_dropped", "a\tb\nc\r",
                   {"T 0,0 \"a\" w400 fg000000 bk-", "T 24,0 \"b\" w400 fg000000 bk-",
                    "T 0,12 \"c\" w400 fg000000 bk-"},
                   CSize(30, 24)},
        MarkupCase{"two_tabs_from_one_past_the_edge_reach_the_second_stop", "<hr=1><t=2>y",
                   {"R 0-1 @6 fg000000", "T 48,0 \"y\" w400 fg000000 bk-"}, CSize(54, 12)},
        MarkupCase{"a_rule_in_percent_measures_nothing_and_draws_its_share_of_the_rectangle", "<hr=50%>abc",
                   {"R 0-100 @6 fg000000", "T 100,0 \"abc\" w400 fg000000 bk-"}, CSize(18, 12), FW_NORMAL,
                   {27}},
        MarkupCase{"a_rule_without_value_is_a_hundred_pixels", "<hr>", {"R 0-100 @6 fg000000"}, CSize(100, 12)},
        MarkupCase{"a_text_colour_without_value_takes_slot_17", "<ct>a", {"T 0,0 \"a\" w400 fg112233 bk-"},
                   CSize(6, 12)},
        MarkupCase{"a_colour_index_past_the_table_changes_nothing", "<ct=0x0000FF>a<cti=30>b<cti=9>c",
                   {"T 0,0 \"a\" w400 fg0000FF bk-", "T 6,0 \"b\" w400 fg0000FF bk-",
                    "T 12,0 \"c\" w400 fg00FF00 bk-"},
                   CSize(18, 12)},
        MarkupCase{"a_background_colour_is_opaque_until_its_closing_tag", "<cb=0x0000FF>a</cb>b<cbi>c",
                   {"T 0,0 \"a\" w400 fg000000 bk0000FF", "T 6,0 \"b\" w400 fg000000 bk-",
                    "T 12,0 \"c\" w400 fg000000 bk445566"},
                   CSize(18, 12)},
        MarkupCase{"an_empty_text_measures_nothing_and_draws_nothing", "", {}, CSize(0, 0)},
        MarkupCase{"a_tag_without_its_end_ends_the_text", "ab<b c=", {"T 0,0 \"ab\" w400 fg000000 bk-"},
                   CSize(12, 12)},
        MarkupCase{"a_bitmap_with_a_mask_colour_is_drawn_masked", "<bmp=9001 mask=0x00FF00>",
                   {"B 0,4 16x8 mask00FF00"}, CSize(16, 12)},
        MarkupCase{"a_bitmap_without_mask_is_drawn_opaque", "<bmp=9001>", {"B 0,4 16x8 opaque"}, CSize(16, 12)},
        MarkupCase{"a_mask_without_value_is_magenta", "<bmp=9001 mask>", {"B 0,4 16x8 maskFF00FF"},
                   CSize(16, 12)},
        MarkupCase{"a_bitmap_is_stretched_to_cx_and_cy_and_raises_its_line", "<bmp=9001 cy=20 cx=32>a",
                   {"B 0,0 32x20 opaque", "T 32,8 \"a\" w400 fg000000 bk-"}, CSize(38, 20)},
        MarkupCase{"a_bitmap_that_cannot_be_loaded_takes_no_room", "a<bmp=4242>b",
                   {"T 0,0 \"a\" w400 fg000000 bk-", "T 6,0 \"b\" w400 fg000000 bk-"}, CSize(12, 12)},
        MarkupCase{"a_bitmap_larger_than_any_tooltip_takes_no_room", "<bmp=9001 cx=100000>a",
                   {"T 0,0 \"a\" w400 fg000000 bk-"}, CSize(6, 12)},
        MarkupCase{"an_icon_is_as_large_as_twice_its_hot_spot", "<icon=9002 cx=20 cy=20>x",
                   {"I 0,0 20x20", "T 20,8 \"x\" w400 fg000000 bk-"}, CSize(26, 20)},
        MarkupCase{"named_images_and_list_images_draw_nothing_while_there_are_none", "a<img=logo cx=5><ilst=0>b",
                   {"T 0,0 \"a\" w400 fg000000 bk-", "T 6,0 \"b\" w400 fg000000 bk-"}, CSize(12, 12)},
        MarkupCase{"centred_lines_are_placed_by_their_measured_width", "<al_c>ab<br>abcd",
                   {"T 94,0 \"ab\" w400 fg000000 bk-", "T 88,12 \"abcd\" w400 fg000000 bk-"}, CSize(24, 24)},
        MarkupCase{"a_right_aligned_line_ends_at_the_right", "a<al_r><br>ab",
                   {"T 0,0 \"a\" w400 fg000000 bk-", "T 188,12 \"ab\" w400 fg000000 bk-"}, CSize(12, 24)},
        MarkupCase{"huge_counts_keep_every_position_within_bounds", "<br=4000000000>a<t=4000000000>b",
                   {"T 0," + kUnder16M + " \"a\" w400 fg000000 bk-",
                    "T " + kUnder16M + "," + kUnder16M + " \"b\" w400 fg000000 bk-"},
                   CSize(static_cast<LONG>(PPToolTipMarkup::kCoordinateLimit),
                         static_cast<LONG>(PPToolTipMarkup::kCoordinateLimit))}),
    CaseName());

TEST(MarkupReaderTest, ReadsTagItemsInAnyCaseAndNumbersInTheirBase) {
  PPToolTipMarkupReader reader("x<BMP=12 Mask cx=0x10\tcy=010 junk=>y</B >");
  PPToolTipToken t;
  ASSERT_TRUE(reader.Next(&t));
  EXPECT_EQ(t.kind, PPToolTipToken::kText);
  EXPECT_EQ(t.text, "x");
  ASSERT_TRUE(reader.Next(&t));
  ASSERT_EQ(t.kind, PPToolTipToken::kTag);
  EXPECT_EQ(t.name, "bmp");
  EXPECT_FALSE(t.closing);
  EXPECT_EQ(t.value, "12");
  // The tab inside the tag is left out: "cx=0x10cy=010" is one item.
  ASSERT_EQ(t.attributes.size(), 3u);
  EXPECT_EQ(t.attributes[0].first, "mask");
  EXPECT_FALSE(t.attributeHasValue[0]);
  EXPECT_EQ(t.attributes[1].first, "cx");
  EXPECT_EQ(t.attributes[1].second, "0x10cy=010");
  EXPECT_EQ(t.attributes[2].first, "junk");
  EXPECT_TRUE(t.attributeHasValue[2]);
  ASSERT_TRUE(reader.Next(&t));
  EXPECT_EQ(t.text, "y");
  ASSERT_TRUE(reader.Next(&t));
  EXPECT_EQ(t.name, "b");
  EXPECT_TRUE(t.closing);
  EXPECT_FALSE(reader.Next(&t));

  EXPECT_EQ(PPToolTipMarkupReader::Number("", 17), 17u);
  EXPECT_EQ(PPToolTipMarkupReader::Number("30", 17), 30u);
  EXPECT_EQ(PPToolTipMarkupReader::Number("0x00FF00", 0), 0x00FF00u);
  EXPECT_EQ(PPToolTipMarkupReader::Number("010", 0), 8u);
  EXPECT_EQ(PPToolTipMarkupReader::Number("50%", 0), 50u);
  EXPECT_EQ(PPToolTipMarkupReader::Number("09", 0), 0u);  // 9 is no octal digit
  EXPECT_EQ(PPToolTipMarkupReader::Number("4294967297", 0), 1u);
}

// The same passes on a real DC, where colours and masks become pixels.
class MarkupOnADcTest : public ::testing::Test {
 protected:
  void SetUp() override {
    gdi::SetResourceTable(&table_);
    paper_.CreateCompatibleBitmap(nullptr, 200, 40);
    dc_.CreateCompatibleDC(nullptr);
    oldPaper_ = dc_.SelectObject(&paper_);
    dc_.FillSolidRect(0, 0, 200, 40, kPaperWhite);
    colours_ = MarkupColours();
    settings_.font.lfHeight = -12;
    settings_.font.lfWeight = FW_NORMAL;
    settings_.colors = colours_.data();
  }
  void TearDown() override {
    dc_.SelectObject(oldPaper_);
    gdi::SetResourceTable(nullptr);
  }
  CSize Draw(const std::string& text) {
    PPToolTipDcCanvas canvas(dc_);
    const CSize size = markup_.Run(canvas, settings_, text, CRect(0, 0, 200, 40), true);
    markup_.Run(canvas, settings_, text, CRect(0, 0, 200, 40), false);
    return size;
  }
  // H: the line height of the pass's default font.
  int LineHeight() {
    CFont font;
    font.CreateFontIndirect(&settings_.font);
    CFont* old = dc_.SelectObject(&font);
    TEXTMETRIC metrics;
    dc_.GetTextMetrics(&metrics);
    dc_.SelectObject(old);
    return metrics.tmHeight;
  }
  static constexpr COLORREF kPaperWhite = RGB(255, 255, 255);
  MarkupResourceTable table_;
  CBitmap paper_;
  CDC dc_;
  CBitmap* oldPaper_ = nullptr;
  std::vector<COLORREF> colours_;
  PPToolTipMarkupSettings settings_;
  PPToolTipMarkup markup_;
};

TEST_F(MarkupOnADcTest, AnOpaqueBackgroundFillsItsRunsBoxUntilItsClosingTag) {
  const CSize size = Draw("<cb=0x0000FF>MM</cb>MM");
  ASSERT_GT(size.cx, 4);
  // Above the glyphs, the run's box: red for the first run, paper after it.
  EXPECT_EQ(dc_.GetPixel(0, 0), RGB(255, 0, 0));
  EXPECT_EQ(dc_.GetPixel(size.cx - 1, 0), kPaperWhite);
  EXPECT_EQ(dc_.GetPixel(0, size.cy + 2), kPaperWhite);
}

TEST_F(MarkupOnADcTest, AMaskColourLetsThePaperThroughAndNoMaskCopiesTheBitmap) {
  Draw("<bmp=9001 mask=0x00FF00>");
  const int top = std::max(LineHeight(), 8) - 8;  // it stands on the line's bottom
  EXPECT_EQ(dc_.GetPixel(2, top + 2), kPaperWhite);  // green: masked out
  EXPECT_EQ(dc_.GetPixel(10, top + 2), kMarkupBlue);
  dc_.FillSolidRect(0, 0, 200, 40, kPaperWhite);
  Draw("<bmp=9001>");
  EXPECT_EQ(dc_.GetPixel(2, top + 2), kMarkupGreen);
  EXPECT_EQ(dc_.GetPixel(10, top + 2), kMarkupBlue);
}

TEST_F(MarkupOnADcTest, ARuleInPercentIsDrawnAsItsShareOfTheRectangle) {
  Draw("<hr=50%>");
  const int y = LineHeight() / 2;
  EXPECT_EQ(dc_.GetPixel(0, y), RGB(0, 0, 0));
  EXPECT_EQ(dc_.GetPixel(99, y), RGB(0, 0, 0));
  EXPECT_EQ(dc_.GetPixel(100, y), kPaperWhite);
}

}  // namespace
}  // namespace kiv::test
