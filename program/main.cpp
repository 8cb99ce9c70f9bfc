#include "AccuracyWindow.h"
#include "ApplicationViews.h"
#include "BenchPanelView.h"
#include "CharacterisationWindow.h"
#include "CharacterisationsKept.h"
#include "Clock.h"
#include "Configuration.h"
#include "Counted.h"
#include "Form1.h"
#include "Form1View.h"
#include "HeadlessMain.h"
#include "HeadlessRun.h"
#include "KeptSettings.h"
#include "LabResultsWindow.h"
#include "LimitsWindow.h"
#include "MeasurementRecord.h"
#include "NumberText.h"
#include "OsVersion.h"
#include "PassUploader.h"
#include "Platform.h"
#include "ProgramOptions.h"
#include "ProgramParts.h"
#include "QtEventPump.h"
#include "QtReportPlatform.h"
#include "QtScreen.h"
#include "RecordHooks.h"
#include "ReportPdf.h"
#include "ResultsWindow.h"
#include "SerialD2xx.h"
#include "SimD2xx.h"
#include "SimScope.h"
#include "SpoolReader.h"
#include "StopSignals.h"
#include "ThreadedD2xx.h"
#include "UnitTestWindow.h"
#include "WindowFit.h"

#include <QApplication>
#include <QDir>
#include <QFileDialog>
#include <QIcon>
#include <QStandardPaths>
#include <QStyleFactory>
#include <QSysInfo>
#include <cstdio>
#include <memory>

namespace {

QStringList argumentsOf(int argc, char** argv) {
    QStringList arguments;
    for (int i = 0; i < argc; ++i) {
        arguments << QString::fromLocal8Bit(argv[i]);
    }
    return arguments;
}

QIcon programIcon() {
    QIcon icon;
    for (int size : {16, 24, 32, 48, 64, 128, 256}) {
        icon.addFile(QStringLiteral(":/icons/%1.png").arg(size), QSize(size, size));
    }
    return icon;
}

// Characterisations... in the results window: those its folders keep.
void showCharacterisationsFrom(ResultsWindow& results) {
    results.characterisationsWanted = [&results](const QStringList& folders) {
        CharacterisationsKept kept(folders, &results);
        if (kept.count() > 0) {
            kept.showKept(0);
        }
        kept.exec();
    };
}

// The record folders the results window shows: those named, or one the
// operator picks (the last one is offered again).
QStringList resultsFolders(const ProgramOptions& options) {
    QStringList folders;
    for (const std::string& folder : options.resultsFolders) {
        folders << QString::fromStdString(folder);
    }
    if (!folders.isEmpty()) {
        return folders;
    }
    const QString last = KeptSettings::resultsFolder();
    const QString picked = QFileDialog::getExistingDirectory(nullptr, QStringLiteral("Record folder"), last);
    if (!picked.isEmpty()) {
        KeptSettings::keepResultsFolder(picked);
        folders << picked;
    }
    return folders;
}

bool looksLikeDatabase(const std::string& name) {
    return name.rfind("postgresql://", 0) == 0 || name.rfind("postgres://", 0) == 0 ||
           name.find("dbname=") != std::string::npos || name.find("host=") != std::string::npos;
}

// --results without --record: the results window alone, no adapter, scope or
// simulated bench.
int runResultsAlone(const ProgramOptions& options) {
    // A lab database instead of folders: postgresql://... or "host=... dbname=...".
    if (options.resultsFolders.size() == 1 && looksLikeDatabase(options.resultsFolders.front())) {
        auto target = databaseTarget(options.resultsFolders.front());
        if (const auto* why = std::get_if<std::string>(&target)) {
            std::fprintf(stderr, "%s: %s\n", ProgramName, why->c_str());
            return 2;
        }
        LabResultsWindow lab(std::get<DatabaseTarget>(target));
        WindowFit::placeCentred(&lab);
        lab.show();
        return QApplication::exec();
    }
    const QStringList folders = resultsFolders(options);
    if (folders.isEmpty()) {
        return 0;
    }
    ResultsWindow results(folders);
    showCharacterisationsFrom(results);
    results.setLimits(options.limits ? options.limits : keptLimits());
    WindowFit::placeCentred(&results);
    results.show();
    return QApplication::exec();
}

// The real platform's parts for the windows.
struct RealParts {
    RealClock clock;
    QtEventPump pump;
    QtScreen screen;
    SystemOsVersion os;
    QtProgramHost host;
    QtClipboard clipboard;
    QtKeySynth keys;
    QtCarets carets;
};

// --record DIR: every pass and capture kept; CLOSE right after a pass still
// leaves its row on the disk, and a row that could not be written is saved
// elsewhere and named.
struct RecordWiring {
    std::unique_ptr<MeasurementRecord> record;
    std::unique_ptr<RecordHooks> hooks;

    RecordWiring(const std::string& folder, Form1& form, RealParts& parts, ApplicationViews& views)
        : record(std::make_unique<MeasurementRecord>(folder)) {
        form.session.record = record.get();
        hooks = std::make_unique<RecordHooks>(*record, form, parts.keys, [&views] { views.refresh(); });
        parts.host.beforeEnd = [this, &form] {
            record->close(std::chrono::seconds(5));
            for (const std::string& line : record->events(std::chrono::milliseconds(0))) {
                form.List1.AddItem(line);
                std::fprintf(stderr, "%s\n", line.c_str());
            }
        };
    }
};

// The bench window beside the main window, its changes made on the device
// thread.
std::unique_ptr<BenchPanelView> showBenchPanel(const ProgramOptions& options, SimScope& scope, ThreadedD2xx& d2xx,
                                               ApplicationViews& views) {
    SimBench bench;
    bench.errors = benchErrorsFor(options);
    if (options.simulateUnit) {
        bench.transformer = unitOf(bench.transformer, *options.simulateUnit);
    }
    scope.attach(bench);
    scope.acquiring = !options.acquisitionStopped;
    auto panel = std::make_unique<BenchPanelView>(scope);
    panel->onDeviceThread = [&d2xx](std::function<void()> work) { d2xx.post(std::move(work)); };
    panel->placeAwayFrom(WindowFit::centredFrame(views.mainView()->size()));
    panel->show();
    return panel;
}

// ACCURACY: the set in force shown and changed (kept for the adapter), the
// calibration in force, CALIBRATE CHANNELS and FORGET.
void wireAccuracy(Form1& form, ApplicationViews& views) {
    MeasuringSession& session = form.session;
    form.accuracyWanted = [&session, &views] {
        const std::string adapter = session.adapterName();
        AccuracyWindow window(session.accuracy, QString::fromStdString(adapter), views.mainView());
        window.offerCalibration(
            session.calibrationStatus(),
            [&session, &views] {
                auto taken = session.calibrateChannels();
                views.refresh();
                return taken;
            },
            [&session, &views] {
                session.forgetCalibrations();
                views.refresh();
                return session.calibrationStatus();
            });
        if (window.exec() == QDialog::Accepted) {
            session.accuracy = window.accuracy();
            keepAccuracy(adapter, session.accuracy);
        }
    };
}

// The limit set: --limits, else the one last taken in the limits window;
// LIMITS shows it and takes another (kept for the next run).
void wireLimits(Form1& form, ApplicationViews& views, ResultsWindow* results) {
    MeasuringSession& session = form.session;
    form.limitsWanted = [&session, &views, results] {
        LimitsWindow window(session.limits, views.mainView());
        if (window.exec() == QDialog::Accepted) {
            session.limits = window.limits();
            keepLimits(session.limits, window.bytes());
            session.showLimits();
            if (results != nullptr) {
                results->setLimits(session.limits);
            }
        }
    };
    session.showLimits();
    if (results != nullptr) {
        results->setLimits(session.limits);
    }
}

// CHARACTERISE: its window, made at the first press and kept; on the
// simulated bench the bench is moved to each point on the device thread.
void wireCharacterise(Form1& form, ApplicationViews& views, const ProgramOptions& options, const std::string& folder,
                      DeviceLibraries& devices, ThreadedD2xx& d2xx, std::unique_ptr<CharacterisationWindow>& window) {
    form.characteriseWanted = [&form, &views, &options, folder, &devices, &d2xx, &window] {
        if (!window) {
            window = std::make_unique<CharacterisationWindow>(form.session, characterisationFolder(folder));
            window->unattended = options.simulate;
            if (options.simulate) {
                CharacterisationWindow* w = window.get();
                window->benchTo = [&devices, &d2xx, w](const CharacterisationPlan::Point& p) {
                    const auto plan = w->run()->plan();
                    d2xx.runAndWait([&] { moveBench(*devices.scope.bench, plan, p); });
                };
                window->truthAt = [&devices, &d2xx, w](double volts) -> std::optional<CircuitTruthAt> {
                    std::optional<CircuitTruthAt> truth;
                    const auto plan = w->run()->plan();
                    d2xx.runAndWait([&] { truth = truthAtSupply(*devices.scope.bench, plan, volts); });
                    return truth;
                };
            }
            WindowFit::placeCentred(window.get());
        }
        window->show();
        window->raise();
        window->activateWindow();
        views.refresh();
    };
}

void wireUnitTest(Form1& form, ApplicationViews& views, const ProgramOptions& options, const std::string& folder,
                  DeviceLibraries& devices, ThreadedD2xx& d2xx, std::unique_ptr<UnitTestWindow>& window) {
    form.unitTestWanted = [&form, &views, &options, folder, &devices, &d2xx, &window] {
        if (!window) {
            window = std::make_unique<UnitTestWindow>(form.session, characterisationFolder(folder));
            window->unattended = options.simulate;
            window->writeReport = [](const UnitTestResult& r, const std::string& where, std::string& why) {
                return writeUnitTestReport(r, where, why);
            };
            window->amend = [](const std::string& where, const std::string& id, const std::string& correction,
                               std::string& why) { return issueAmendment(where, id, correction, why); };
            if (options.simulate) {
                window->benchTo = [&devices, &d2xx](const UnitTestPlan::Step& s) {
                    d2xx.runAndWait([&] { moveBench(*devices.scope.bench, s.supply, s.load, s.capacitor); });
                };
            }
            WindowFit::placeCentred(window.get());
        }
        window->show();
        window->raise();
        window->activateWindow();
        views.refresh();
    };
}

// The windows: the device library (the simulated bench or the adapter) on a
// thread of its own, the forms and their views, and what the options add.
int runWindows(const ProgramOptions& options) {
    RealParts parts;
    DeviceLibraries devices(parts.clock, options);
    ThreadedD2xx d2xx(devices.chosen());
    Platform platform{d2xx,       parts.clock,     parts.pump, parts.screen, parts.os,
                      parts.host, parts.clipboard, parts.keys, parts.carets};
    MeasuringSession session(platform);
    session.onSimulatedBench = options.simulate;
    session.simulation = simulationOf(options);
    Form1 form(session);
    ApplicationViews views(form);
    parts.pump.beforeEvents = [&views] { views.refresh(); };
    d2xx.beforeWaiting = [&views] { views.refresh(); };
    parts.keys.target = [&views]() -> QWidget* { return views.reportView(); };
    parts.carets.root = [&views]() -> QWidget* { return views.reportView(); };

    std::unique_ptr<RecordWiring> record;
    std::unique_ptr<PassUploader> uploader;
    if (options.database) {
        const std::string folder = uploadFolder(options);
        record = std::make_unique<RecordWiring>(folder, form, parts, views);
        uploader = std::make_unique<PassUploader>(*options.database, QString::fromStdString(folder));
        session.databaseEvents = [&uploader] {
            std::vector<std::string> lines = uploader->events();
            for (const std::string& line : lines) {
                std::fprintf(stderr, "%s\n", line.c_str());
            }
            return lines;
        };
        parts.host.beforeEnd = [closeRecord = parts.host.beforeEnd, &uploader, &form] {
            closeRecord();
            uploader->finish(HeadlessRun::UploadWaitAtEnd);
            for (const std::string& line : uploader->events()) {
                form.List1.AddItem(line);
                std::fprintf(stderr, "%s\n", line.c_str());
            }
        };
    } else if (options.recordFolder) {
        record = std::make_unique<RecordWiring>(*options.recordFolder, form, parts, views);
    }
    std::unique_ptr<BenchPanelView> panel;
    if (options.simulate) {
        panel = showBenchPanel(options, devices.scope, d2xx, views);
        // The truth is read on the device thread, where the bench lives.
        session.benchTruth = [&d2xx, &devices] {
            std::optional<PassOutcome::Truth> truth;
            d2xx.runAndWait([&] { truth = truthOf(devices.scope); });
            return truth;
        };
        session.probesOnOneNode = [&d2xx, &devices](bool on) {
            d2xx.post([&devices, on] { devices.scope.bench->probesOnOneNode = on; });
        };
    }
    std::unique_ptr<ResultsWindow> results;
    if (options.results && options.recordFolder) {
        results = std::make_unique<ResultsWindow>(QStringList{QString::fromStdString(*options.recordFolder)});
        showCharacterisationsFrom(*results);
        WindowFit::placeBeside(results.get(), views.mainView()->size(), ResultsWindow::ReadableWidth);
        results->show();
    }
    form.Form_Load();
    const Configuration configuration = configure(session, options);
    std::fprintf(stderr, "%s: %s\n", ProgramName,
                 configurationLine(configuration, session.calibrationStatus()).c_str());
    wireAccuracy(form, views);
    wireLimits(form, views, results.get());
    std::unique_ptr<CharacterisationWindow> characterisation;
    wireCharacterise(form, views, options, record ? record->record->folder() : std::string(), devices, d2xx,
                     characterisation);
    std::unique_ptr<UnitTestWindow> unitTest;
    wireUnitTest(form, views, options, record ? record->record->folder() : std::string(), devices, d2xx, unitTest);
    views.refresh();
    return QApplication::exec();
}

} // namespace

// The composition root: the three ways in (the headless mode, the results
// window alone, the windows) from the options.
int main(int argc, char** argv) {
    QCoreApplication::setApplicationName(QString::fromLatin1(ProgramName));
    QCoreApplication::setOrganizationName(QString::fromLatin1(ProgramName)); // ~/.config/transformer-efficiency/
    QCoreApplication::setApplicationVersion(QString::fromLatin1(programVersion()));
    const ProgramOptions options = parseProgramOptions(argumentsOf(argc, argv));
    if (options.message) {
        std::fputs(options.message->c_str(), options.exitCode == 0 ? stdout : stderr);
        return options.exitCode;
    }
    if (options.database) {
        // Offered again by the results window's Lab database...
        KeptSettings::keepDatabaseConnection(QString::fromStdString(options.database->shown));
    }
    if (options.upload) {
        return runUpload(argc, argv, options);
    }
    if (options.headless) {
        return runHeadless(argc, argv, options);
    }
    if (options.characterise) {
        return runCharacterise(argc, argv, options);
    }
    if (options.unitTest) {
        return runUnitTest(argc, argv, options);
    }
    if (options.amend) {
        return runAmendment(argc, argv, options);
    }
    QApplication app(argc, argv);
    QApplication::setStyle(QStyleFactory::create(QStringLiteral("Fusion")));
    QApplication::setWindowIcon(programIcon());
    QGuiApplication::setDesktopFileName(QString::fromLatin1(ProgramName));
    if (options.results && !options.recordFolder) {
        return runResultsAlone(options);
    }
    return runWindows(options);
}
