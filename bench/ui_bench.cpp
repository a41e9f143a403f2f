// Benchmarks of the parameter list with its Qt control (offscreen), beside the floor: a plain
// QTreeWidget filled with the same rows.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QScrollBar>
#include <QTreeWidget>

#include <vector>

#include "param_list_fixture.h"
#include "platform/table_row_store.h"
#include "ui/qt_text.h"
#include "ui/table_ctrl.h"

namespace {

void ListSizes(benchmark::internal::Benchmark* b) {
    b->Arg(1000)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond);
}

/// The list as the dialog shows it, on screen (offscreen) and of a dialog's size.
struct ShownList {
    ShownList() : bench(list) {
        list.resize(400, 300);
        list.show();
        QApplication::processEvents();
    }
    CTableCtrl list;
    ParamListBench bench;
};

void Paint(QWidget& widget) {
    widget.repaint();
    QApplication::processEvents();
}

/// RefreshParamTable into the emptied list, and the first paint.
void BM_Refresh(benchmark::State& state) {
    ShownList shown;
    shown.bench.F.State.SelectedParamMap =
        AssemblableMap(static_cast<uint32_t>(state.range(0)));
    for (auto _ : state) {
        state.PauseTiming();
        shown.list.ClearRows();
        shown.list.RebuildItems();
        Paint(shown.list);
        state.ResumeTiming();
        RefreshParamTable(shown.bench.F.State, 0);
        Paint(shown.list);
    }
}
BENCHMARK(BM_Refresh)->Apply(ListSizes);

/// The floor of BM_Refresh: the same three texts per row into a plain, emptied QTreeWidget.
void BM_RefreshFloor(benchmark::State& state) {
    ShownList shown;
    shown.bench.Fill(AssemblableMap(static_cast<uint32_t>(state.range(0))));
    std::vector<QStringList> rows;
    for (const TableListItem& item : shown.list.Rows().Items()) {
        rows.push_back({ToQString(item.Label), ToQString(item.SubItems.at(0)),
                        ToQString(item.SubItems.at(1))});
    }
    shown.list.ClearRows();
    shown.list.RebuildItems();
    QTreeWidget plain;
    plain.setColumnCount(3);
    plain.setRootIsDecorated(false);
    plain.setUniformRowHeights(true);
    plain.resize(400, 300);
    plain.show();
    for (auto _ : state) {
        state.PauseTiming();
        plain.clear();
        Paint(plain);
        state.ResumeTiming();
        QList<QTreeWidgetItem*> items;
        items.reserve(static_cast<qsizetype>(rows.size()));
        for (const QStringList& texts : rows)
            items.append(new QTreeWidgetItem(texts));
        plain.addTopLevelItems(items);
        Paint(plain);
    }
}
BENCHMARK(BM_RefreshFloor)->Apply(ListSizes);

/// A paint of the list scrolled to its end.
void BM_PaintAtEnd(benchmark::State& state) {
    ShownList shown;
    shown.bench.Fill(AssemblableMap(static_cast<uint32_t>(state.range(0))));
    shown.list.verticalScrollBar()->setValue(shown.list.verticalScrollBar()->maximum());
    for (auto _ : state)
        Paint(shown.list);
}
BENCHMARK(BM_PaintAtEnd)->Apply(ListSizes);

void BM_MenuOneRowSelectedQt(benchmark::State& state) {
    ShownList shown;
    shown.bench.Fill(AssemblableMap(static_cast<uint32_t>(state.range(0))));
    shown.list.SetSelectedIndexes({shown.list.ItemCount() / 2});
    for (auto _ : state)
        shown.bench.Menu(0);
}
BENCHMARK(BM_MenuOneRowSelectedQt)->Apply(ListSizes);

void BM_DeleteEveryRowQt(benchmark::State& state) {
    ShownList shown;
    const SelectedParamMap map = AssemblableMap(static_cast<uint32_t>(state.range(0)));
    for (auto _ : state) {
        state.PauseTiming();
        shown.bench.Fill(map);
        shown.list.selectAll();
        Paint(shown.list);
        state.ResumeTiming();
        shown.bench.Menu(param_menu::Delete);
        Paint(shown.list);
    }
}
BENCHMARK(BM_DeleteEveryRowQt)->Apply(ListSizes);

/// `command` chosen from the menu with no row selected, on a fresh copy of `map` each time,
/// and the paint after it.
void MenuCommandQt(benchmark::State& state, const SelectedParamMap& map, int command) {
    ShownList shown;
    for (auto _ : state) {
        state.PauseTiming();
        shown.bench.Fill(map);
        Paint(shown.list);
        state.ResumeTiming();
        shown.bench.Menu(command);
        Paint(shown.list);
    }
}

void BM_DivideQt(benchmark::State& state) {
    MenuCommandQt(state, DividableMap(static_cast<uint32_t>(state.range(0))), param_menu::Divide);
}
BENCHMARK(BM_DivideQt)->Apply(ListSizes);

void BM_AssembleQt(benchmark::State& state) {
    MenuCommandQt(state, AssemblableMap(static_cast<uint32_t>(state.range(0))),
                  param_menu::Assemble);
}
BENCHMARK(BM_AssembleQt)->Apply(ListSizes);

/// A double click on the Plot cell of the middle row, and the paint after it.
void BM_PlotCellEditQt(benchmark::State& state) {
    ShownList shown;
    shown.bench.Fill(AssemblableMap(static_cast<uint32_t>(state.range(0))));
    for (auto _ : state) {
        OnParamCellDblClick(shown.bench.F.State, 2, shown.list.ItemCount() / 2);
        Paint(shown.list);
    }
}
BENCHMARK(BM_PlotCellEditQt)->Apply(ListSizes);

void BM_SortTwiceQt(benchmark::State& state) {
    ShownList shown;
    shown.bench.Fill(AssemblableMap(static_cast<uint32_t>(state.range(0))));
    for (auto _ : state) {
        shown.list.SortByColumn(1);
        shown.list.SortByColumn(0);
        Paint(shown.list);
    }
}
BENCHMARK(BM_SortTwiceQt)->Apply(ListSizes);

} // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
