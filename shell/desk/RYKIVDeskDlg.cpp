// CRYKIVDeskDlg: construction, lifetime, the single-instance hooks, the
// layout of both states and the page switch. Routing, keys and the wheel
// are in RYKIVDeskDlgCommands.cpp; the tray, alerts, manuals and exit in
// RYKIVDeskDlgTray.cpp.
#include "shell/desk/RYKIVDeskDlg.h"

#include <algorithm>

#include "data/GlobalObjects.h"
#include "net/BindAlive.h"
#include "platform/core/WinUser.h"
#include "platform/gdi/Resources.h"
#include "platform/post/Posting.h"
#include "platform/sys/KernelObjects.h"
#include "platform/sys/ProfileFile.h"
#include "platform/sys/SingleInstance.h"
#include "platform/sys/Trace.h"
#include "platform/ui/SystemMenu.h"
#include "shell/KivDesk_Button.h"
#include "shell/KivDesk_Dlg_Msg.h"
#include "shell/KivDesk_Dlg_Tip.h"
#include "shell/KivDesk_Title.h"
#include "shell/KivDesk_Wnd_HeadPhoto.h"
#include "shell/KivDesk_Wnd_ServerAddr.h"
#include "shell/KivDesk_Wnd_Tab.h"
#include "shell/KivDesk_Wnd_Tab2.h"
#include "shell/KivDesk_Wnd_Toolbar.h"
#include "shell/KivUiTheme.h"
#include "shell/ShellPlugins.h"
#include "shell/desk/DeskEnvironment.h"
#include "shell/desk/DeskIds.h"

namespace {

// The page buttons from top to bottom: control id, normal and active skins.
struct PageButtonSkin {
  UINT id;
  UINT normal;
  UINT active;
};
constexpr PageButtonSkin kPageButtonColumn[] = {
    {154, 136, 144}, {155, 319, 320}, {157, 131, 139}, {160, 130, 146}, {158, 133, 141},
    {159, 135, 143}, {161, 238, 239}, {156, 134, 142}, {163, 297, 296},
};

// Window names and control ids of the pages, by page number.
struct PageName {
  const char* name;
  UINT id;
};
constexpr PageName kPageNames[kPageCount] = {
    {"Kiv_List_ZiXuan", 152},        {"CKivDesk_Wnd_PoolEx", 165},    {"CKivDesk_Wnd_Rise", 166},
    {"Kiv_Wnd_ShortEx", 525},        {"CKivDesk_Wnd_Value", 167},     {"CKivDesk_Wnd_Genre", 164},
    {"CKivDesk_Wnd_Zhuli", 168},     {"CKivDesk_Wnd_MarkRisk", 240},  {"CKivDesk_Wnd_Zixun", 169},
    {"CKivDesk_Wnd_KLine", 162},     {"CKivDesk_Wnd_ZHXG", 244},      {"CKivDesk_Wnd_Invesment", 70001},
    {"CKivDesk_Wnd_Robot", 70002},
};

// The resource ids each page's constructor takes.
std::vector<UINT> PageResources(int page) {
  switch (page) {
    case kPagePool:
      return {161, 160, 162, 201, 202};
    case kPageRise:
    case kPageShortEx:
    case kPageValue:
    case kPageGenre:
    case kPageZhuli:
      return {161, 160, 162};
    case kPageStockView:
      return {165, 163, 164, 182, 181, 229, 228, 230, 215, 214};
    case kPageZhxg:
      return {229, 245, 246, 215, 214, 575};
    case kPageRobot:
      return {165, 163, 164, 215, 214, 182, 181};
    default:
      return {};
  }
}

const std::vector<UINT> kF10Resources = {161, 160, 162, 215, 214, 182, 181};

// Destroys a child's window, then its object.
template <class Window>
void DestroyChild(std::unique_ptr<Window>& child) {
  if (!child) return;
  if (::IsWindow(child->m_hWnd)) child->DestroyWindow();
  child.reset();
}

template <class Page>
void DestroyPage(std::unique_ptr<Page>& page) {
  if (!page) return;
  CWnd& window = page->Window();
  if (::IsWindow(window.m_hWnd)) window.DestroyWindow();
  page.reset();
}

int TextHeight(CWnd* wnd, const LOGFONT& logFont, const char* text) {
  CClientDC dc(wnd);
  CFont font;
  font.CreateFontIndirect(&logFont);
  CFont* old = dc.SelectObject(&font);
  const int height = dc.GetTextExtent(text).cy;
  dc.SelectObject(old);
  return height;
}

}  // namespace

CRYKIVDeskDlg::CRYKIVDeskDlg(CWnd* parent) : CKivDialogBase(kIddMainDialog, parent) {
  m_hIcon = ::LoadIcon(nullptr, MAKEINTRESOURCE(kIdiTray));
  if (Globals()) {
    net_ = &Globals()->Net();
    net_->SetPushHandler(kiv::BindAlive(life_.Ref(), this, &CRYKIVDeskDlg::OnNetPack));
    pushHandlerSet_ = true;
  } else {
    KivTrace("main dialog: no global objects, no push handler");
  }
}

CRYKIVDeskDlg::~CRYKIVDeskDlg() {
  // The push handler first: after Revoke none runs, and none starts.
  life_.Revoke();
  if (pushHandlerSet_ && net_) net_->SetPushHandler(PacketHandler());
  WaitForWorkers();
  if (m_nid.hWnd) {
    Shell_NotifyIcon(NIM_DELETE, &m_nid);
    m_nid.hWnd = nullptr;
  }
  DestroyPage(m_pStockDlg);
  DestroyChild(m_pTipDlg);
  DestroyChild(m_pTitle);
  DestroyChild(m_pToolBar);
  DestroyPage(m_pWatchList);
  DestroyPage(m_pKLine);
  for (auto& page : m_pPages) DestroyPage(page);
  DestroyPage(m_pShortEx);
  DestroyPage(m_pGenre);
  DestroyPage(m_pRobot);
  for (auto& button : m_pButtons) DestroyChild(button);
  DestroyChild(m_pTab);
  DestroyChild(m_pTab2);
  DestroyPage(m_pMarket);
  DestroyChild(m_pServerAddr);
  DestroyChild(m_pHeadPhoto);
  DestroyPage(m_pF10);
  for (auto& alert : m_pAlertSlots) DestroyChild(alert);
  m_pAlertSlots.clear();
  if (::IsWindow(m_hWnd)) DestroyWindow();
}

void CRYKIVDeskDlg::WaitForWorkers() {
  for (const CWinThreadPtr& worker : workers_) ::WaitForSingleObject(worker->m_hThread, INFINITE);
  workers_.clear();
}

BOOL CRYKIVDeskDlg::Create(CWnd* parent) { return CDialog::Create(kIddMainDialog, parent); }

kiv::KivGlobalObjects* CRYKIVDeskDlg::Globals() const { return GetDeskEnvironment().globals; }

CNetService* CRYKIVDeskDlg::Net() const { return net_; }

// --- Window lifetime and the single-instance channel -------------------------

int CRYKIVDeskDlg::OnCreate(LPCREATESTRUCT cs) {
  if (CKivDialogBase::OnCreate(cs) == -1) return -1;
  SetProp(kInstanceProperty, reinterpret_cast<HANDLE>(1));
  hwnd_.store(m_hWnd);
  if (kiv::SingleInstance* instance = GetDeskEnvironment().instance) {
    // The channel's thread only posts: a second start's "raise", and the
    // text of a copy-data request, which the UI thread sends on as
    // WM_COPYDATA to the dialog.
    const HWND self = m_hWnd;
    instance->SetRaiseHandler([self] { ::PostMessage(self, WM_KIV_INSTANCE_RAISE, 0, 0); });
    instance->SetCopyDataHandler([self](const std::string& text) {
      kiv::PostOwned(self, WM_KIV_INSTANCE_COPYDATA, std::make_unique<std::string>(text));
    });
  }
  return 0;
}

void CRYKIVDeskDlg::OnDestroy() {
  if (kiv::SingleInstance* instance = GetDeskEnvironment().instance) {
    instance->SetRaiseHandler(nullptr);
    instance->SetCopyDataHandler(nullptr);
  }
  hwnd_.store(nullptr);
  CKivDialogBase::OnDestroy();
  RemoveProp(kInstanceProperty);
}

// --- Initialisation ------------------------------------------------------------

BOOL CRYKIVDeskDlg::OnInitDialog() {
  CKivDialogBase::OnInitDialog();
  std::string about;
  const kiv::gdi::ResourceTable* table = kiv::gdi::GetResourceTable();
  if (table && table->LoadString(kIdsAboutMenu, &about) && !about.empty()) {
    if (CMenu* menu = CMenu::FromHandle(::GetSystemMenu(m_hWnd, FALSE))) {
      menu->AppendMenu(MF_SEPARATOR);
      menu->AppendMenu(MF_STRING, kAboutCommand, about.c_str());
    }
  }

  m_tLastWheel = 0;
  ModifyStyle(0, WS_MINIMIZEBOX);
  SetIcon(m_hIcon, TRUE);
  SetIcon(m_hIcon, FALSE);
  SetWindowText(kMainWindowText);

  // The compact panel first, also when the last session ended maximised.
  CRect window;
  GetWindowRect(&window);
  m_rcNormal = CRect(window.left, window.top, window.left + kCompactWidth, window.top + kCompactHeight);
  MoveWindow(&m_rcNormal);

  const char* ini = GetDeskEnvironment().systemIniPath.c_str();
  char placement[64] = {};
  ::GetPrivateProfileString(kInterfaceSection, kPlacementKey, kPlacementRestore, placement, sizeof placement, ini);
  if (std::string(placement) == kPlacementMaximize) PostMessage(WM_SYSCOMMAND, SC_MAXIMIZE, 0);
  char notices[16] = {};
  ::GetPrivateProfileString(kInterfaceSection, kNoticesKey, "1", notices, sizeof notices, ini);
  {
    ScopedWriteLock write(&m_lock);
    m_bNotices = std::atoi(notices) != 0;
  }

  CreateTitle();
  CreateToolBar();
  CRect client;
  GetClientRect(&client);
  const SIZE tab = kiv::gdi::ResourceBitmapSize(kIdbTabNormal);
  CreatePageButtons(client.left + 1, client.top + m_nTitleHeight + tab.cy + kButtonColumnTop);
  CreateTab();
  CreateTab2();

  m_pWatchList = MakeDeskWatchList();
  CRect listRect(client.left + 1, client.top + m_nTabHeight + m_nTitleHeight, client.right,
                 client.bottom - m_nStatusHeight);
  if (m_pWatchList->CreatePage(kPageNames[kPageWatchList].name, WS_CHILD | WS_VISIBLE, listRect, this,
                               kIdcWatchList)) {
    m_pWatchList->SetFontIndirect(UiTheme().lfSmall);
  }

  m_pMarket = MakeDeskStockTableWindow();
  m_pMarket->CreatePage("Kiv_Wnd_Market", WS_CHILD, CRect(0, 0, 0, 0), this, kIdcStockTable);

  m_pStockDlg = MakeDeskSideDialog();
  if (m_pStockDlg->CreatePage("", WS_POPUP | WS_VISIBLE, CRect(0, 0, 0, 0), this, kIddSideDialog)) {
    m_pStockDlg->Window().ShowWindow(SW_SHOW);
  }

  m_pTipDlg = std::make_unique<CKivDesk_Dlg_Tip>(this);
  if (!m_pTipDlg->Create()) KivTrace("main dialog: the monitor window could not be made");

  // The tray icon. The icon record keeps its own picture: the handle loaded
  // here goes right after NIM_ADD.
  HICON trayIcon = ::LoadIcon(nullptr, MAKEINTRESOURCE(kIdiTray));
  m_nid = NOTIFYICONDATA();
  m_nid.cbSize = 508;
  m_nid.hWnd = m_hWnd;
  m_nid.uID = kTrayIconId;
  m_nid.uFlags = NIF_MESSAGE | NIF_ICON | NIF_TIP;
  m_nid.uCallbackMessage = WM_KIV_TRAY;
  m_nid.hIcon = trayIcon;
  if (!Shell_NotifyIcon(NIM_ADD, &m_nid)) m_nid.hWnd = nullptr;
  ::DestroyIcon(trayIcon);

  CRect work;
  ::SystemParametersInfo(SPI_GETWORKAREA, 0, &work, 0);
  m_nAlertSlots = std::max(0, static_cast<int>((work.bottom - work.top) / kAlertSlotHeight));
  m_pAlertSlots.clear();
  m_pAlertSlots.resize(static_cast<size_t>(m_nAlertSlots));

  GetClientRect(&client);
  LayOut(client.Width(), client.Height());
  DockSideDialog();
  SetFocus();
  return FALSE;
}

BOOL CRYKIVDeskDlg::CreateTitle() {
  if (m_pTitle) return TRUE;
  m_nTitleHeight = kiv::gdi::ResourceBitmapSize(kIdbTitleHeight).cy;
  m_pTitle = std::make_unique<CKivDesk_Title>(kIdbTitleBackground, kIdbTitleLogo, kIdbTitleMeasure, kIdbTitleExit,
                                              kIdbTitleExitActive, kIdbTitleMaximize, kIdbTitleMaximizeActive,
                                              kIdbTitleRestore, kIdbTitleRestoreActive, kIdbTitleToTray,
                                              kIdbTitleToTrayActive);
  CRect client;
  GetClientRect(&client);
  if (!m_pTitle->Create(nullptr, "CKivDesk_Title", WS_CHILD | WS_VISIBLE,
                        CRect(client.left, client.top, client.right, client.top + m_nTitleHeight), this,
                        kIdcTitleBar)) {
    m_pTitle.reset();
    return FALSE;
  }
  m_pTitle->SetMaximized(m_nWndState != 1);
  return TRUE;
}

BOOL CRYKIVDeskDlg::CreateToolBar() {
  if (m_pToolBar) return TRUE;
  if (!Net()) return FALSE;
  m_pToolBar = std::make_unique<CKivDesk_Wnd_Toolbar>(*Net());
  if (!m_pToolBar->Create(nullptr, "CKivDesk_ToolBar", WS_CHILD | WS_VISIBLE, CRect(0, 0, 0, 0), this,
                          kIdcTicker)) {
    m_pToolBar.reset();
    return FALSE;
  }
  return TRUE;
}

BOOL CRYKIVDeskDlg::CreatePageButtons(int x, int y) {
  if (m_pButtons[0]) return TRUE;
  const SIZE skin = kiv::gdi::ResourceBitmapSize(kIdbPageButton);
  m_nButtonColumnWidth = skin.cx;
  BOOL made = TRUE;
  int top = y;
  for (const PageButtonSkin& entry : kPageButtonColumn) {
    auto button = std::make_unique<CKivDesk_Button>(entry.normal, entry.active);
    if (button->Create("", WS_CHILD | WS_VISIBLE | BS_OWNERDRAW, CRect(x, top, x + skin.cx, top + skin.cy), this,
                       entry.id)) {
      button->ShowWindow(SW_HIDE);
      if (entry.id == kIdcFirstPageButton) button->SetActive(TRUE);
      m_pButtons[entry.id - kIdcFirstPageButton] = std::move(button);
    } else {
      made = FALSE;
    }
    top += skin.cy + kPageButtonStep;
  }
  return made;
}

BOOL CRYKIVDeskDlg::CreateTab() {
  if (m_pTab) return TRUE;
  m_nTabHeight = kiv::gdi::ResourceBitmapSize(kIdbTabNormal).cy;
  m_pTab = std::make_unique<CKivDesk_Wnd_Tab>(kIdbTabNormal, kIdbTabSelected, kIdbTabSeparator, UiTheme().clrText,
                                              FALSE, FALSE);
  CRect client;
  GetClientRect(&client);
  const CRect rect(client.left, m_nTitleHeight, client.right, m_nTitleHeight + m_nTabHeight);
  if (!m_pTab->Create(nullptr, "CKivDesk_Tab_Small", WS_CHILD | WS_VISIBLE, rect, this, kIdcTabSmall)) {
    m_pTab.reset();
    return FALSE;
  }
  m_pTab->SetItemCount(4);
  m_pTab->SetItemText(0, kTabMyStocks);
  m_pTab->SetItemText(1, kTabPicks);
  m_pTab->ShowWindow(SW_SHOW);
  return TRUE;
}

BOOL CRYKIVDeskDlg::CreateTab2() {
  if (m_pTab2) return TRUE;
  m_nTab2Height = kTab2Height;
  m_pTab2 = std::make_unique<CKivDesk_Wnd_Tab2>();
  CRect client;
  GetClientRect(&client);
  const int top = m_nTitleHeight + m_nTabHeight;
  if (!m_pTab2->Create(nullptr, "CKivDesk_Wnd_PoolFull", WS_CHILD | WS_VISIBLE,
                       CRect(client.left, top, client.right, top + m_nTab2Height), this, kIdcTabFull)) {
    m_pTab2.reset();
    return FALSE;
  }
  m_pTab2->SetItemCount(6);
  for (int i = 0; i < 6; ++i) m_pTab2->SetItemText(i, kTab2Texts[i]);
  m_pTab2->ShowWindow(SW_SHOW);
  return TRUE;
}

BOOL CRYKIVDeskDlg::CreateServerAddr() {
  if (m_pServerAddr) return TRUE;
  if (!Net() || !Globals()) return FALSE;
  m_pServerAddr = std::make_unique<CKivDesk_Wnd_ServerAddr>(kIdbServerIcon, *Net(), &Globals()->ServerLabel());
  if (!m_pServerAddr->Create(nullptr, "CKivDesk_ServerAddr", WS_CHILD | WS_VISIBLE, CRect(0, 0, 0, 0), this,
                             kIdcServerStrip)) {
    m_pServerAddr.reset();
    return FALSE;
  }
  return TRUE;
}

BOOL CRYKIVDeskDlg::CreateHeadPhoto() {
  if (m_pHeadPhoto) return TRUE;
  m_pHeadPhoto = std::make_unique<CKivDesk_Wnd_HeadPhoto>(kIdbHeadPhoto);
  if (!m_pHeadPhoto->Create(nullptr, "CKivDesk_HeadPhoto", WS_CHILD | WS_VISIBLE, CRect(0, 0, 0, 0), this,
                            kIdcHeadPhoto)) {
    m_pHeadPhoto.reset();
    return FALSE;
  }
  return TRUE;
}

BOOL CRYKIVDeskDlg::CreateKLineView() {
  if (m_pKLine) return TRUE;
  auto view = MakeDeskStockView(PageResources(kPageStockView));
  if (!view->CreatePage(kPageNames[kPageStockView].name, WS_CHILD | WS_VISIBLE, PageRect(), this, kIdcStockView)) {
    DestroyPage(view);
    return FALSE;
  }
  m_pKLine = std::move(view);
  return TRUE;
}

BOOL CRYKIVDeskDlg::CreateGenre() {
  if (m_pGenre) return TRUE;
  auto page = MakeDeskSectorPage(PageResources(kPageGenre));
  if (!page->CreatePage(kPageNames[kPageGenre].name, WS_CHILD | WS_VISIBLE, PageRect(), this,
                        kPageNames[kPageGenre].id)) {
    DestroyPage(page);
    return FALSE;
  }
  m_pGenre = std::move(page);
  return TRUE;
}

BOOL CRYKIVDeskDlg::CreateShortEx() {
  if (m_pShortEx) return TRUE;
  auto page = MakeDeskMonitoringPage(PageResources(kPageShortEx));
  if (!page->CreatePage(kPageNames[kPageShortEx].name, WS_CHILD | WS_VISIBLE, PageRect(), this,
                        kPageNames[kPageShortEx].id)) {
    DestroyPage(page);
    return FALSE;
  }
  m_pShortEx = std::move(page);
  return TRUE;
}

BOOL CRYKIVDeskDlg::CreateF10() {
  if (m_pF10) return TRUE;
  auto page = MakeDeskF10Window(kF10Resources);
  if (!page->CreatePage("CKivDesk_Wnd_Invesment", WS_CHILD, PageRect(), this, kIdcF10)) {
    DestroyPage(page);
    return FALSE;
  }
  m_pF10 = std::move(page);
  return TRUE;
}

BOOL CRYKIVDeskDlg::CreatePageWindow(int page) {
  switch (page) {
    case kPageWatchList:
      return m_pWatchList && m_pWatchList->Window().m_hWnd;
    case kPageShortEx:
      return CreateShortEx();
    case kPageGenre:
      return CreateGenre();
    case kPageStockView:
      return CreateKLineView();
    case kPageRobot: {
      if (m_pRobot) return TRUE;
      auto robot = MakeDeskRobotPage(PageResources(kPageRobot));
      if (!robot->CreatePage(kPageNames[kPageRobot].name, WS_CHILD | WS_VISIBLE, PageRect(), this,
                             kPageNames[kPageRobot].id)) {
        DestroyPage(robot);
        return FALSE;
      }
      m_pRobot = std::move(robot);
      m_pRobot->InitPanes();
      return TRUE;
    }
    default: {
      if (page < 0 || page >= kPageCount) return FALSE;
      std::unique_ptr<DeskPage>& slot = m_pPages[static_cast<size_t>(page)];
      if (slot) return TRUE;
      auto made = MakeDeskPage(page, PageResources(page));
      if (!made->CreatePage(kPageNames[page].name, WS_CHILD | WS_VISIBLE, PageRect(), this, kPageNames[page].id)) {
        DestroyPage(made);
        return FALSE;
      }
      slot = std::move(made);
      return TRUE;
    }
  }
}

DeskPage* CRYKIVDeskDlg::PageWindow(int page) const {
  switch (page) {
    case kPageWatchList:
      return m_pWatchList.get();
    case kPageShortEx:
      return m_pShortEx.get();
    case kPageGenre:
      return m_pGenre.get();
    case kPageStockView:
      return m_pKLine.get();
    case kPageRobot:
      return m_pRobot.get();
    default:
      if (page < 0 || page >= kPageCount) return nullptr;
      return m_pPages[static_cast<size_t>(page)].get();
  }
}

CWnd* CRYKIVDeskDlg::PageCWnd(int page) const {
  DeskPage* window = PageWindow(page);
  if (!window || !window->Window().m_hWnd) return nullptr;
  return &window->Window();
}

CKivDesk_Button* CRYKIVDeskDlg::PageButton(int slot) const {
  if (slot < 0 || slot >= kPageButtonSlots) return nullptr;
  return m_pButtons[static_cast<size_t>(slot)].get();
}

CKivDesk_Dlg_Msg* CRYKIVDeskDlg::AlertInSlot(int slot) const {
  if (slot < 0 || slot >= static_cast<int>(m_pAlertSlots.size())) return nullptr;
  return m_pAlertSlots[static_cast<size_t>(slot)].get();
}

BOOL CRYKIVDeskDlg::NoticesOn() {
  OldReadLock read(&m_lock);
  return m_bNotices;
}

BOOL CRYKIVDeskDlg::SearchOpen() {
  OldReadLock read(&m_lock);
  return m_bSearchOpen;
}

BOOL CRYKIVDeskDlg::CopyDataTab() {
  OldReadLock read(&m_lock);
  return m_bCopyDataTab;
}

// --- Layout ----------------------------------------------------------------

CRect CRYKIVDeskDlg::PageRect() {
  CRect client;
  GetClientRect(&client);
  return PageArea(client.Width(), client.Height());
}

CRect CRYKIVDeskDlg::PageArea(int cx, int cy) {
  // Below the title (and in the compact state the two tab rows), right of
  // the button column when maximised, above the status bar.
  CRect page(0, 0, cx, cy);
  const bool maximised = m_nWndState != 1;
  if (!maximised) {
    page.top += m_nTitleHeight + m_nTabHeight - 1;
    if (m_nPage != kPageWatchList && m_nPage != kPageZixun) page.top += m_nTab2Height;
  } else {
    page.top += m_nTitleHeight;
    page.left += m_nButtonColumnWidth + 1;
  }
  page.right -= 1;
  page.bottom -= 1;
  m_nStatusHeight = TextHeight(this, maximised ? UiTheme().lfNormal : UiTheme().lfSmall, kStatusMeasureText) + 8;
  page.bottom -= m_nStatusHeight;
  return page;
}

void CRYKIVDeskDlg::OnSize(UINT type, int cx, int cy) {
  CKivDialogBase::OnSize(type, cx, cy);
  LayOut(cx, cy);
}

void CRYKIVDeskDlg::LayOut(int cx, int cy) {
  if (cx == 0 || cy == 0) {
    m_bMinimized = TRUE;
    return;
  }
  if (m_pTitle) m_pTitle->MoveWindow(0, 0, cx, m_nTitleHeight);
  if (m_nWndState == 1 && m_nPage == kPageStockView && !m_bMinimized) {
    if (CWnd* view = PageCWnd(kPageStockView)) view->ShowWindow(SW_HIDE);
    m_nPage = m_nLastPage;
  }

  const bool maximised = m_nWndState != 1;
  if (!maximised) {
    for (auto& button : m_pButtons) {
      if (button) button->ShowWindow(SW_HIDE);
    }
    if (m_pServerAddr) m_pServerAddr->ShowWindow(SW_HIDE);
    if (m_pHeadPhoto) m_pHeadPhoto->ShowWindow(SW_HIDE);
    if (m_pTab) {
      m_pTab->MoveWindow(0, m_nTitleHeight, cx, m_nTabHeight);
      m_pTab->ShowWindow(SW_SHOW);
    }
    if (m_pTab2) {
      m_pTab2->MoveWindow(0, m_nTitleHeight + m_nTabHeight, cx, m_nTab2Height);
      m_pTab2->ShowWindow(SW_SHOW);
    }
  } else {
    for (int slot = 0; slot < kPageButtonSlots; ++slot) {
      CKivDesk_Button* button = PageButton(slot);
      if (!button) continue;
      button->ShowWindow(slot + kIdcFirstPageButton == kIdcRobotPageButton ? SW_HIDE : SW_SHOW);
    }
    // The button column: the head photo fills the gap between the title and
    // the first button, the server strip its bottom rows.
    CreateServerAddr();
    CreateHeadPhoto();
    const int columnWidth = m_nButtonColumnWidth;
    int firstButtonTop = m_nTitleHeight + m_nTabHeight + kButtonColumnTop;
    if (CKivDesk_Button* first = PageButton(0)) {
      CRect rect;
      first->GetWindowRect(&rect);
      ScreenToClient(&rect);
      firstButtonTop = rect.top;
    }
    if (m_pHeadPhoto) {
      m_pHeadPhoto->MoveWindow(0, m_nTitleHeight, columnWidth + 1, std::max(0, firstButtonTop - m_nTitleHeight));
      m_pHeadPhoto->ShowWindow(SW_SHOW);
    }
    if (m_pServerAddr) {
      m_pServerAddr->MoveWindow(0, cy - kServerStripHeight, columnWidth + 1, kServerStripHeight);
      m_pServerAddr->ShowWindow(SW_SHOW);
    }
    if (m_pTab) m_pTab->ShowWindow(SW_HIDE);
    if (m_pTab2) m_pTab2->ShowWindow(SW_HIDE);
  }

  const CRect page = PageArea(cx, cy);

  PlaceCurrentPage(maximised ? 2 : 1, page);

  if (m_pKLine && m_pKLine->Window().m_hWnd) m_pKLine->Window().MoveWindow(&page);
  if (m_pToolBar) {
    m_pToolBar->SetWideMode(maximised);
    m_pToolBar->MoveWindow(page.left, page.bottom + 1, cx - page.left, cy - page.bottom - 1);
    m_pToolBar->ShowWindow(SW_SHOW);
  }
  DockSideDialog();
}

void CRYKIVDeskDlg::PlaceCurrentPage(int mode, const CRect& pageRect) {
  switch (m_nPage) {
    case kPageWatchList:
    case kPageZixun:
      if (m_pTab2) m_pTab2->ShowWindow(SW_HIDE);
      if (DeskPage* page = PageWindow(m_nPage)) page->PlacePane(mode, pageRect);
      break;
    case kPageMarkRisk:
    case kPageInvestment:
    case kPageRobot:
      if (mode == 1) {
        // These pages have no compact form: the compact panel shows the
        // watch list again.
        OnSelectPage(kIdcTabSmall, 0);
      } else if (m_nPage == kPageMarkRisk) {
        if (DeskPage* page = PageWindow(m_nPage)) page->PlacePane(mode, pageRect);
      }
      break;
    case kPageStockView:
      break;
    default:
      if (DeskPage* page = PageWindow(m_nPage)) page->PlacePane(mode, pageRect);
      break;
  }
}

void CRYKIVDeskDlg::DockSideDialog() {
  if (!m_pStockDlg || !m_pStockDlg->Window().m_hWnd || !m_pStockDlg->IsShown()) return;
  CRect window;
  GetWindowRect(&window);
  m_pStockDlg->Window().MoveWindow(window.left, window.bottom + 1, window.Width(), window.Height());
}

void CRYKIVDeskDlg::HideOtherPages(int keep) {
  for (int page = 0; page < kPageCount; ++page) {
    if (page == keep) continue;
    if (CWnd* window = PageCWnd(page)) window->ShowWindow(SW_HIDE);
  }
}

void CRYKIVDeskDlg::ShowRobotOverview() {
  if (!m_pRobot || !m_pRobot->Window().m_hWnd) return;
  CWnd& robot = m_pRobot->Window();
  robot.PostMessage(WM_KIV_ROBOT_OVERVIEW, 0, 0);
  m_pRobot->SetOverview();
  m_pRobot->RefreshCurve();
  robot.KillTimer(kRobotPageTimer);
}

void CRYKIVDeskDlg::ShowPage() {
  if (!m_pF10) {
    CreateF10();
  } else if (m_pF10->Window().m_hWnd) {
    m_pF10->Window().ShowWindow(SW_HIDE);
  }
  HideOtherPages(m_nPage);
  if (m_nPage != kPageStockView && m_pKLine) m_pKLine->ClearActiveFlags();

  switch (m_nPage) {
    case kPageStockView:
      // Shown only by opening a stock.
      if (CWnd* view = PageCWnd(kPageStockView)) view->ShowWindow(SW_SHOW);
      break;
    case kPageShortEx:
      if (CreateShortEx()) {
        m_pShortEx->SetListFont(true);
        m_pShortEx->Window().ShowWindow(SW_SHOW);
      }
      break;
    case kPageGenre:
      if (m_pGenre) {
        m_pGenre->ShowSectorList();
      } else {
        CreateGenre();
      }
      break;
    case kPageRobot:
      if (CreatePageWindow(kPageRobot)) {
        ShowRobotOverview();
        m_pRobot->Window().ShowWindow(SW_SHOW);
      }
      break;
    default:
      if (CreatePageWindow(m_nPage)) {
        if (CWnd* window = PageCWnd(m_nPage)) window->ShowWindow(SW_SHOW);
      }
      break;
  }
  CRect client;
  GetClientRect(&client);
  LayOut(client.Width(), client.Height());
}
