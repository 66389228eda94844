// The common mechanism of the memory-mapped record tables: one file under
// Data/Pstock per table, mapped whole, holding the latest record of each
// stock so that a pane shows the last known figures at once and across runs.
//
// File layout (little-endian):
//
//   offset  size  field
//   0       4     version, uint32, must be 1
//   4       4     record count, uint32 (records in use)
//   8       4     capacity, uint32 (10000 for every file the program creates)
//   12      ...   records back to back; in the tables whose key lies at the
//                 end of the record (first record offset = record size) the
//                 records start at the record size instead, and one record
//                 fewer fits
//
// The capacity is the same fixed 10000 for every table; a file that claims
// another is damaged. The file is exactly capacity x record size + 12 bytes
// long. A new file is sized with ftruncate, so its untouched records cost no
// disk space.
//
// The index maps each key (a whole StockId word, compared as signed) to its
// record number. Index, header count and records are guarded by the table's
// own lock: a reader never sees a half-written record, and two writers never
// claim the same slot. Nothing removes a record: the count only grows.
#pragma once

#include <cstddef>
#include <cstdint>
#include <map>
#include <mutex>
#include <string>

#include "platform/sys/FileMapping.h"

// The 12-byte header at the start of every table file.
struct MapFileHeader {
  uint32_t version;
  uint32_t count;
  uint32_t capacity;
};
static_assert(sizeof(MapFileHeader) == 12, "MapFileHeader is 12 bytes");

constexpr uint32_t kMapFileVersion = 1;
constexpr uint32_t kMapFileCapacity = 10000;

// The table file's path: <data folder>/Pstock/<file name>; the folder is made.
std::string MapTablePath(const char* fileName);

class MapTable {
 public:
  // recordSize bytes per record; the first record at firstRecordOffset (12,
  // or the record size); the key word at keyOffset inside a record.
  MapTable(size_t recordSize, size_t firstRecordOffset, size_t keyOffset);
  virtual ~MapTable();  // closes the table
  MapTable(const MapTable&) = delete;
  MapTable& operator=(const MapTable&) = delete;

  // Opens the table file, creating it when missing. 1 when the table is
  // open; 0 when the file was damaged (wrong version, a capacity other than
  // kMapFileCapacity, count beyond capacity, size not matching the header:
  // it is deleted, and the next Load creates it empty), or when it could not
  // be opened, made or mapped (it is kept).
  virtual int Load(const std::string& gbkPath, const std::string& mappingName);
  // Flushes the whole view, unmaps and closes; empties the index.
  void Close();

  bool IsOpen() const;
  uint32_t GetCount() const;  // records in use; 0 when closed
  // How many records fit in the file (capacity, or one less when records
  // start at the record size).
  uint32_t GetLimit() const;

 protected:
  // Replaces the file with an empty one before opening it: for tables that
  // hold only what the current run put.
  int LoadFresh(const std::string& gbkPath, const std::string& mappingName);

  // For the derived tables' operations, with lock_ held.
  unsigned char* FindLocked(int32_t key);
  // The record of key, appended and indexed when absent; null when the table
  // is full or closed.
  unsigned char* FindOrAddLocked(int32_t key);

  mutable std::mutex lock_;

 private:
  int Open(bool create, uint32_t capacity);
  unsigned char* RecordAt(uint32_t number) const;
  MapFileHeader ReadHeaderLocked() const;
  void WriteCountLocked(uint32_t count);
  void CloseLocked();

  const size_t recordSize_;
  const size_t firstRecordOffset_;
  const size_t keyOffset_;
  std::string path_;
  std::string name_;
  kiv::FileMapping mapping_;
  uint32_t limit_ = 0;
  std::map<int32_t, uint32_t> index_;  // key -> record number
};
