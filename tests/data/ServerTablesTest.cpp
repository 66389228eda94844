// The server address table (IPConfig.CSV) and the service settings
// (kivdesk.ini [Servers]).
#include <gtest/gtest.h>

#include "data/IpConfigTable.h"
#include "data/ServerConfig.h"
#include "tests/support/TestSupport.h"

namespace {

TEST(IpConfigTableTest, SplitsAddressesAndLabels) {
  CIpConfigTable table;
  table.LoadText(
      "Data1Ip,10.0.0.1:6200&上海电信一\n"
      "Data2Ip,10.0.0.2&上海联通二\r\n"
      "DJGIp,127.0.0.1:8080&董监高\n"
      "HourBSIp,h.example:81&小时\n"
      "F10Ip\n"
      "Minute1BSIp,m.example,ignored,fields\n"
      "OptionIp,\n");
  ServerAddressList data, djg;
  table.GetDataServerList(data);
  table.GetDJGList(djg);
  ASSERT_EQ(data.size(), 2u);
  EXPECT_EQ(data[0], std::make_pair(std::string("10.0.0.1:6200"), std::string("上海电信一")));
  EXPECT_EQ(data[1], std::make_pair(std::string("10.0.0.2"), std::string("上海联通二")));
  ASSERT_EQ(djg.size(), 1u);
  EXPECT_EQ(djg[0].first, "127.0.0.1:8080");

  std::string out = "unchanged";
  table.GetHourBSIp(out);
  EXPECT_EQ(out, "h.example:81");
  table.GetMinute1BSIp(out);
  EXPECT_EQ(out, "m.example");  // no "&": the whole value
  out = "unchanged";
  table.GetF10Ip(out);  // a line without a comma is ignored
  EXPECT_EQ(out, "unchanged");
  table.GetOptionIp(out);  // empty value
  EXPECT_EQ(out, "unchanged");
}

TEST(IpConfigTableTest, PairsNeedNineBytesAndBothSides) {
  struct Case {
    std::string value;
    bool pair;
  };
  const Case cases[] = {
      {"1.2.3.4&a", true},  {"1.2.3&ab", false},  // 8 bytes
      {"&abcdefgh", false}, {"abcdefgh&", false}, {"abcdefghi", false},
  };
  for (const Case& c : cases) {
    CIpConfigTable table;
    table.LoadText("Data1Ip," + c.value + "\n");
    ServerAddressList list;
    table.GetDataServerList(list);
    EXPECT_EQ(list.size(), c.pair ? 1u : 0u) << c.value;
  }
}

TEST(IpConfigTableTest, GettersNeverAddKeysAndLaterLinesWin) {
  kiv::test::ScratchFolder folder;
  CIpConfigTable table;
  table.Load(folder.File("missing.csv"));
  ServerAddressList list;
  table.GetDataServerList(list);
  EXPECT_TRUE(list.empty());
  std::string out = "kept";
  table.GetF10Ip(out);
  EXPECT_EQ(out, "kept");
  EXPECT_EQ(table.Get("F10Ip"), "");

  kiv::test::WriteFileBytes(folder.File("IPConfig.CSV"), "F10Ip,a&x\nF10Ip,b&y\nOther,1\n");
  table.Load(folder.File("IPConfig.CSV"));
  table.GetF10Ip(out);
  EXPECT_EQ(out, "b");
  kiv::test::WriteFileBytes(folder.File("IPConfig.CSV"), "HourBSIp,h\n");
  table.Load(folder.File("IPConfig.CSV"));  // entries the file does not name stay
  EXPECT_EQ(table.Get("Other"), "1");
  EXPECT_EQ(table.Get("HourBSIp"), "h");
}

TEST(ServerConfigTest, DefaultsAndOverrides) {
  kiv::test::ScratchFolder folder;
  ServerConfig defaults = ReadServerConfig(folder.path().string());
  EXPECT_EQ(defaults.marketPort, 6200);
  EXPECT_EQ(defaults.blockPort, 5150);
  EXPECT_EQ(defaults.listPort, 916);
  EXPECT_EQ(defaults.httpPort, 80);
  EXPECT_EQ(defaults.ServerListUrl(), "http://127.0.0.1:916/get&2326&33&");
  EXPECT_EQ(defaults.HttpAuthority("web.example"), "web.example");

  kiv::test::WriteFileBytes(folder.File("kivdesk.ini"),
                            "[Servers]\r\nMarketPort=16200\r\nBlockPort=99999\r\nListHost=list.example\r\n"
                            "ListPort=10916\r\nHttpPort=18080\r\nWebHost=web.example\r\n"
                            "AccountApiHost=api.example:81\r\n");
  const ServerConfig c = ReadServerConfig(folder.path().string());
  EXPECT_EQ(c.marketPort, 16200);
  EXPECT_EQ(c.blockPort, 5150);  // out of range: default
  EXPECT_EQ(c.ServerListUrl(), "http://list.example:10916/get&2326&33&");
  EXPECT_EQ(c.HttpAuthority(c.webHost), "web.example:18080");
  EXPECT_EQ(c.HttpAuthority(c.accountApiHost), "api.example:81");
  EXPECT_EQ(c.HttpAuthority("[::1]"), "[::1]:18080");
  EXPECT_EQ(c.accountRootHost, "127.0.0.1");

  const ServerConfig saved = GetServerConfig();
  SetServerConfig(c);
  EXPECT_EQ(GetServerConfig().listHost, "list.example");
  SetServerConfig(saved);
}

}  // namespace
