// The stock view's member list of a sector instrument: the reply handler
// that fills the member grid, and the list's cache file.
#include <string>
#include <vector>

#include "chart/engine/IndustryMembers.h"
#include "chart/view/IndustryRowCells.h"
#include "chart/view/KivDesk_Wnd_KLine.h"
#include "chart/view/StockViewIds.h"
#include "data/CachePath.h"
#include "data/StockTable.h"
#include "net/DataTypes.h"
#include "platform/sys/AtomicFile.h"
#include "platform/sys/ByteOrder.h"
#include "platform/sys/Files.h"
#include "shell/KivUiTheme.h"

using namespace kiv;  // NOLINT: the chart's and the layout's vocabulary

PacketHandler CKivDesk_Wnd_KLine::ReplyHandler() {
  const kiv::WindowRef ref = kiv::WindowRef::Of(m_hWnd);
  const StockId asked = m_StockId;
  return [ref, this, asked](KivNetPack& reply, const uint32_t& type, const uint32_t& extra) {
    ref.RunIfAlive([&] { OnPacket(reply, type, extra, asked); });
    return true;
  };
}

bool CKivDesk_Wnd_KLine::OnPacket(KivNetPack& reply, const uint32_t& type, const uint32_t&, StockId asked) {
  if (type != DT_STOCK_INDUSTRY) return true;
  KivNetPack nested;
  std::vector<kiv::IndustryMember> members;
  if (!kiv::DecodeIndustryMembers(reply, &nested, &members)) return true;
  // Names are looked up before the lock: the stock table has its own.
  std::vector<std::string> names(members.size());
  if (services_.chart.stocks) {
    for (size_t i = 0; i < members.size(); ++i) {
      StockRecord record{};
      if (services_.chart.stocks->Find(members[i].stock, record)) names[i] = record.name;
    }
  }
  HWND list = m_pList ? m_pList->Window().m_hWnd : nullptr;
  {
    ScopedWriteLock write(&m_Lock);
    // A reply for the sector shown before the last switch is late: the
    // list keeps what it shows.
    if (asked != m_StockId) return true;
    // Only sets the list's redraw flag from this thread: the UI thread is
    // never waited for.
    if (list) ::SendMessage(list, WM_SETREDRAW, FALSE, 0);
    if (m_pList) m_pList->DeleteAllRows(TRUE);
    m_IndustryPack = nested;
  }
  // The cache keeps the first list of each sector shown; the ten-second
  // refreshes only move prices, and nothing reads the file back.
  if (industryStock_ != asked && SaveIndustryCache()) industryStock_ = asked;
  if (!m_pList) return true;
  if (!members.empty()) m_pList->SetRowCount(static_cast<int>(members.size()));
  const KivUiTheme& theme = UiTheme();
  const kiv::IndustryCellColours colours{theme.clrRise, theme.clrFall, theme.clrLevel};
  for (size_t r = 0; r < members.size(); ++r) {
    const std::array<KivListCell, 4> cells =
        kiv::IndustryRowCells(static_cast<int>(r), members[r], names[r].c_str(), colours);
    for (int c = 0; c < 4; ++c) m_pList->SetCell(static_cast<int>(r), c, &cells[static_cast<size_t>(c)]);
  }
  m_pList->Resort();
  ::SendMessage(list, WM_SETREDRAW, TRUE, 0);
  ::InvalidateRect(list, nullptr, FALSE);
  m_pList->SetDirty(TRUE);
  return true;
}

int CKivDesk_Wnd_KLine::IndustryRowCount() {
  OldReadLock read(&m_Lock);
  return static_cast<int>(m_IndustryPack.GetRecordCount());
}

bool CKivDesk_Wnd_KLine::SaveIndustryCache() {
  std::string content(4, '\0');
  kiv::StoreLe32(&content[0], m_nCacheHeader);
  {
    OldReadLock read(&m_Lock);
    std::string pack;
    if (!m_IndustryPack.GetAllPackData(pack)) return false;
    content += pack;
  }
  const std::string folder = GetDataFolder();
  if (!CreateFolders(NativePath(folder), 0755)) return false;
  return ReplaceFileAtomically(NativePath(folder + "/" + kIndustryCacheFile), content, 0644);
}
