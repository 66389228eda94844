#include "data/IpConfigTable.h"

#include "data/TextTable.h"

namespace {

void Fill(const CTextTable& table, std::map<std::string, std::string>& values) {
  std::vector<std::string> fields;
  for (int line = 1; line <= table.GetLineCount(); ++line) {
    table.GetFields(fields, line);
    if (fields.size() > 1) values[fields[0]] = fields[1];
  }
}

}  // namespace

void CIpConfigTable::Load(const std::string& gbkPath) {
  CTextTable table(gbkPath, ",");
  std::lock_guard<std::mutex> hold(mutex_);
  Fill(table, values_);
}

void CIpConfigTable::LoadText(const std::string& text) {
  const CTextTable table = CTextTable::FromText(text, ",");
  std::lock_guard<std::mutex> hold(mutex_);
  Fill(table, values_);
}

void CIpConfigTable::Clear() {
  std::lock_guard<std::mutex> hold(mutex_);
  values_.clear();
}

std::string CIpConfigTable::Get(const std::string& key) const {
  std::lock_guard<std::mutex> hold(mutex_);
  const auto it = values_.find(key);
  return it == values_.end() ? std::string() : it->second;
}

void CIpConfigTable::GetAddress(const char* key, std::string& out) const {
  const std::string value = Get(key);
  if (value.empty()) return;
  out = value.substr(0, value.find('&'));
}

void CIpConfigTable::AppendPair(const char* key, ServerAddressList& out) const {
  const std::string value = Get(key);
  if (value.size() < 9) return;
  const size_t amp = value.find('&');
  if (amp == std::string::npos || amp < 1) return;
  std::string address = value.substr(0, amp);
  std::string label = value.substr(amp + 1);
  if (address.empty() || label.empty()) return;
  out.emplace_back(std::move(address), std::move(label));
}

void CIpConfigTable::GetDataServerList(ServerAddressList& out) const {
  AppendPair("Data1Ip", out);
  AppendPair("Data2Ip", out);
}

void CIpConfigTable::GetDJGList(ServerAddressList& out) const { AppendPair("DJGIp", out); }

CIpConfigTable& GetIpConfigTable() {
  static CIpConfigTable table;
  return table;
}
