#include "CommandNumber.h"
#include "DisplayPattern.h"
#include "NumberText.h"
#include "Timestamp.h"

#include <QDateTime>
#include <QLocale>
#include <gtest/gtest.h>

TEST(CommandNumber, ReservesTheSignBlankAndDropsTheLeadingZero) {
    EXPECT_EQ(commandNumber(10.0), " 10");
    EXPECT_EQ(commandNumber(0.5), " .5");
    EXPECT_EQ(commandNumber(-2.0), "-2");
    EXPECT_EQ(commandNumber(-0.25), "-.25");
    EXPECT_EQ(commandNumber(2.5), " 2.5");
    EXPECT_EQ(commandNumber(0.123), " .123");
    EXPECT_EQ(commandNumber(1000.0), " 1000");
    EXPECT_EQ(commandNumber(0.0), " 0");
    EXPECT_EQ(commandNumber(std::int32_t{0}), " 0");
    EXPECT_EQ(commandNumber(std::int32_t{18}), " 18");
    EXPECT_EQ(commandNumber(std::int32_t{-1}), "-1");
    EXPECT_EQ(plainNumber(100.0), "100");
    EXPECT_EQ(plainNumber(0.2), "0.2");
}

TEST(NumberText, ReadsScopeAndOperatorNumbersAndNothingElse) {
    EXPECT_DOUBLE_EQ(*parseNumber("1.5E+3"), 1500.0);
    EXPECT_DOUBLE_EQ(*parseNumber(" -.25 "), -0.25);
    EXPECT_DOUBLE_EQ(*parseNumber("+20"), 20.0);
    EXPECT_DOUBLE_EQ(*parseNumber("9.9E37"), 9.9e37);
    for (const char* bad :
         {"", " ", "abc", "1.2.3", "1e", "e5", "--1", "inf", "nan", "0x10", "1,5", "10X", "1E999", "."}) {
        EXPECT_FALSE(parseNumber(bad).has_value()) << bad;
    }
    EXPECT_EQ(parseWholeNumber("64"), 64);
    EXPECT_FALSE(parseWholeNumber("6.4").has_value());
    EXPECT_FALSE(parseWholeNumber("99999999999").has_value());
}

TEST(DisplayPattern, RoundsGroupsAndSignsAsThePatternSays) {
    const QLocale us(QLocale::English, QLocale::UnitedStates);
    EXPECT_EQ(formatPattern(12345.67, "##,##0.0", us), "12,345.7");
    EXPECT_EQ(formatPattern(0.5, "##0.0000", us), "0.5000");
    EXPECT_EQ(formatPattern(-3.14159, "#0.0000", us), "-3.1416");
    EXPECT_EQ(formatPattern(1234567.891, "##,###,##0.00", us), "1,234,567.89");
    EXPECT_EQ(formatPattern(20.0, "##0.000", us), "20.000");
    EXPECT_EQ(formatPattern(0.123, "###0.00", us), "0.12");
    EXPECT_EQ(formatPattern(10.0, "###0.0", us), "10.0");
    EXPECT_EQ(formatPattern(9.6, "###0", us), "10");
    EXPECT_EQ(formatPattern(-0.00001, "##0.0000", us), "0.0000");
    EXPECT_EQ(formatPattern(1000.0, "##0.0000", us), "1000.0000");
    const QLocale german(QLocale::German, QLocale::Germany);
    EXPECT_EQ(formatPattern(12345.67, "##,##0.0", german), "12.345.7");
}

TEST(Timestamp, ShortDateThenTimeWithSeconds) {
    const QLocale us(QLocale::English, QLocale::UnitedStates);
    const QDateTime when(QDate(2026, 12, 8), QTime(14, 30, 5));
    const std::string text = timestampText(when, us);
    EXPECT_EQ(text.substr(0, text.find(' ')), "12/8/26");
    EXPECT_NE(text.find("2:30:05"), std::string::npos) << text;
    EXPECT_EQ(text.find("UTC"), std::string::npos) << text;
}
