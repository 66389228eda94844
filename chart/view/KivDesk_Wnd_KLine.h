// CKivDesk_Wnd_KLine: the single-stock view, page 9 of the main dialog.
// For the instrument on view it hosts the period tab strip with its row of
// caption buttons, the K-line chart and the indicator pane beneath it, and
// the panes around them (quote strip, order book, trade list, alerts,
// commentary, money flow, finance, index contribution, tick pane, F10
// viewer) and, for a sector instrument, the sector tab strip and the
// member grid. It decides which of them show and where (StockViewLayout),
// hands a newly opened stock to each, switches the chart's period, relays
// the chart's and the pane's notices to each other and takes the keys the
// main dialog forwards.
//
// The panes and the member grid live in rooms beside this one: the view
// gets them from the StockViewPaneMaker it is given, and a kind the maker
// does not make is an empty slot, skipped everywhere (what was posted for
// it is freed here).
//
// Ownership: the main dialog (through its maker) owns the view, creates
// its window (window name "CKivDesk_Wnd_KLine", control id 162) and
// destroys it before deleting the object. The view owns every child, the
// mask dialog, the tooltip and the last member list; the services and the
// makers it is given outlive it.
//
// Threads: the UI thread, except OnPacket (the member list's reply), which
// runs on the network I/O thread under the view's liveness token: it
// replaces the member list under m_Lock and fills the grid through the
// grid's own locked row and cell operations.
#pragma once

#include <array>
#include <memory>
#include <string>

#include "chart/engine/ChartModel.h"
#include "chart/engine/window/ChartDialogSeams.h"
#include "chart/view/ChartPaneRelay.h"
#include "chart/view/StockViewLayout.h"
#include "data/Congfig.h"
#include "net/KivNetPack.h"
#include "net/KivRWLock.h"
#include "requests/RequestWindows.h"
#include "shell/DeskPages.h"
#include "shell/KivDesk_Button.h"
#include "shell/KivDesk_Wnd_Tab.h"
#include "shell/MENGBANDLG.h"
#include "shell/PPToolTip.h"
#include "shell/StockViewPanes.h"

namespace kiv {
class CKIVKLineBlock;
}
class CKivDesk_Wnd_Index;

// What the view is built with besides its bitmaps; everything outlives it.
struct StockViewServices {
  kiv::ChartServices chart;                // the chart's network, stock table and hosts
  CCongfig* config = nullptr;              // the chart's settings; may be null
  kiv::ChartDialogMaker* dialogs = nullptr;  // the chart menu's dialogs; may be null
  StockViewPaneMaker* panes = nullptr;     // the panes of the rooms beside; may be null
};

class CKivDesk_Wnd_KLine : public CWnd, public DeskStockView, public kiv::LockedStockWindow {
 public:
  // The ten bitmap ids in their order (the main dialog passes 165, 163,
  // 164, 182, 181, 229, 228, 230, 215, 214); missing ones are 0.
  CKivDesk_Wnd_KLine(const std::vector<UINT>& bitmapIds, StockViewServices services);
  ~CKivDesk_Wnd_KLine() override;

  // ---- DeskPage / DeskStockView (the main dialog) ----
  BOOL CreatePage(LPCSTR windowName, DWORD style, const RECT& rect, CWnd* parent, UINT id) override;
  CWnd& Window() override { return *this; }
  void PlacePane(int mode, const RECT& rect) override;
  void SetStock(const StockId* stock) override;
  StockId GetStock() override { return m_StockId; }
  BOOL HasStock() override { return m_bHasStock; }
  void ZoomIn() override;
  void ZoomOut() override;
  void SetNavigationList(CWnd* list) override { m_pNavList = list; }
  CWnd* GetNavigationList() override { return m_pNavList; }
  void SelectTab(int item) override;
  void ClearActiveFlags() override { m_bActive = FALSE; }
  BOOL HasOpenPopup() override { return m_bPopupOpen; }
  BOOL IsInputPopupOpen() override { return FALSE; }
  void CloseInputPopup() override {}

  // ---- LockedStockWindow (the member-list requests) ----
  HWND WindowHandle() const override { return m_hWnd; }
  kiv::CKivBlockingSocket& BlockingSocket() override { return socket_; }
  // Bound to the view's token and to the sector on view when it is taken:
  // a late reply for another sector is dropped.
  PacketHandler ReplyHandler() override;
  StockId CurrentStock() const override { return m_StockId; }
  CKivRWLock& ViewLock() override { return m_Lock; }

  // The member list's reply handler (I/O thread): `asked` is the sector
  // the request was for.
  bool OnPacket(KivNetPack& reply, const uint32_t& type, const uint32_t& extra, StockId asked);
  // Writes the last member list to Data/IDUS.data (a temporary file
  // renamed over the old one); false when it cannot.
  bool SaveIndustryCache();

  // Chart page for a period tab item and its data type.
  void ShowChartPage(int item, DataType period);

  // ---- what the main dialog and the tests read ----
  kiv::CKIVKLineBlock* Chart() const { return m_pKLine.get(); }
  CKivDesk_Wnd_Index* IndexPane() const { return m_pIndex.get(); }
  CKivDesk_Wnd_Tab* PeriodTab() const { return m_pTab.get(); }
  CKivDesk_Wnd_Tab* SectorTab() const { return m_pTabSector.get(); }
  CKivDesk_Button* Button(UINT id) const;
  StockViewPane* Pane(StockViewPaneKind kind) const;
  StockViewIndustryList* IndustryList() const { return m_pList.get(); }
  CMENGBANDLG& Mask() { return m_MaskDlg; }
  BOOL IsIndexLayout() const { return m_bIsIndex; }
  int StockMode() const { return m_nStockMode; }
  int IndexMode() const { return m_nIndexMode; }
  int SectorMode() const { return m_nSectorMode; }
  BOOL IsF10Shown() const { return m_bF10Shown; }
  BOOL IsShownFlag() const { return m_bShown; }
  int TabHeight() const { return m_nTabHeight; }
  const kiv::StockViewLayoutResult& LastLayout() const { return lastLayout_; }
  // The chart's mark kind: 0 after a 短线机会 button, 1 after 中线机会.
  int MarkKind() const { return m_nMarkKind; }
  // Rows of the last member list (under the lock).
  int IndustryRowCount();

 protected:
  int OnCreate(LPCREATESTRUCT cs) override;
  void OnSize(UINT type, int cx, int cy) override;
  void OnShowWindow(BOOL show, UINT status) override;
  void OnPaint() override;
  BOOL OnEraseBkgnd(CDC* dc) override;
  void OnDrawItem(int idCtl, LPDRAWITEMSTRUCT drawItem) override;
  BOOL OnSetCursor(CWnd* wnd, UINT hitTest, UINT message) override;
  void OnLButtonUp(UINT flags, CPoint point) override;
  void OnTimer(UINT_PTR id) override;
  void OnDestroy() override;
  BOOL PreTranslateMessage(MSG* msg) override;
  LRESULT OnMessage(UINT msg, WPARAM wParam, LPARAM lParam) override;

 private:
  void CreateChildren();
  BOOL CreateButtons();
  // Makes the pane of a kind (its window name and id from the view's
  // table) unless it exists or the maker has none.
  void CreatePaneOf(StockViewPaneKind kind);
  void CreateIndustryList();
  void CreateToolTip();
  void InitMarkButtons();

  // What the layout is computed from, now.
  kiv::StockViewLayoutInput LayoutInput(BOOL isIndex) const;
  // Lays the children out for the instrument on view.
  void Layout(BOOL isIndex);
  CWnd* ChildWindow(int slot) const;

  // Click dispatch of WM_KIV_SELECT.
  void OnSelect(UINT id, int item);
  void ShowTickPage();
  void OnEnlarge();
  void OnRestore();
  void OnShortStocks();
  void OnShortIndices();
  void OnExRights();
  void OnMidTerm();
  void OnAdvice();
  void OnHoldingToggle();
  void ToggleSignalMarks(WPARAM wParam);
  void ToggleF10();
  void HideF10Viewer();
  void RepaintIndexPane();
  void OnChartMouse(WPARAM wParam, LPARAM lParam);
  void OnChartPeriod(WPARAM wParam, LPARAM lParam);
  void OnToggleChartType();
  void RelayStepKey(UINT msg, WPARAM wParam, LPARAM lParam);

  // The chart's display bits and the buttons showing them.
  uint8_t DisplayBits() const;
  void SetDisplayBits(uint8_t bits);
  void ShowBit(UINT buttonId, uint8_t bit);
  void SetButtonActive(UINT id, BOOL active);
  BOOL IsButtonActive(UINT id) const;
  bool ChartShown() const;
  bool PaneShown() const;
  int PeriodItem() const;

  CMENGBANDLG m_MaskDlg;
  UINT m_BitmapIds[kStockViewBitmapCount] = {};
  int m_nTabHeight = 0;
  BOOL m_bIsIndex = FALSE;
  int m_nStockMode = 1;
  int m_nIndexMode = 1;
  int m_nSectorMode = 1;

  std::unique_ptr<CKivDesk_Wnd_Tab> m_pTab;        // periods, 556
  std::unique_ptr<CKivDesk_Wnd_Tab> m_pTabSector;  // day, week, month of market 4, 587
  std::unique_ptr<StockViewIndustryList> m_pList;  // 586
  std::array<std::unique_ptr<CKivDesk_Button>, 9> buttons_;  // 568 569 571 567 577 600 601 602 603
  std::unique_ptr<kiv::CKIVKLineBlock> m_pKLine;        // 501
  std::unique_ptr<CKivDesk_Wnd_Index> m_pIndex;    // 502
  std::array<std::unique_ptr<StockViewPane>, 11> panes_;  // by StockViewPaneKind

  StockId m_StockId = 0;
  CKivRWLock m_Lock;  // the member list and the saved tab
  CPPToolTip m_ToolTip;
  BOOL m_bShown = FALSE;
  BOOL m_bHasStock = FALSE;
  BOOL m_bActive = FALSE;
  BOOL m_bPopupOpen = FALSE;
  CWnd* m_pNavList = nullptr;
  HWND m_hFocusWnd = nullptr;  // had the focus before the F10 viewer
  BOOL m_bF10Shown = FALSE;
  int m_nSavedTab = 0;
  uint32_t m_nCacheHeader = 34562;
  KivNetPack m_IndustryPack;
  StockId industryStock_ = 0;  // the sector last written to the cache (I/O thread)
  int m_nMarkKind = 0;

  StockViewServices services_;
  kiv::CKivBlockingSocket socket_;
  kiv::StockViewLayoutResult lastLayout_;
  kiv::ChartPaneRelay relay_;  // between the chart and the pane
};
