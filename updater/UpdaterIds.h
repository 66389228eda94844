// The ids and texts of KivUpdate's room, each named once: the resources its
// table holds (res/UpdaterResources.cpp registers them under these ids),
// its window's controls and timer, the messages the update worker posts to
// the window, and the texts the update run shows.
#pragma once

#include "platform/core/WinUser.h"

namespace kiv {

// Resources, in the updater's table.
constexpr UINT kIddKivUpdate = 102;        // dialog template of CKivUpdateDlg
constexpr UINT kIdcUpdateStatus = 1001;    // the status line
constexpr UINT kIdcUpdateFileBar = 1000;   // progress controls of the template: made hidden, never shown
constexpr UINT kIdcUpdateTotalBar = 1004;
constexpr UINT kIdbUpdateTitle = 139;      // title strip, 480 x 22
constexpr UINT kIdbUpdateClose = 133;      // close box, 20 x 22
constexpr UINT kIdbUpdateBarFull = 130;    // filled bar, 344 x 30
constexpr UINT kIdbUpdateBarEmpty = 131;   // empty bar, 344 x 30
constexpr UINT kIdiKivUpdate = 128;
constexpr UINT kIdsUpdateAbout = 101;      // string: the system menu's About item (none: no item)
constexpr UINT kIddUpdateAbout = 100;      // the About dialog of the system menu
constexpr UINT kIdmUpdateAbout = 0x10;     // its system-menu command

// Timers (per window).
constexpr UINT_PTR kUpdateStartTimer = 1;
constexpr UINT kUpdateFirstTryMs = 500;  // from creation to the first try of the lock
constexpr UINT kUpdateRetryMs = 1000;    // between tries while another updater holds it

// Messages the worker posts to the window.
// wParam a heap std::string (the status line, GBK); the window adopts it.
constexpr UINT WM_KIV_UPDATE_STATUS = WM_USER + 0x0A01;
// wParam which bar (kUpdateFileBarIndex, kUpdateTotalBarIndex), lParam its filled width in pixels.
constexpr UINT WM_KIV_UPDATE_BAR = WM_USER + 0x0A02;
constexpr WPARAM kUpdateFileBarIndex = 0;
constexpr WPARAM kUpdateTotalBarIndex = 1;
// wParam TRUE to show the window, FALSE to hide it.
constexpr UINT WM_KIV_UPDATE_SHOW = WM_USER + 0x0A03;
// The run has ended: the window closes, which ends the program.
constexpr UINT WM_KIV_UPDATE_DONE = WM_USER + 0x0A04;

// Window layout in client pixels.
constexpr int kUpdateBarLeft = 50;
constexpr int kUpdateFileBarTop = 100;
constexpr int kUpdateTotalBarTop = 160;
constexpr int kUpdateBarWidth = 344;
constexpr int kUpdateTotalLabelLeft = 55;
constexpr int kUpdateTotalLabelTop = 140;
constexpr COLORREF kUpdateBackground = 0xCCCCCC;

// Countdowns of the run's notices and of the close prompt, in seconds.
constexpr int kUpdateNoticeSeconds = 10;
constexpr int kUpdateClosePromptSeconds = 30;

// Texts (GBK at run time).
constexpr char kUpdateWindowText[] = "自动升级";
constexpr char kUpdateTotalLabel[] = "总进度";
constexpr char kUpdateDefaultCName[] = "远澜自动升级";
constexpr char kUpdatePromptCaption[] = "翠溪证券投顾资讯";
constexpr char kUpdateMandatoryPrompt[] = "检查到有软件更新，立即更新...";
constexpr char kUpdateOptionalPrompt[] = "检查到软件需要更新，是否立即更新？";
constexpr char kUpdateBadConfigNotice[] = "\n重要文件损坏，请重新安装软件！";
constexpr char kUpdateListDownloadFailed[] = "配置文件下载失败！";
constexpr char kUpdateListBad[] = "配置文件错误！";
constexpr char kUpdateUpToDate[] = "当前版本已是最新。";
constexpr char kUpdateProgressText[] = "正在更新...";
constexpr char kUpdateFailedStatus[] = "更新失败!";
constexpr char kUpdateDoneStatus[] = "更新完成。";
constexpr char kUpdateDoneNotice[] = "\n已更新至最新版本。";
constexpr char kUpdateFetchingProgram[] = "下载文件 ";
// The notice for a file that could not be fetched: "\n文件 \"<name>\" 下载失败！".
constexpr char kUpdateFileFailedHead[] = "\n文件 \"";
constexpr char kUpdateFileFailedTail[] = "\" 下载失败！";
// When the fetched files could not all be put in place: the moves that are
// left are finished by the next start.
constexpr char kUpdateMovesFailedNotice[] = "\n文件替换失败，下次启动时将继续更新。";
// When the running program could not be ended: "\n无法关闭 \"<CName>\"，本次更新已取消。"
constexpr char kUpdateStillRunningHead[] = "\n无法关闭 \"";
constexpr char kUpdateStillRunningTail[] = "\"，本次更新已取消。";

}  // namespace kiv
