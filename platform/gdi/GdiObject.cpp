#include "platform/gdi/GdiObject.h"

#include <cstring>
#include <mutex>
#include <unordered_map>

#include "platform/gdi/Bitmap.h"
#include "platform/gdi/GdiData.h"
#include "platform/gdi/Surface.h"

namespace kiv {
namespace gdi {

namespace {

std::mutex& TableMutex() {
  static std::mutex m;
  return m;
}

std::unordered_map<ObjectData*, std::shared_ptr<ObjectData>>& Table() {
  static auto* table = new std::unordered_map<ObjectData*, std::shared_ptr<ObjectData>>();
  return *table;
}

std::shared_ptr<PenData> MakePen(int style, int width, COLORREF color) {
  auto pen = std::make_shared<PenData>();
  pen->style = style;
  pen->width = std::max(1, width);
  pen->color = color;
  return pen;
}

std::shared_ptr<BrushData> MakeBrush(UINT style, COLORREF color) {
  auto brush = std::make_shared<BrushData>();
  brush->style = style;
  brush->color = color;
  return brush;
}

std::shared_ptr<FontData> MakeFont(const LOGFONT& lf) {
  auto font = std::make_shared<FontData>();
  font->logFont = lf;
  return font;
}

std::shared_ptr<ObjectData> MakeStock(int index) {
  std::shared_ptr<ObjectData> data;
  switch (index) {
    case WHITE_BRUSH: data = MakeBrush(BS_SOLID, RGB(255, 255, 255)); break;
    case LTGRAY_BRUSH: data = MakeBrush(BS_SOLID, RGB(192, 192, 192)); break;
    case GRAY_BRUSH: data = MakeBrush(BS_SOLID, RGB(128, 128, 128)); break;
    case DKGRAY_BRUSH: data = MakeBrush(BS_SOLID, RGB(64, 64, 64)); break;
    case BLACK_BRUSH: data = MakeBrush(BS_SOLID, RGB(0, 0, 0)); break;
    case NULL_BRUSH: data = MakeBrush(BS_NULL, 0); break;
    case WHITE_PEN: data = MakePen(PS_SOLID, 1, RGB(255, 255, 255)); break;
    case BLACK_PEN: data = MakePen(PS_SOLID, 1, RGB(0, 0, 0)); break;
    case NULL_PEN: data = MakePen(PS_NULL, 1, 0); break;
    case SYSTEM_FONT:
    case DEFAULT_GUI_FONT: {
      LOGFONT lf;
      lf.lfHeight = -12;
      lf.lfWeight = FW_NORMAL;
      lf.lfCharSet = GB2312_CHARSET;
      std::strcpy(lf.lfFaceName, "宋体");
      data = MakeFont(lf);
      break;
    }
    default: return nullptr;
  }
  data->stock = true;
  return data;
}

}  // namespace

std::shared_ptr<ObjectData> SharedFromHandle(HGDIOBJ handle) {
  if (handle == nullptr) return nullptr;
  return FromHandle(handle)->shared_from_this();
}

void KeepInHandleTable(std::shared_ptr<ObjectData> data) {
  if (!data) return;
  std::lock_guard<std::mutex> lock(TableMutex());
  Table()[data.get()] = std::move(data);
}

std::shared_ptr<ObjectData> TakeFromHandleTable(HGDIOBJ handle) {
  std::lock_guard<std::mutex> lock(TableMutex());
  auto it = Table().find(FromHandle(handle));
  if (it == Table().end()) return nullptr;
  std::shared_ptr<ObjectData> data = std::move(it->second);
  Table().erase(it);
  return data;
}

std::shared_ptr<ObjectData> StockObject(int index) {
  // Made once and never freed: DCs refer to them until the very end.
  static std::mutex m;
  static auto* stock = new std::unordered_map<int, std::shared_ptr<ObjectData>>();
  std::lock_guard<std::mutex> lock(m);
  auto it = stock->find(index);
  if (it != stock->end()) return it->second;
  std::shared_ptr<ObjectData> data = MakeStock(index);
  if (data) (*stock)[index] = data;
  return data;
}

std::shared_ptr<BitmapData> StockBitmap() {
  static auto* bitmap = [] {
    auto* b = new std::shared_ptr<BitmapData>(std::make_shared<BitmapData>());
    (*b)->surface = std::make_shared<Surface>(1, 1);
    (*b)->stock = true;
    return b;
  }();
  return *bitmap;
}

}  // namespace gdi
}  // namespace kiv

using kiv::gdi::ObjectData;

CGdiObject::~CGdiObject() { SetData(nullptr); }

void CGdiObject::SetData(std::shared_ptr<ObjectData> data) {
  if (data_ && data_->owner == this) data_->owner = nullptr;
  data_ = std::move(data);
  if (data_ && data_->owner == nullptr && !data_->stock) data_->owner = this;
}

BOOL CGdiObject::DeleteObject() {
  if (!data_) return FALSE;
  SetData(nullptr);
  return TRUE;
}

BOOL CGdiObject::Attach(HGDIOBJ handle) {
  if (handle == nullptr) return FALSE;
  std::shared_ptr<ObjectData> data = kiv::gdi::TakeFromHandleTable(handle);
  if (!data) data = kiv::gdi::SharedFromHandle(handle);
  SetData(std::move(data));
  return TRUE;
}

HGDIOBJ CGdiObject::Detach() {
  if (!data_) return nullptr;
  HGDIOBJ handle = data_.get();
  kiv::gdi::KeepInHandleTable(data_);
  SetData(nullptr);
  return handle;
}

HGDIOBJ GetStockObject(int index) { return kiv::gdi::StockObject(index).get(); }

BOOL DeleteObject(HGDIOBJ handle) {
  return kiv::gdi::TakeFromHandleTable(handle) != nullptr ? TRUE : FALSE;
}

// --- CPen -------------------------------------------------------------------

BOOL CPen::CreatePen(int style, int width, COLORREF color) {
  if (style < PS_SOLID || style > PS_INSIDEFRAME) return FALSE;
  SetData(kiv::gdi::MakePen(style, width, color));
  return TRUE;
}

BOOL CPen::CreatePenIndirect(const LOGPEN* logPen) {
  if (logPen == nullptr) return FALSE;
  return CreatePen(static_cast<int>(logPen->lopnStyle), logPen->lopnWidth.x, logPen->lopnColor);
}

BOOL CPen::CreateStockObject(int index) {
  auto data = kiv::gdi::StockObject(index);
  if (!data || data->kind != kiv::gdi::ObjectKind::kPen) return FALSE;
  SetData(data);
  return TRUE;
}

int CPen::GetLogPen(LOGPEN* logPen) const {
  auto* pen = static_cast<kiv::gdi::PenData*>(GetSafeHandle());
  if (pen == nullptr || logPen == nullptr) return 0;
  logPen->lopnStyle = static_cast<UINT>(pen->style);
  logPen->lopnWidth.x = pen->width;
  logPen->lopnWidth.y = 0;
  logPen->lopnColor = pen->color;
  return sizeof(LOGPEN);
}

CPen::operator HPEN() const { return static_cast<HPEN>(GetSafeHandle()); }

// --- CBrush -----------------------------------------------------------------

BOOL CBrush::CreateSolidBrush(COLORREF color) {
  SetData(kiv::gdi::MakeBrush(BS_SOLID, color));
  return TRUE;
}

BOOL CBrush::CreatePatternBrush(CBitmap* bitmap) {
  if (bitmap == nullptr || bitmap->GetSurface() == nullptr) return FALSE;
  auto* source = static_cast<kiv::gdi::BitmapData*>(bitmap->GetSafeHandle());
  source->SyncFromDib();
  const kiv::gdi::Surface& pixels = *source->surface;
  if (pixels.Width() == 0 || pixels.Height() == 0) return FALSE;
  auto brush = kiv::gdi::MakeBrush(BS_PATTERN, 0);
  // A copy, so the bitmap may be changed or deleted afterwards.
  brush->pattern = std::make_shared<kiv::gdi::Surface>(pixels.Width(), pixels.Height());
  brush->pattern->CopyFrom(pixels, 0, 0);
  SetData(brush);
  return TRUE;
}

BOOL CBrush::CreateBrushIndirect(const LOGBRUSH* logBrush) {
  if (logBrush == nullptr) return FALSE;
  if (logBrush->lbStyle == BS_NULL) {
    SetData(kiv::gdi::MakeBrush(BS_NULL, 0));
    return TRUE;
  }
  if (logBrush->lbStyle != BS_SOLID) return FALSE;
  return CreateSolidBrush(logBrush->lbColor);
}

BOOL CBrush::CreateStockObject(int index) {
  auto data = kiv::gdi::StockObject(index);
  if (!data || data->kind != kiv::gdi::ObjectKind::kBrush) return FALSE;
  SetData(data);
  return TRUE;
}

int CBrush::GetLogBrush(LOGBRUSH* logBrush) const {
  auto* brush = static_cast<kiv::gdi::BrushData*>(GetSafeHandle());
  if (brush == nullptr || logBrush == nullptr) return 0;
  logBrush->lbStyle = brush->style;
  logBrush->lbColor = brush->color;
  logBrush->lbHatch = 0;
  return sizeof(LOGBRUSH);
}

CBrush::operator HBRUSH() const { return static_cast<HBRUSH>(GetSafeHandle()); }

// --- CFont ------------------------------------------------------------------

BOOL CFont::CreateFontIndirect(const LOGFONT* logFont) {
  if (logFont == nullptr) return FALSE;
  LOGFONT lf = *logFont;
  lf.lfFaceName[LF_FACESIZE - 1] = '\0';
  SetData(kiv::gdi::MakeFont(lf));
  return TRUE;
}

BOOL CFont::CreateFont(int height, int width, int escapement, int orientation, int weight,
                       BYTE italic, BYTE underline, BYTE strikeOut, BYTE charSet,
                       BYTE outPrecision, BYTE clipPrecision, BYTE quality, BYTE pitchAndFamily,
                       const char* faceName) {
  LOGFONT lf;
  lf.lfHeight = height;
  lf.lfWidth = width;
  lf.lfEscapement = escapement;
  lf.lfOrientation = orientation;
  lf.lfWeight = weight;
  lf.lfItalic = italic;
  lf.lfUnderline = underline;
  lf.lfStrikeOut = strikeOut;
  lf.lfCharSet = charSet;
  lf.lfOutPrecision = outPrecision;
  lf.lfClipPrecision = clipPrecision;
  lf.lfQuality = quality;
  lf.lfPitchAndFamily = pitchAndFamily;
  if (faceName != nullptr) std::strncpy(lf.lfFaceName, faceName, LF_FACESIZE - 1);
  return CreateFontIndirect(&lf);
}

BOOL CFont::CreatePointFont(int pointSizeTenths, const char* faceName, CDC* /*dc*/) {
  LOGFONT lf;
  // Points to pixels at 96 dpi, rounded: 9 pt is 12 px.
  lf.lfHeight = -((pointSizeTenths * 96 + 360) / 720);
  lf.lfWeight = FW_NORMAL;
  if (faceName != nullptr) std::strncpy(lf.lfFaceName, faceName, LF_FACESIZE - 1);
  return CreateFontIndirect(&lf);
}

BOOL CFont::CreateStockObject(int index) {
  auto data = kiv::gdi::StockObject(index);
  if (!data || data->kind != kiv::gdi::ObjectKind::kFont) return FALSE;
  SetData(data);
  return TRUE;
}

int CFont::GetLogFont(LOGFONT* logFont) const {
  auto* font = static_cast<kiv::gdi::FontData*>(GetSafeHandle());
  if (font == nullptr || logFont == nullptr) return 0;
  *logFont = font->logFont;
  return sizeof(LOGFONT);
}

CFont::operator HFONT() const { return static_cast<HFONT>(GetSafeHandle()); }
