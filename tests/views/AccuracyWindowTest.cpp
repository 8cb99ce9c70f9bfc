#include "AccuracyWindow.h"
#include "Configuration.h"
#include "LimitsWindow.h"

#include <QCoreApplication>
#include <QDoubleSpinBox>
#include <QFile>
#include <QSettings>
#include <QTemporaryDir>

#include <gtest/gtest.h>

// The accuracy window: a file taken whole or not at all (the values kept and
// the reason shown), and the set accepted for an adapter recalled for it.
TEST(AccuracyWindow, AFileIsTakenWholeOrNotAtAllAndASetIsKeptPerAdapter) {
    QTemporaryDir dir;
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, dir.path());
    QCoreApplication::setOrganizationName(QStringLiteral("accuracy-window-test"));
    const auto write = [&dir](const char* name, const QByteArray& json) {
        QFile file(dir.filePath(QString::fromLatin1(name)));
        EXPECT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(json);
        return file.fileName();
    };
    Accuracy declared;
    declared.phaseLagDegrees = 0.25;
    AccuracyWindow window(declared, QStringLiteral("FT0042"));
    EXPECT_EQ(window.accuracy(), declared);

    EXPECT_FALSE(window.openFile(write("bad.json", R"({"scope_gain_percent": -1})")));
    EXPECT_TRUE(window.error().contains(QStringLiteral("\"scope_gain_percent\" is negative")))
        << window.error().toStdString();
    EXPECT_EQ(window.accuracy(), declared) << "the values stay as they were";

    Accuracy tight;
    tight.gainPercent = 1.5;
    tight.currentProbePercent = 1;
    window.showValues(tight);
    ASSERT_TRUE(window.saveFile(dir.filePath(QStringLiteral("tight.json"))));
    window.showValues(declared);
    ASSERT_TRUE(window.openFile(dir.filePath(QStringLiteral("tight.json")))) << window.error().toStdString();
    EXPECT_EQ(window.accuracy(), tight) << "saved and opened again";
    EXPECT_TRUE(window.error().isEmpty());

    EXPECT_EQ(keptAccuracy("FT0042").value_or(declared), declared) << "nothing kept yet";
    keepAccuracy("FT0042", tight);
    EXPECT_EQ(keptAccuracy("FT0042").value_or(declared), tight);
    EXPECT_EQ(keptAccuracy("simulated").value_or(declared), declared) << "another adapter's own";
}

// The limits window: a file that cannot be taken keeps the set it had; the
// set taken is kept (its file's bytes, so its SHA-256 stays) for the next run.
TEST(LimitsWindow, ABadFileKeepsTheSetAndTheSetTakenIsKeptForTheNextRun) {
    QTemporaryDir dir;
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, dir.path());
    QCoreApplication::setOrganizationName(QStringLiteral("limits-window-test"));
    const auto write = [&dir](const char* name, const QByteArray& json) {
        QFile file(dir.filePath(QString::fromLatin1(name)));
        EXPECT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(json);
        return file.fileName();
    };
    LimitsWindow window(std::nullopt);
    ASSERT_TRUE(window.openFile(write("good.json", R"j({"name": "F-54X acceptance", "version": "3", "rule": "simple",
        "limits": {"phase angle efficiency (%)": {"lower": 85}}})j")))
        << window.error().toStdString();
    const std::string sha = window.limits()->sha256;
    EXPECT_FALSE(
        window.openFile(write("bad.json", R"j({"rule": "simple", "limits": {"efficiency": {"lower": 85}}})j")));
    EXPECT_TRUE(window.error().contains(QStringLiteral("unknown column \"efficiency\"")));
    ASSERT_TRUE(window.limits().has_value()) << "the set it had";
    EXPECT_EQ(window.limits()->sha256, sha);

    EXPECT_FALSE(keptLimits().has_value());
    keepLimits(window.limits(), window.bytes());
    ASSERT_TRUE(keptLimits().has_value());
    EXPECT_EQ(keptLimits()->sha256, sha) << "the same bytes";
    keepLimits(window.limits(), "");
    EXPECT_EQ(keptLimits()->sha256, sha) << "unchanged when nothing new was opened";
    window.clear();
    keepLimits(window.limits(), window.bytes());
    EXPECT_FALSE(keptLimits().has_value()) << "no limits, kept as none";
}
