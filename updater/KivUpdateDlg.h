// CKivUpdateDlg: KivUpdate's progress window, a modeless dialog made from
// template 102. It stays hidden until an update needs the user, then shows
// the title strip, its close box, the status line (control 1001), the bar of
// the current file and the bar of the whole run with its label "总进度".
//
// Half a second after it is created it tries the updater's lock
// (UpdaterLock.h), every second while another updater holds it; once held,
// it starts the update run (UpdateRun.h) on a worker thread. The worker
// reports through an UpdateWindowHost: it posts the status text, the bar
// widths and the window's visibility, which the window keeps and paints
// from (a repaint keeps the bars), and has the window show its prompts on
// its behalf. When the run ends the worker posts WM_KIV_UPDATE_DONE and the
// window closes.
//
// A click in the close box ends the window at once, also during a run (the
// journal of the moves makes that safe: the next start finishes them); a
// press anywhere else drags it. The system menu holds an About item.
//
// Ownership: the owner makes it on the UI thread with
// Create(kIddKivUpdate) and calls DestroyWindow before deleting it; the
// window destroys itself when the run ends or the close box is clicked.
// The worker holds the window's handle only, and the engine, which it owns.
// Threads: UI thread only, apart from what the worker posts.
#pragma once

#include <atomic>
#include <memory>
#include <string>
#include <thread>

#include "platform/gdi/Bitmap.h"
#include "platform/gdi/GdiObject.h"
#include "platform/ui/Dialog.h"
#include "updater/KivUpdater.h"
#include "updater/UpdateHost.h"
#include "updater/UpdaterLock.h"

class CKivUpdateDlg : public CDialogEx {
 public:
  explicit CKivUpdateDlg(kiv::UpdaterOptions options, CWnd* parent = nullptr);
  ~CKivUpdateDlg() override;

  // Prompts answered without showing them (tests, a scripted start); set
  // before Create.
  void SetPromptAnswerer(kiv::UpdatePromptAnswerer answerer) { answerer_ = std::move(answerer); }
  // The program's window: its destruction ends the message loop.
  void SetQuitOnDestroy(bool quit) { quitOnDestroy_ = quit; }

  // What the window shows now (UI thread).
  int FileBarWidth() const { return fileBar_; }
  int TotalBarWidth() const { return totalBar_; }
  std::string StatusText() const;
  // The update run's worker: started; its run reported done (the window
  // then closes); its thread ended.
  bool RunStarted() const { return worker_.joinable(); }
  bool RunFinished() const { return runFinished_; }
  bool RunEnded() const { return RunStarted() && workerEnded_->load(); }
  // Waits at most ms for the worker to end and joins its thread; true when
  // it has ended (or was never started).
  bool WaitForRunEnd(DWORD ms);

  BOOL OnInitDialog() override;

 protected:
  void OnPaint() override;
  BOOL OnEraseBkgnd(CDC* dc) override;
  HBRUSH OnCtlColor(CDC* dc, CWnd* wnd, UINT ctlColor) override;
  void OnTimer(UINT_PTR id) override;
  void OnLButtonDown(UINT flags, CPoint point) override;
  void OnSysCommand(UINT id, LPARAM lParam) override;
  void OnOK() override;
  void OnCancel() override;
  void OnClose() override;
  void OnDestroy() override;
  LRESULT OnMessage(UINT msg, WPARAM wParam, LPARAM lParam) override;

 private:
  void StartRun();
  void DrawBar(CDC& dc, int top, int filledWidth);
  CRect CloseBox() const;

  kiv::UpdaterOptions options_;
  kiv::UpdatePromptAnswerer answerer_;
  bool quitOnDestroy_ = false;
  kiv::UpdaterLock lock_;
  // The worker is joined, not left to end on its own: the libraries it
  // fetches with keep state per thread that is freed only once the thread
  // has wholly ended, which a process may not overtake at its exit.
  std::thread worker_;
  std::shared_ptr<std::atomic<bool>> workerEnded_ = std::make_shared<std::atomic<bool>>(false);
  bool runFinished_ = false;

  // What the worker reported; UI thread only.
  int fileBar_ = 0;
  int totalBar_ = 0;

  CBitmap title_;
  CBitmap closeBox_;
  CBitmap barFull_;
  CBitmap barEmpty_;
  CSize closeSize_;
  CSize barSize_;
  CFont font_;
  CBrush staticBrush_;
  HICON icon_ = nullptr;
};
