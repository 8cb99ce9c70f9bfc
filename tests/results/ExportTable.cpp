// Opens the results window offscreen on record folders and exports the whole
// table, as the Export table button does (scripts/check-spreadsheet):
//   export_table FILE.xlsx|FILE.csv DIR...
#include "ResultsWindow.h"

#include <QApplication>
#include <cstdio>

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const QStringList args = QApplication::arguments();
    if (args.size() < 3) {
        std::fputs("usage: export_table FILE.xlsx|FILE.csv DIR...\n", stderr);
        return 2;
    }
    ResultsWindow window(args.mid(2));
    while (window.reading()) {
        window.readNew();
    }
    if (const auto problem = window.exportTable(args[1])) {
        std::fprintf(stderr, "%s\n", qPrintable(*problem));
        return 1;
    }
    std::printf("%d passes exported to %s\n", window.model().rowCount(), qPrintable(args[1]));
    return 0;
}
