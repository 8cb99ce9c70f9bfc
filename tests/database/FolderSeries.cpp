// A record folder's passes as its results window counts them for its plots
// (complete passes with an estimate), with the window's date and comment filters:
//   folder_series DIR [--from DATE] [--to DATE] [--comment PART]
// (days in the zone TZ names). Prints "passes\tN".
#include "ResultsController.h"

#include <QCoreApplication>
#include <cstdio>

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    if (argc < 2 || argc % 2 != 0) {
        std::fputs("usage: folder_series DIR [--from DATE] [--to DATE] [--comment PART]\n", stderr);
        return 2;
    }
    ResultsController controller({QString::fromLocal8Bit(argv[1])});
    ResultsController::Filters filters;
    for (int i = 2; i + 1 < argc; i += 2) {
        const QString option = QString::fromLocal8Bit(argv[i]);
        const QString value = QString::fromLocal8Bit(argv[i + 1]);
        if (option == QLatin1String("--comment")) {
            filters.comment = value;
            continue;
        }
        const QDate day = QDate::fromString(value, Qt::ISODate);
        (option == QLatin1String("--from") ? filters.from : filters.to) = day;
    }
    while (controller.reading()) {
        controller.readNew();
    }
    controller.readNew();
    controller.setFilters(filters);
    long long passes = 0;
    for (const PlotSeries& s : controller.series()) {
        for (const SetUpPoint& p : s.points) {
            passes += static_cast<long long>(p.rows.size());
        }
    }
    std::printf("passes\t%lld\n", passes);
    return 0;
}
