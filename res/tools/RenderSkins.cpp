// Writes every bitmap of one program's resource table as <id>.png into a
// folder, its icons at 32 px as icon-<id>.png and the hand cursor as
// cursor-<id>.png, so that the generated art can be looked at.
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
  auto write = [&](const std::shared_ptr<kiv::gdi::Surface>& image, const std::string& name) {
    std::string path = folder + "/" + name + ".png";
    if (!image || !image->WritePng(path)) {
      std::fprintf(stderr, "cannot write %s\n", path.c_str());
      ++failures;
    }
  };
  for (UINT id : ids) write(table.LoadBitmap(id), std::to_string(id));
  auto icons = updater ? kiv::res::UpdaterIconIds() : kiv::res::DeskIconIds();
  for (UINT id : icons) write(table.LoadIcon(id, 32), "icon-" + std::to_string(id));
  write(table.LoadCursor(kiv::res::kIdcHand).image, "cursor-" + std::to_string(kiv::res::kIdcHand));
  std::printf("%zu bitmaps, %zu icons and the cursor written to %s (%d failed)\n", ids.size(), icons.size(),
              folder.c_str(), failures);
  return failures == 0 ? 0 : 1;
}
