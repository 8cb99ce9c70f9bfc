#include "ApplicationViews.h"
#include "BenchPanelView.h"
#include "Clock.h"
#include "Form1.h"
#include "OsVersion.h"
#include "Platform.h"
#include "PrintScreenView.h"
#include "QtEventPump.h"
#include "QtReportPlatform.h"
#include "QtScreen.h"
#include "SerialD2xx.h"
#include "SimD2xx.h"
#include "SimScope.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QStyleFactory>
#include <memory>

// The composition root: the platform's real parts, the device library (the
// simulated bench or the adapter), the forms and their views.
int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("transformer-efficiency"));
    QApplication::setStyle(QStyleFactory::create(QStringLiteral("Fusion")));

    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral("Transformer Efficiency Calculator"));
    parser.addHelpOption();
    const QCommandLineOption simulate(QStringLiteral("simulate"),
                                      QStringLiteral("Run on the simulated bench (no hardware)."));
    const QCommandLineOption fastReads(
        QStringLiteral("fast-reads"),
        QStringLiteral("Complete a read as soon as the answer's line feed has arrived."));
    const QCommandLineOption stopped(
        QStringLiteral("acquisition-stopped"),
        QStringLiteral("With --simulate: the scope's acquisition is stopped at start-up."));
    parser.addOption(simulate);
    parser.addOption(fastReads);
    parser.addOption(stopped);
    parser.process(app);

    RealClock clock;
    QtEventPump pump;
    QtScreen screen;
    SystemOsVersion os;
    QtProgramHost host;
    QtClipboard clipboard;
    QtKeySynth keys;
    QtCarets carets;

    // The simulated bench, or the adapters attached to this machine.
    SimScope scope;
    SimD2xx bench(scope, clock);
    SystemPortLister ports;
    SerialD2xx adapters(ports);
    bench.fastReads = parser.isSet(fastReads);
    adapters.fastReads = parser.isSet(fastReads);
    D2xx& d2xx = parser.isSet(simulate) ? static_cast<D2xx&>(bench) : adapters;
    std::unique_ptr<BenchPanelView> panel;
    if (parser.isSet(simulate)) {
        scope.attach(SimBench{});
        scope.acquiring = !parser.isSet(stopped);
        panel = std::make_unique<BenchPanelView>(scope);
        panel->move(0, 0);
        panel->show();
    }

    Platform platform{d2xx, clock, pump, screen, os, host, clipboard, keys, carets};
    Form1 form(platform);
    ApplicationViews views(form);
    pump.beforeEvents = [&views] { views.refresh(); };
    keys.target = [&views]() -> QWidget* { return views.reportView(); };
    carets.root = [&views]() -> QWidget* { return views.reportView(); };

    form.Form_Load();
    views.refresh();
    return QApplication::exec();
}
