#include "TestRig.h"

#include <QTime>

TestRig::TestRig() : SimulatedDesk(1000u), form(std::make_unique<Form1>(platform)) {
    d2xx.recording = true;
    form->now = [] { return QDateTime(QDate(2026, 12, 8), QTime(14, 30, 5)); };
}

void TestRig::start() {
    form->Form_Load();
}

void TestRig::startAndReadSettings() {
    start();
    form->openSettings();
    form->Settings.getSettings();
}

void TestRig::pick(ComboBox& combo, const std::string& item, void (Form1::*action)()) {
    combo.text = item;
    (form.get()->*action)();
}

void TestRig::walkToReady(const std::string& resistor, const std::string& supply, const std::string& capacitor) {
    startAndReadSettings();
    pick(form->Combo1, resistor, &Form1::loadResistorPicked);
    pick(form->Combo2, supply, &Form1::supplyVoltagePicked);
    pick(form->Combo4, capacitor, &Form1::loadCapacitorPicked);
}

std::vector<std::string> TestRig::linesSince(std::size_t transcriptIndex) const {
    std::string all;
    for (std::size_t i = transcriptIndex; i < d2xx.transcript.size(); ++i) {
        if (d2xx.transcript.at(i).written) {
            all += d2xx.transcript.at(i).bytes;
        }
    }
    std::vector<std::string> lines;
    std::size_t start = 0;
    for (auto end = all.find("\r\n"); end != std::string::npos; end = all.find("\r\n", start)) {
        lines.push_back(all.substr(start, end - start));
        start = end + 2;
    }
    return lines;
}

std::uint64_t TestRig::writeMsSince(std::size_t transcriptIndex) const {
    std::uint64_t ms = 0;
    for (std::size_t i = transcriptIndex; i < d2xx.transcript.size(); ++i) {
        if (d2xx.transcript.at(i).written) {
            ms += SimLine::writeMs(d2xx.transcript.at(i).bytes.size());
        }
    }
    return ms;
}

std::string joined(const std::vector<std::string>& lines) {
    std::string all;
    for (const std::string& line : lines) {
        all += "[" + line + "]\n";
    }
    return all;
}
