#include "shell/PPToolTipMarkup.h"

#include <algorithm>
#include <cctype>
#include <climits>

#include "shell/PPToolTipMarkupReader.h"

namespace {

constexpr long long kMaxPercentTotal = INT_MAX;

long long HoldWithin(long long v) {
  return std::clamp(v, -PPToolTipMarkup::kCoordinateLimit, PPToolTipMarkup::kCoordinateLimit);
}

// A count or size read from the text, as a non-negative 64-bit value.
long long Amount(uint32_t v) { return static_cast<long long>(v); }

long long FloorDiv(long long a, long long b) { return a >= 0 ? a / b : -((-a + b - 1) / b); }

bool SameNameIgnoringCase(const std::string& a, const std::string& b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    if (std::tolower(static_cast<unsigned char>(a[i])) != std::tolower(static_cast<unsigned char>(b[i]))) return false;
  }
  return true;
}

// One run of the pass: the reader's tokens applied to the canvas.
class MarkupPass {
 public:
  MarkupPass(PPToolTipCanvas& canvas, const PPToolTipMarkupSettings& settings, const CRect& rect, bool measure,
             std::vector<UINT>& widths, std::vector<UINT>& heights)
      : canvas_(canvas), settings_(settings), measure_(measure), widths_(widths), heights_(heights),
        left_(rect.left), top_(rect.top), rectWidth_(rect.Width()), font_(settings.font) {}

  CSize Run(std::string_view text) {
    canvas_.SelectFont(font_);
    int height = 0;
    int average = 0;
    canvas_.GetMetrics(&height, &average);
    lineTextHeight_ = std::max(height, 0);
    averageWidth_ = std::max(average, 0);
    canvas_.SetBkMode(TRANSPARENT);
    x_ = left_;
    y_ = top_;
    lineHeight_ = StartHeight();
    PPToolTipMarkupReader reader(text);
    PPToolTipToken token;
    while (reader.Next(&token)) Apply(token);
    Break(1);  // closes the last line
    if (measure_) {
      // Rules in percent take their share of the widest line.
      for (size_t i = 0; i < widths_.size() && i < percents_.size(); ++i) {
        const long long share = (percents_[i] * widest_ + 50) / 100;
        widths_[i] = static_cast<UINT>(std::clamp<long long>(widths_[i] + share, 0, kCoordinateLimitU()));
      }
    }
    canvas_.RestoreFont();
    return CSize(static_cast<LONG>(widest_), static_cast<LONG>(HoldWithin(y_ - top_)));
  }

 private:
  static long long kCoordinateLimitU() { return PPToolTipMarkup::kCoordinateLimit; }

  long long StartHeight() const {
    if (measure_) return lineTextHeight_;
    return line_ < heights_.size() ? heights_[line_] : lineTextHeight_;
  }

  void Apply(const PPToolTipToken& token) {
    switch (token.kind) {
      case PPToolTipToken::kText: Text(token.text); break;
      case PPToolTipToken::kTab: Tab(1); break;
      case PPToolTipToken::kLineBreak: Break(1); break;
      case PPToolTipToken::kTag: Tag(token); break;
    }
  }

  // The first run or image of a line places the line by its alignment.
  void BeginLineContent() {
    if (lineStarted_) return;
    lineStarted_ = true;
    if (measure_ || alignment_ == 0) return;
    const long long width = line_ < widths_.size() ? widths_[line_] : 0;
    x_ = HoldWithin(x_ + (alignment_ == 1 ? (rectWidth_ - width) / 2 : rectWidth_ - width));
  }

  void Text(const std::string& run) {
    if (run.empty()) return;
    BeginLineContent();
    const CSize extent = canvas_.TextExtent(run);
    if (measure_) {
      lineHeight_ = std::max<long long>(lineHeight_, extent.cy);
    } else {
      canvas_.TextOut(static_cast<int>(x_), static_cast<int>(HoldWithin(y_ + lineHeight_ - lineTextHeight_)), run);
    }
    x_ = HoldWithin(x_ + extent.cx);
  }

  void Break(long long n) {
    n = std::max<long long>(n, 1);
    if (measure_) {
      const long long width = std::max<long long>(x_ - left_, 0);
      widest_ = std::max(widest_, width);
      widths_.push_back(static_cast<UINT>(width));
      heights_.push_back(static_cast<UINT>(std::clamp<long long>(lineHeight_, 0, kCoordinateLimitU())));
      percents_.push_back(linePercent_);
      linePercent_ = 0;
    }
    y_ = HoldWithin(y_ + lineHeight_ * std::min<long long>(n, kCoordinateLimitU()));
    ++line_;
    lineHeight_ = StartHeight();
    x_ = left_;
    lineStarted_ = false;
  }

  void Tab(long long n) {
    n = std::max<long long>(n, 1);
    const long long stop = 4LL * averageWidth_;
    if (stop <= 0) return;  // a font without width has no tab stops
    const long long from = x_ - left_;
    if (from % stop != 0) {
      x_ = left_ + (FloorDiv(from, stop) + 1) * stop;
      --n;
    }
    x_ = HoldWithin(x_ + std::min<long long>(n, kCoordinateLimitU()) * stop);
  }

  void RuleOf(long long width) {
    if (!measure_) {
      const long long y = HoldWithin(y_ + lineHeight_ / 2);
      canvas_.Rule(static_cast<int>(x_), static_cast<int>(HoldWithin(x_ + width)), static_cast<int>(y));
    }
    x_ = HoldWithin(x_ + width);
  }

  void Icon(uint32_t id, uint32_t cx, uint32_t cy) {
    if (id == 0 || id > 0xFFFF) return;
    const int askedX = cx > static_cast<uint32_t>(PPToolTipMarkup::kMaxImageSide) ? -1 : static_cast<int>(cx);
    const int askedY = cy > static_cast<uint32_t>(PPToolTipMarkup::kMaxImageSide) ? -1 : static_cast<int>(cy);
    HICON icon = static_cast<HICON>(::LoadImage(nullptr, MAKEINTRESOURCE(id), IMAGE_ICON, askedX, askedY, 0));
    if (!icon) return;
    ICONINFO info;
    if (!::GetIconInfo(icon, &info)) {
      ::DestroyIcon(icon);
      return;
    }
    if (info.hbmColor) ::DeleteObject(info.hbmColor);
    if (info.hbmMask) ::DeleteObject(info.hbmMask);
    // The drawn size is twice the hot spot's offset.
    const CSize size(static_cast<LONG>(info.xHotspot * 2), static_cast<LONG>(info.yHotspot * 2));
    Image(size, [&](int x, int y) { canvas_.DrawIcon(x, y, icon, size); });
    ::DestroyIcon(icon);
  }

  void Bitmap(uint32_t id, bool masked, COLORREF mask, uint32_t cx, uint32_t cy) {
    if (id == 0) return;
    CBitmap bitmap;
    if (!bitmap.LoadBitmap(id)) return;  // takes no room
    const CSize own = bitmap.GetSize();
    const long long width = cx ? Amount(cx) : own.cx;
    const long long height = cy ? Amount(cy) : own.cy;
    if (width <= 0 || height <= 0 || width > PPToolTipMarkup::kMaxImageSide ||
        height > PPToolTipMarkup::kMaxImageSide) {
      return;
    }
    const CSize size(static_cast<LONG>(width), static_cast<LONG>(height));
    Image(size, [&](int x, int y) { canvas_.DrawBitmap(x, y, bitmap, size, masked, mask); });
  }

  // An icon or bitmap of `size` standing on the line's bottom.
  template <class Draw>
  void Image(CSize size, Draw draw) {
    BeginLineContent();
    if (measure_) {
      lineHeight_ = std::max<long long>(lineHeight_, size.cy);
    } else {
      draw(static_cast<int>(x_), static_cast<int>(HoldWithin(y_ + lineHeight_ - size.cy)));
    }
    x_ = HoldWithin(x_ + size.cx);
  }

  // The first `count` attribute items of a tag, read as cx, cy and mask.
  struct ImageAttributes {
    uint32_t cx = 0;
    uint32_t cy = 0;
    bool masked = false;
    COLORREF mask = 0xFF00FF;
  };
  static ImageAttributes ReadImageAttributes(const PPToolTipToken& token, size_t count) {
    ImageAttributes a;
    for (size_t i = 0; i < token.attributes.size() && i < count; ++i) {
      const std::string& name = token.attributes[i].first;
      const std::string& value = token.attributes[i].second;
      if (name == "cx") {
        a.cx = PPToolTipMarkupReader::Number(value, 0);
      } else if (name == "cy") {
        a.cy = PPToolTipMarkupReader::Number(value, 0);
      } else if (name == "mask") {
        a.masked = true;
        a.mask = PPToolTipMarkupReader::Number(value, 0xFF00FF);
      }
    }
    return a;
  }

  COLORREF Slot(int slot) const { return settings_.colors ? settings_.colors[slot] : 0; }

  void Tag(const PPToolTipToken& t) {
    const std::string& name = t.name;
    if (name == "b") {
      // Twice the default font's weight, at most 900; a font that leaves
      // its weight to the system (0) counts as normal.
      const LONG base = settings_.font.lfWeight > 0 ? settings_.font.lfWeight : FW_NORMAL;
      font_.lfWeight = t.closing ? settings_.font.lfWeight : std::min<LONG>(base * 2, FW_HEAVY);
      canvas_.SelectFont(font_);
    } else if (name == "i" || name == "u" || name == "s") {
      BYTE& flag = name == "i" ? font_.lfItalic : name == "u" ? font_.lfUnderline : font_.lfStrikeOut;
      flag = t.closing ? 0 : 1;
      canvas_.SelectFont(font_);
    } else if (name == "br") {
      Break(Amount(PPToolTipMarkupReader::Number(t.value, 1)));
    } else if (name == "t") {
      Tab(Amount(PPToolTipMarkupReader::Number(t.value, 1)));
    } else if (name == "ct") {
      canvas_.SetTextColor(PPToolTipMarkupReader::Number(t.value, Slot(kPPToolTipColorText)));
    } else if (name == "cti") {
      const uint32_t slot = PPToolTipMarkupReader::Number(t.value, kPPToolTipColorText);
      if (slot < static_cast<uint32_t>(kPPToolTipColorCount)) canvas_.SetTextColor(Slot(static_cast<int>(slot)));
    } else if (name == "cb") {
      canvas_.SetBkColor(PPToolTipMarkupReader::Number(t.value, Slot(kPPToolTipColorBegin)));
      canvas_.SetBkMode(t.closing ? TRANSPARENT : OPAQUE);
    } else if (name == "cbi") {
      const uint32_t slot = PPToolTipMarkupReader::Number(t.value, kPPToolTipColorBegin);
      if (slot < static_cast<uint32_t>(kPPToolTipColorCount)) {
        canvas_.SetBkColor(Slot(static_cast<int>(slot)));
        canvas_.SetBkMode(t.closing ? TRANSPARENT : OPAQUE);
      }
    } else if (t.closing) {
      // The remaining tags have no closing form.
    } else if (name == "al" || name == "al_l") {
      alignment_ = 0;
    } else if (name == "al_c") {
      alignment_ = 1;
    } else if (name == "al_r") {
      alignment_ = 2;
    } else if (name == "hr") {
      if (!t.value.empty() && t.value.back() == '%') {
        const long long percent = Amount(PPToolTipMarkupReader::Number(t.value, 0));
        if (measure_) {
          linePercent_ = std::min(linePercent_ + percent, kMaxPercentTotal);
        } else {
          RuleOf((percent * rectWidth_ + (rectWidth_ >= 0 ? 50 : -50)) / 100);
        }
      } else {
        RuleOf(Amount(PPToolTipMarkupReader::Number(t.value, 100)));
      }
    } else if (name == "icon") {
      const ImageAttributes a = ReadImageAttributes(t, 2);
      Icon(PPToolTipMarkupReader::Number(t.value, 0), a.cx, a.cy);
    } else if (name == "bmp") {
      const ImageAttributes a = ReadImageAttributes(t, 3);
      Bitmap(PPToolTipMarkupReader::Number(t.value, 0), a.masked, a.mask, a.cx, a.cy);
    } else if (name == "img") {
      NamedImage(t);
    } else if (name == "ilst") {
      ListImage(PPToolTipMarkupReader::Number(t.value, 0));
    }
  }

  void NamedImage(const PPToolTipToken& t) {
    if (!settings_.names) return;
    const ImageAttributes a = ReadImageAttributes(t, 2);
    for (const PPTOOLTIP_NAME_RES& entry : *settings_.names) {
      if (!SameNameIgnoringCase(entry.name, t.value)) continue;
      if (entry.resourceId == 0) return;
      switch (entry.kind) {
        case kPPToolTipImageIcon: Icon(entry.resourceId, a.cx, a.cy); break;
        case kPPToolTipImageBitmap: Bitmap(entry.resourceId, false, 0, a.cx, a.cy); break;
        case kPPToolTipImageMaskedBitmap: Bitmap(entry.resourceId, true, entry.maskColor, a.cx, a.cy); break;
        default: break;
      }
      return;
    }
  }

  void ListImage(uint32_t index) {
    CImageList* list = settings_.images;
    if (!list || index >= static_cast<uint32_t>(std::max(list->GetImageCount(), 0))) return;
    int cx = 0;
    int cy = 0;
    list->GetIconSize(&cx, &cy);
    BeginLineContent();
    if (!measure_) canvas_.DrawListImage(*list, static_cast<int>(index), static_cast<int>(x_), static_cast<int>(y_));
    x_ = HoldWithin(x_ + cx);
  }

  PPToolTipCanvas& canvas_;
  const PPToolTipMarkupSettings& settings_;
  const bool measure_;
  std::vector<UINT>& widths_;
  std::vector<UINT>& heights_;
  const long long left_;
  const long long top_;
  const long long rectWidth_;
  LOGFONT font_;
  long long lineTextHeight_ = 0;  // H: the default font's line height
  long long averageWidth_ = 0;    // A
  long long x_ = 0;
  long long y_ = 0;
  size_t line_ = 0;
  long long lineHeight_ = 0;
  bool lineStarted_ = false;
  int alignment_ = 0;  // 0 left, 1 centre, 2 right
  long long widest_ = 0;
  long long linePercent_ = 0;
  std::vector<long long> percents_;
};

}  // namespace

CSize PPToolTipMarkup::Run(PPToolTipCanvas& canvas, const PPToolTipMarkupSettings& settings, std::string_view text,
                           const CRect& rect, bool measure) {
  if (measure) ClearLines();
  if (text.empty()) return CSize(0, 0);
  MarkupPass pass(canvas, settings, rect, measure, lineWidths_, lineHeights_);
  return pass.Run(text);
}
