#include "desk/startup/StoredServers.h"

#include <cstring>

#include "data/Congfig.h"

namespace {

std::string RecordText(const char* field, size_t size) { return std::string(field, strnlen(field, size)); }

void HandOver(const ServerRecord& record, uint16_t port, const AddStoredServer& add) {
  add(RecordText(record.address, sizeof record.address), port, RecordText(record.label, sizeof record.label));
}

}  // namespace

int HandStoredServers(CCongfig& config, uint16_t port, const AddStoredServer& add) {
  const int count = config.GetServerCount();
  ServerRecord record;
  if (count < 1 || !config.GetCurrentServer(record)) return 0;
  HandOver(record, port, add);
  int handed = 1;
  if (count > 1) {
    for (int i = 1; i < count; ++i) {
      if (!config.NextServer(record)) break;
      HandOver(record, port, add);
      ++handed;
    }
    config.NextServer(record);  // back to the server we started from
  }
  return handed;
}
