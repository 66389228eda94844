// A file mapped into memory, shared with the file: what the program's
// memory-mapped record tables stand on. Writes through the view reach the
// file when the system writes the pages back, at the latest on Flush.
//
// A file that is grown to the mapped size is grown with ftruncate, so the new
// part is a hole that reads as zeros and takes no disk space until a page is
// written: a table of 200 MB that holds ten records costs ten records' pages.
// Nothing ever writes zeros across a new mapping.
//
// Mapping names are the names the program gives its kernel mapping objects;
// they are kept for diagnostics and otherwise ignored: two objects sharing a
// file share it through the file itself.
#pragma once

#include <cstddef>
#include <string>

namespace kiv {

class FileMapping {
 public:
  FileMapping() = default;
  ~FileMapping();  // Close
  FileMapping(const FileMapping&) = delete;
  FileMapping& operator=(const FileMapping&) = delete;

  // Opens the file at the GBK path for reading and writing, creating it when
  // missing and createIfMissing is set, grows it to `size` bytes when it is
  // shorter (a longer file keeps its length) and maps the first `size` bytes
  // shared. A mapping already open is closed first. False on any failure,
  // with LastError() holding the errno and nothing left open.
  bool Open(const std::string& gbkPath, const std::string& mappingName, size_t size,
            bool createIfMissing);

  // Writes the dirty pages of [offset, offset + length) back to the file and
  // waits for it; length 0 means up to the end of the view. False when
  // nothing is mapped or msync fails.
  bool Flush(size_t offset = 0, size_t length = 0);

  // Unmaps the view and closes the file; nothing happens when closed.
  void Close();

  bool IsOpen() const { return view_ != nullptr; }
  unsigned char* Data() const { return view_; }
  size_t Size() const { return size_; }
  const std::string& Path() const { return path_; }
  const std::string& Name() const { return name_; }
  int LastError() const { return lastError_; }

 private:
  std::string path_;
  std::string name_;
  int fd_ = -1;
  unsigned char* view_ = nullptr;
  size_t size_ = 0;
  int lastError_ = 0;
};

}  // namespace kiv
