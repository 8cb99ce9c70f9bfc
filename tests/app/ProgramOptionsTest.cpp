#include "ProgramOptions.h"

#include <gtest/gtest.h>

TEST(ProgramOptions, TheCommandLineIsReadBeforeAnyWindow) {
    const auto parse = [](QStringList args) {
        args.prepend(QStringLiteral("transformer-efficiency"));
        return parseProgramOptions(args);
    };
    const ProgramOptions plain = parse({});
    EXPECT_FALSE(plain.message.has_value());
    EXPECT_FALSE(plain.simulate);
    EXPECT_FALSE(plain.recordFolder.has_value()) << "no record unless asked for";

    const ProgramOptions all =
        parse({"--simulate", "--fast-reads", "--acquisition-stopped", "--record", "/tmp/campaign 7"});
    EXPECT_TRUE(all.simulate && all.fastReads && all.acquisitionStopped);
    EXPECT_EQ(all.recordFolder, "/tmp/campaign 7");

    const ProgramOptions version = parse({"--version"});
    ASSERT_TRUE(version.message.has_value());
    EXPECT_EQ(version.message->substr(0, version.message->find('\n') + 1),
              std::string("transformer-efficiency ") + programVersion() + " (Transformer Efficiency Calculator)\n");
    EXPECT_NE(version.message->find("GNU General Public License version 3"), std::string::npos)
        << "the program links Qt Charts";
    EXPECT_EQ(version.exitCode, 0);

    const ProgramOptions help = parse({"-h"});
    ASSERT_TRUE(help.message.has_value());
    EXPECT_EQ(help.message->rfind("Usage: transformer-efficiency [options]", 0), 0u);
    EXPECT_NE(help.message->find("--record <DIR>"), std::string::npos);
    EXPECT_EQ(help.exitCode, 0);

    for (const QStringList& wrong : {QStringList{"--bogus"}, QStringList{"--record"}, QStringList{"extra"}}) {
        const ProgramOptions refused = parse(wrong);
        EXPECT_EQ(refused.exitCode, 2) << wrong.join(' ').toStdString();
        EXPECT_TRUE(refused.message.has_value());
    }

    // A measurement from a script, and the results window.
    const ProgramOptions headless = parse({"--headless", "--load-resistor", "9.4", "--supply", "10", "--capacitor",
                                           "100", "--passes", "3", "--interval", "1.5", "--comment", "unit 7"});
    ASSERT_TRUE(headless.headless.has_value());
    EXPECT_EQ(headless.headless->passes, 3);
    EXPECT_EQ(headless.headless->intervalSeconds, 1.5);
    EXPECT_EQ(headless.headless->comment, "unit 7");
    const ProgramOptions results = parse({"--results", "/tmp/a", "/tmp/b"});
    EXPECT_TRUE(results.results);
    EXPECT_EQ(results.resultsFolders, (std::vector<std::string>{"/tmp/a", "/tmp/b"}));
    for (const QStringList& wrong : {QStringList{"--headless", "--supply", "10"}, QStringList{"--passes", "2"},
                                     QStringList{"--headless", "--results", "--load-resistor", "9.4", "--supply", "10",
                                                 "--capacitor", "100"}}) {
        EXPECT_EQ(parse(wrong).exitCode, 2) << wrong.join(' ').toStdString();
    }
}
