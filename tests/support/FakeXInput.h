// Input on a private X server (XvfbScreen.h) as a user would give it:
// pointer moves, clicks and keys through the server's XTEST extension, and
// where the server has the pointer. The X libraries are loaded at run time,
// so tests need no X development files; Open fails when they are missing.
#pragma once

#include <dlfcn.h>

#include <string>

#include "platform/gdi/Geometry.h"

namespace kiv::test {

class FakeXInput {
 public:
  FakeXInput() = default;
  FakeXInput(const FakeXInput&) = delete;
  FakeXInput& operator=(const FakeXInput&) = delete;
  bool Open(const std::string& display) {
    x11_ = dlopen("libX11.so.6", RTLD_NOW);
    xtst_ = dlopen("libXtst.so.6", RTLD_NOW);
    if (!x11_ || !xtst_) return false;
    auto open = reinterpret_cast<void* (*)(const char*)>(dlsym(x11_, "XOpenDisplay"));
    close_ = reinterpret_cast<int (*)(void*)>(dlsym(x11_, "XCloseDisplay"));
    flush_ = reinterpret_cast<int (*)(void*)>(dlsym(x11_, "XFlush"));
    keycode_ = reinterpret_cast<unsigned char (*)(void*, unsigned long)>(dlsym(x11_, "XKeysymToKeycode"));
    motion_ = reinterpret_cast<int (*)(void*, int, int, int, unsigned long)>(dlsym(xtst_, "XTestFakeMotionEvent"));
    button_ = reinterpret_cast<int (*)(void*, unsigned, int, unsigned long)>(dlsym(xtst_, "XTestFakeButtonEvent"));
    key_ = reinterpret_cast<int (*)(void*, unsigned, int, unsigned long)>(dlsym(xtst_, "XTestFakeKeyEvent"));
    root_ = reinterpret_cast<unsigned long (*)(void*)>(dlsym(x11_, "XDefaultRootWindow"));
    query_ = reinterpret_cast<QueryPointer>(dlsym(x11_, "XQueryPointer"));
    if (!open || !close_ || !flush_ || !keycode_ || !motion_ || !button_ || !key_ || !root_ || !query_) return false;
    display_ = open(display.c_str());
    return display_ != nullptr;
  }
  ~FakeXInput() {
    if (display_) close_(display_);
    if (xtst_) dlclose(xtst_);
    if (x11_) dlclose(x11_);
  }
  void Move(int x, int y) {
    motion_(display_, 0, x, y, 0);
    flush_(display_);
  }
  void Click(int button) {
    button_(display_, static_cast<unsigned>(button), 1, 0);
    button_(display_, static_cast<unsigned>(button), 0, 0);
    flush_(display_);
  }
  // A button held down and let go apart, for drags.
  void Press(int button) {
    button_(display_, static_cast<unsigned>(button), 1, 0);
    flush_(display_);
  }
  void Release(int button) {
    button_(display_, static_cast<unsigned>(button), 0, 0);
    flush_(display_);
  }
  // Where the X server has the pointer.
  CPoint Pointer() {
    unsigned long rootRet, child;
    int rx = -1, ry = -1, wx, wy;
    unsigned mask;
    query_(display_, root_(display_), &rootRet, &child, &rx, &ry, &wx, &wy, &mask);
    return CPoint(rx, ry);
  }
  void Key(unsigned long keysym) {
    unsigned code = keycode_(display_, keysym);
    key_(display_, code, 1, 0);
    key_(display_, code, 0, 0);
    flush_(display_);
  }

 private:
  void* x11_ = nullptr;
  void* xtst_ = nullptr;
  void* display_ = nullptr;
  int (*close_)(void*) = nullptr;
  int (*flush_)(void*) = nullptr;
  unsigned char (*keycode_)(void*, unsigned long) = nullptr;
  int (*motion_)(void*, int, int, int, unsigned long) = nullptr;
  int (*button_)(void*, unsigned, int, unsigned long) = nullptr;
  int (*key_)(void*, unsigned, int, unsigned long) = nullptr;
  unsigned long (*root_)(void*) = nullptr;
  typedef int (*QueryPointer)(void*, unsigned long, unsigned long*, unsigned long*, int*, int*, int*, int*,
                              unsigned*);
  QueryPointer query_ = nullptr;
};

}  // namespace kiv::test
