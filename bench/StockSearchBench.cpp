// One keystroke of the keyboard stock search over a whole market: 12,000
// securities whose names are made as the stand-in makes its share names
// (two to four characters from its name parts), for the typed texts "6",
// "60", "p", "pf", "pfyh" and a two-character name.
//
//   match:     every security tried (code, name, initials), by the lookup
//   sort:      the matches ordered by class and name length
//   fill:      their rows formatted and put in the pop-up's list, redraw off
//   keystroke: all of it as the pop-up does it when its text changes
//
// Anchors in the same run: a plain byte-substring scan of the same names,
// the match answering membership by searching the letter strings instead of
// the lookup, and a 16 ms frame. After the runs the ratios are printed.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "bench/RatioReporter.h"
#include "data/StockTable.h"
#include "net/FieldIds.h"
#include "net/KivNetPack.h"
#include "platform/core/MessageLoop.h"
#include "platform/ui/ListBox.h"
#include "res/ResourceTables.h"
#include "shell/KivDesk_InputDlg.h"
#include "shell/KivUiTheme.h"
#include "shell/ShellIds.h"
#include "shell/StockSearch.h"
#include "tools/standin/market/Hash.h"
#include "tools/standin/market/Universe.h"

namespace {

constexpr int kSecurities = 12000;
constexpr double kFrameSeconds = 0.016;

// Shanghai 600000.., Shenzhen 000001.. and 300001.., in turn.
std::vector<StockRecord> MakeMarket() {
  std::vector<StockRecord> market;
  for (int i = 0; i < kSecurities; ++i) {
    StockRecord r;
    std::memset(&r, 0, sizeof r);
    const uint32_t n = static_cast<uint32_t>(i / 3);
    switch (i % 3) {
      case 0: r.id = MakeStockId(600000 + n, kMarketShanghai); break;
      case 1: r.id = MakeStockId(1 + n, kMarketShenzhen); break;
      default: r.id = MakeStockId(300001 + n, kMarketShenzhen); break;
    }
    const std::string name = kiv::standin::ShareNameFromHash(kiv::standin::Mix64(0x5EA7C4u + i));
    std::memcpy(r.name, name.data(), std::min<size_t>(name.size(), sizeof r.name - 1));
    market.push_back(r);
  }
  return market;
}

const std::vector<StockRecord>& Market() {
  static const std::vector<StockRecord> market = MakeMarket();
  return market;
}

const StockSearch& Search() {
  static const StockSearch* search = [] {
    auto* s = new StockSearch();
    s->SetSecurities(Market());
    return s;
  }();
  return *search;
}

struct Typed {
  const char* label;
  std::string text;
};

const std::vector<Typed>& TypedTexts() {
  static const std::vector<Typed> typed = [] {
    // The first two characters of the first name: a name typed in Chinese.
    const std::string first(Market()[0].name, 4);
    return std::vector<Typed>{{"6", "6"}, {"60", "60"}, {"p", "p"}, {"pf", "pf"}, {"pfyh", "pfyh"},
                              {"name", first}};
  }();
  return typed;
}

int NameLength(const StockRecord& r) { return static_cast<int>(strnlen(r.name, sizeof r.name)); }

void MatchByLookup(benchmark::State& state, const std::string& typed) {
  std::vector<StockSearch::Hit> hits;
  for (auto _ : state) {
    Search().MatchSecurities(typed, hits);
    benchmark::DoNotOptimize(hits.data());
  }
  state.counters["matches"] = static_cast<double>(hits.size());
}

// The same work as MatchSecurities, each membership answered by a search
// of the letter's string.
void MatchBySearch(benchmark::State& state, const std::string& typed) {
  const CRomSpell& spell = Search().Spell();
  const std::vector<StockRecord>& market = Market();
  std::vector<StockSearch::Hit> hits;
  for (auto _ : state) {
    hits.clear();
    for (size_t i = 0; i < market.size(); ++i) {
      const StockRecord& r = market[i];
      if (spell.MatchBySearch(r.name, NameLength(r), static_cast<int>(StockCode(r.id)), typed.data(),
                              static_cast<int>(typed.size())) == CRomSpell::kNoMatch) {
        continue;
      }
      hits.push_back(StockSearch::Hit{static_cast<int>(i), StockSearch::SortKey(r)});
    }
    benchmark::DoNotOptimize(hits.data());
  }
  state.counters["matches"] = static_cast<double>(hits.size());
}

void ByteScan(benchmark::State& state, const std::string& typed) {
  for (auto _ : state) {
    size_t found = 0;
    for (const StockRecord& r : Market()) {
      found += memmem(r.name, static_cast<size_t>(NameLength(r)), typed.data(), typed.size()) != nullptr;
    }
    benchmark::DoNotOptimize(found);
  }
}

void Sort(benchmark::State& state, const std::string& typed) {
  std::vector<StockSearch::Hit> matched;
  Search().MatchSecurities(typed, matched);
  std::vector<StockSearch::Hit> hits;
  for (auto _ : state) {
    hits = matched;
    StockSearch::SortHits(hits);
    benchmark::DoNotOptimize(hits.data());
  }
}

// The pop-up over a stock table of the whole market, on the headless
// display; made once and kept for every run.
struct Popup {
  CKivStockTable table;
  std::unique_ptr<CKivDesk_InputDlg> dialog;

  Popup() {
    kiv::res::UseDeskResources();
    WriteUiTheme();
    KivNetPack group;
    for (int r = 0; r < kSecurities; ++r) {
      const StockRecord& s = Market()[static_cast<size_t>(r)];
      group.SetInt32(static_cast<int32_t>(s.id), FIELD_STOCK_ID, r);
      group.SetText(s.name, NameLength(s) + 1, FIELD_STOCK_NAME, r);
    }
    table.FillFromPack(group);
    dialog = std::make_unique<CKivDesk_InputDlg>(table, "6");
    dialog->Create(kIddStockInput);
    dialog->ShowWindow(SW_SHOW);
    kiv::PumpPendingMessages();
  }
  CListBox& List() { return *static_cast<CListBox*>(dialog->GetDlgItem(kIdcStockInputList)); }
  CWnd& Edit() { return *dialog->GetDlgItem(kIdcStockInputEdit); }
};

Popup& ThePopup() {
  static Popup* popup = new Popup();  // lives to the end: the window goes with the process
  return *popup;
}

void Fill(benchmark::State& state, const std::string& typed) {
  std::vector<StockSearch::Hit> hits;
  Search().MatchSecurities(typed, hits);
  StockSearch::SortHits(hits);
  CListBox& list = ThePopup().List();
  for (auto _ : state) {
    list.SetRedraw(FALSE);
    list.ResetContent();
    for (const StockSearch::Hit& hit : hits) list.AddString(Search().SecurityRow(hit).c_str());
    list.SetCurSel(0);
    list.SetRedraw(TRUE);
    list.Invalidate(FALSE);
  }
}

// The text set in the pop-up's edit: the search, the list filled, and the
// list painted.
void Keystroke(benchmark::State& state, const std::string& typed) {
  Popup& popup = ThePopup();
  for (auto _ : state) {
    popup.Edit().SetWindowText(typed.c_str());
    popup.List().UpdateWindow();
  }
  state.counters["rows"] = popup.List().GetCount();
}

std::string Name(const char* what, const Typed& typed) { return std::string(what) + "/" + typed.label; }

void RegisterAll() {
  for (const Typed& typed : TypedTexts()) {
    const std::string text = typed.text;
    benchmark::RegisterBenchmark(Name("match", typed).c_str(), MatchByLookup, text)->Unit(benchmark::kMicrosecond);
    benchmark::RegisterBenchmark(Name("match_by_string_search", typed).c_str(), MatchBySearch, text)
        ->Unit(benchmark::kMicrosecond);
    benchmark::RegisterBenchmark(Name("byte_scan", typed).c_str(), ByteScan, text)->Unit(benchmark::kMicrosecond);
    benchmark::RegisterBenchmark(Name("sort", typed).c_str(), Sort, text)->Unit(benchmark::kMicrosecond);
    benchmark::RegisterBenchmark(Name("fill", typed).c_str(), Fill, text)->Unit(benchmark::kMicrosecond);
    benchmark::RegisterBenchmark(Name("keystroke", typed).c_str(), Keystroke, text)->Unit(benchmark::kMicrosecond);
  }
}

}  // namespace

int main(int argc, char** argv) {
  RegisterAll();
  return RunBenchmarks(argc, argv, [&](const RatioReporter& reporter) {
    for (const Typed& typed : TypedTexts()) {
      const std::string label = std::string("\"") + typed.label + "\"";
      reporter.PrintRatio(("ratio match " + label + " (lookup / byte-substring scan of the names)").c_str(),
                          Name("match", typed), Name("byte_scan", typed));
      reporter.PrintRatio(("ratio match " + label + " (string search / lookup)").c_str(),
                          Name("match_by_string_search", typed), Name("match", typed));
      const double keystroke = reporter.Seconds(Name("keystroke", typed));
      if (keystroke > 0) {
        std::printf("ratio keystroke %s over %d securities (match + sort + fill + paint / 16 ms frame): %.3f\n",
                    label.c_str(), kSecurities, keystroke / kFrameSeconds);
      }
    }
  });
}
