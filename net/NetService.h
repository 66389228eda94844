// CNetService: the program's one market-data network service. It owns the
// Asio io_context, the single I/O thread that runs it, and the connection
// manager. Every reply handler, timer and socket completion of the link runs
// on that one thread, so handlers never run concurrently with each other.
//
// The typed request senders are members of this class (one per DataType
// family); each fixes the payload of its request: which fields, in which
// order, of which type. They may be called from any thread and return the
// manager's verdict: true when the request was sent or queued, false when it
// was refused (stopped, duplicate) and its handler will never run.
//
// Lifecycle: built (I/O thread running, no connection) -> AddServer
// (the first server is connected at once) -> StopConnection (no more sends,
// replies or reconnections) -> destruction: the I/O thread is stopped and
// joined first, then every queued and in-flight request is dropped without
// its handler being called.
#pragma once

#include <cstdint>
#include <list>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include <boost/asio/executor_work_guard.hpp>
#include <boost/asio/io_context.hpp>

#include "net/ConnectionManager.h"
#include "net/KivNetPack.h"
#include "net/NetTimings.h"
#include "net/StockId.h"

// The market-data servers' TCP port in the configuration.
constexpr uint16_t kMarketDataPort = 6200;

class CNetService {
 public:
  explicit CNetService(const NetTimings& timings = NetTimings());
  ~CNetService();
  CNetService(const CNetService&) = delete;
  CNetService& operator=(const CNetService&) = delete;

  // Ignored (false) when host is empty or port is outside 1..65535; else
  // handed to the connection manager, which refuses a host that is not a
  // numeric IPv4 address. The first server accepted is connected at once.
  bool AddServer(const std::string& host, int32_t port, const std::string& label);
  // No more sends, replies or reconnections.
  void StopConnection();
  // Stops the io_context and joins the I/O thread; safe to call twice.
  void Shutdown();

  CConnectionManager& Manager() { return manager_; }
  boost::asio::io_context& IoContext() { return io_; }

  // ---- request senders (payloads fixed here; see RequestSenders.cpp) ----
  bool RequestIndexQuotes(PacketHandler handler, std::list<StockId> ids);
  bool RequestStockTable(PacketHandler handler, std::vector<StockId> ids);
  bool RequestMarketOverview(PacketHandler handler);
  bool RequestStockAnalysis(PacketHandler handler, StockId stock);
  bool RequestTicks(PacketHandler handler, StockId stock);
  bool RequestStockIndustry(PacketHandler handler, StockId stock, int32_t first, int32_t count);
  bool RequestRobotIncome(PacketHandler handler, int32_t first, int32_t count, int32_t selector);
  bool RequestRobotData13(PacketHandler handler, int32_t first, int32_t count);
  bool RequestRobotPerInfo(PacketHandler handler, StockId stock, int32_t first, int32_t count, int32_t selector);
  bool RequestRobotHold(PacketHandler handler, StockId stock, int32_t first, int32_t count, int32_t selector);
  bool RequestShortEx(PacketHandler handler, StockId stock, int32_t first, int32_t count);
  bool RequestKLine(PacketHandler handler, uint32_t dataType, StockId stock, int32_t first, int32_t count);
  bool RequestOwnStocks(PacketHandler handler, int32_t first, int32_t count, const KivNetPack& rows);
  bool RequestPool(PacketHandler handler, uint32_t dataType, int32_t first, int32_t count, int32_t selector);
  bool RequestMarketRisk(PacketHandler handler);
  bool RequestKLineInfo(PacketHandler handler, StockId stock);
  bool RequestStockMarketInfo(PacketHandler handler, StockId stock);
  bool RequestZhuli(PacketHandler handler, int32_t first, int32_t count, int32_t selector);
  bool RequestValue(PacketHandler handler, int32_t first, int32_t count, int32_t selector);
  // Only the low 32 bits of dataType are used.
  bool RequestValueByType(PacketHandler handler, int64_t dataType, int32_t first, int32_t count, int32_t selector);
  bool RequestNetFlow(PacketHandler handler, StockId stock);
  bool RequestIncomeRate(PacketHandler handler, int32_t first, int32_t count, int32_t selector);
  bool RequestQuote(PacketHandler handler, StockId stock);
  bool RequestShortFairy(PacketHandler handler, int32_t first, int32_t count, int32_t selector, StockId stock);
  bool RequestShortExList(PacketHandler handler, int32_t first, int32_t count);
  bool RequestRise(PacketHandler handler, int32_t selector);
  bool RequestGenre(PacketHandler handler, int32_t first, int32_t count, int32_t selector);
  bool RequestKLineRobot(PacketHandler handler, int32_t first, int32_t count, int32_t selector, StockId stock);
  bool RequestBigVolume(PacketHandler handler, StockId stock);
  bool RequestGXD(PacketHandler handler, int32_t first, int32_t count, int32_t selector, StockId stock);
  bool RequestBS20(PacketHandler handler, int32_t first, int32_t count, int32_t selector, StockId stock);
  bool SendUserId(PacketHandler handler, int32_t userId);
  bool RequestRobotData53(PacketHandler handler);
  bool RequestJiePan(PacketHandler handler, StockId stock);
  bool RequestFinance(PacketHandler handler, int32_t first, int32_t count, int32_t selector, StockId stock);

  // Every server-pushed message goes to a copy of handler.
  void SetPushHandler(PacketHandler handler);
  // The display label of the server in use; empty without one.
  std::string GetServerAddress();

 private:
  // Every sender ends here: no-resend, argument 0.
  bool Submit(PacketHandler handler, const KivNetPack& payload, uint32_t dataType);

  boost::asio::io_context io_;
  std::vector<boost::asio::executor_work_guard<boost::asio::io_context::executor_type>> workGuards_;
  std::thread ioThread_;
  CConnectionManager manager_;
};
