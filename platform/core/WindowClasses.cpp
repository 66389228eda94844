// Window classes: names registered for the rest of the run with their style,
// cursor, icon and background. A window made with a registered class name
// takes the class cursor; the rest is kept for GetClassInfo.
#include <cctype>
#include <map>
#include <mutex>
#include <string>

#include "platform/core/WindowSystem.h"

namespace kiv {
namespace win {

namespace {

struct RegisteredClass {
  std::string name;  // as registered
  WNDCLASSA wndClass;
  ATOM atom = 0;
};

struct ClassTable {
  std::mutex mutex;
  std::map<std::string, RegisteredClass> byKey;  // key: the name in lower case
  ATOM nextAtom = 0xC000;                        // where registered class atoms start
};

ClassTable& Classes() {
  static ClassTable* table = new ClassTable();  // outlives every window made at exit
  return *table;
}

std::string ClassKey(const char* name) {
  std::string key = name;
  for (char& c : key) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return key;
}

bool IsNamed(LPCSTR name) { return name != nullptr && reinterpret_cast<uintptr_t>(name) > 0xFFFF && *name != '\0'; }

}  // namespace

HCURSOR ClassCursor(const std::string& className) {
  if (className.empty()) return nullptr;
  ClassTable& table = Classes();
  std::lock_guard<std::mutex> lock(table.mutex);
  auto it = table.byKey.find(ClassKey(className.c_str()));
  return it == table.byKey.end() ? nullptr : it->second.wndClass.hCursor;
}

}  // namespace win
}  // namespace kiv

ATOM RegisterClassA(const WNDCLASSA* wndClass) {
  if (!wndClass || !kiv::win::IsNamed(wndClass->lpszClassName)) return 0;
  kiv::win::ClassTable& table = kiv::win::Classes();
  std::lock_guard<std::mutex> lock(table.mutex);
  const std::string key = kiv::win::ClassKey(wndClass->lpszClassName);
  if (table.byKey.count(key)) return 0;
  if (table.nextAtom == 0xFFFF) return 0;  // the atoms are spent
  kiv::win::RegisteredClass& entry = table.byKey[key];
  entry.name = wndClass->lpszClassName;
  entry.wndClass = *wndClass;
  entry.wndClass.lpszClassName = nullptr;  // the caller's text may go; GetClassInfo gives its own
  entry.wndClass.lpszMenuName = nullptr;
  entry.atom = table.nextAtom++;
  return entry.atom;
}

BOOL GetClassInfoA(HINSTANCE, LPCSTR className, WNDCLASSA* wndClass) {
  if (!kiv::win::IsNamed(className)) return FALSE;
  kiv::win::ClassTable& table = kiv::win::Classes();
  std::lock_guard<std::mutex> lock(table.mutex);
  auto it = table.byKey.find(kiv::win::ClassKey(className));
  if (it == table.byKey.end()) return FALSE;
  if (wndClass) {
    *wndClass = it->second.wndClass;
    wndClass->lpszClassName = className;
  }
  return TRUE;
}

BOOL UnregisterClassA(LPCSTR className, HINSTANCE) {
  if (!kiv::win::IsNamed(className)) return FALSE;
  kiv::win::ClassTable& table = kiv::win::Classes();
  std::lock_guard<std::mutex> lock(table.mutex);
  return table.byKey.erase(kiv::win::ClassKey(className)) ? TRUE : FALSE;
}
