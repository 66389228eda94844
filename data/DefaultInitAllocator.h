// DefaultInitAllocator: a std::allocator whose value-less construct leaves
// trivial types uninitialised, so that vector::resize(n) does not zero
// storage that is about to be overwritten whole (a cache file read straight
// into the array). resize(n, value) still fills with the value.
#pragma once

#include <memory>
#include <new>
#include <utility>

template <class T>
class DefaultInitAllocator : public std::allocator<T> {
 public:
  template <class U>
  struct rebind {
    using other = DefaultInitAllocator<U>;
  };

  DefaultInitAllocator() = default;
  template <class U>
  DefaultInitAllocator(const DefaultInitAllocator<U>&) noexcept {}

  template <class U>
  void construct(U* p) {
    ::new (static_cast<void*>(p)) U;
  }
  template <class U, class... Args>
  void construct(U* p, Args&&... args) {
    ::new (static_cast<void*>(p)) U(std::forward<Args>(args)...);
  }
};
