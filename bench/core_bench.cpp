// Benchmarks of the core: the parameter list's commands over the window-less list, loading a
// large description, the settings image, and a firmware write against the test adapter.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdint>
#include <string>
#include <vector>

#include "dialog/firmware_update.h"
#include "config/settings_image.h"
#include "dialog/reply_handler.h"
#include "dialog/request_targets.h"
#include "dialog/write_pump.h"
#include "heap_peak.h"
#include "model/tele_desc_file.h"
#include "model/tele_desc_format.h"
#include "param_list_fixture.h"
#include "platform/string_ids.h"
#include "support/desc_file_samples.h"
#include "support/fake_table_ctrl.h"
#include "support/temp_folder.h"
#include "support/test_adapter.h"
#include "support/write_start_checks.h"

namespace {

void ListSizes(benchmark::internal::Benchmark* b) {
    b->Arg(1000)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond);
}

void SelectAll(FakeTableCtrl& list) {
    for (int i = 0; i < list.ItemCount(); ++i)
        list.Store.SetSelected(i, true);
}

void BM_MenuOneRowSelected(benchmark::State& state) {
    FakeTableCtrl list;
    ParamListBench bench(list);
    bench.Fill(AssemblableMap(static_cast<uint32_t>(state.range(0))));
    list.Store.SetSelected(list.ItemCount() / 2, true);
    for (auto _ : state)
        bench.Menu(0);
}
BENCHMARK(BM_MenuOneRowSelected)->Apply(ListSizes);

void BM_DeleteEveryRow(benchmark::State& state) {
    FakeTableCtrl list;
    ParamListBench bench(list);
    const SelectedParamMap map = AssemblableMap(static_cast<uint32_t>(state.range(0)));
    for (auto _ : state) {
        state.PauseTiming();
        bench.Fill(map);
        SelectAll(list);
        state.ResumeTiming();
        bench.Menu(param_menu::Delete);
    }
}
BENCHMARK(BM_DeleteEveryRow)->Apply(ListSizes);

/// `command` chosen from the menu with no row selected, on a fresh copy of `map` each time.
void MenuCommand(benchmark::State& state, const SelectedParamMap& map, int command) {
    FakeTableCtrl list;
    ParamListBench bench(list);
    for (auto _ : state) {
        state.PauseTiming();
        bench.Fill(map);
        state.ResumeTiming();
        bench.Menu(command);
    }
    state.counters["entries"] = static_cast<double>(bench.F.State.SelectedParamMap.size());
}

void BM_Divide(benchmark::State& state) {
    MenuCommand(state, DividableMap(static_cast<uint32_t>(state.range(0))), param_menu::Divide);
}
BENCHMARK(BM_Divide)->Apply(ListSizes);

void BM_Assemble(benchmark::State& state) {
    MenuCommand(state, AssemblableMap(static_cast<uint32_t>(state.range(0))),
                param_menu::Assemble);
}
BENCHMARK(BM_Assemble)->Apply(ListSizes);

/// Assemble over what the settings area can hold as groups: 4,080 adjacent groups of 4,096
/// codes with one setting. Reports the most heap memory the command took at once.
void BM_AssembleFullAreaGroups(benchmark::State& state) {
    constexpr uint32_t Groups = 4080;
    constexpr uint32_t GroupCodes = 4096;
    SelectedParamMap map;
    for (uint32_t g = 0; g < Groups; ++g)
        map.emplace_hint(map.end(), ParamKey{0x01100000u + g * GroupCodes, GroupCodes - 1, 1},
                         ParamSetting{60, 0});
    FakeTableCtrl list;
    ParamListBench bench(list);
    size_t peak = 0;
    for (auto _ : state) {
        state.PauseTiming();
        bench.Fill(map);
        ResetHeapPeak();
        state.ResumeTiming();
        bench.Menu(param_menu::Assemble);
        state.PauseTiming();
        peak = std::max(peak, HeapPeakGrowth());
        state.ResumeTiming();
    }
    state.counters["entries"] = static_cast<double>(bench.F.State.SelectedParamMap.size());
    state.counters["peak_heap_MB"] = static_cast<double>(peak) / (1024.0 * 1024.0);
}
BENCHMARK(BM_AssembleFullAreaGroups)->Unit(benchmark::kMillisecond);

/// The row texts alone: RefreshParamTable over the window-less list.
void BM_RowTexts(benchmark::State& state) {
    FakeTableCtrl list;
    ParamListBench bench(list);
    bench.F.State.SelectedParamMap = AssemblableMap(static_cast<uint32_t>(state.range(0)));
    for (auto _ : state)
        RefreshParamTable(bench.F.State, BenchCode(static_cast<uint32_t>(state.range(0)) / 2));
}
BENCHMARK(BM_RowTexts)->Apply(ListSizes);

/// A double click on the Plot cell of the middle row.
void BM_PlotCellEdit(benchmark::State& state) {
    FakeTableCtrl list;
    ParamListBench bench(list);
    bench.Fill(AssemblableMap(static_cast<uint32_t>(state.range(0))));
    for (auto _ : state)
        OnParamCellDblClick(bench.F.State, 2, list.ItemCount() / 2);
}
BENCHMARK(BM_PlotCellEdit)->Apply(ListSizes);

/// A typed character that no row's search cell begins with: the search passes every row.
void BM_TypeAheadMiss(benchmark::State& state) {
    FakeTableCtrl list;
    ParamListBench bench(list);
    bench.Fill(AssemblableMap(static_cast<uint32_t>(state.range(0))));
    uint32_t tick = 0;
    for (auto _ : state) {
        tick += 5000;
        benchmark::DoNotOptimize(list.Store.TypeAhead(u'#', tick));
    }
}
BENCHMARK(BM_TypeAheadMiss)->Apply(ListSizes);

/// Re-sorting by the rate column and back.
void BM_SortTwice(benchmark::State& state) {
    FakeTableCtrl list;
    ParamListBench bench(list);
    bench.Fill(AssemblableMap(static_cast<uint32_t>(state.range(0))));
    for (auto _ : state) {
        list.SortByColumn(1);
        list.SortByColumn(0);
    }
}
BENCHMARK(BM_SortTwice)->Apply(ListSizes);

/// A description of about 10 MB: many records of 2000 codes each.
void BM_LoadDescription10MB(benchmark::State& state) {
    DescFileContent content = FullDescContent(15);
    const DescRecord model = content.Records.back();
    for (int32_t t = 0; t < 1200; ++t) {
        DescRecord record = model;
        record.TeleType = 1000 + t;
        record.Desc.Codes.resize(2000, 0x01100000u);
        content.Records.push_back(record);
    }
    const std::vector<uint8_t> bytes = WriteDescFile(content);
    TempFolder folder;
    const auto path = folder.Write("desc.bin", bytes);
    for (auto _ : state) {
        state.PauseTiming();
        ResetDescTables();
        state.ResumeTiming();
        benchmark::DoNotOptimize(LoadTeleDescFile(path, UiLanguageEnglish));
    }
    ResetDescTables();
    state.counters["MB"] = static_cast<double>(bytes.size()) / 1e6;
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * bytes.size()));
}
BENCHMARK(BM_LoadDescription10MB)->Unit(benchmark::kMillisecond);

/// 8160 single entries, which fill the settings area.
SelectedParamMap FullArea() {
    SelectedParamMap map;
    for (uint32_t i = 0; i < 8160; ++i)
        map.emplace_hint(map.end(), ParamKey{BenchCode(2 * i), 0, 0}, ParamSetting{60, 0});
    return map;
}

void BM_EncodeSettingsImage8160(benchmark::State& state) {
    const SelectedParamMap map = FullArea();
    for (auto _ : state)
        benchmark::DoNotOptimize(EncodeSettingsImage(SettingsPage{}, map, 42));
}
BENCHMARK(BM_EncodeSettingsImage8160)->Unit(benchmark::kMillisecond);

void BM_DecodeSettingsImage8160(benchmark::State& state) {
    const std::vector<uint8_t> image = EncodeSettingsImage(SettingsPage{}, FullArea(), 42);
    for (auto _ : state)
        benchmark::DoNotOptimize(DecodeSettingsImage(image));
}
BENCHMARK(BM_DecodeSettingsImage8160)->Unit(benchmark::kMillisecond);

/// A 0x70000-byte firmware write through the pump and the reply handler to the in-process
/// adapter; reported per page request.
void BM_FirmwareWritePerPage(benchmark::State& state) {
    TempFolder folder;
    const auto file = folder.Write("fw.bin", std::vector<uint8_t>(FirmwareMaxSize, 0x5A));
    constexpr double Pages = FirmwareMaxSize / 256;
    for (auto _ : state) {
        state.PauseTiming();
        DialogFixture f;
        FakeTableCtrl list;
        f.State.ParamList = &list;
        SelectAdapter(f);
        TestAdapter adapter;
        f.Prompts.OpenFileAnswers.push_back(file.u16string());
        f.Prompts.EditTextAnswers.push_back(u"");
        state.ResumeTiming();
        OnUpdateFirmware(f.State);
        for (size_t next = 0; next < f.Socket.SentDatagrams.size(); ++next) {
            const std::vector<uint8_t> sent = f.Socket.SentDatagrams[next].Data;
            for (const std::vector<uint8_t>& reply : adapter.Receive(sent, "127.0.0.1", 60000))
                OnReceive(f.State, reply, "127.0.0.1", AdapterPort);
            // After an erase the next page leaves when the flash's settle time is over.
            if (next + 1 == f.Socket.SentDatagrams.size() && f.State.EraseSettlePending)
                f.Window.Advance(EraseSettleMs);
        }
        state.PauseTiming();
        if (f.Prompts.Texts().empty() || f.Prompts.Texts().front() != u"#111") {
            state.SkipWithError("the firmware write did not complete");
            break; // the timers may not be touched after an error
        }
        state.ResumeTiming();
    }
    state.counters["per_page"] = benchmark::Counter(
        Pages, benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
}
BENCHMARK(BM_FirmwareWritePerPage)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
