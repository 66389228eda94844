// A stand-in for the main program in the updater's process tests, copied
// into a test's program folder under the main program's name. Started, it
// appends "<pid> <version>" to desk-starts.log in its current folder, then
// runs until TERM (or KILL, when the folder holds a file ignore-term). Its
// version is the text after the last "KIVSTUBVERSION=" in its own file (the
// tests append one to a copy to make a "new" program), "1" when none.
#include <signal.h>
#include <unistd.h>

#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>

namespace {

std::string OwnVersion() {
  std::ifstream self("/proc/self/exe", std::ios::binary);
  std::stringstream bytes;
  bytes << self.rdbuf();
  const std::string all = bytes.str();
  const std::string marker = std::string("KIVSTUB") + "VERSION=";  // not whole in this file's own bytes
  const size_t at = all.rfind(marker);
  if (at == std::string::npos) return "1";
  std::string version;
  for (size_t i = at + marker.size(); i < all.size() && all[i] != '\n' && all[i] != '\0'; ++i) version += all[i];
  return version;
}

}  // namespace

int main() {
  if (::access("ignore-term", F_OK) == 0) ::signal(SIGTERM, SIG_IGN);
  if (std::FILE* log = std::fopen("desk-starts.log", "ab")) {
    std::fprintf(log, "%d %s\n", static_cast<int>(::getpid()), OwnVersion().c_str());
    std::fclose(log);
  }
  for (;;) ::pause();
}
