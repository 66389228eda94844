// The document a report is built into, in place of a Word document driven
// through automation: paragraphs of formatted runs, and tables with column
// widths, row heights, borders, merged cells and vertical alignment.
//
// It is filled the way the reports drive Word: text is typed with the
// current font (bold, size, underline, face) into the current paragraph,
// TypeParagraph ends it, and the paragraph format carries on into the next
// one. Tables are added at the end and their cells filled the same way.
// DocxWriter turns the result into a file.
//
// All text is GBK, as everywhere in the program. Sizes are in points.
#pragma once

#include <memory>
#include <string>
#include <vector>

namespace kiv::office {

enum class Alignment { kLeft, kCenter, kRight, kJustify };
enum class VerticalAlignment { kTop, kCenter, kBottom };
enum class TabKind { kLeft, kCenter, kRight, kDecimal };
// How a row height is meant: kAuto ignores it, kAtLeast lets the row grow
// with its content, kExact fixes it.
enum class HeightRule { kAuto, kAtLeast, kExact };

struct RunFormat {
  bool bold = false;
  bool underline = false;
  float sizePt = 10.5f;  // Chinese body text ("five")
  std::string fontName;  // GBK face name; empty: the document's default
};

// A piece of text in one format. A tab character in it is a tab, a line
// feed a line break within the paragraph.
struct Run {
  std::string text;
  RunFormat format;
};

struct TabStop {
  float positionPt = 0;
  TabKind kind = TabKind::kLeft;
};

struct ParagraphFormat {
  Alignment alignment = Alignment::kLeft;
  std::vector<TabStop> tabs;
};

struct Paragraph {
  std::vector<Run> runs;
  ParagraphFormat format;

  std::string Text() const;  // the runs' text joined
};

// Text typed paragraph by paragraph: the body of a cell. There is always a
// current (last) paragraph.
class TextFlow {
 public:
  TextFlow() : paragraphs_(1) {}

  // The format that typed text gets; change it between calls.
  RunFormat& Font() { return font_; }
  // The current paragraph's format; paragraphs begun afterwards inherit it.
  void SetAlignment(Alignment alignment);
  void SetTabs(std::vector<TabStop> tabs);

  void TypeText(const std::string& gbk);
  void TypeParagraph();

  const std::vector<Paragraph>& Paragraphs() const { return paragraphs_; }
  // True when no paragraph holds any text.
  bool IsEmpty() const;
  // Appends another flow's paragraphs after this one's (used by merges).
  void Append(const TextFlow& other);
  // Removes the current paragraph when it is empty and not the only one;
  // true when removed.
  bool DropEmptyLast();
  // Starts with the font and paragraph format where `other` stands.
  void ContinueFormatOf(const TextFlow& other);

 private:
  std::vector<Paragraph> paragraphs_;
  RunFormat font_;
};

class Cell : public TextFlow {
 public:
  VerticalAlignment verticalAlignment = VerticalAlignment::kTop;
};

// Table borders: the outer frame and the lines between cells, single lines
// of one width.
struct TableBorders {
  bool outside = true;
  bool inside = true;
  int widthEighthPt = 4;  // half a point
};

// A grid of rows x columns cells, addressed from 0. Merging joins a
// rectangle of cells into its top-left one (the anchor), as Word does:
// the anchor keeps its format and receives the text of the others.
class Table {
 public:
  // Columns share `widthPt` equally until set one by one. Rows are kept
  // within 1..1000 and columns within 1..63, Word's own limit.
  Table(int rows, int columns, float widthPt);

  int Rows() const { return rows_; }
  int Columns() const { return columns_; }

  // Null when out of range. A cell covered by a merge answers its anchor.
  Cell* At(int row, int column);
  const Cell* At(int row, int column) const;

  bool SetColumnWidth(int column, float widthPt);
  float ColumnWidth(int column) const;
  bool SetRowHeight(int row, float heightPt, HeightRule rule);
  float RowHeight(int row) const;
  HeightRule RowHeightRule(int row) const;

  TableBorders& Borders() { return borders_; }
  const TableBorders& Borders() const { return borders_; }
  // Where the table stands between the page margins.
  Alignment alignment = Alignment::kLeft;

  // Merges the rectangle between the two cells (either order). False, with
  // nothing changed, when a cell is out of range or the rectangle cuts
  // through an earlier merge; a rectangle that covers earlier merges whole
  // absorbs them.
  bool Merge(int row1, int column1, int row2, int column2);

  // The merge a cell belongs to: its anchor and extent (1 x 1 unmerged).
  struct Span {
    int row = 0, column = 0, rows = 1, columns = 1;
  };
  Span SpanOf(int row, int column) const;

 private:
  int Index(int row, int column) const { return row * columns_ + column; }

  int rows_;
  int columns_;
  std::vector<Cell> cells_;
  std::vector<Span> spans_;  // per grid cell
  std::vector<float> columnWidthsPt_;
  std::vector<float> rowHeightsPt_;
  std::vector<HeightRule> rowRules_;
  TableBorders borders_;
};

// The whole document: paragraphs and tables in order.
class Document {
 public:
  // A4 with Word's Chinese default margins: 415.3 points of text width.
  static constexpr float kTextWidthPt = 415.3f;

  RunFormat& Font() { return body_.back().flow.Font(); }
  void SetAlignment(Alignment alignment) { body_.back().flow.SetAlignment(alignment); }
  void SetTabs(std::vector<TabStop> tabs) { body_.back().flow.SetTabs(std::move(tabs)); }
  void TypeText(const std::string& gbk) { body_.back().flow.TypeText(gbk); }
  void TypeParagraph() { body_.back().flow.TypeParagraph(); }

  // Adds a table after the text typed so far. An empty current paragraph
  // is taken by the table, as Word inserts a table at the insertion point;
  // typing afterwards continues after the table, in the current font and
  // paragraph format. The table stays valid as long as the document.
  // Rows and columns are at least 1 and at most 1000 and 63.
  Table* AddTable(int rows, int columns);

  // One block of the body: a run of paragraphs, or a table.
  struct Block {
    TextFlow flow;                 // when table is null
    std::unique_ptr<Table> table;  // owned
  };
  const std::vector<Block>& Body() const { return body_; }

  Document() : body_(1) {}

 private:
  std::vector<Block> body_;  // always ends in a text block
};

}  // namespace kiv::office
