// Opens the results window offscreen on record folders and exports its plots
// as the Export plots button does (scripts/screenshots):
//   export_plots FILE.png|FILE.svg|FILE.pdf WIDTHxHEIGHT DIR...
#include "ResultsWindow.h"

#include <QApplication>
#include <cstdio>

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const QStringList args = QApplication::arguments();
    const QStringList size = args.size() > 2 ? args[2].split(QLatin1Char('x')) : QStringList();
    if (args.size() < 4 || size.size() != 2) {
        std::fputs("usage: export_plots FILE.png|FILE.svg|FILE.pdf WIDTHxHEIGHT DIR...\n", stderr);
        return 2;
    }
    ResultsWindow window(args.mid(3));
    window.show();
    while (window.reading()) {
        window.readNew();
    }
    if (const auto problem = window.exportPlots(args[1], QSize(size[0].toInt(), size[1].toInt()))) {
        std::fprintf(stderr, "%s\n", qPrintable(*problem));
        return 1;
    }
    std::printf("plots of %d passes exported to %s\n", window.model().rowCount(), qPrintable(args[1]));
    return 0;
}
