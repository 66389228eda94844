#include "updater/KivUpdateDlg.h"

#include <algorithm>
#include <chrono>
#include <system_error>
#include <utility>

#include "platform/core/MessageLoop.h"
#include "platform/gdi/DC.h"
#include "platform/gdi/Resources.h"
#include "platform/post/Posting.h"
#include "platform/sys/Trace.h"
#include "platform/ui/SystemMenu.h"
#include "updater/UpdateRun.h"
#include "updater/UpdateWindowHost.h"
#include "updater/UpdaterIds.h"

using namespace kiv;  // NOLINT: the room's ids

namespace {

// What the worker thread owns: the engine, and the host that reports to the
// window by its handle.
struct UpdateJob {
  UpdateJob(UpdaterOptions options, HWND window, UpdatePromptAnswerer answerer)
      : engine(std::move(options)), host(window, std::move(answerer)), window(window) {}
  CKivUpdater engine;
  UpdateWindowHost host;
  HWND window;
};

void UpdateWorker(std::unique_ptr<UpdateJob> job, std::shared_ptr<std::atomic<bool>> ended) {
  RunUpdate(job->engine, job->host);
  ::PostMessage(job->window, WM_KIV_UPDATE_DONE, 0, 0);
  job.reset();
  ended->store(true);
}

}  // namespace

CKivUpdateDlg::CKivUpdateDlg(UpdaterOptions options, CWnd* parent)
    : CDialogEx(kIddKivUpdate, parent), options_(std::move(options)) {}

CKivUpdateDlg::~CKivUpdateDlg() {
  if (::IsWindow(m_hWnd)) DestroyWindow();
  if (!worker_.joinable()) return;
  // A run still going (its window closed under it) goes on alone: it owns
  // what it uses.
  if (workerEnded_->load()) {
    worker_.join();
  } else {
    worker_.detach();
  }
}

BOOL CKivUpdateDlg::OnInitDialog() {
  CDialogEx::OnInitDialog();
  // The About item, when the program's table has its text.
  std::string about;
  const gdi::ResourceTable* table = gdi::GetResourceTable();
  if (table && table->LoadString(kIdsUpdateAbout, &about) && !about.empty()) {
    if (CMenu* menu = CMenu::FromHandle(::GetSystemMenu(m_hWnd, FALSE))) {
      menu->AppendMenu(MF_SEPARATOR);
      menu->AppendMenu(MF_STRING, kIdmUpdateAbout, about.c_str());
    }
  }
  icon_ = ::LoadIcon(nullptr, MAKEINTRESOURCE(kIdiKivUpdate));
  SendMessage(WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(icon_));
  SendMessage(WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(icon_));
  SetWindowText(kUpdateWindowText);
  title_.LoadBitmap(kIdbUpdateTitle);
  closeBox_.LoadBitmap(kIdbUpdateClose);
  barFull_.LoadBitmap(kIdbUpdateBarFull);
  barEmpty_.LoadBitmap(kIdbUpdateBarEmpty);
  if (closeBox_.GetSafeHandle()) closeSize_ = closeBox_.GetSize();
  if (barFull_.GetSafeHandle()) barSize_ = barFull_.GetSize();
  font_.CreateFont(12, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, DEFAULT_CHARSET, OUT_DEFAULT_PRECIS,
                   CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, 32, "宋体");
  staticBrush_.CreateSolidBrush(kUpdateBackground);
  SetDlgItemText(kIdcUpdateStatus, "");
  SetTimer(kUpdateStartTimer, kUpdateFirstTryMs);
  return TRUE;
}

std::string CKivUpdateDlg::StatusText() const {
  std::string text;
  GetDlgItemText(kIdcUpdateStatus, text);
  return text;
}

bool CKivUpdateDlg::WaitForRunEnd(DWORD ms) {
  if (!worker_.joinable()) return true;
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
  while (!workerEnded_->load()) {
    if (std::chrono::steady_clock::now() > deadline) return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
  }
  worker_.join();
  return true;
}

void CKivUpdateDlg::OnTimer(UINT_PTR id) {
  if (id != kUpdateStartTimer) {
    CDialogEx::OnTimer(id);
    return;
  }
  KillTimer(kUpdateStartTimer);
  if (!lock_.TryAcquire(options_.programFolder)) {
    // Another updater runs on this folder: try again once a second.
    KivTrace("updater: another update holds %s; trying again\n", kUpdaterLockFile);
    SetTimer(kUpdateStartTimer, kUpdateRetryMs);
    return;
  }
  StartRun();
}

void CKivUpdateDlg::StartRun() {
  // The thread owns the job; the window keeps the thread only to tell
  // whether it has ended and to join it.
  try {
    worker_ = std::thread(UpdateWorker, std::make_unique<UpdateJob>(options_, m_hWnd, answerer_), workerEnded_);
  } catch (const std::system_error&) {
    DestroyWindow();  // no thread to be had: nothing was begun
  }
}

LRESULT CKivUpdateDlg::OnMessage(UINT msg, WPARAM wParam, LPARAM lParam) {
  switch (msg) {
    case WM_KIV_UPDATE_STATUS: {
      std::unique_ptr<std::string> text = AdoptPosted<std::string>(wParam);
      if (text) SetDlgItemText(kIdcUpdateStatus, text->c_str());
      return 0;
    }
    case WM_KIV_UPDATE_BAR: {
      const int width = std::clamp(static_cast<int>(lParam), 0, kUpdateBarWidth);
      (wParam == kUpdateTotalBarIndex ? totalBar_ : fileBar_) = width;
      Invalidate(FALSE);
      return 0;
    }
    case WM_KIV_UPDATE_SHOW:
      ShowWindow(wParam ? SW_SHOW : SW_HIDE);
      return 0;
    case WM_KIV_UPDATE_DONE:
      runFinished_ = true;
      DestroyWindow();
      return 0;
    default:
      return CDialogEx::OnMessage(msg, wParam, lParam);
  }
}

// --- Painting ----------------------------------------------------------------

BOOL CKivUpdateDlg::OnEraseBkgnd(CDC*) {
  return TRUE;  // the paint covers every pixel
}

void CKivUpdateDlg::DrawBar(CDC& dc, int top, int filledWidth) {
  CDC images;
  images.CreateCompatibleDC(&dc);
  if (barEmpty_.GetSafeHandle()) {
    CBitmap* old = images.SelectObject(&barEmpty_);
    const CSize size = barEmpty_.GetSize();
    dc.BitBlt(kUpdateBarLeft, top, size.cx, size.cy, &images, 0, 0, SRCCOPY);
    images.SelectObject(old);
  }
  if (barFull_.GetSafeHandle() && filledWidth > 0) {
    CBitmap* old = images.SelectObject(&barFull_);
    dc.BitBlt(kUpdateBarLeft, top, std::min<int>(filledWidth, barSize_.cx), barSize_.cy, &images, 0, 0, SRCCOPY);
    images.SelectObject(old);
  }
}

void CKivUpdateDlg::OnPaint() {
  CPaintDC dc(this);
  CRect client;
  GetClientRect(&client);
  CDC memory;
  memory.CreateCompatibleDC(&dc);
  CBitmap canvas;
  canvas.CreateCompatibleBitmap(&dc, client.Width(), client.Height());
  CBitmap* oldCanvas = memory.SelectObject(&canvas);
  memory.FillSolidRect(&client, kUpdateBackground);

  CDC images;
  images.CreateCompatibleDC(&memory);
  if (title_.GetSafeHandle()) {
    CBitmap* old = images.SelectObject(&title_);
    const CSize size = title_.GetSize();
    memory.BitBlt(0, 0, size.cx, size.cy, &images, 0, 0, SRCCOPY);
    images.SelectObject(old);
  }
  if (closeBox_.GetSafeHandle()) {
    CBitmap* old = images.SelectObject(&closeBox_);
    memory.BitBlt(client.right - closeSize_.cx, 0, closeSize_.cx, closeSize_.cy, &images, 0, 0, SRCCOPY);
    images.SelectObject(old);
  }
  DrawBar(memory, kUpdateFileBarTop, fileBar_);
  DrawBar(memory, kUpdateTotalBarTop, totalBar_);

  CFont* oldFont = memory.SelectObject(&font_);
  memory.SetBkMode(TRANSPARENT);
  memory.SetTextColor(RGB(0, 0, 0));
  memory.TextOut(kUpdateTotalLabelLeft, kUpdateTotalLabelTop, kUpdateTotalLabel);
  memory.SelectObject(oldFont);

  dc.BitBlt(0, 0, client.Width(), client.Height(), &memory, 0, 0, SRCCOPY);
  memory.SelectObject(oldCanvas);
}

HBRUSH CKivUpdateDlg::OnCtlColor(CDC* dc, CWnd* wnd, UINT ctlColor) {
  if (ctlColor == CTLCOLOR_STATIC) {
    // The window system's own text colour, black: the layer's default suits
    // its dark dialogs, not this light body.
    dc->SetTextColor(RGB(0, 0, 0));
    dc->SetBkColor(kUpdateBackground);
    return static_cast<HBRUSH>(staticBrush_.GetSafeHandle());
  }
  return CDialogEx::OnCtlColor(dc, wnd, ctlColor);
}

// --- Input -------------------------------------------------------------------

CRect CKivUpdateDlg::CloseBox() const {
  CRect client;
  GetClientRect(&client);
  return CRect(client.right - closeSize_.cx, 1, client.right, closeSize_.cy);
}

void CKivUpdateDlg::OnLButtonDown(UINT flags, CPoint point) {
  const CRect box = CloseBox();
  if (point.x >= box.left && point.x <= box.right && point.y >= box.top && point.y <= box.bottom) {
    OnOK();
    return;
  }
  CPoint screen = point;
  ClientToScreen(&screen);
  PostMessage(WM_NCLBUTTONDOWN, HTCAPTION, MAKELPARAM(screen.x, screen.y));
}

void CKivUpdateDlg::OnSysCommand(UINT id, LPARAM lParam) {
  if ((id & 0xFFF0) == kIdmUpdateAbout) {
    CDialog about(kIddUpdateAbout, this);
    about.DoModal();
    return;
  }
  CDialogEx::OnSysCommand(id, lParam);
}

// --- Ending ------------------------------------------------------------------

void CKivUpdateDlg::OnOK() { DestroyWindow(); }

void CKivUpdateDlg::OnCancel() { DestroyWindow(); }

void CKivUpdateDlg::OnClose() { DestroyWindow(); }

void CKivUpdateDlg::OnDestroy() {
  CDialogEx::OnDestroy();
  if (quitOnDestroy_) ::PostQuitMessage(0);
}
