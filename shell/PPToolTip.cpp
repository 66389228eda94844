// The rich tooltip's life: creation, tools, settings, the display
// notification and the mouse tracking with its two timers.
#include "shell/PPToolTip.h"

#include <algorithm>

#include "platform/sys/Trace.h"

namespace {

// The colour table as a new tooltip starts: "cti" and "cbi" colours, then
// the system's info-tip colours for text and background.
void DefaultColours(COLORREF* colors) {
  static const COLORREF kIndexed[16] = {0x000000, 0x800000, 0x008000, 0x808000, 0x000080, 0x800080,
                                        0x008080, 0x808080, 0xFF0000, 0x00FF00, 0xFFFF00, 0x0000FF,
                                        0xFF00FF, 0x00FFFF, 0xC0C0C0, 0xFFFFFF};
  std::copy(kIndexed, kIndexed + 16, colors);
  colors[16] = 0;
  colors[kPPToolTipColorText] = ::GetSysColor(COLOR_INFOTEXT);
  colors[kPPToolTipColorBegin] = ::GetSysColor(COLOR_INFOBK);
  colors[kPPToolTipColorMiddle] = ::GetSysColor(COLOR_INFOBK);
  colors[kPPToolTipColorEnd] = ::GetSysColor(COLOR_INFOBK);
  colors[21] = 0xEE0000;
  colors[22] = 0x8B1A55;
  colors[23] = 0x0000FF;
  colors[kPPToolTipColorShadow] = ::GetSysColor(COLOR_BTNSHADOW);
  colors[kPPToolTipColorBorder] = ::GetSysColor(COLOR_INFOTEXT);
}

// The messages after which a tooltip has no business staying up.
bool EndsTheTooltip(UINT message) {
  switch (message) {
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK:
    case WM_RBUTTONDOWN:
    case WM_RBUTTONDBLCLK:
    case WM_MBUTTONDOWN:
    case WM_MBUTTONDBLCLK:
    case WM_NCLBUTTONDOWN:
    case WM_NCLBUTTONDBLCLK:
    case WM_NCRBUTTONDOWN:
    case WM_NCRBUTTONDBLCLK:
    case WM_NCMBUTTONDOWN:
    case WM_NCMBUTTONDBLCLK:
    case WM_KEYDOWN:
    case WM_SYSKEYDOWN:
      return true;
    default:
      return false;
  }
}

}  // namespace

CPPToolTip::CPPToolTip() {
  DefaultColours(colors_);
  SetDefaultSizes(TRUE);
  random_ = [this] { return randomState_.Next(); };
  WNDCLASS wc;
  if (!::GetClassInfo(nullptr, kClassName, &wc)) {
    wc = WNDCLASS();
    wc.style = CS_SAVEBITS;
    wc.lpfnWndProc = ::DefWindowProc;
    wc.hCursor = ::LoadCursor(nullptr, IDC_ARROW);
    wc.lpszClassName = kClassName;
    // Another thread may have registered it meanwhile; only a class still
    // missing afterwards is a failure, and the window is then made without
    // the class's cursor.
    if (!::RegisterClass(&wc) && !::GetClassInfo(nullptr, kClassName, &wc)) {
      KivTrace("CPPToolTip: the window class %s could not be registered\n", kClassName);
    }
  }
}

CPPToolTip::~CPPToolTip() {
  RemoveAllTools();
  RemoveAllNames();
  markup_.ClearLines();
  bodyRgn_.DeleteObject();
  shadowRgn_.DeleteObject();
  // Nothing derives from this class: its window can go here, before its
  // members do.
  if (::IsWindow(m_hWnd)) DestroyWindow();
  pattern_.Clear();
  imageList_.DeleteImageList();
}

BOOL CPPToolTip::Create(CWnd* parent, BOOL balloon) {
  parent_ = parent;
  if (!CreateEx(WS_EX_TOPMOST | WS_EX_TOOLWINDOW, kClassName, "", WS_POPUP, 0, 0, 0, 0,
                parent ? parent->m_hWnd : nullptr, 0)) {
    return FALSE;
  }
  SetDefaultFont();
  SetDefaultSizes(balloon);
  return TRUE;
}

void CPPToolTip::OnDestroy() {
  KillTimer(kPPToolTipShowTimer);
  KillTimer(kPPToolTipAutoPopTimer);
  CWnd::OnDestroy();
}

void CPPToolTip::OnKillFocus(CWnd* newWnd) {
  CWnd::OnKillFocus(newWnd);
  Pop();
}

// --- Tools -------------------------------------------------------------------

void CPPToolTip::AddTool(CWnd* wnd, const std::string& text, UINT iconId, CSize iconSize, LPCRECT rect,
                         UINT toolId) {
  HICON icon = nullptr;
  if (iconId != 0) {
    icon = static_cast<HICON>(
        ::LoadImage(nullptr, MAKEINTRESOURCE(iconId), IMAGE_ICON, iconSize.cx, iconSize.cy, LR_DEFAULTCOLOR));
  }
  AddToolByIconHandle(wnd, text, icon, rect, toolId);
}

void CPPToolTip::AddToolByIconHandle(CWnd* wnd, const std::string& text, HICON icon, LPCRECT rect, UINT toolId) {
  if (!wnd) return;
  PPTOOLTIP_INFO tool;
  tool.window = wnd->m_hWnd;
  tool.toolId = toolId;
  if (rect) tool.rect = *rect;
  tool.icon = icon;
  tool.text = text;
  tool.mask = 0;  // every setting from the defaults
  AddToolInfo(tool.window, std::move(tool));
}

void CPPToolTip::AddToolInfo(HWND hwnd, PPTOOLTIP_INFO tool) {
  tool.window = hwnd;
  for (PPTOOLTIP_INFO& existing : tools_) {
    if (existing.window == hwnd && CRect(existing.rect) == CRect(tool.rect)) {
      existing = std::move(tool);
      return;
    }
  }
  tools_.push_back(std::move(tool));
}

int CPPToolTip::FindTool(CWnd* wnd, LPCRECT rect) const {
  if (!wnd) return -1;
  for (size_t i = 0; i < tools_.size(); ++i) {
    if (tools_[i].window != wnd->m_hWnd) continue;
    if (!rect || CRect(tools_[i].rect) == CRect(*rect)) return static_cast<int>(i);
  }
  return -1;
}

int CPPToolTip::FindToolAtPoint(CPoint point) const {
  if (!parent_ || !::IsWindow(parent_->m_hWnd)) return -1;
  CPoint screen = point;
  parent_->ClientToScreen(&screen);
  HWND hwnd = ::WindowFromPoint(screen);
  if (hwnd == parent_->m_hWnd) {
    // Over the parent itself: a disabled control there counts only when
    // the defaults ask for it. A hidden control never does.
    const UINT skip = CWP_SKIPINVISIBLE | ((defaultStyles_ & kPPToolTipStyleDisabledTools) ? 0 : CWP_SKIPDISABLED);
    hwnd = ::ChildWindowFromPointEx(parent_->m_hWnd, point, skip);
  }
  if (!hwnd) return -1;
  CPoint inTool = screen;
  ::ScreenToClient(hwnd, &inTool);
  for (size_t i = 0; i < tools_.size(); ++i) {
    const PPTOOLTIP_INFO& tool = tools_[i];
    if (tool.window != hwnd) continue;
    const CRect hot(tool.rect);
    if (hot.IsRectEmpty() || hot.PtInRect(inTool)) return static_cast<int>(i);
  }
  return -1;
}

BOOL CPPToolTip::IsExistTool(int tool) const { return tool >= 0 && tool < static_cast<int>(tools_.size()); }

BOOL CPPToolTip::GetTool(int tool, PPTOOLTIP_INFO& info) const {
  if (!IsExistTool(tool)) return FALSE;
  info = tools_[static_cast<size_t>(tool)];
  return TRUE;
}

void CPPToolTip::SetAtTool(int tool, const PPTOOLTIP_INFO& info) {
  if (IsExistTool(tool)) tools_[static_cast<size_t>(tool)] = info;
}

PPTOOLTIP_INFO* CPPToolTip::ToolAt(int tool) { return IsExistTool(tool) ? &tools_[static_cast<size_t>(tool)] : nullptr; }

void CPPToolTip::RemoveAllTools() { tools_.clear(); }

void CPPToolTip::RemoveAllNames() { names_.clear(); }

// --- Settings ----------------------------------------------------------------

void CPPToolTip::SetDelayTime(DWORD kind, UINT milliseconds) {
  if (kind == kPPToolTipDelayAutoPop) {
    autoPopDelay_ = milliseconds;
  } else if (kind == kPPToolTipDelayInitial) {
    initialDelay_ = milliseconds;
  }
}

UINT CPPToolTip::GetDelayTime(DWORD kind) const {
  if (kind == kPPToolTipDelayAutoPop) return autoPopDelay_;
  if (kind == kPPToolTipDelayInitial) return initialDelay_;
  return 0;
}

void CPPToolTip::SetColor(int slot, COLORREF color) {
  if (slot >= 0 && slot < kPPToolTipColorCount) colors_[slot] = color;
}

COLORREF CPPToolTip::GetColor(int slot) const {
  return slot >= 0 && slot < kPPToolTipColorCount ? colors_[slot] : 0;
}

void CPPToolTip::SetSize(int slot, int value) {
  if (slot >= 0 && slot < kPPToolTipSizeCount) sizes_[slot] = value;
}

int CPPToolTip::GetSize(int slot) const { return slot >= 0 && slot < kPPToolTipSizeCount ? sizes_[slot] : 0; }

void CPPToolTip::SetDefaultSizes(BOOL balloon) {
  static const int kBalloon[kPPToolTipSizeCount] = {16, 16, 12, 12, 4, 4, 12, 16, 16, 1, 1};
  static const int kPlain[kPPToolTipSizeCount] = {0, 0, 3, 1, 0, 0, 0, 0, 0, 1, 1};
  std::copy_n(balloon ? kBalloon : kPlain, kPPToolTipSizeCount, sizes_);
}

BOOL CPPToolTip::SetFont(const LOGFONT& font) {
  defaultFont_ = font;
  return TRUE;
}

void CPPToolTip::SetDefaultFont() {
  NONCLIENTMETRICS metrics;
  metrics.cbSize = sizeof metrics;
  if (::SystemParametersInfo(SPI_GETNONCLIENTMETRICS, sizeof metrics, &metrics, 0)) defaultFont_ = metrics.lfStatusFont;
}

void CPPToolTip::ModifyStyles(UINT add, UINT remove, int tool) {
  PPTOOLTIP_INFO* own = ToolAt(tool);
  const UINT old = own && (own->mask & kPPToolTipMaskStyles) ? own->styles : defaultStyles_;
  const UINT now = (old & ~remove) | add;
  if (own) {
    own->styles = now;
    own->mask |= kPPToolTipMaskStyles;
  } else {
    defaultStyles_ = now;
  }
}

void CPPToolTip::SetStyles(UINT styles, int tool) { ModifyStyles(styles, ~0u, tool); }

void CPPToolTip::SetDefaultStyles(int tool) { SetStyles(kPPToolTipDefaultStyles, tool); }

UINT CPPToolTip::GetStyles(int tool) const {
  if (IsExistTool(tool)) {
    const PPTOOLTIP_INFO& own = tools_[static_cast<size_t>(tool)];
    if (own.mask & kPPToolTipMaskStyles) return own.styles;
  }
  return defaultStyles_;
}

void CPPToolTip::SetFillEffect(UINT effect, BYTE granularity, int tool) {
  if (PPTOOLTIP_INFO* own = ToolAt(tool)) {
    own->effect = effect;
    own->granularity = granularity;
    own->mask |= kPPToolTipMaskEffect;
  } else {
    defaultEffect_ = effect;
    defaultGranularity_ = granularity;
  }
}

void CPPToolTip::SetDirection(UINT direction, int tool) {
  if (direction > kPPToolTipBelowRight) return;
  if (PPTOOLTIP_INFO* own = ToolAt(tool)) {
    own->direction = direction;
    own->mask |= kPPToolTipMaskDirection;
  } else {
    defaultDirection_ = direction;
  }
}

UINT CPPToolTip::GetDirection(int tool) const {
  if (IsExistTool(tool)) {
    const PPTOOLTIP_INFO& own = tools_[static_cast<size_t>(tool)];
    if (own.mask & kPPToolTipMaskDirection) return own.direction;
  }
  return defaultDirection_;
}

void CPPToolTip::SetToolOption(UINT behaviour, int tool) {
  if (PPTOOLTIP_INFO* own = ToolAt(tool)) {
    own->behaviour = behaviour;
    own->mask |= kPPToolTipMaskBehaviour;
  } else {
    defaultBehaviour_ = behaviour;
  }
}

void CPPToolTip::EnableNotify(BOOL enable) {
  notifyWindow_ = enable && parent_ ? parent_->m_hWnd : nullptr;
}

PPTOOLTIP_INFO CPPToolTip::Completed(const PPTOOLTIP_INFO& tool) const {
  PPTOOLTIP_INFO done = tool;
  if (!(done.mask & kPPToolTipMaskStyles)) done.styles = defaultStyles_;
  if (!(done.mask & kPPToolTipMaskEffect)) {
    done.effect = defaultEffect_;
    done.granularity = defaultGranularity_;
  }
  if (!(done.mask & kPPToolTipMaskColors)) {
    done.beginColor = colors_[kPPToolTipColorBegin];
    done.middleColor = colors_[kPPToolTipColorMiddle];
    done.endColor = colors_[kPPToolTipColorEnd];
  }
  if (!(done.mask & kPPToolTipMaskDirection)) done.direction = defaultDirection_;
  if (!(done.mask & kPPToolTipMaskBehaviour)) done.behaviour = defaultBehaviour_;
  return done;
}

void CPPToolTip::SendDisplayNotice(CPoint point) {
  if (!::IsWindow(m_hWnd) || !notifyWindow_ || !::IsWindow(notifyWindow_)) return;
  PPTOOLTIP_INFO copy = shown_;
  if (parent_ && ::IsWindow(parent_->m_hWnd)) {
    // The hot rectangle as the parent sees it.
    POINT corners[2] = {{copy.rect.left, copy.rect.top}, {copy.rect.right, copy.rect.bottom}};
    ::MapWindowPoints(copy.window, parent_->m_hWnd, corners, 2);
    copy.rect = CRect(corners[0].x, corners[0].y, corners[1].x, corners[1].y);
  }
  POINT cursor = point;
  PPToolTipDisplay notice;
  notice.hdr.hwndFrom = m_hWnd;
  notice.hdr.idFrom = static_cast<UINT_PTR>(GetDlgCtrlID());
  notice.hdr.code = kPPToolTipNotifyDisplay;
  notice.point = &cursor;
  notice.tool = &copy;
  ::SendMessage(notifyWindow_, WM_NOTIFY, notice.hdr.idFrom, reinterpret_cast<LPARAM>(&notice));
  // The receiver's changes are taken, but the hot rectangle stays the
  // tool's own.
  const RECT rect = shown_.rect;
  shown_ = copy;
  shown_.rect = rect;
}

// --- Showing and hiding ------------------------------------------------------

bool CPPToolTip::IsVisibleNow() const { return ::IsWindow(m_hWnd) && ::IsWindowVisible(m_hWnd); }

BOOL CPPToolTip::IsCursorOverTooltip() const {
  if (!IsVisibleNow()) return FALSE;
  POINT cursor;
  ::GetCursorPos(&cursor);
  return ::WindowFromPoint(cursor) == m_hWnd ? TRUE : FALSE;
}

BOOL CPPToolTip::PreTranslateMessage(MSG* msg) {
  RelayEvent(msg);
  return CWnd::PreTranslateMessage(msg);
}

void CPPToolTip::RelayEvent(MSG* msg) {
  if (!msg) return;
  if (EndsTheTooltip(msg->message)) {
    Pop();
    return;
  }
  if (msg->message != WM_MOUSEMOVE) return;
  const CPoint point = msg->pt;
  if (point == lastPoint_) return;
  if (!(defaultStyles_ & kPPToolTipStyleShowInactive) && !::GetActiveWindow()) return;
  if (!parent_ || !::IsWindow(parent_->m_hWnd)) return;
  lastPoint_ = point;
  CPoint client = point;
  parent_->ScreenToClient(&client);
  const int tool = FindToolAtPoint(client);
  if (tool < 0) {
    if (!(IsCursorOverTooltip() && (shown_.behaviour & kPPToolTipBehaviourStayUnderCursor))) {
      Pop();
      pendingTool_ = -1;
      shownTool_ = -1;
    }
    return;
  }
  if (tool != shownTool_) {
    // Another tool: after the wait, or at once while one is up already.
    ShowTooltip(tool, IsVisibleNow() ? FALSE : TRUE);
    return;
  }
  if (IsVisibleNow() && (shown_.behaviour & kPPToolTipBehaviourStayUnderCursor)) return;
  if (shown_.behaviour & kPPToolTipBehaviourRestartOnMove) ShowTooltip(tool, TRUE);
}

void CPPToolTip::ShowTooltip(int tool, BOOL withDelay) {
  shownTool_ = -1;
  Pop();
  if (!IsExistTool(tool) || !::IsWindow(m_hWnd)) return;
  shown_ = tools_[static_cast<size_t>(tool)];
  pendingTool_ = tool;
  if (withDelay) {
    SetTimer(kPPToolTipShowTimer, initialDelay_);
  } else {
    OnShowTimer();
  }
}

void CPPToolTip::Pop() {
  if (!::IsWindow(m_hWnd)) return;
  KillTimer(kPPToolTipShowTimer);
  KillTimer(kPPToolTipAutoPopTimer);
  ShowWindow(SW_HIDE);
}

void CPPToolTip::OnTimer(UINT_PTR id) {
  if (id == kPPToolTipShowTimer) {
    OnShowTimer();
    return;
  }
  if (id == kPPToolTipAutoPopTimer) {
    if (IsCursorOverTooltip() && IsVisibleNow() && (shown_.behaviour & kPPToolTipBehaviourNoPopUnderCursor)) return;
    Pop();
    return;
  }
  CWnd::OnTimer(id);
}

void CPPToolTip::OnShowTimer() {
  Pop();
  if (pendingTool_ < 0 || !parent_ || !::IsWindow(parent_->m_hWnd)) return;
  // Only where the pointer still rests on the tool it came to.
  POINT cursor;
  ::GetCursorPos(&cursor);
  CPoint client = cursor;
  parent_->ScreenToClient(&client);
  if (FindToolAtPoint(client) != pendingTool_ || CPoint(cursor) != lastPoint_) return;
  PrepareAndShow(cursor);
  if (autoPopDelay_ != 0 && !(shown_.behaviour & kPPToolTipBehaviourNoAutoPop)) {
    SetTimer(kPPToolTipAutoPopTimer, autoPopDelay_);
  }
}

// --- Markup --------------------------------------------------------------------

PPToolTipMarkupSettings CPPToolTip::MarkupSettings() {
  PPToolTipMarkupSettings settings;
  settings.font = defaultFont_;
  settings.colors = colors_;
  settings.names = &names_;
  settings.images = &imageList_;
  return settings;
}

CSize CPPToolTip::DrawMarkup(CDC* dc, const std::string& text, const CRect& rect, BOOL measure) {
  if (!dc) return CSize(0, 0);
  PPToolTipDcCanvas canvas(*dc);
  return markup_.Run(canvas, MarkupSettings(), text, rect, measure != FALSE);
}

CSize CPPToolTip::MeasureText(const std::string& text) {
  CRect client(0, 0, 0, 0);
  if (::IsWindow(m_hWnd)) GetClientRect(&client);
  CDC memory;
  memory.CreateCompatibleDC(nullptr);
  CBitmap canvas;
  canvas.CreateCompatibleBitmap(&memory, std::max<LONG>(client.Width(), 1), std::max<LONG>(client.Height(), 1));
  CBitmap* old = memory.SelectObject(&canvas);
  const CSize size = DrawMarkup(&memory, text, client, TRUE);
  memory.SelectObject(old);
  return size;
}
