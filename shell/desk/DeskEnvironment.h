// DeskEnvironment: what the main dialog reaches of the program around it,
// set once by the program's start-up before the dialog is constructed: the
// global objects (built and released at one place by start-up), the
// single-instance channel whose handlers the dialog serves while its window
// lives, and the folders it reads and writes.
//
// Threads: set on the UI thread before the dialog exists; read by the
// dialog on the UI thread (and by its push handler, which only reads the
// network service's pointer).
#pragma once

#include <string>

namespace kiv {
class KivGlobalObjects;
class SingleInstance;
}  // namespace kiv

struct DeskEnvironment {
  // Required: the network service, the stock table and the watch list.
  kiv::KivGlobalObjects* globals = nullptr;
  // Optional: a second start's "raise" and copy-data requests reach the
  // dialog through it from its WM_CREATE to its WM_DESTROY.
  kiv::SingleInstance* instance = nullptr;
  // <cwd>/system.ini: Placement and jwuNotice (GBK path).
  std::string systemIniPath = "system.ini";
  // The folder of the program file, with its trailing '/' (the manuals go
  // to its "Data/"); empty for the current folder.
  std::string programFolder;
};

void SetDeskEnvironment(const DeskEnvironment& environment);
const DeskEnvironment& GetDeskEnvironment();
