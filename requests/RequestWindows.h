// What a data window offers the request procedures (RequestProcedures.h):
// its handle, its blocking socket, its reply handler and the few values a
// request is built from. The windows live in folders above this one, so the
// procedures see them only through these interfaces.
//
// A window binds its reply handler to its own liveness token
// (BindAlive(this, &X::OnPacket)), so a reply that arrives after the window
// is destroyed is dropped.
#pragma once

#include <cstdint>
#include <list>

#include "net/BlockingSocket.h"
#include "net/ConnectionManager.h"
#include "net/KivRWLock.h"
#include "net/StockId.h"
#include "platform/post/Posting.h"

namespace kiv {

// What every data window offers.
class RequestWindow {
 public:
  virtual ~RequestWindow() = default;
  virtual HWND WindowHandle() const = 0;
  virtual CKivBlockingSocket& BlockingSocket() = 0;
  // The window's reply handler, bound to the window's liveness token.
  virtual PacketHandler ReplyHandler() = 0;
};

// Panes and dialogs that show one stock.
class StockWindow : public virtual RequestWindow {
 public:
  virtual StockId CurrentStock() const = 0;
};

// Lists with one kind word: pool kind, return-rate mode, market selector,
// sector kind, or the list's data type.
class KindListWindow : public virtual RequestWindow {
 public:
  virtual int32_t ListKind() const = 0;
};

// The main-force list: direction (negative: outflow) and period 0..3.
class FlowListWindow : public virtual RequestWindow {
 public:
  virtual int16_t Direction() const = 0;
  virtual int16_t PeriodSelector() const = 0;
};

// The stock view, whose lock is held in read mode around its request.
class LockedStockWindow : public StockWindow {
 public:
  virtual CKivRWLock& ViewLock() = 0;
};

// The compact watch-list grid.
struct OwnStockRow {
  StockId stock = 0;
  int32_t date = 0;  // YYYYMMDD
};
class OwnStockGridWindow : public virtual RequestWindow {
 public:
  virtual CKivRWLock& GridLock() = 0;
  // Rows to send (watched stocks and index rows), read under GridLock.
  virtual int RowCount() const = 0;
  virtual const OwnStockRow* Rows() const = 0;
};

// The index ticker: its four index records in order.
class TickerWindow : public virtual RequestWindow {
 public:
  virtual std::list<StockId> IndexIds() const = 0;
};

}  // namespace kiv
