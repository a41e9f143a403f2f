// Resident memory that 10,000 entries in the parameter list add to the program: the list shown
// offscreen and painted, empty, then with the rows, VmRSS read from /proc/self/status each time.
#include <QApplication>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>

#include "param_list_fixture.h"
#include "ui/table_ctrl.h"

namespace {
long ResidentKiB() {
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line)) {
        if (line.rfind("VmRSS:", 0) == 0)
            return std::strtol(line.c_str() + 6, nullptr, 10);
    }
    return -1;
}
} // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const uint32_t entries = argc > 1 ? static_cast<uint32_t>(std::strtoul(argv[1], nullptr, 10))
                                      : 10000;
    CTableCtrl list;
    ParamListBench bench(list);
    list.resize(400, 300);
    list.show();
    const SelectedParamMap map = AssemblableMap(entries);
    // One fill and clear first, so that what the first paint and the fonts take once counts as
    // idle, not as the rows'.
    bench.Fill(AssemblableMap(10));
    list.repaint();
    QApplication::processEvents();
    bench.Fill({});
    list.repaint();
    QApplication::processEvents();
    const long idle = ResidentKiB();
    bench.Fill(map);
    list.repaint();
    QApplication::processEvents();
    const long filled = ResidentKiB();
    std::printf("entries %u: idle %ld KiB, filled %ld KiB, added %ld KiB\n", entries, idle,
                filled, filled - idle);
    return 0;
}
