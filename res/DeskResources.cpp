// The terminal's (RYKIVDesk's) resources: every skin bitmap by id with its
// size, the icons, the hand cursor and the strings. Sizes the windows depend
// on are fixed here: the title tile 217 (1 x 22), the title picture 323
// (35 x 22), the close pair 220/221 (19 x 22), the grid arrows 247-250
// (10 x 11 up and down, 11 x 10 left and right), the pane close pair 166/167
// (20 x 24) and the signal marks 311 (12 x 28) and 302 (26 x 15).
//
// Sizes the main window's layout follows from:
//   - the page buttons are 110 x 40: the button column is as wide as they
//     are and also holds the server strip (its 16-px icon at x 10, the label
//     at icon width + 20) and the head photo 327 (110 x 88), which fills the
//     gap of tab height (24) + 65 between the title and the first button;
//   - the title bar is as high as 147 (30); its background column 151 is
//     painted as high as the logo 330 plus one row, so the logo is 29 high,
//     as are the caption buttons (bar height less its bottom row); the logo
//     is 190 wide so that the compact 300-px window keeps its exit, to-tray
//     and maximise buttons clear of it (5 + 28 + 28 + 10 + 28 from the right).
#include "chart/engine/ChartIds.h"
#include "chart/indicators/IndicatorIds.h"
#include "chart/view/StockViewIds.h"
#include "platform/ui/DialogTemplate.h"
#include "platform/ui/ListBox.h"
#include "platform/ui/UiTypes.h"
#include "res/AccountTemplates.h"
#include "res/IntervalTemplate.h"
#include "res/MASettingsTemplates.h"
#include "res/ResourceTables.h"
#include "res/SkinRecipes.h"
#include "res/SkinTable.h"
#include "shell/ChromeIds.h"
#include "shell/ShellIds.h"
#include "shell/desk/DeskIds.h"
#include "shell/notice/NoticeIds.h"
#include "shell/notice/UpWarnTemplate.h"

namespace kiv {
namespace res {

namespace {

using namespace recipes;  // NOLINT: the recipe vocabulary
using namespace skin;     // NOLINT: colour names

constexpr int kPageButtonW = 110;
constexpr int kPageButtonH = 40;
constexpr int kTitleH = 30;
constexpr int kLogoW = 190;
constexpr int kTabH = 24;

void AddPair(SkinTable* t, UINT normal, UINT active, int w, int h, const std::string& caption,
             Glyph glyph = Glyph::kNone) {
  t->AddBitmap(normal, Button(w, h, false, caption, glyph));
  t->AddBitmap(active, Button(w, h, true, caption, glyph));
}

void AddBarPair(SkinTable* t, UINT normal, UINT active, int w, int h, Glyph glyph,
                const std::string& caption = std::string()) {
  t->AddBitmap(normal, BarButton(w, h, false, glyph, caption));
  t->AddBitmap(active, BarButton(w, h, true, glyph, caption));
}

// A tab skin: normal, selected and separator bitmaps (the strip stretches
// the first column of the first two).
void AddTabSkin(SkinTable* t, UINT normal, UINT selected, UINT separator, int h, COLORREF lit) {
  t->AddBitmap(normal, Band(4, h, kBandTop, kBandBottom));
  t->AddBitmap(selected, BitmapRecipe{4, h, [=](SkinPainter& p) {
    p.Gradient(0, 0, 4, h, lit, kPanel);
    p.Fill(0, 0, 4, 2, kAccent);
  }});
  t->AddBitmap(separator, Separator(2, h));
}

// The phone reminder's picture left of its text (x below 95) and the rule
// above its buttons.
void DrawPhoneReminderArt(SkinPainter& p) {
  int w = p.Width(), h = p.Height();
  p.RoundBox(34, 60, 38, 66, 6, 0x505050, 0x2A2A2A, 0x1A1A1A);
  p.Gradient(38, 70, 30, 44, 0xF0C050, 0xB07010);
  p.Fill(47, 64, 12, 2, 0x909090);
  p.RoundBox(49, 117, 8, 6, 3, 0x707070, 0x505050, 0x909090);
  // A warning badge on the phone's corner.
  p.RoundBox(60, 54, 18, 18, 9, 0x2020F0, 0x0000B0, 0xFFFFFF);
  p.Caption("!", RECT{60, 54, 78, 72}, RGB(255, 255, 255), 13, "黑体", true);
  p.Fill(16, h - 62, w - 32, 1, 0xAAAAAA);
}

// The main window's chrome: the About box, the monitor window, the alert
// pop-up and the mask. Each draws itself or is resized by its window, so the
// templates hold styles and a starting size only (dialog units of 9-point
// 宋体, about 1.5 pixels each way).
void AddChromeTemplates(SkinTable* t) {
  ui::DialogTemplate about;
  about.style = WS_POPUP | WS_VISIBLE | DS_CENTER;
  about.rect = CRect(0, 0, 240, 140);
  about.caption = "关于翠溪";
  t->AddDialogTemplate(kIddAbout, about);

  ui::DialogTemplate monitor;  // created hidden; the main window shows it
  monitor.style = WS_POPUP | WS_CLIPCHILDREN;
  monitor.exStyle = WS_EX_TOOLWINDOW;
  monitor.rect = CRect(0, 0, 180, 240);
  monitor.caption = "监视窗口";
  t->AddDialogTemplate(kIddMonitor, monitor);

  ui::DialogTemplate alert;  // top-most, shown by its owner without taking the keyboard
  alert.style = WS_POPUP | WS_CLIPCHILDREN;
  alert.exStyle = WS_EX_TOOLWINDOW | WS_EX_TOPMOST;
  alert.rect = CRect(0, 0, 146, 80);
  alert.caption = "翠溪证券提醒";
  t->AddDialogTemplate(kIddAlert, alert);

  ui::DialogTemplate mask;  // hidden until used; spreads over the screen
  mask.style = WS_POPUP;
  mask.rect = CRect(0, 0, 100, 100);
  t->AddDialogTemplate(kIddMask, mask);
}

// The main window: a borderless panel with a system menu; it sizes and
// places itself (300 x 250 pixels, or the work area) when it opens.
void AddMainDialogTemplate(SkinTable* t) {
  ui::DialogTemplate main;
  main.style = WS_POPUP | WS_VISIBLE | WS_SYSMENU | WS_MINIMIZEBOX | WS_CLIPCHILDREN;
  main.rect = CRect(0, 0, 200, 166);
  main.caption = kMainWindowText;
  t->AddDialogTemplate(kIddMainDialog, main);
}

// The keyboard stock search pop-up: the edit line over the list. The dialog
// places and sizes both itself, in pixels, when it opens.
void AddStockInputTemplate(SkinTable* t) {
  ui::DialogTemplate input;
  input.style = WS_POPUP;
  input.rect = CRect(0, 0, 100, 120);
  ui::DialogItem edit;
  edit.id = kIdcStockInputEdit;
  edit.className = "EDIT";
  edit.style = WS_VISIBLE | WS_TABSTOP | ES_AUTOHSCROLL;
  edit.rect = CRect(0, 0, 100, 14);
  input.items.push_back(edit);
  ui::DialogItem list;
  list.id = kIdcStockInputList;
  list.className = "LISTBOX";
  list.style = WS_VISIBLE | WS_TABSTOP | LBS_NOTIFY | LBS_NOINTEGRALHEIGHT;
  list.rect = CRect(0, 14, 100, 120);
  input.items.push_back(list);
  t->AddDialogTemplate(kIddStockInput, input);
}

SkinTable* BuildDesk() {
  auto* t = new SkinTable();

  // Page buttons of the maximised main window (caption in the picture).
  struct Page { UINT normal, active; const char* caption; };
  const Page pages[] = {{136, 144, "我的股票"}, {319, 320, "推荐"},   {131, 139, "盯盘"},
                        {130, 146, "主力动向"}, {133, 141, "价值排行"}, {135, 143, "热点板块"},
                        {238, 239, "市场风险"}, {134, 142, "排行榜"},  {297, 296, "机器人"}};
  for (const Page& page : pages) {
    t->AddBitmap(page.normal, PageButton(kPageButtonW, kPageButtonH, false, page.caption));
    t->AddBitmap(page.active, PageButton(kPageButtonW, kPageButtonH, true, page.caption));
  }

  // Title bar: height measure, background column, logo, measure picture,
  // caption buttons and the four text buttons.
  t->AddBitmap(147, Band(1, kTitleH, kBandTop, kBandBottom));
  t->AddBitmap(151, Band(1, kTitleH, kBandTop, kBandBottom));
  t->AddBitmap(330, Logo(kLogoW, kTitleH - 1, "翠溪证券投顾咨询"));
  t->AddBitmap(245, Band(160, kTitleH, kBandTop, kBandBottom));
  AddBarPair(t, 152, 153, 28, kTitleH - 1, Glyph::kClose);
  AddBarPair(t, 232, 233, 28, kTitleH - 1, Glyph::kMaximise);
  AddBarPair(t, 234, 235, 28, kTitleH - 1, Glyph::kRestore);
  AddBarPair(t, 156, 157, 28, kTitleH - 1, Glyph::kMinimise);
  AddBarPair(t, 333, 332, 64, kTitleH - 1, Glyph::kNone, "修改密码");
  AddBarPair(t, 344, 343, 64, kTitleH - 1, Glyph::kNone, "风险揭示");
  AddBarPair(t, 336, 337, 64, kTitleH - 1, Glyph::kNone, "使用手册");
  AddBarPair(t, 345, 346, 64, kTitleH - 1, Glyph::kNone, "操作指南");

  // Tab skins: main strip, panels, analysis panes, indicator panes.
  AddTabSkin(t, 165, 163, 164, kTabH, 0x303030);
  AddTabSkin(t, 161, 160, 162, 22, 0x2C2C2C);
  AddTabSkin(t, 229, 228, 230, 22, 0x2C2C2C);
  // The indicator pane's strip: one face for every item (the selected one
  // differs by its caption colour) and its separator.
  t->AddBitmap(kIdbIndexTabFace, Band(4, kIndexTabHeight, kBandTop, kBandBottom));
  t->AddBitmap(kIdbIndexTabSeparator, Separator(2, kIndexTabHeight));
  // The stock view's caption buttons (复权, +自选股, 投顾): 65 x 24 faces that
  // the buttons write their captions on, in their slots of the tab row.
  AddPair(t, 215, 214, 65, kTabH, "");
  t->AddBitmap(575, Picture(250, 44, "综合选股", kAccent));

  // Dialog title bands and their buttons.
  t->AddBitmap(217, Band(1, 22, kBandTop, kBandBottom));
  t->AddBitmap(323, Logo(35, 22, ""));
  AddBarPair(t, 220, 221, 19, 22, Glyph::kClose);
  AddBarPair(t, 166, 167, 20, 24, Glyph::kClose);
  t->AddBitmap(255, Button(70, 24, false, "确定"));
  t->AddBitmap(256, Button(70, 24, false, "取消"));
  t->AddBitmap(274, Button(80, 24, false, "导出Word"));
  t->AddBitmap(275, Button(80, 24, false, "导出报告"));
  t->AddBitmap(325, Dialog(600, 36, 36, "", false));
  t->AddBitmap(326, Dialog(1000, 36, 36, "", false));

  // Chart: caption buttons, enlarge / restore / toggle, signal marks.
  // The mark buttons (短线机会, 中线机会), in the same 65-pixel slots.
  AddPair(t, kIdbViewMarkButton, kIdbViewMarkButtonActive, 65, kTabH, "");
  AddBarPair(t, kIdbViewEnlarge, kIdbViewEnlargeActive, 20, 20, Glyph::kEnlarge);
  AddBarPair(t, kIdbViewRestore, kIdbViewRestoreActive, 20, 20, Glyph::kShrink);
  AddBarPair(t, kIdbViewHoldingToggle, kIdbViewHoldingToggleActive, 20, 20, Glyph::kDown);
  t->AddBitmap(IDB_SIGNAL_MARK, Marks(12, 28, true));
  t->AddBitmap(IDB_SIGNAL_MARK_PENDING, Marks(26, 15, false));

  // Grid scroll arrows.
  t->AddBitmap(250, Arrow(10, 11, Glyph::kUp));
  t->AddBitmap(247, Arrow(10, 11, Glyph::kDown));
  t->AddBitmap(248, Arrow(11, 10, Glyph::kLeft));
  t->AddBitmap(249, Arrow(11, 10, Glyph::kRight));

  // Panels: formula pictures, investment bands, strips and bars.
  t->AddBitmap(259, Picture(250, 44, "公式选股", kAccent));
  t->AddBitmap(261, Picture(250, 44, "条件选股", kRise));
  t->AddBitmap(260, Picture(250, 44, "公式管理", kFall));
  t->AddBitmap(291, Picture(250, 30, "市场热度", kRise));
  t->AddBitmap(289, Picture(250, 30, "资金流向", kAccent));
  t->AddBitmap(290, Picture(250, 30, "风险提示", kFall));
  t->AddBitmap(309, Band(400, 24, 0x2A2A2A, 0x141414));
  t->AddBitmap(310, ProgressBar(100, 12, true));
  t->AddBitmap(246, SignalIcon(16, 16));
  t->AddBitmap(327, HeadPhoto(kPageButtonW, 88, "翠溪证券"));

  // Login dialog.
  // 400 high: the boxes sit at half the height, the busy bar 80 above the
  // bottom, with the check boxes and the login button between.
  t->AddBitmap(205, Dialog(270, 400, 30, "翠溪证券", false));
  t->AddBitmap(206, Band(270, 10, kPanel, kWindow));
  t->AddBitmap(207, Band(10, 400, kPanel, kWindow));
  t->AddBitmap(189, Button(96, 32, false, "登  录"));
  AddBarPair(t, 191, 190, 24, 24, Glyph::kClose);
  t->AddBitmap(203, Band(8, 24, 0x101010, 0x181818));
  t->AddBitmap(208, CheckBox(13, false));
  t->AddBitmap(209, CheckBox(13, true));
  t->AddBitmap(210, Band(240, 2, kBorder, kWindow));
  t->AddBitmap(322, EditFrame(160, 26));
  t->AddBitmap(329, Picture(120, 60, "投顾咨询", kAccent));

  // Password, risk disclosure, phone binding and countdown dialogs.
  t->AddBitmap(334, Band(4, 40, kPanel, kWindow));
  t->AddBitmap(339, Button(90, 30, false, "同  意"));
  t->AddBitmap(338, Button(90, 30, false, "不同意"));
  // The phone reminder writes its lines from x 95 (the longest, 26
  // characters of 14 px, ends near x 460) down to y 190 on the light body,
  // and puts its buttons at (w - 220, h - 50) and (w - 200 + 90, h - 50).
  t->AddBitmap(306, Notice(480, 260, 24, "绑定手机", DrawPhoneReminderArt));
  t->AddBitmap(305, FlatButton(90, 30, true, "确  定"));
  t->AddBitmap(304, FlatButton(90, 30, false, "取  消"));
  t->AddBitmap(314, CountdownBackground());
  t->AddBitmap(315, CountdownButton(true));
  t->AddBitmap(316, CountdownButton(false));
  t->AddDialogTemplate(kIddUpWarn, UpWarnDialogTemplate());
  AddAccountTemplates(t);
  AddMASettingsTemplates(t);

  AddStockInputTemplate(t);
  AddMainDialogTemplate(t);
  AddIntervalTemplate(t);

  t->AddIcon(179, IconRecipe{0x10308A, RGB(255, 255, 255), "溪"});
  t->AddIcon(120, IconRecipe{0x10308A, RGB(255, 255, 255), "溪"});
  t->AddIcon(201, IconRecipe{0x202020, kRise, "荐"});
  t->AddIcon(202, IconRecipe{0x202020, kFall, "选"});
  t->AddIcon(kIdiViewTip, IconRecipe{0x202020, kAccent, "i"});
  t->AddString(kIdsAbout, "关于 RYKIVDesk(&A)...");
  AddChromeTemplates(t);
  return t;
}

}  // namespace

const gdi::ResourceTable& DeskResources() {
  static const SkinTable* table = BuildDesk();
  return *table;
}

void UseDeskResources() { gdi::SetResourceTable(&DeskResources()); }

std::vector<UINT> DeskBitmapIds() { return static_cast<const SkinTable&>(DeskResources()).BitmapIds(); }

std::vector<UINT> DeskIconIds() { return static_cast<const SkinTable&>(DeskResources()).IconIds(); }

}  // namespace res
}  // namespace kiv
