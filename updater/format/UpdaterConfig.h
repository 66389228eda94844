// The updater's settings: section KIVCONFIG of config.ini in the program
// folder, read with the profile rules of the layer (ProfileText.h: names
// without regard to case, blanks trimmed, a value in matching quotes loses
// them) and each value cut to 259 bytes on a character boundary, as a
// 260-byte buffer would hold it.
//
//   CName     display name of the main program ("远澜自动升级" when empty)
//   Name      file name of the main program: the processes to end, the file
//             to ensure, the program to start           required
//   Addr      base URL of the update server, no trailing '/'   required
//   dataName  file name of the package list, on the server and in temp/
//                                                         required
//   conName   required, its value unused                 required
//   Type      integer a package list's type must equal (0 when absent)
//   mustup    "1": the mandatory wording of the update prompt
//
// config.ini can itself come from the update server, so Name and dataName
// must be bare file names like a record's name: one picks the processes to
// end and the program to start, the other a file in temp/.
//
// Pure functions on text; any thread.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace kiv {

constexpr char kUpdaterConfigSection[] = "KIVCONFIG";
// A profile value read into a 260-byte buffer keeps at most this much.
constexpr size_t kUpdaterConfigValueBytes = 259;

struct UpdaterConfig {
  std::string cName;
  std::string name;
  std::string addr;
  std::string dataName;
  std::string conName;
  int32_t type = 0;
  std::string mustup;
};

// Reads the keys in the order CName, Name, Addr, dataName, conName, Type,
// mustup and stops at the first required key that is empty, or whose value
// is not acceptable, with -1 and that key in *badKey. 0 when all are there.
int ReadUpdaterConfig(std::string_view iniText, UpdaterConfig* config, std::string* badKey = nullptr);

// One value of section KIVCONFIG as the profile functions give it (quotes
// removed, cut to 259 bytes); empty when absent.
std::string UpdaterConfigValue(std::string_view iniText, std::string_view key);

// atoi of a value: optional blanks and sign, then digits; 0 for none. Values
// beyond the int32 range are clamped.
int32_t UpdaterConfigInt(std::string_view value);

}  // namespace kiv
