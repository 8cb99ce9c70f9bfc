#include <QCoreApplication>
#include <QLocale>
#include <gtest/gtest.h>

// The logic tests need no display; the locale is pinned so that grouping
// separators and date forms are the same on every machine.
int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
