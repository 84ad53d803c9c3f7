// varnscope-cli's help, run as the built program: every subcommand its usage
// lists has a help of its own that ends with what its exit statuses mean,
// and "help SUBCOMMAND" prints the very same text (the manual page is made
// of these texts).
#include "tests/qt/Clitestsupport.h"

#include <QCoreApplication>
#include <QProcess>
#include <QRegularExpression>

#include <gtest/gtest.h>

namespace {

// The names under "Subcommands:" in the usage.
QStringList Subcommands(const QString& usage)
{
    QStringList names;
    const QString section = usage.section(QStringLiteral("Subcommands:\n"), 1).section(QStringLiteral("\n\n"), 0, 0);
    for (const QString& line : section.split(QLatin1Char('\n'), Qt::SkipEmptyParts))
        names << line.trimmed().section(QLatin1Char(' '), 0, 0);
    return names;
}

}  // namespace

TEST(CliHelp, EverySubcommandHasOneHelpWithItsExitStatuses)
{
    const CliRun usage = Cli({"help"});
    ASSERT_EQ(usage.status, 0);
    EXPECT_EQ(Cli({"--help"}).out, usage.out);
    EXPECT_TRUE(usage.out.contains("varnscope-cli help [SUBCOMMAND]"));
    EXPECT_TRUE(usage.out.contains("\nExit status:\n"));
    const QStringList names = Subcommands(usage.out);
    // The board, bus and numbering subcommands at the least.
    for (const char* expected : {"decode", "monitor", "send", "program", "verify", "renumber", "new", "image"})
        EXPECT_TRUE(names.contains(QLatin1String(expected))) << expected;
    const QRegularExpression status(QStringLiteral("\nExit status:\n(  \\S.{0,69}\n)+$"));
    for (const QString& name : names) {
        SCOPED_TRACE(name.toStdString());
        const CliRun own = Cli({name, "--help"});
        EXPECT_EQ(own.status, 0);
        EXPECT_TRUE(own.out.startsWith("Usage: varnscope-cli " + name)) << own.out.toStdString();
        EXPECT_TRUE(status.match(own.out).hasMatch()) << own.out.toStdString();
        EXPECT_TRUE(own.out.contains(QStringLiteral("\n  0 "))) << own.out.toStdString();
        const CliRun asked = Cli({"help", name});
        EXPECT_EQ(asked.status, 0);
        EXPECT_EQ(asked.out, own.out);
    }
    const CliRun unknown = Cli({"help", "no-such-subcommand"});
    EXPECT_EQ(unknown.status, 2);
    EXPECT_TRUE(unknown.out.isEmpty());
    EXPECT_TRUE(unknown.err.contains("unknown subcommand 'no-such-subcommand'")) << unknown.err.toStdString();
}

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
