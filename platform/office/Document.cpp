#include "platform/office/Document.h"

#include <algorithm>

namespace kiv::office {

std::string Paragraph::Text() const {
  std::string text;
  for (const Run& run : runs) text += run.text;
  return text;
}

void TextFlow::SetAlignment(Alignment alignment) {
  paragraphs_.back().format.alignment = alignment;
}

void TextFlow::SetTabs(std::vector<TabStop> tabs) {
  paragraphs_.back().format.tabs = std::move(tabs);
}

void TextFlow::TypeText(const std::string& gbk) {
  if (gbk.empty()) return;
  std::vector<Run>& runs = paragraphs_.back().runs;
  const RunFormat& last = runs.empty() ? font_ : runs.back().format;
  bool sameFormat = !runs.empty() && last.bold == font_.bold && last.underline == font_.underline &&
                    last.sizePt == font_.sizePt && last.fontName == font_.fontName;
  if (sameFormat) {
    runs.back().text += gbk;
  } else {
    runs.push_back(Run{gbk, font_});
  }
}

void TextFlow::TypeParagraph() {
  Paragraph next;
  next.format = paragraphs_.back().format;
  paragraphs_.push_back(std::move(next));
}

bool TextFlow::IsEmpty() const {
  return std::all_of(paragraphs_.begin(), paragraphs_.end(),
                     [](const Paragraph& p) { return p.Text().empty(); });
}

void TextFlow::Append(const TextFlow& other) {
  if (other.IsEmpty()) return;
  if (IsEmpty()) {
    paragraphs_ = other.paragraphs_;
    return;
  }
  paragraphs_.insert(paragraphs_.end(), other.paragraphs_.begin(), other.paragraphs_.end());
}

bool TextFlow::DropEmptyLast() {
  if (paragraphs_.size() < 2 || !paragraphs_.back().Text().empty()) return false;
  paragraphs_.pop_back();
  return true;
}

void TextFlow::ContinueFormatOf(const TextFlow& other) {
  font_ = other.font_;
  paragraphs_.back().format = other.paragraphs_.back().format;
}

Table::Table(int rows, int columns, float widthPt)
    : rows_(std::clamp(rows, 1, 1000)),
      columns_(std::clamp(columns, 1, 63)),
      cells_(static_cast<size_t>(rows_ * columns_)),
      spans_(static_cast<size_t>(rows_ * columns_)),
      columnWidthsPt_(static_cast<size_t>(columns_),
                      (widthPt > 0 ? widthPt : 1.0f) / static_cast<float>(columns_)),
      rowHeightsPt_(static_cast<size_t>(rows_), 0.0f),
      rowRules_(static_cast<size_t>(rows_), HeightRule::kAuto) {
  for (int r = 0; r < rows_; ++r) {
    for (int c = 0; c < columns_; ++c) spans_[static_cast<size_t>(Index(r, c))] = Span{r, c, 1, 1};
  }
}

Cell* Table::At(int row, int column) {
  return const_cast<Cell*>(static_cast<const Table*>(this)->At(row, column));
}

const Cell* Table::At(int row, int column) const {
  if (row < 0 || row >= rows_ || column < 0 || column >= columns_) return nullptr;
  const Span& span = spans_[static_cast<size_t>(Index(row, column))];
  return &cells_[static_cast<size_t>(Index(span.row, span.column))];
}

bool Table::SetColumnWidth(int column, float widthPt) {
  if (column < 0 || column >= columns_ || !(widthPt > 0)) return false;
  columnWidthsPt_[static_cast<size_t>(column)] = widthPt;
  return true;
}

float Table::ColumnWidth(int column) const {
  return column < 0 || column >= columns_ ? 0.0f : columnWidthsPt_[static_cast<size_t>(column)];
}

bool Table::SetRowHeight(int row, float heightPt, HeightRule rule) {
  if (row < 0 || row >= rows_ || !(heightPt >= 0)) return false;
  rowHeightsPt_[static_cast<size_t>(row)] = heightPt;
  rowRules_[static_cast<size_t>(row)] = rule;
  return true;
}

float Table::RowHeight(int row) const {
  return row < 0 || row >= rows_ ? 0.0f : rowHeightsPt_[static_cast<size_t>(row)];
}

HeightRule Table::RowHeightRule(int row) const {
  return row < 0 || row >= rows_ ? HeightRule::kAuto : rowRules_[static_cast<size_t>(row)];
}

Table::Span Table::SpanOf(int row, int column) const {
  if (row < 0 || row >= rows_ || column < 0 || column >= columns_) return Span{row, column, 1, 1};
  return spans_[static_cast<size_t>(Index(row, column))];
}

bool Table::Merge(int row1, int column1, int row2, int column2) {
  if (!At(row1, column1) || !At(row2, column2)) return false;
  const int top = std::min(row1, row2), bottom = std::max(row1, row2);
  const int left = std::min(column1, column2), right = std::max(column1, column2);
  // Every earlier merge the rectangle touches must lie inside it whole.
  for (int r = top; r <= bottom; ++r) {
    for (int c = left; c <= right; ++c) {
      const Span& s = spans_[static_cast<size_t>(Index(r, c))];
      if (s.row < top || s.column < left || s.row + s.rows - 1 > bottom ||
          s.column + s.columns - 1 > right) {
        return false;
      }
    }
  }
  Cell& anchor = cells_[static_cast<size_t>(Index(top, left))];
  for (int r = top; r <= bottom; ++r) {
    for (int c = left; c <= right; ++c) {
      const Span& s = spans_[static_cast<size_t>(Index(r, c))];
      bool isAnchorOfItsSpan = (s.row == r && s.column == c);
      if (isAnchorOfItsSpan && !(r == top && c == left)) {
        Cell& merged = cells_[static_cast<size_t>(Index(r, c))];
        anchor.Append(merged);
        merged = Cell();
      }
    }
  }
  const Span span{top, left, bottom - top + 1, right - left + 1};
  for (int r = top; r <= bottom; ++r) {
    for (int c = left; c <= right; ++c) spans_[static_cast<size_t>(Index(r, c))] = span;
  }
  return true;
}

Table* Document::AddTable(int rows, int columns) {
  if (rows < 1 || rows > 1000 || columns < 1 || columns > 63) return nullptr;
  Block& current = body_.back();
  Block next;
  next.flow.ContinueFormatOf(current.flow);
  // An empty current paragraph is where the table goes. The writer keeps
  // a paragraph between two tables, which a file needs to tell them apart.
  if (current.flow.Paragraphs().back().Text().empty() && !current.flow.DropEmptyLast())
    body_.pop_back();
  Block table;
  table.table = std::make_unique<Table>(rows, columns, kTextWidthPt);
  Table* added = table.table.get();
  body_.push_back(std::move(table));
  body_.push_back(std::move(next));
  return added;
}

}  // namespace kiv::office
