// A bench on virtual time that stores its passes in the lab database as the
// program does: the record first, the upload from it on its own thread.
//   database_writer FOLDER CONNECTION PASSES BENCH PAUSE_MS
// Ends as the headless mode does: the upload given its time at the end, what
// did not go up left waiting in FOLDER.
#include "Clock.h"
#include "DatabaseTarget.h"
#include "HeadlessRun.h"
#include "MeasurementRecord.h"
#include "PassUploader.h"
#include "SimulatedDesk.h"

#include <QCoreApplication>
#include <array>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <thread>

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    if (argc != 6) {
        std::fputs("usage: database_writer FOLDER CONNECTION PASSES BENCH PAUSE_MS\n", stderr);
        return 2;
    }
    auto target = databaseTarget(argv[2]);
    if (const auto* why = std::get_if<std::string>(&target)) {
        std::fprintf(stderr, "%s\n", why->c_str());
        return 2;
    }
    MeasurementRecord record(argv[1]);
    PassUploader uploader(std::get<DatabaseTarget>(target), QString::fromLocal8Bit(argv[1]));
    // Each bench its own set-up, from its name: the lab's set-ups differ.
    const std::size_t pick = std::hash<std::string>{}(argv[4]);
    HeadlessChoices choices;
    choices.loadResistor = std::array{"9.4", "23.1", "48.0"}[pick % 3];
    choices.supply = "10";
    choices.capacitor = std::array{"100", "200"}[pick / 3 % 2];
    SimBench bench;
    bench.conditions.loadOhms = std::stod(choices.loadResistor);
    bench.conditions.loadMicrofarads = std::stod(choices.capacitor);
    SimulatedDesk<VirtualClock> desk{1000u};
    desk.scope.attach(bench);
    choices.passes = std::atoi(argv[3]);
    HeadlessRun run(choices, desk.d2xx, desk.clock);
    run.record = &record;
    run.uploader = &uploader;
    run.simulated = true;
    run.bench = argv[4];
    std::FILE* rows = std::fopen("/dev/null", "w");
    run.rows = rows;
    // Only the database's lines go on: the scope's would drown them.
    std::FILE* events = std::tmpfile();
    run.events = events;
    const auto pause = std::chrono::milliseconds(std::atoi(argv[5]));
    run.rowWritten = [pause](const PassOutcome&) { std::this_thread::sleep_for(pause); };
    const int status = run.run();
    std::rewind(events);
    char line[4096];
    while (std::fgets(line, sizeof line, events) != nullptr) {
        if (std::strstr(line, " DATABASE ") != nullptr) {
            std::fputs(line, stderr);
        }
    }
    std::fclose(rows);
    std::fclose(events);
    return status;
}
