// CCongfig: the per-user settings, kept in one memory-mapped file under
// <cwd>/Data/Config/: the market-data server records with the current one,
// one further (auxiliary) server record, the chart's moving-average
// settings, two chart option words and the login record. Every setter
// writes into the mapped view and, except for the login record and the
// further server record, flushes what it wrote at once, so the file is
// always current.
//
// File layout (little-endian; created 31,457,292 bytes long, sparse: only
// the first 2428 bytes are used):
//
//   offset  size     field
//   0       2        version, must be 1
//   2       2        format revision (1 when created, 2 from the next open on)
//   4       4        used length, 2348 after every open
//   8       4        body length (0x1E00000); the file is body length + 12
//   12      80 x 20  server table, slots 1 to 20 (ServerRecord)
//   1612    4        server count, 0 to 20
//   1616    4        current server, 1-based, 1 to count
//   1620    80       further server record (ServerRecord)
//   1700    80 x 8   moving-average table (MASlot)
//   2340    4        option word 0
//   2344    4        option word 1
//   2348    80       login record: user name (40), password (40)
//
// The store's server records must stay among the servers that the server
// list offers (IPConfig.CSV): a file whose records no longer match is
// rebuilt with the defaults. A file whose header is damaged (version, size,
// count or current out of range, or fewer bytes than the header needs) is
// deleted and Load fails; the next Load creates it anew. Only bytes that
// were read and found bad make a file damaged: a file that cannot be opened
// or read (no permission, no descriptor left) fails the Load and is kept.
//
// The constructor starts the one-shot server-list thread, which fetches the
// server list and replaces <program folder>/IPConfig.CSV (temporary file and
// rename). Load waits a bounded time for it; the destructor joins it.
//
// All operations may be called from any thread; each takes the store's lock
// for the record or word it touches. Results: 0 while the store is not open,
// else 1, unless said otherwise.
#pragma once

#include <atomic>
#include <cstdint>
#include <mutex>
#include <string>

#include "platform/sys/FileMapping.h"
#include "platform/sys/Thread.h"
#include "platform/sys/WinTypes.h"

class CIpConfigTable;

// What Load learns from the first bytes of an existing file.
enum class CongfigFileState {
  kUnreadable,       // it could not be opened or read: keep it, fail
  kDamaged,          // its bytes are bad: delete it, fail
  kMatches,          // sound, and its servers are offered: open it
  kNoLongerOffered,  // sound, but its servers are not offered: rebuild it
};

// 80 bytes: NUL-terminated texts (GBK). A text of 40 bytes is cut to 39.
struct ServerRecord {
  char address[40];
  char label[40];
};
static_assert(sizeof(ServerRecord) == 80, "ServerRecord is 80 bytes");

// 80 bytes: user name and password, NUL-terminated.
struct LoginRecord {
  char userName[40];
  char password[40];
};
static_assert(sizeof(LoginRecord) == 80, "LoginRecord is 80 bytes");

// A moving average: period (0 = off) and colour 0x00BBGGRR.
struct MAPair {
  int32_t period;
  uint32_t colour;
};
// One of the 8 moving-average slots: two groups of five averages.
struct MASlot {
  MAPair group1[5];
  MAPair group2[5];
};
static_assert(sizeof(MASlot) == 80, "MASlot is 80 bytes");
constexpr int kMASlotCount = 8;

struct CongfigHeader {
  uint16_t version = 1;
  uint16_t revision = 1;
  uint32_t usedLength = 0;
  uint32_t bodyLength = 0x1E00000;
};

// Where the store finds its neighbours; the defaults are the program's.
struct CongfigOptions {
  // The folder of IPConfig.CSV; empty for the current folder.
  std::string programFolder;
  // The server-list URL; empty for the one of kivdesk.ini [Servers].
  std::string serverListUrl;
  bool startServerListThread = true;
  // How long Load waits for the server-list thread.
  DWORD loadWaitMs = 5000;
  // The server address table Load fills; null for the program's one.
  CIpConfigTable* table = nullptr;
};

class CCongfig {
 public:
  static constexpr uint16_t kProgramRevision = 2;
  static constexpr uint32_t kUsedLength = 2348;
  static constexpr uint32_t kBodyLength = 0x1E00000;
  static constexpr int kMaxServers = 20;

  CCongfig();
  explicit CCongfig(const CongfigOptions& options);
  virtual ~CCongfig();
  CCongfig(const CCongfig&) = delete;
  CCongfig& operator=(const CCongfig&) = delete;

  // Opens the file at the GBK path, checking it against the server list, or
  // creates it. 1 when the store is open afterwards.
  int Load(const std::string& path, const std::string& mappingName);
  // Maps the file: with `create` a new file from `header`, filled with the
  // defaults; without, the file that Load checked.
  int Open(bool create, const CongfigHeader& header);
  // Flushes the whole view and unmaps it.
  int Close();
  bool IsOpen() const;

  // The next server after the current one (wrapping to 1), made current.
  // 0 also when no server is stored.
  int NextServer(ServerRecord& out);
  int GetCurrentServer(ServerRecord& out);
  // Index 1 to 20 (else 0): store, make current.
  int SetServerAt(const ServerRecord& record, int index);
  // Index 1 to 20 (else 0): store, raise the count to the index.
  int SetServer(const ServerRecord& record, int index);
  // Slot `index` (1 to count); 0 otherwise. For handing every stored
  // server to the network service.
  int GetServer(ServerRecord& out, int index);
  int GetServerCount() const;

  int GetAuxServer(ServerRecord& out);
  int SetAuxServer(const ServerRecord& record);  // no flush

  // Group 1 or 2 of slot 1 to 8, between the view and the same place of
  // `table`. Groups 3 to 20 copy nothing and give 1; other groups and slots
  // give 0.
  int GetMAParams(MASlot table[kMASlotCount], int group, int slot);
  int SetMAParams(const MASlot table[kMASlotCount], int group, int slot);

  int GetKLineOption0(uint32_t& out);
  int SetKLineOption0(uint32_t value);
  int GetKLineOption1(uint32_t& out);
  int SetKLineOption1(uint32_t value);
  // The stock view reports its layout mode (1 normal, 2 enlarged chart)
  // each time the user switches it; the store has no record for it, so
  // the view always opens in the normal layout.
  void SetViewMode(int mode) { (void)mode; }

  // No flush: the login record reaches the file with the next flush.
  int SetLoginRecord(const LoginRecord& record);
  int GetLoginRecord(LoginRecord& out);

  // The server's time from the login reply, memory only; works while the
  // store is closed (the login runs before the store is opened).
  void SetServerTime(int64_t time) { serverTime_ = time; }
  int64_t GetServerTime() const { return serverTime_; }

  // 1 for the label "上海电信一", 2 for "上海联通二", 3 for "上海电信二",
  // else 0 (compared without regard to ASCII case).
  static int ServerLabelKind(const ServerRecord& record);

  // Waits at most timeoutMs for the server-list thread; true when it has
  // ended (or was never started).
  bool WaitForServerList(DWORD timeoutMs);

  // The server-list thread's work: GET the list, and when all seven keys
  // came as strings, replace the CSV file (GBK path) with "key,value\n"
  // lines in GBK. False, the old file untouched, otherwise.
  static bool FetchServerList(const std::string& url, const std::string& csvPath);

  // How many bytes from the start of the file Load checks.
  static constexpr size_t kCheckedBytes = 1700;
  // Judges the first `size` bytes read from a file of fileSize bytes (the
  // whole file when shorter than kCheckedBytes) against the servers `table`
  // offers: never kUnreadable. On kMatches, *mappedSize is the size to map.
  static CongfigFileState CheckHead(const unsigned char* bytes, size_t size, uint64_t fileSize,
                                    const CIpConfigTable& table, size_t* mappedSize);

 private:
  static UINT ServerListThread(void* param);
  std::string IpConfigPath() const;
  CIpConfigTable& Table() const;
  // Reads the first bytes of the file and judges them (CheckHead).
  CongfigFileState CheckFile(const std::string& nativePath, size_t* mappedSize);
  void WriteRecord(size_t offset, const ServerRecord& record, bool flush);
  ServerRecord ReadRecord(size_t offset) const;
  uint32_t Get32(size_t offset) const;
  void Put32(size_t offset, uint32_t value, bool flush);
  void FlushRange(size_t offset, size_t length);
  int SetServerLocked(const ServerRecord& record, int index);

  CongfigOptions options_;
  std::string path_;
  std::string mappingName_;
  size_t mappedSize_ = 0;
  kiv::FileMapping mapping_;
  mutable std::mutex mutex_;  // the view and the fields above
  std::atomic<int64_t> serverTime_{0};
  CWinThreadPtr listThread_;
};
