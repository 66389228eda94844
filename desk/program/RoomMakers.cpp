#include "desk/program/RoomMakers.h"

#include <memory>

#include "chart/dialogs/ChartMenuDialogMaker.h"
#include "chart/view/KivDesk_Wnd_KLine.h"

void RegisterRoomMakers(ShellPlugins& plugins, kiv::KivGlobalObjects& globals) {
  // The chart menu's dialogs, made for every chart of the program; kept for
  // the program's life, as the charts that use it are.
  static std::unique_ptr<kiv::ChartMenuDialogMaker> chartDialogs;
  chartDialogs = std::make_unique<kiv::ChartMenuDialogMaker>(globals.Net());

  plugins.stockView = [&globals](const std::vector<UINT>& resources) -> std::unique_ptr<DeskStockView> {
    StockViewServices services;
    services.chart.net = &globals.Net();
    services.chart.stocks = &globals.Stocks();
    services.chart.hosts = &globals.IpTable();
    services.config = &globals.Config();
    services.dialogs = chartDialogs.get();
    // The panes beside the chart come with their rooms; until then their
    // places stay empty.
    services.panes = nullptr;
    return std::make_unique<CKivDesk_Wnd_KLine>(resources, services);
  };
}
