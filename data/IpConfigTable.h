// CIpConfigTable: the server addresses that the operator's server-list
// service last delivered, read from <cwd>/IPConfig.CSV (written by the
// configuration store's server-list thread). The configuration store builds
// its server records from it; the chart, panes and lists take the hosts of
// their HTTP data servers from it.
//
// IPConfig.CSV is GBK text, one "key,value" a line. A value is
// "address&label": the address is a host or host:port, the label a display
// name; the single-value getters need no label.
//
// Reading never changes the table: a key that is missing reads as empty and
// is not added. The table takes its own lock, so it may be loaded while other
// threads read it.
#pragma once

#include <map>
#include <mutex>
#include <string>
#include <utility>
#include <vector>

// The file name under the program folder.
constexpr const char* kIpConfigFileName = "IPConfig.CSV";

// The keys the server-list service delivers, in the order they are written.
constexpr const char* kIpConfigKeys[] = {"Data1Ip", "Data2Ip",     "DJGIp",   "HourBSIp",
                                         "F10Ip",   "Minute1BSIp", "OptionIp"};
constexpr int kIpConfigKeyCount = 7;

// (address, label)
typedef std::vector<std::pair<std::string, std::string>> ServerAddressList;

class CIpConfigTable {
 public:
  CIpConfigTable() = default;
  CIpConfigTable(const CIpConfigTable&) = delete;
  CIpConfigTable& operator=(const CIpConfigTable&) = delete;

  // Reads the file (GBK path): every line of at least two fields sets
  // key = second field; later lines replace earlier ones, entries not named
  // in the file stay. A missing file changes nothing.
  void Load(const std::string& gbkPath);
  // The same from text already in memory.
  void LoadText(const std::string& text);
  void Clear();

  // The value of the key up to its first "&" (the whole value without one)
  // into `out`; `out` is left as it was when the value is missing or empty.
  void GetMinute1BSIp(std::string& out) const { GetAddress("Minute1BSIp", out); }
  void GetHourBSIp(std::string& out) const { GetAddress("HourBSIp", out); }
  void GetOptionIp(std::string& out) const { GetAddress("OptionIp", out); }
  void GetF10Ip(std::string& out) const { GetAddress("F10Ip", out); }

  // Appends the (address, label) pairs of "Data1Ip" and then "Data2Ip".
  void GetDataServerList(ServerAddressList& out) const;
  // Appends the pair of "DJGIp".
  void GetDJGList(ServerAddressList& out) const;

  // The raw value of a key, empty when missing.
  std::string Get(const std::string& key) const;

 private:
  void GetAddress(const char* key, std::string& out) const;
  // A value makes a pair only when it is at least 9 bytes long and holds an
  // "&" at position 1 or later with text on both sides.
  void AppendPair(const char* key, ServerAddressList& out) const;

  mutable std::mutex mutex_;
  std::map<std::string, std::string> values_;
};

// The program's one table.
CIpConfigTable& GetIpConfigTable();
