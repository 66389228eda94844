#include "platform/post/WindowRef.h"

#include "platform/post/HandleTable.h"
#include "platform/post/WindowEntry.h"

namespace kiv {

WindowRef WindowRef::Of(HWND hwnd) {
  std::shared_ptr<post::WindowEntry> entry = post::LookupWindow(hwnd);
  return entry ? entry->Liveness() : WindowRef();
}

}  // namespace kiv
