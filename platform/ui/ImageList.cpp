#include "platform/ui/ImageList.h"

#include <mutex>
#include <set>

#include "platform/gdi/Surface.h"

struct CImageList::Data {
  int cx = 0;
  int cy = 0;
  bool masked = false;
  std::vector<std::shared_ptr<kiv::gdi::Surface>> images;  // premultiplied ARGB
};

namespace {

// The lists alive, so that a stale handle is refused instead of followed.
std::mutex g_imageListsMutex;
std::set<const void*> g_imageLists;

CImageList* ListOf(HIMAGELIST handle) {
  std::lock_guard<std::mutex> lock(g_imageListsMutex);
  return g_imageLists.count(handle) ? reinterpret_cast<CImageList*>(handle) : nullptr;
}

}  // namespace

CImageList::CImageList() = default;

CImageList::~CImageList() { DeleteImageList(); }

BOOL CImageList::Create(int cx, int cy, UINT flags, int, int) {
  if (data_ || cx < 1 || cy < 1 || cx > kMaxImageSide || cy > kMaxImageSide) return FALSE;
  data_ = std::make_unique<Data>();
  data_->cx = cx;
  data_->cy = cy;
  data_->masked = (flags & ILC_MASK) != 0;
  std::lock_guard<std::mutex> lock(g_imageListsMutex);
  g_imageLists.insert(this);
  return TRUE;
}

BOOL CImageList::DeleteImageList() {
  if (!data_) return FALSE;
  data_.reset();
  std::lock_guard<std::mutex> lock(g_imageListsMutex);
  g_imageLists.erase(this);
  return TRUE;
}

HIMAGELIST CImageList::GetSafeHandle() const {
  return data_ ? reinterpret_cast<HIMAGELIST>(const_cast<CImageList*>(this)) : nullptr;
}

int CImageList::Add(CBitmap* bitmap, COLORREF mask) {
  if (!data_ || !bitmap || !bitmap->GetSurface()) return -1;
  const kiv::gdi::Surface& source = *bitmap->GetSurface();
  const int pieces = source.Width() / data_->cx;
  if (pieces == 0) return -1;
  const int first = static_cast<int>(data_->images.size());
  const uint8_t* in = source.Pixels();
  const COLORREF key = mask & 0xFFFFFF;
  for (int piece = 0; piece < pieces; ++piece) {
    auto image = std::make_shared<kiv::gdi::Surface>(data_->cx, data_->cy);
    uint8_t* out = image->Pixels();
    for (int y = 0; y < data_->cy; ++y) {
      auto* row = reinterpret_cast<uint32_t*>(out + static_cast<size_t>(y) * image->Stride());
      for (int x = 0; x < data_->cx; ++x) {
        uint32_t pixel = 0;  // transparent below the bitmap's last row
        if (y < source.Height()) {
          const auto* from = reinterpret_cast<const uint32_t*>(in + static_cast<size_t>(y) * source.Stride());
          pixel = from[piece * data_->cx + x] | 0xFF000000u;
          const COLORREF colour = RGB((pixel >> 16) & 0xFF, (pixel >> 8) & 0xFF, pixel & 0xFF);
          if (data_->masked && colour == key) pixel = 0;
        }
        row[x] = pixel;
      }
    }
    image->MarkDirty();
    data_->images.push_back(std::move(image));
  }
  return first;
}

int CImageList::GetImageCount() const { return data_ ? static_cast<int>(data_->images.size()) : 0; }

BOOL CImageList::GetIconSize(int* cx, int* cy) const {
  if (cx) *cx = data_ ? data_->cx : 0;
  if (cy) *cy = data_ ? data_->cy : 0;
  return data_ ? TRUE : FALSE;
}

BOOL CImageList::Draw(CDC* dc, int index, POINT p, UINT) {
  if (!data_ || !dc || index < 0 || index >= GetImageCount()) return FALSE;
  return dc->DrawSurface(p.x, p.y, *data_->images[static_cast<size_t>(index)]);
}

int ImageList_GetImageCount(HIMAGELIST list) {
  CImageList* l = ListOf(list);
  return l ? l->GetImageCount() : 0;
}

BOOL ImageList_GetIconSize(HIMAGELIST list, int* cx, int* cy) {
  CImageList* l = ListOf(list);
  if (!l) return FALSE;
  return l->GetIconSize(cx, cy);
}

BOOL ImageList_Draw(HIMAGELIST list, int index, HDC dc, int x, int y, UINT style) {
  CImageList* l = ListOf(list);
  if (!l) return FALSE;
  return l->Draw(CDC::FromHandle(dc), index, POINT{x, y}, style);
}
