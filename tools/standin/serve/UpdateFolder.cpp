#include "tools/standin/serve/UpdateFolder.h"

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <vector>

#include "platform/sys/AtomicFile.h"
#include "platform/sys/CodePage.h"
#include "updater/format/PackageList.h"

namespace kiv::standin {

namespace fs = std::filesystem;

namespace {

// A served file is read whole; the programs of an installation are far
// smaller than this.
constexpr size_t kMaxServedFileBytes = size_t(256) << 20;

// The path below /update/ as the folder names it: decoded, GBK to UTF-8,
// repeated '/' collapsed; empty when it would leave the folder.
std::string FolderPath(const std::string& rawPath) {
  std::string path = rawPath.substr(std::min(rawPath.size(), sizeof kUpdatePath));
  const size_t query = path.find('?');
  if (query != std::string::npos) path.resize(query);
  path = GbkToUtf8(PercentDecode(path, false));
  std::string clean;
  std::istringstream steps(path);
  for (std::string step; std::getline(steps, step, '/');) {
    if (step.empty()) continue;
    if (step == "." || step == ".." || step.find('\\') != std::string::npos) return std::string();
    if (!clean.empty()) clean += '/';
    clean += step;
  }
  return clean;
}

HttpResponse Status(int status) {
  HttpResponse response;
  response.status = status;
  if (status == 500) {
    // A page long enough that no length floor alone can take it for a failure.
    response.contentType = "text/html; charset=utf-8";
    response.body =
        "<html><head><title>500 Internal Server Error</title></head><body><h1>Internal Server Error</h1>"
        "<p>The server could not complete the request.</p></body></html>";
  } else {
    response.body = "not found";
  }
  return response;
}

// The Host header of a request head; "127.0.0.1" when it has none.
std::string HostOf(const std::string& head) {
  std::istringstream lines(head);
  for (std::string line; std::getline(lines, line);) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (line.size() > 5 && (line.compare(0, 5, "Host:") == 0 || line.compare(0, 5, "host:") == 0)) {
      std::string host = line.substr(5);
      host.erase(0, host.find_first_not_of(' '));
      if (!host.empty() && host.find_first_of(" \t/") == std::string::npos) return host;
    }
  }
  return "127.0.0.1";
}

std::string MadeConfig(const std::string& host, const std::string& listName, int32_t type) {
  return "[KIVCONFIG]\r\nCName=RYKIVDesk\r\nName=RYKIVDesk\r\nAddr=http://" + host + kUpdatePath +
         "\r\ndataName=" + listName + "\r\nconName=kiv\r\nType=" + std::to_string(type) + "\r\n";
}

}  // namespace

UpdateFolder::UpdateFolder(std::string root) : root_(std::move(root)) {}

void UpdateFolder::Register(HttpServer& server) {
  server.Route(std::string(kUpdatePath) + "/", [this](const HttpRequest& request) { return Answer(request); });
}

void UpdateFolder::SetRoot(const std::string& root) {
  std::lock_guard<std::mutex> lock(mutex_);
  root_ = root;
}

std::string UpdateFolder::Root() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return root_;
}

void UpdateFolder::SetSwitch(const std::string& path, const UpdateFileSwitch& change) {
  std::lock_guard<std::mutex> lock(mutex_);
  switches_[path] = change;
}

void UpdateFolder::ClearSwitch(const std::string& path) {
  std::lock_guard<std::mutex> lock(mutex_);
  switches_.erase(path);
}

void UpdateFolder::ClearSwitches() {
  std::lock_guard<std::mutex> lock(mutex_);
  switches_.clear();
}

size_t UpdateFolder::RequestCount(const std::string& path) const {
  std::lock_guard<std::mutex> lock(mutex_);
  auto found = counts_.find(path);
  return found == counts_.end() ? 0 : found->second;
}

std::map<std::string, size_t> UpdateFolder::RequestCounts() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return counts_;
}

void UpdateFolder::ClearCounts() {
  std::lock_guard<std::mutex> lock(mutex_);
  counts_.clear();
}

UpdateFolder::Manifest UpdateFolder::ReadManifest(const std::string& root) {
  Manifest manifest;
  std::string text;
  if (root.empty() || !ReadWholeFile((fs::path(root) / kUpdateManifest).string(), &text, 1 << 20)) return manifest;
  std::istringstream lines(text);
  for (std::string line; std::getline(lines, line);) {
    std::istringstream words(line);
    std::string kind;
    words >> kind;
    if (kind == "list") {
      std::string name;
      int32_t type = 0;
      if (words >> name >> type) {
        manifest.listName = name;
        manifest.type = type;
      }
    } else if (kind == "version") {
      std::string path;
      int32_t major = 0;
      int32_t minor = 0;
      if (words >> path >> major >> minor) manifest.versions[path] = {major, minor};
    } else if (kind == "delay") {
      int ms = 0;
      if (words >> ms) manifest.delayMs = std::clamp(ms, 0, 60000);
    }
  }
  return manifest;
}

std::string UpdateFolder::BuildList(const std::string& root, const Manifest& manifest) {
  std::vector<std::string> paths;
  std::error_code ec;
  if (!root.empty()) {
    for (fs::recursive_directory_iterator it(root, ec), end; !ec && it != end; it.increment(ec)) {
      if (!it->is_regular_file(ec)) continue;
      const std::string relative = fs::relative(it->path(), root, ec).generic_string();
      if (relative == kUpdateManifest || relative == manifest.listName) continue;
      paths.push_back(relative);
    }
  }
  std::sort(paths.begin(), paths.end());  // the same list whatever order the folder lists its files in
  std::vector<PackageRecord> records;
  for (const std::string& path : paths) {
    PackageRecord record;
    const size_t slash = path.rfind('/');
    record.name = Utf8ToGbk(slash == std::string::npos ? path : path.substr(slash + 1));
    std::string dir = "\\";
    if (slash != std::string::npos) {
      for (char c : path.substr(0, slash)) dir += c == '/' ? '\\' : c;
    }
    record.dir = Utf8ToGbk(dir);
    auto version = manifest.versions.find(path);
    record.major = version == manifest.versions.end() ? 1 : version->second.first;
    record.minor = version == manifest.versions.end() ? 0 : version->second.second;
    records.push_back(record);
  }
  std::string list;
  WritePackageList(records, manifest.type, &list);
  return list;
}

std::string UpdateFolder::ListBytes() const {
  const std::string root = Root();
  return BuildList(root, ReadManifest(root));
}

std::string UpdateFolder::ListName() const { return ReadManifest(Root()).listName; }

HttpResponse UpdateFolder::Answer(const HttpRequest& request) {
  const std::string path = FolderPath(request.rawPath);
  std::string root;
  std::optional<UpdateFileSwitch> change;
  {
    std::lock_guard<std::mutex> lock(mutex_);
    root = root_;
    ++counts_[path];
    auto found = switches_.find(path);
    if (found != switches_.end()) change = found->second;
  }
  if (change && change->status != 0) {
    HttpResponse response = Status(change->status);
    response.delay = change->delay;
    return response;
  }

  HttpResponse response;
  response.contentType = "application/octet-stream";
  const Manifest manifest = ReadManifest(root);
  if (change && change->body) {
    response.body = *change->body;
  } else if (!root.empty() && !path.empty() && path == manifest.listName) {
    response.body = BuildList(root, manifest);
  } else if (!root.empty() && path == "config.ini" && !fs::exists(fs::path(root) / path)) {
    response.body = MadeConfig(HostOf(request.head), manifest.listName, manifest.type);
  } else if (root.empty() || path.empty() || path == kUpdateManifest ||
             !ReadWholeFile((fs::path(root) / path).string(), &response.body, kMaxServedFileBytes)) {
    return Status(404);
  } else {
    response.delay = std::chrono::milliseconds(manifest.delayMs);
  }
  if (change) {
    if (change->delay.count() > 0) response.delay = change->delay;
    if (change->cutAfter && *change->cutAfter < response.body.size()) {
      response.contentLength = response.body.size();
      response.body.resize(*change->cutAfter);
      response.resetAfterBody = true;
    }
    if (change->extraLength) response.contentLength = response.body.size() + *change->extraLength;
  }
  return response;
}

}  // namespace kiv::standin
