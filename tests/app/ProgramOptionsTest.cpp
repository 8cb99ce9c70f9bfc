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
    EXPECT_EQ(*version.message, std::string("transformer-efficiency ") + programVersion() +
                                    " (Transformer Efficiency Calculator)\n");
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
}
