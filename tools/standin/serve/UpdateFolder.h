// UpdateFolder: the stand-in's update server. It serves one folder (the
// update root) under the HTTP path /update, so that an updater whose
// config.ini says Addr=http://127.0.0.1:<http port>/update finds there:
//
//   - every file of the folder, at its path below the root (a request's
//     path is percent-decoded, its GBK bytes taken as the file's name);
//   - the package list, generated from the folder at each request: one
//     record per file (the manifest excepted), dir "\" for the root and
//     "\sub\folder" below it, names in GBK, versions from the manifest;
//   - config.ini: the folder's own, or, when it has none, one made for it
//     (Name RYKIVDesk, Addr this server's /update as the request named its
//     host, the list's name and type), which the list does not name.
//
// The manifest, update-manifest.txt in the root, is a few lines of text:
//
//   list kivupdate.dat 3           the list's file name and its type
//   version RYKIVDesk 2 0          major and minor of a file (by its path
//   version plugins/x/a.dll 1 7    below the root); others are 1.0
//   delay 1500                     every file (not the list) answered this
//                                  many milliseconds late: a run slow
//                                  enough to watch, or to stop half-way
//
// Without a manifest the list is kivupdate.dat of type 0.
//
// Switches per path (the path below /update, as the folder names it: the
// list's name, "config.ini", "plugins/x/a.dll"), for tests: a status
// instead of the file (404 with a short text, 500 with an HTML page), the
// body cut after k bytes by a reset, a Content-Length larger than the body
// sent, a delay, or other bytes in its place (a broken list). Requests are
// counted per path.
//
// Threads: the handler runs on the HTTP server's thread; the root, switches
// and counts may be read and changed from any thread.
#pragma once

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <map>
#include <mutex>
#include <optional>
#include <string>

#include "tools/standin/serve/HttpServer.h"

namespace kiv::standin {

constexpr char kUpdatePath[] = "/update";
constexpr char kUpdateManifest[] = "update-manifest.txt";
constexpr char kDefaultUpdateList[] = "kivupdate.dat";

// What one path answers instead of its file.
struct UpdateFileSwitch {
  int status = 0;                          // 0: the file; 404 or 500 (HTML page) otherwise
  std::optional<size_t> cutAfter;          // the body's first k bytes, then a reset
  std::optional<uint64_t> extraLength;     // Content-Length this much above the body sent
  std::chrono::milliseconds delay{0};      // before anything is written
  std::optional<std::string> body;         // these bytes instead of the file
};

class UpdateFolder {
 public:
  // root: a native folder path; empty serves nothing (every path 404).
  explicit UpdateFolder(std::string root = std::string());
  UpdateFolder(const UpdateFolder&) = delete;
  UpdateFolder& operator=(const UpdateFolder&) = delete;

  // Routes /update/ on the server to this folder.
  void Register(HttpServer& server);

  void SetRoot(const std::string& root);
  std::string Root() const;

  void SetSwitch(const std::string& path, const UpdateFileSwitch& change);
  void ClearSwitch(const std::string& path);
  void ClearSwitches();

  // Requests of a path since the last ClearCounts.
  size_t RequestCount(const std::string& path) const;
  std::map<std::string, size_t> RequestCounts() const;
  void ClearCounts();

  // The list as served now, its file name and type (from the manifest).
  std::string ListBytes() const;
  std::string ListName() const;

  HttpResponse Answer(const HttpRequest& request);

 private:
  struct Manifest {
    std::string listName = kDefaultUpdateList;
    int32_t type = 0;
    std::map<std::string, std::pair<int32_t, int32_t>> versions;  // path -> (major, minor)
    int delayMs = 0;
  };
  static Manifest ReadManifest(const std::string& root);
  static std::string BuildList(const std::string& root, const Manifest& manifest);

  mutable std::mutex mutex_;
  std::string root_;
  std::map<std::string, UpdateFileSwitch> switches_;
  std::map<std::string, size_t> counts_;
};

}  // namespace kiv::standin
