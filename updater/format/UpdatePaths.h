// Where a package record's file lives and where it is fetched from.
//
// A record's dir is a folder below the program folder: its leading '\' is
// the program folder itself, each further '\' a folder step ("\sub\folder"
// is sub/folder). Names and dirs come from the update server, so nothing in
// them may reach outside the program folder or into the updater's own
// places: a name must be a bare file name (no '\', '/', ':', no "." or
// "..", no control bytes), a dir must begin with '\' and hold no ".."
// component, ':' or '/', and no record may land on data.dat or inside
// temp/. Separators are found character by character in GBK, so the trail
// byte of a Chinese character is never taken for a '\'.
//
// Pure functions on text; any thread.
#pragma once

#include <string>
#include <string_view>

#include "updater/format/PackageList.h"

namespace kiv {

// Files and folders of the program folder that the updater keeps.
constexpr char kInstalledListFile[] = "data.dat";
constexpr char kTempFolder[] = "temp";
constexpr char kConfigFile[] = "config.ini";
constexpr char kUpdaterFile[] = "KivUpdate.exe";

// A file name without any path: non-empty, at most 259 bytes, not "." or
// "..", without '\', '/', ':' or a control byte.
bool IsBareFileName(std::string_view name);

// The record's place relative to the program folder, '/'-separated GBK text
// ("sub/folder/name", or "name" for the program folder). False with a short
// English reason when the name or dir is refused.
bool RecordRelativePath(const PackageRecord& record, std::string* relative, std::string* why = nullptr);

// The URL of a file on the update server: addr, then the dir with every '\'
// turned into '/' (nothing for the program folder), then '/' and the name.
// Every byte but letters, digits and the marks that mean nothing special in
// a path is escaped as %XX (blanks, '%', '#', '?', '\', GBK bytes), so that
// a name holding one still names its own file.
std::string RecordUrl(std::string_view addr, const PackageRecord& record);
// addr + '/' + file, escaped the same way.
std::string FileUrl(std::string_view addr, std::string_view file);

}  // namespace kiv
