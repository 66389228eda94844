// Writes every bitmap of one program's resource table as <id>.png into a
// folder, so that the generated art can be looked at.
#include <sys/stat.h>

#include <cstdio>
#include <cstring>
#include <memory>
#include <string>

#include "platform/gdi/Surface.h"
#include "res/ResourceTables.h"

int main(int argc, char** argv) {
  if (argc < 2) {
    std::fprintf(stderr, "usage: %s <folder> [desk|updater]\n", argv[0]);
    return 2;
  }
  std::string folder = argv[1];
  bool updater = argc > 2 && std::strcmp(argv[2], "updater") == 0;
  // Create the folder and its parents.
  for (size_t slash = folder.find('/', 1); ; slash = folder.find('/', slash + 1)) {
    mkdir(folder.substr(0, slash).c_str(), 0755);
    if (slash == std::string::npos) break;
  }
  const kiv::gdi::ResourceTable& table =
      updater ? kiv::res::UpdaterResources() : kiv::res::DeskResources();
  auto ids = updater ? kiv::res::UpdaterBitmapIds() : kiv::res::DeskBitmapIds();
  int failures = 0;
  for (UINT id : ids) {
    std::shared_ptr<kiv::gdi::Surface> image = table.LoadBitmap(id);
    std::string path = folder + "/" + std::to_string(id) + ".png";
    if (!image || !image->WritePng(path)) {
      std::fprintf(stderr, "cannot write %s\n", path.c_str());
      ++failures;
    }
  }
  std::printf("%zu bitmaps written to %s\n", ids.size() - failures, folder.c_str());
  return failures == 0 ? 0 : 1;
}
