// What the updater's tests share: a program folder of an installation in a
// scratch folder (config.ini pointing at the stand-in's update server,
// data.dat, program files), the update server's folder with its manifest,
// the update server itself, and a host that answers the run's prompts from
// a script and records what the run showed.
#pragma once

#include <sys/stat.h>

#include <deque>
#include <filesystem>
#include <map>
#include <mutex>
#include <string>
#include <utility>
#include <vector>

#include "platform/sys/CodePage.h"
#include "platform/ui/UiTypes.h"
#include "tests/support/TestSupport.h"
#include "tests/updater/PackageListMaker.h"
#include "tools/standin/serve/HttpServer.h"
#include "tools/standin/serve/UpdateFolder.h"
#include "updater/KivUpdater.h"
#include "updater/UpdateHost.h"

namespace kiv::test {

namespace fs = std::filesystem;

// A file of a folder as a test compares it: its bytes and permission bits.
struct FileState {
  std::string bytes;
  unsigned mode = 0;
  bool operator==(const FileState& other) const { return bytes == other.bytes && mode == other.mode; }
};

// What the main program's stand-in in the process tests writes when it
// starts (StubDesk.cpp).
constexpr char kDeskStartsLog[] = "desk-starts.log";

// Every file below folder (temp/ and the stand-in program's log left out),
// by '/'-separated path.
inline std::map<std::string, FileState> FolderState(const fs::path& folder) {
  std::map<std::string, FileState> files;
  std::error_code ec;
  for (fs::recursive_directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec)) {
    const std::string relative = fs::relative(it->path(), folder).generic_string();
    if (relative == "temp" || relative.rfind("temp/", 0) == 0 || relative == kDeskStartsLog) continue;
    if (!it->is_regular_file()) continue;
    struct stat info;
    ::stat(it->path().c_str(), &info);
    files[relative] = FileState{ReadFileBytes(it->path().string()), static_cast<unsigned>(info.st_mode & 07777)};
  }
  return files;
}

// One prompt the run showed, and how it was answered.
struct Shown {
  std::string kind;  // "countdown" or "ask"
  std::string text;
  int seconds = 0;   // countdown
  int mode = 0;      // countdown
  UINT type = 0;     // ask
  int answer = 0;
};

// Answers prompts from a script (IDOK and IDYES when it runs out) and keeps
// everything the run asked of its window. Any thread.
class ScriptedHost : public UpdateHost {
 public:
  void Script(std::vector<int> answers) {
    std::lock_guard<std::mutex> lock(mutex_);
    answers_.assign(answers.begin(), answers.end());
  }

  void SetStatusText(const std::string& text) override {
    std::lock_guard<std::mutex> lock(mutex_);
    statuses.push_back(text);
  }
  void SetFileBar(int width) override {
    std::lock_guard<std::mutex> lock(mutex_);
    fileBars.push_back(width);
  }
  void SetTotalBar(int width) override {
    std::lock_guard<std::mutex> lock(mutex_);
    totalBars.push_back(width);
  }
  void ShowProgress(bool shown) override {
    std::lock_guard<std::mutex> lock(mutex_);
    shows.push_back(shown);
  }
  int Countdown(const std::string& text, int seconds, int mode) override {
    std::lock_guard<std::mutex> lock(mutex_);
    Shown shown{"countdown", text, seconds, mode, 0, Next(IDOK)};
    prompts.push_back(shown);
    return shown.answer;
  }
  int Ask(const std::string& text, const std::string& caption, UINT type) override {
    std::lock_guard<std::mutex> lock(mutex_);
    const int fallback = (type & 0xF) == MB_YESNO ? IDYES : IDOK;
    Shown shown{"ask", text, 0, 0, type, Next(fallback)};
    prompts.push_back(shown);
    captions.push_back(caption);
    return shown.answer;
  }

  std::vector<std::string> statuses;
  std::vector<int> fileBars;
  std::vector<int> totalBars;
  std::vector<bool> shows;
  std::vector<Shown> prompts;
  std::vector<std::string> captions;

 private:
  int Next(int fallback) {
    if (answers_.empty()) return fallback;
    const int answer = answers_.front();
    answers_.pop_front();
    return answer;
  }
  std::mutex mutex_;
  std::deque<int> answers_;
};

inline std::string ConfigText(uint16_t port, const std::string& mustup = "", int type = 3,
                              const std::string& name = "RYKIVDesk") {
  std::string text = "[KIVCONFIG]\r\nCName=翠溪终端\r\nName=" + name + "\r\nAddr=http://127.0.0.1:" +
                     std::to_string(port) + "/update\r\ndataName=kivupdate.dat\r\nconName=kiv\r\nType=" +
                     std::to_string(type) + "\r\n";
  if (!mustup.empty()) text += "mustup=" + mustup + "\r\n";
  return text;
}

// An installation and its update server. The installation holds version 1
// of the main program, two libraries and config.ini; the server offers
// version 2 of the program and one library, a new library in a folder and
// its own config.ini. Base is the test fixture it extends (a window test's
// for the window's tests).
template <class Base>
class UpdateScene : public Base {
 protected:
  void SetUp() override {
    Base::SetUp();
    folder_.Register(http_);
    ASSERT_TRUE(http_.Start()) << http_.LastError();
    folder_.SetRoot(root_.path().string());
    // Installed.
    WriteInstalled("RYKIVDesk", "desk program, version 1", 0750);
    WriteInstalled("a.dll", "library a, version 1", 0640);
    WriteInstalled("b.dll", "library b, version 1", 0644);
    WriteInstalled("config.ini", ConfigText(http_.Port()), 0600);
    SetInstalledList({Record("RYKIVDesk", "\\", 1, 0), Record("a.dll", "\\", 1, 0), Record("b.dll", "\\", 1, 0),
                      Record("config.ini", "\\", 1, 0)});
    // Served.
    Serve("RYKIVDesk", "desk program, version 2");
    Serve("a.dll", "library a, version 2");
    Serve("b.dll", "library b, version 1");
    Serve("plugins/x/c.dll", "\x7F" "ELF library c, new");
    Serve("config.ini", ConfigText(http_.Port()) + "; served\r\n");
    Manifest({{"RYKIVDesk", 2, 0}, {"a.dll", 1, 1}, {"b.dll", 1, 0}, {"config.ini", 1, 1}});
  }
  void TearDown() override {
    http_.Stop();
    Base::TearDown();
  }

  struct Version {
    std::string path;
    int major;
    int minor;
  };
  void Manifest(const std::vector<Version>& versions) {
    std::string text = "list kivupdate.dat 3\n";
    for (const Version& v : versions) {
      text += "version " + v.path + " " + std::to_string(v.major) + " " + std::to_string(v.minor) + "\n";
    }
    Serve(standin::kUpdateManifest, text);
  }
  void Serve(const std::string& path, const std::string& content) {
    fs::create_directories((root_.path() / path).parent_path());
    WriteFileBytes((root_.path() / path).string(), content);
  }
  void WriteInstalled(const std::string& path, const std::string& content, unsigned mode) {
    fs::create_directories((program_.path() / path).parent_path());
    WriteFileBytes((program_.path() / path).string(), content);
    ::chmod((program_.path() / path).c_str(), mode);
  }
  void SetInstalledList(const std::vector<PackageRecord>& records) {
    std::string list;
    ASSERT_TRUE(WritePackageList(records, 3, &list));
    WriteInstalled("data.dat", list, 0644);
  }
  std::string Installed(const std::string& path) const { return ReadFileBytes((program_.path() / path).string()); }
  bool InstalledExists(const std::string& path) const { return fs::exists(program_.path() / path); }
  unsigned InstalledMode(const std::string& path) const {
    struct stat info;
    return ::stat((program_.path() / path).c_str(), &info) == 0 ? (info.st_mode & 07777) : 0;
  }
  std::string ServedList() const { return folder_.ListBytes(); }

  UpdaterOptions Options() {
    UpdaterOptions options;
    options.programFolder = program_.path().string();
    options.graceMs = 200;
    options.startProgram = [this](const std::string& path, const std::string&) {
      std::lock_guard<std::mutex> lock(startsMutex_);
      starts_.push_back(path);
      return true;
    };
    return options;
  }
  size_t Starts() {
    std::lock_guard<std::mutex> lock(startsMutex_);
    return starts_.size();
  }
  // The texts of the countdowns shown, in order.
  std::vector<std::string> Notices() const {
    std::vector<std::string> texts;
    for (const Shown& s : host_.prompts) {
      if (s.kind == "countdown" && s.mode == 1) texts.push_back(s.text);
    }
    return texts;
  }

  ScratchFolder program_{"program"};
  ScratchFolder root_{"update-root"};
  standin::HttpServer http_;
  standin::UpdateFolder folder_;
  ScriptedHost host_;
  std::mutex startsMutex_;
  std::vector<std::string> starts_;
};

using UpdateRunFixture = UpdateScene<::testing::Test>;

}  // namespace kiv::test
