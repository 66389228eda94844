#include "net/SocketItemQueue.h"

#include <cstring>

bool _tag_SOCKETIO_ITEM::SameKey(const _tag_SOCKETIO_ITEM& other) const {
  if (nLength < kKeySize || other.nLength < kKeySize || !pData || !other.pData) return false;
  return std::memcmp(pData.get(), other.pData.get(), kKeySize) == 0;
}

std::unique_ptr<SOCKETIO_ITEM> MakeSocketItem(void* window, uint32_t message, uint32_t word0, uint32_t word1,
                                              uint32_t stock) {
  auto item = std::make_unique<SOCKETIO_ITEM>();
  item->hWnd = window;
  item->nMessage = window ? message : 0;
  item->nLength = SOCKETIO_ITEM::kKeySize;
  item->pData.reset(new unsigned char[SOCKETIO_ITEM::kKeySize]);
  const uint32_t words[3] = {word0, word1, stock};
  for (size_t w = 0; w < 3; ++w)
    for (size_t b = 0; b < 4; ++b) item->pData[w * 4 + b] = static_cast<unsigned char>(words[w] >> (8 * b));
  return item;
}

void CIocpSocket::PostItem(std::unique_ptr<SOCKETIO_ITEM> item) {
  if (!item) return;
  if (!item->hWnd) {
    unaddressedQueue_.PushBack(std::move(item));
    return;
  }
  std::unique_ptr<SOCKETIO_ITEM> replaced =
      requestQueue_.WithList([&](std::list<std::unique_ptr<SOCKETIO_ITEM>>& list) {
        for (auto& queued : list) {
          if (queued->SameKey(*item)) {
            // The newer request takes the older one's place in line.
            std::unique_ptr<SOCKETIO_ITEM> old = std::move(queued);
            queued = std::move(item);
            return old;
          }
        }
        list.push_back(std::move(item));
        return std::unique_ptr<SOCKETIO_ITEM>();
      });
  // Recycled outside the request queue's lock: the pool has its own.
  if (replaced) RecycleItem(std::move(replaced));
}

void CIocpSocket::RecycleItem(std::unique_ptr<SOCKETIO_ITEM> item) {
  if (!item) return;
  pool_.WithList([&](std::list<std::unique_ptr<SOCKETIO_ITEM>>& list) {
    if (list.size() < kPoolLimit) list.push_back(std::move(item));
    return 0;
  });
  // An item the pool had no room for is freed here, with its payload.
}
