// CDC's text: TextOut, DrawText, extents and metrics.
#include <cstring>

#include "platform/gdi/DcImpl.h"
#include "platform/sys/CodePage.h"

// --- Text ---------------------------------------------------------------------

namespace {

std::string Gbk(const char* text, int count) {
  if (text == nullptr) return std::string();
  size_t n = count < 0 ? std::strlen(text) : static_cast<size_t>(count);
  return std::string(text, n);
}

}  // namespace

BOOL CDC::TextOut(int x, int y, const char* text, int count) {
  std::string utf8 = kiv::GbkToUtf8(Gbk(text, count));
  const FontFace& face = impl_->Face();
  int width = face.Width(utf8);
  const TEXTMETRIC& tm = face.Metrics();
  UINT align = impl_->st.align;
  if ((align & TA_CENTER) == TA_CENTER) x -= width / 2;
  else if (align & TA_RIGHT) x -= width;
  int top = y;
  if ((align & TA_BASELINE) == TA_BASELINE) top = y - tm.tmAscent;
  else if (align & TA_BOTTOM) top = y - tm.tmHeight;
  impl_->DrawTextLine(face, utf8, x, top, width);
  return TRUE;
}

BOOL CDC::TextOut(int x, int y, const std::string& text) {
  return TextOut(x, y, text.data(), static_cast<int>(text.size()));
}

BOOL CDC::ExtTextOut(int x, int y, UINT options, const RECT* rect, const char* text, int count,
                     const int* /*dx*/) {
  if (rect != nullptr && (options & ETO_OPAQUE)) {
    CRect r(*rect);
    r.NormalizeRect();
    CPoint off = impl_->Off();
    r.OffsetRect(off.x, off.y);
    if (!r.IsRectEmpty()) impl_->FillRectsS({r}, Ink{impl_->st.bk, nullptr}, R2_COPYPEN);
  }
  if (text == nullptr || count == 0) return TRUE;
  bool clipped = rect != nullptr && (options & ETO_CLIPPED);
  if (clipped) {
    SaveDC();
    IntersectClipRect(rect);
  }
  TextOut(x, y, text, count);
  if (clipped) RestoreDC(-1);
  return TRUE;
}

namespace {

// Removes mnemonic prefixes: "&&" is "&", a lone "&" disappears and the
// character after it is the mnemonic (its byte offset in the result goes to
// *mnemonic, npos when there is none). GBK trail bytes never take the value
// of '&', so a byte scan is safe.
std::string StripPrefixes(const std::string& text, size_t* mnemonic) {
  std::string out;
  out.reserve(text.size());
  *mnemonic = std::string::npos;
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '&') {
      if (i + 1 < text.size() && text[i + 1] == '&') {
        out.push_back('&');
        ++i;
      } else if (i + 1 < text.size() && *mnemonic == std::string::npos) {
        *mnemonic = out.size();
      }
      continue;
    }
    out.push_back(text[i]);
  }
  return out;
}

// The bytes of the GBK character at `at` (one, or two for a lead byte).
size_t GbkCharLength(const std::string& gbk, size_t at) {
  return static_cast<unsigned char>(gbk[at]) >= 0x81 && at + 1 < gbk.size() ? 2 : 1;
}

std::vector<std::string> SplitParagraphs(const std::string& text) {
  std::vector<std::string> out(1);
  for (size_t i = 0; i < text.size(); ++i) {
    char ch = text[i];
    if (ch == '\r' || ch == '\n') {
      if (ch == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ++i;
      out.emplace_back();
    } else {
      out.back().push_back(ch);
    }
  }
  return out;
}

// Shortens a UTF-8 line to fit `width` with "..." at the end.
std::string Ellipsize(const FontFace& face, const std::string& utf8, int width) {
  if (face.Width(utf8) <= width) return utf8;
  std::string cut = utf8;
  while (!cut.empty()) {
    // Drop the last UTF-8 character.
    size_t end = cut.size() - 1;
    while (end > 0 && (static_cast<unsigned char>(cut[end]) & 0xC0) == 0x80) --end;
    cut.resize(end);
    if (face.Width(cut + "...") <= width) break;
  }
  return cut + "...";
}

}  // namespace

int CDC::DrawText(const char* text, int count, RECT* rect, UINT format) {
  if (rect == nullptr) return 0;
  std::string gbk = Gbk(text, count);
  if (format & DT_EXPANDTABS) {
    std::string expanded;
    for (char ch : gbk) {
      if (ch == '\t') expanded.append(8, ' ');
      else expanded.push_back(ch);
    }
    gbk.swap(expanded);
  }
  size_t mnemonic = std::string::npos;
  if (!(format & DT_NOPREFIX)) gbk = StripPrefixes(gbk, &mnemonic);
  const FontFace& face = impl_->Face();
  const TEXTMETRIC& tm = face.Metrics();
  CRect box(*rect);
  int boxWidth = box.Width();

  // The mnemonic is underlined: line, UTF-8 offset and length of its
  // character (found on unwrapped text only).
  struct Underline {
    size_t line = std::string::npos;
    int start = -1;
    int length = 0;
  } underline;
  auto mark = [&](size_t line, const std::string& gbkLine, size_t offset) {
    if (offset >= gbkLine.size()) return;
    underline.line = line;
    underline.start = static_cast<int>(kiv::GbkToUtf8(gbkLine.substr(0, offset)).size());
    underline.length =
        static_cast<int>(kiv::GbkToUtf8(gbkLine.substr(offset, GbkCharLength(gbkLine, offset))).size());
  };

  std::vector<std::string> lines;
  if (format & DT_SINGLELINE) {
    std::string one;
    size_t mnemonicInOne = std::string::npos;
    for (size_t i = 0; i < gbk.size(); ++i) {
      if (i == mnemonic) mnemonicInOne = one.size();
      if (gbk[i] != '\r' && gbk[i] != '\n') one.push_back(gbk[i]);
    }
    if (mnemonicInOne != std::string::npos) mark(0, one, mnemonicInOne);
    lines.push_back(kiv::GbkToUtf8(one));
  } else {
    size_t paragraphStart = 0;
    for (const std::string& paragraph : SplitParagraphs(gbk)) {
      std::string utf8 = kiv::GbkToUtf8(paragraph);
      if (format & DT_WORDBREAK) {
        for (std::string& line : face.Wrap(utf8, boxWidth)) lines.push_back(std::move(line));
      } else {
        if (mnemonic != std::string::npos && mnemonic >= paragraphStart &&
            mnemonic < paragraphStart + paragraph.size()) {
          mark(lines.size(), paragraph, mnemonic - paragraphStart);
        }
        lines.push_back(std::move(utf8));
      }
      // Paragraphs were split at "\r\n", "\n" or "\r".
      paragraphStart += paragraph.size();
      if (paragraphStart < gbk.size() && gbk[paragraphStart] == '\r') ++paragraphStart;
      if (paragraphStart < gbk.size() && gbk[paragraphStart] == '\n') ++paragraphStart;
    }
  }
  if ((format & (DT_END_ELLIPSIS | DT_WORD_ELLIPSIS)) && !(format & DT_CALCRECT)) {
    for (std::string& line : lines) line = Ellipsize(face, line, boxWidth);
  }
  std::vector<int> widths;
  int maxWidth = 0;
  for (const std::string& line : lines) {
    widths.push_back(face.Width(line));
    maxWidth = std::max(maxWidth, widths.back());
  }
  int height = static_cast<int>(lines.size()) * tm.tmHeight;

  if (format & DT_CALCRECT) {
    rect->right = rect->left + maxWidth;
    rect->bottom = rect->top + height;
    return height;
  }

  int top = box.top;
  if (format & DT_SINGLELINE) {
    if (format & DT_VCENTER) top = box.top + (box.Height() - tm.tmHeight) / 2;
    else if (format & DT_BOTTOM) top = box.bottom - tm.tmHeight;
  }
  bool clip = !(format & DT_NOCLIP);
  if (clip) {
    SaveDC();
    IntersectClipRect(&box);
  }
  for (size_t i = 0; i < lines.size(); ++i) {
    int x = box.left;
    if (format & DT_CENTER) x = box.left + (boxWidth - widths[i]) / 2;
    else if (format & DT_RIGHT) x = box.right - widths[i];
    bool marked = i == underline.line && underline.start + underline.length <= static_cast<int>(lines[i].size());
    impl_->DrawTextLine(face, lines[i], x, top + static_cast<int>(i) * tm.tmHeight, widths[i],
                        marked ? underline.start : -1, underline.length);
  }
  if (clip) RestoreDC(-1);
  // With vertical placement the result reaches from the rectangle's top to
  // the bottom of the text, as the familiar call reports it.
  return (format & DT_SINGLELINE) && (format & (DT_VCENTER | DT_BOTTOM)) ? top - box.top + height : height;
}

int CDC::DrawText(const std::string& text, RECT* rect, UINT format) {
  return DrawText(text.data(), static_cast<int>(text.size()), rect, format);
}

CSize CDC::GetTextExtent(const char* text, int count) const {
  const FontFace& face = impl_->Face();
  return CSize(face.Width(kiv::GbkToUtf8(Gbk(text, count))), face.Metrics().tmHeight);
}

CSize CDC::GetTextExtent(const std::string& text) const {
  return GetTextExtent(text.data(), static_cast<int>(text.size()));
}

BOOL CDC::GetTextMetrics(TEXTMETRIC* metrics) const {
  if (metrics == nullptr) return FALSE;
  *metrics = impl_->Face().Metrics();
  return TRUE;
}

