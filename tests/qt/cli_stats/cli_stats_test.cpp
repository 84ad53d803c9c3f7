// varnscope-cli stats, run as the built program on the simulated LocoNet:
// its rows every interval, the tables at the end agreeing with them, the
// LocoBuffer's counters, and its exit statuses.
#include "tests/qt/Clitestsupport.h"

#include <QCoreApplication>
#include <QProcess>
#include <QStringList>

#include <gtest/gtest.h>

namespace {

// The tables after the interval rows, by the name of their first column.
QMap<QString, QList<QStringList>> Tables(const QString& text)
{
    QMap<QString, QList<QStringList>> tables;
    for (const QString& block : text.split(QStringLiteral("\n\n"), Qt::SkipEmptyParts)) {
        QList<QStringList> rows;
        for (const QString& line : block.split(QLatin1Char('\n'), Qt::SkipEmptyParts))
            rows << line.split(QLatin1Char(','));
        tables[rows.first().first()] = rows;
    }
    return tables;
}

}  // namespace

TEST(CliStats, CsvRowsEveryIntervalThenTablesThatAgree)
{
    const CliRun run = Cli({"stats", "--port", "sim", "--seconds", "3", "--interval", "1", "--csv"});
    ASSERT_EQ(run.status, 0) << run.err.toStdString();
    const auto tables = Tables(run.out);
    ASSERT_TRUE(tables.contains("elapsed_s")) << run.out.toStdString();
    const QList<QStringList> rows = tables["elapsed_s"];
    // The header, then one row a second; a late timer may merge two.
    ASSERT_GE(rows.size(), 3);
    EXPECT_EQ(rows.last()[0], "3") << "a run of 3 seconds reports 3, however late its timer";
    int rowMessages = 0;
    for (int i = 1; i < rows.size(); ++i)
        rowMessages += rows[i][2].toInt();

    const QList<QStringList> series = tables["second"];
    ASSERT_EQ(series.size(), 1 + 3);
    int seriesMessages = 0;
    for (int i = 1; i < series.size(); ++i)
        seriesMessages += series[i][1].toInt();
    QMap<QString, QString> counters;
    for (const QStringList& row : tables["counter"])
        counters[row[0]] = row.value(1);
    EXPECT_EQ(counters["messages"].toInt(), seriesMessages);
    EXPECT_EQ(rowMessages, seriesMessages);
    // The query at the start is on the bus, and the simulated LocoBuffer answered it.
    EXPECT_GE(seriesMessages, 2);
    EXPECT_EQ(counters["interface_version"], "1.1.0.0") << run.out.toStdString();
    EXPECT_EQ(counters["bad_frames"], "0");
    EXPECT_TRUE(tables.contains("kind"));
    EXPECT_TRUE(tables.contains("talker_group"));
    EXPECT_TRUE(tables.contains("burst_start_second"));
}

TEST(CliStats, TextWithoutTheQuerySaysTheInterfaceDidNotReport)
{
    const CliRun run = Cli({"stats", "--port", "sim", "--seconds", "1", "--interval", "0", "--no-query"});
    ASSERT_EQ(run.status, 0) << run.err.toStdString();
    EXPECT_TRUE(run.out.startsWith("0:00:01  ")) << run.out.toStdString();
    EXPECT_TRUE(run.out.contains("Bus statistics over 0:00:01 (1 s)")) << run.out.toStdString();
    EXPECT_TRUE(run.out.contains("Interface counters: not reported")) << run.out.toStdString();
}

TEST(CliStats, WrongOptionsAndPorts)
{
    struct TCase {
        QStringList args;
        int status;
        const char* error;
    };
    const QList<TCase> cases = {
        {{"--port", "sim", "--seconds", "0"}, 2, "--seconds needs a whole number from 1"},
        {{"--port", "sim", "--interval", "-1"}, 2, "--interval needs a whole number from 0"},
        {{"--port", "sim", "--top", "many"}, 2, "--top needs a whole number"},
        {{"--seconds", "1"}, 2, "--port"},
        {{"--port", "/dev/no-such-loconet", "--seconds", "1"}, 4, "cannot open /dev/no-such-loconet"},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.args.join(' ').toStdString());
        const CliRun run = Cli(QStringList{"stats"} + c.args);
        EXPECT_EQ(run.status, c.status);
        EXPECT_TRUE(run.err.contains(QLatin1String(c.error))) << run.err.toStdString();
        EXPECT_TRUE(run.out.isEmpty()) << run.out.toStdString();
    }
}

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
