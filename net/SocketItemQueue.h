// The socket item queue: a store of queued socket requests that the program
// builds at start-up. Two places post items to it (the all-stocks refresh,
// one item per security without a window to notify, and the robot K-line
// chart, one item with its window). Nothing takes items out or writes them
// to a socket: posted items stay queued until the store is destroyed, which
// frees them. On Linux there is no completion port behind it; the store is
// what remains of it, kept because callers post to it.
//
// Ownership: a posted item and its payload belong to the store. Each queue
// is guarded by its own lock; posting may happen on any thread.
#pragma once

#include <cstddef>
#include <cstdint>
#include <list>
#include <memory>
#include <mutex>
#include <vector>


// A queued socket request, as the posting code fills it.
struct _tag_SOCKETIO_ITEM {
  uint32_t reserved1[5] = {};
  void* hWnd = nullptr;     // window handle to notify; null for none
  uint32_t nMessage = 0;    // message number for that window (0 without one)
  uint32_t reserved2 = 0;
  uint32_t reserved3[3] = {};
  uint32_t nLength = 0;     // payload length in bytes
  std::unique_ptr<unsigned char[]> pData;  // payload, owned by the item

  // Length of the request part that identifies an item (two words chosen by
  // the poster, then the StockId).
  static constexpr uint32_t kKeySize = 12;
  // The first kKeySize payload bytes of both items are present and equal.
  bool SameKey(const _tag_SOCKETIO_ITEM& other) const;
};
typedef _tag_SOCKETIO_ITEM SOCKETIO_ITEM;

// A thread-safe ordered list of owned items.
template <typename T>
class CQueue {
 public:
  virtual ~CQueue() = default;

  void PushBack(std::unique_ptr<T> item) {
    std::lock_guard<std::mutex> lock(mutex_);
    list_.push_back(std::move(item));
  }
  size_t Size() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return list_.size();
  }
  // Runs f(list) under the queue's lock.
  template <typename F>
  auto WithList(F f) {
    std::lock_guard<std::mutex> lock(mutex_);
    return f(list_);
  }

 private:
  std::list<std::unique_ptr<T>> list_;
  mutable std::mutex mutex_;
};

class CIocpSocket {
 public:
  // The recycled-item pool never holds more than this.
  static constexpr size_t kPoolLimit = 100;

  CIocpSocket() = default;
  CIocpSocket(const CIocpSocket&) = delete;
  CIocpSocket& operator=(const CIocpSocket&) = delete;

  // Takes ownership of item; null is ignored. An item without a window goes
  // to the unaddressed queue. An item with a window replaces a queued item
  // with the same request key (the old one is recycled), else it is appended.
  void PostItem(std::unique_ptr<SOCKETIO_ITEM> item);
  // Pools the item while the pool has room, else frees it with its payload.
  void RecycleItem(std::unique_ptr<SOCKETIO_ITEM> item);

  size_t RequestCount() const { return requestQueue_.Size(); }
  size_t UnaddressedCount() const { return unaddressedQueue_.Size(); }
  size_t PoolCount() const { return pool_.Size(); }
  // Runs f on each queued request item in order, under the queue's lock.
  template <typename F>
  void ForEachRequest(F f) {
    requestQueue_.WithList([&](std::list<std::unique_ptr<SOCKETIO_ITEM>>& list) {
      for (auto& item : list) f(*item);
      return 0;
    });
  }

 private:
  CQueue<SOCKETIO_ITEM> requestQueue_;
  CQueue<SOCKETIO_ITEM> unaddressedQueue_;
  CQueue<SOCKETIO_ITEM> pool_;
};

// Makes a posted item: window and message, and a 12-byte payload of the
// two words and the StockId, little-endian.
std::unique_ptr<SOCKETIO_ITEM> MakeSocketItem(void* window, uint32_t message, uint32_t word0, uint32_t word1,
                                              uint32_t stock);
