// The board subcommands through the built program, for every board type.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QStringList>
#include <QTemporaryDir>

namespace {

const QStringList kTypes = {"VELA40", "ORT50", "VELA80", "MUV7", "PAX60", "TEL90", "PAX66"};

struct TRun {
    int status = -1;
    QByteArray out;
    QByteArray err;
};

TRun Cli(const QStringList& args)
{
    QProcess process;
    process.start(QStringLiteral(VARNSCOPE_CLI), args);
    TRun run;
    if (!process.waitForFinished(60000)) {
        process.kill();
        process.waitForFinished();
        ADD_FAILURE() << "varnscope-cli did not finish: " << args.join(' ').toStdString();
        return run;
    }
    run.status = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
    run.out = process.readAllStandardOutput();
    run.err = process.readAllStandardError();
    return run;
}

class CliBoards : public ::testing::Test {
protected:
    QString PathOf(const QString& name) const { return dir_.filePath(name); }

    QString Write(const QString& name, const QByteArray& bytes) const
    {
        QFile file(PathOf(name));
        EXPECT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(bytes);
        return file.fileName();
    }

    static QByteArray Read(const QString& path)
    {
        QFile file(path);
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }

    // A file of new boards of the type.
    QString NewFile(const QString& type, int count)
    {
        const TRun run = Cli({"new", "--type", type, "--count", QString::number(count)});
        EXPECT_EQ(run.status, 0) << run.err.toStdString();
        return Write(type + ".csv", run.out);
    }

    QTemporaryDir dir_;
};

// Every type: file, list, report, image, listing, decode back to the same image.
TEST_F(CliBoards, EveryTypeRoundTrips)
{
    for (const QString& type : kTypes) {
        SCOPED_TRACE(type.toStdString());
        const QString file = NewFile(type.toLower(), 3);

        const TRun list = Cli({"list", "--type", type, file});
        ASSERT_EQ(list.status, 0) << list.err.toStdString();
        const QList<QByteArray> lines = list.out.split('\n');
        ASSERT_EQ(lines.size(), 4);  // three boards and the final line end
        EXPECT_TRUE(lines[0].startsWith("not set yet\t" + type.toLatin1() + "\t "));

        const TRun report = Cli({"report", "--type", type, "--index", "2", file});
        ASSERT_EQ(report.status, 0) << report.err.toStdString();
        EXPECT_TRUE(report.out.startsWith("Board Type: " + type.toLatin1() + "\nSerial number: not set yet\nBoard name: "));

        const TRun image = Cli({"image", "--type", type, "--index", "1", "--sw-version", "2", file});
        ASSERT_EQ(image.status, 0) << image.err.toStdString();
        const QList<QByteArray> svs = image.out.trimmed().split('\n');
        const int length = type == "TEL90" ? 64 : 512;
        ASSERT_EQ(svs.size(), length);
        for (int n = 1; n <= length; ++n)
            ASSERT_TRUE(QRegularExpression(QString("^SV%1=\\d{1,3}$").arg(n)).match(QString::fromLatin1(svs[n - 1])).hasMatch())
                << svs[n - 1].toStdString();

        // The listing holds the image's values of the transferable SVs, eight to a line.
        const TRun listing = Cli({"listing", "--type", type, "--index", "1", "--sw-version", "2", file});
        ASSERT_EQ(listing.status, 0) << listing.err.toStdString();
        const QByteArray head = "Board name = " + lines[1].mid(lines[1].lastIndexOf("\t ") + 2) + "\r\nSV Settings:\r\n";
        ASSERT_TRUE(listing.out.startsWith(head)) << listing.out.left(80).toStdString();
        const QList<QByteArray> entryLines = listing.out.mid(head.size()).split('\n');
        for (int i = 0; i + 1 < entryLines.size(); ++i)
            EXPECT_EQ(entryLines[i].count(";  "), 8) << i;
        const QStringList entries = QString::fromLatin1(listing.out.mid(head.size()))
                                        .remove("\r\n")
                                        .split(";  ", Qt::SkipEmptyParts);
        ASSERT_FALSE(entries.isEmpty());
        for (const QString& entry : entries) {
            const int n = entry.section('=', 0, 0).mid(2).toInt();
            ASSERT_GE(n, 3);
            EXPECT_EQ(svs[n - 1], entry.toLatin1()) << entry.toStdString();
        }

        const QString imageFile = Write(type + ".img", image.out);
        const TRun decoded = Cli({"decode-image", "--type", type, imageFile});
        ASSERT_EQ(decoded.status, 0) << decoded.err.toStdString();
        const QString decodedFile = Write(type + ".decoded.csv", decoded.out);
        const TRun again = Cli({"image", "--type", type, "--sw-version", "2", decodedFile});
        ASSERT_EQ(again.status, 0) << again.err.toStdString();
        EXPECT_EQ(again.out, image.out);

        const TRun based = Cli({"decode-image", "--type", type, "--base", file, "--index", "2", imageFile});
        ASSERT_EQ(based.status, 0) << based.err.toStdString();
        EXPECT_FALSE(based.out.isEmpty());
    }
}

TEST_F(CliBoards, NewWritesTheRequestedNumberOfBoards)
{
    const QString file = NewFile("VELA40", 4);
    EXPECT_EQ(Cli({"list", "--type", "vela40", file}).out.count('\n'), 4);
    const TRun none = Cli({"new", "--type", "VELA40", "--count", "0"});
    EXPECT_EQ(none.status, 0);
    EXPECT_TRUE(none.out.isEmpty());
    const TRun bad = Cli({"new", "--type", "VELA40", "--count", "x"});
    EXPECT_EQ(bad.status, 2);
    // No more boards than a file loads again.
    const TRun many = Cli({"new", "--type", "TEL90", "--count", "1025"});
    EXPECT_EQ(many.status, 2);
    EXPECT_TRUE(many.err.contains("--count: at most 1024 boards")) << many.err.toStdString();
    // The output is a configuration file: CR LF line ends.
    const QByteArray bytes = Read(file);
    EXPECT_TRUE(bytes.endsWith("\r\n"));
    EXPECT_EQ(bytes.count('\n'), bytes.count("\r\n"));
}

TEST_F(CliBoards, ErrorsNameTheFileAndExitWithThree)
{
    const QString file = NewFile("VELA40", 2);
    QByteArray broken = Read(file);
    // A condition whose point number is no number stops the load on that line.
    const int at = broken.indexOf("\"Unused\"");
    ASSERT_GT(at, 0);
    const int line = broken.left(at).count('\n') + 1;
    broken.replace(at, 8, "\"PT 1x TH\"");
    const QString brokenFile = Write("broken.csv", broken);

    struct Case {
        QStringList args;
        QString message;  // the start of the one line on standard error
    };
    const Case cases[] = {
        {{"list", "--type", "VELA99", file}, "error: unknown board type 'VELA99'"},
        {{"list", "--type", "VELA40", PathOf("missing.csv")}, "error: " + PathOf("missing.csv") + ": cannot be opened"},
        {{"report", "--type", "VELA40", "--index", "2", file},
         "error: " + file + ": board index 2 is out of range (the file holds 2 VELA40 boards)"},
        {{"image", "--type", "VELA40", brokenFile},
         QString("error: %1, line %2: '1x' is not a valid integer value").arg(brokenFile).arg(line)},
        {{"list", "--type", "VELA40", brokenFile}, QString("error: %1, line %2: ").arg(brokenFile).arg(line)},
        {{"listing", "--type", "VELA40", file, "-o", file}, "error: " + file + ": the listing would overwrite"},
        {{"listing", "--type", "VELA40", file, "-o", PathOf("no/dir/out.txt")},
         "error: " + PathOf("no/dir/out.txt") + ": cannot be written"},
        {{"decode-image", "--type", "VELA40", PathOf("missing.img")}, "error: " + PathOf("missing.img")},
        {{"decode-image", "--type", "VELA40", "--base", PathOf("missing.csv"), file}, "error: " + PathOf("missing.csv")},
    };
    const QByteArray before = Read(file);
    for (const Case& c : cases) {
        const TRun run = Cli(c.args);
        SCOPED_TRACE(c.args.join(' ').toStdString());
        EXPECT_EQ(run.status, 3);
        EXPECT_TRUE(run.out.isEmpty()) << run.out.left(200).toStdString();
        EXPECT_EQ(run.err.count('\n'), 1) << run.err.toStdString();
        EXPECT_TRUE(QString::fromLocal8Bit(run.err).startsWith(c.message)) << run.err.toStdString();
    }
    EXPECT_EQ(Read(file), before);
}

TEST_F(CliBoards, BadImageLinesAreReported)
{
    struct Case {
        QByteArray image;
        QString message;
    };
    const Case cases[] = {
        {"SV1=0\r\n\r\nSV2=x\r\n", ", line 3: 'SV2=x' is not of the form SV<n>=<value>"},
        {"SV513=1\n", ", line 1: SV513 is outside the image of 512 SVs"},
        {"SV0=1\n", ", line 1: SV0 is outside the image of 512 SVs"},
        {"SV5=256\n", ", line 1: value 256 of SV5 is not a byte (0 to 255)"},
        {"5=1\n", ", line 1: '5=1' is not of the form SV<n>=<value>"},
    };
    for (const Case& c : cases) {
        const QString file = Write("bad.img", c.image);
        const TRun run = Cli({"decode-image", "--type", "VELA40", file});
        EXPECT_EQ(run.status, 3) << c.image.toStdString();
        EXPECT_EQ(QString::fromLocal8Bit(run.err).trimmed(), "error: " + file + c.message);
    }
}

TEST_F(CliBoards, AFailedCalculationStillGivesTheWholeImage)
{
    // Every free condition of a new VELA40 names another point: far more than the board can hold.
    QByteArray bytes = Read(NewFile("VELA40", 1));
    int point = 1;
    for (int at = bytes.indexOf("\"Unused\""); at >= 0; at = bytes.indexOf("\"Unused\"", at))
        bytes.replace(at, 8, "\"PT " + QByteArray::number(point++) + " CL\"");
    ASSERT_GT(point, 100);
    const QString file = Write("crowded.csv", bytes);

    const TRun image = Cli({"image", "--type", "VELA40", file});
    EXPECT_EQ(image.status, 1);
    EXPECT_EQ(image.out.count('\n'), 512);
    EXPECT_TRUE(image.out.endsWith("SV512=0\n"));
    // The model's text, which names the count and the limit, on one line.
    EXPECT_TRUE(image.err.startsWith("SV Calculation Error: too many points, sensors or signals called up by board "
                                     "programming. Signals and reverse running zones call up "))
        << image.err.toStdString();
    EXPECT_TRUE(image.err.contains(" points and sensors; the board holds 48; the first without a place is signal "))
        << image.err.toStdString();
    EXPECT_EQ(image.err.count('\n'), 1);

    const TRun listing = Cli({"listing", "--type", "VELA40", file, "-o", PathOf("listing.txt")});
    EXPECT_EQ(listing.status, 1);
    EXPECT_EQ(listing.err, image.err);
    EXPECT_TRUE(listing.out.isEmpty());
    EXPECT_TRUE(Read(PathOf("listing.txt")).startsWith("Board name = VELA40 Signal Controller\r\nSV Settings:\r\nSV3=0;  "));
}

// diff: two boards of every type compare equal by setting; a name is kept in
// the file only; a changed setting makes them differ; errors exit as the
// other board commands do.
TEST_F(CliBoards, DiffComparesBoardsBySetting)
{
    for (const QString& type : kTypes) {
        SCOPED_TRACE(type.toStdString());
        const QString file = NewFile(type, 2);
        const TRun same = Cli({"diff", "--type", type, file + ":0", file + ":1"});
        EXPECT_EQ(same.status, 0) << same.err.toStdString();
        EXPECT_EQ(same.out, "The boards hold the same settings.\n");
        const TRun all = Cli({"diff", "--type", type, file, file + ":1", "--all"});
        EXPECT_EQ(all.status, 0) << all.err.toStdString();
        EXPECT_TRUE(all.out.contains("  Board Type: A \"" + type.toLatin1() + "\", B \"" + type.toLatin1() + "\"\n"))
            << all.out.toStdString();
    }

    // The TEL90's first line: type, name, serial number, sensor board, debounce [ms].
    const QString tel90 = Write("tel90.csv", "\"TEL90_BOARD\",\"Yard\",0,1,500\r\n,\"\"\r\n"
                                             "\"TEL90_BOARD\",\"Loop\",0,1,500\r\n,\"\"\r\n"
                                             "\"TEL90_BOARD\",\"Yard\",0,7,500\r\n,\"\"\r\n");
    const TRun named = Cli({"diff", "--type", "TEL90", tel90 + ":0", tel90 + ":1"});
    EXPECT_EQ(named.status, 0) << named.err.toStdString();
    EXPECT_EQ(named.out, "The boards hold the same settings.\nKept in the file only:\n"
                         "Board name: A \"Yard\", B \"Loop\"\n");
    const TRun differs = Cli({"diff", "--type", "TEL90", tel90 + ":0", tel90 + ":2"});
    EXPECT_EQ(differs.status, 1) << differs.err.toStdString();
    EXPECT_EQ(differs.out, "1 setting differs:\nSensor board number: A \"1\", B \"7\"\n");

    EXPECT_EQ(Cli({"diff", "--type", "TEL90", tel90}).status, 2);                      // one board
    EXPECT_EQ(Cli({"diff", "--type", "TEL90", tel90, tel90 + ":9"}).status, 3);        // no board 9
    EXPECT_EQ(Cli({"diff", "--type", "TEL90", tel90, PathOf("missing.csv")}).status, 3);
    EXPECT_EQ(Cli({"diff", "--type", "NOPE", tel90, tel90}).status, 3);
    EXPECT_EQ(Cli({"diff", tel90, tel90}).status, 2);                                  // no type
    const TRun help = Cli({"diff", "--help"});
    EXPECT_EQ(help.status, 0);
    EXPECT_TRUE(help.out.startsWith("Usage: varnscope-cli diff --type TYPE FILE_A[:INDEX] FILE_B[:INDEX]"))
        << help.out.toStdString();
    EXPECT_TRUE(Cli({"--help"}).out.contains("  diff "));
}

// diff --port: the board on the bus holds no names, so the file's stand for
// it and only what the board holds can differ; nothing is "kept in the file
// only", however the file words a setting the board holds alike.
TEST_F(CliBoards, DiffWithTheBusListsOnlyWhatTheBoardHolds)
{
    // The built-in bus holds a new board of each model, serials from 101.
    for (int i = 0; i < kTypes.size(); ++i) {
        const QString type = kTypes[i];
        SCOPED_TRACE(type.toStdString());
        QByteArray bytes = Read(NewFile(type, 1));
        const qsizetype serial = bytes.indexOf("\",0,");
        ASSERT_GT(serial, 0);
        bytes.replace(serial, 4, "\"," + QByteArray::number(101 + i) + ",");
        const QString file = Write(type + "-bus.csv", bytes);
        const TRun same = Cli({"diff", "--port", "sim", "--type", type, file});
        EXPECT_EQ(same.status, 0) << same.err.toStdString();
        EXPECT_TRUE(same.out.endsWith("Board data read completed successfully!\nThe boards hold the same settings.\n"))
            << same.out.toStdString();
    }

    // Signal 3 follows signal 4 in the file; the board's signal 3 follows none.
    QByteArray bytes = Read(NewFile("VELA40", 1));
    bytes.replace(bytes.indexOf("\",0,"), 4, "\",101,");
    const QByteArray signal3 = ",\"Signal_3\",\"unnamed\",1,2,0,0,0,0,";
    ASSERT_TRUE(bytes.contains(signal3));
    bytes.replace(signal3, ",\"Signal_3\",\"Home\",1,2,0,0,0,4,");
    const TRun differs = Cli({"diff", "--port", "sim", "--type", "VELA40", Write("vela40-next.csv", bytes)});
    EXPECT_EQ(differs.status, 1) << differs.err.toStdString();
    EXPECT_TRUE(differs.out.endsWith("1 setting differs:\n"
                                     "Signal 3, Next signal: file \"signal number 4, Normal\", board \"is always Green\"\n"))
        << differs.out.toStdString();
}

TEST_F(CliBoards, HelpAndUsage)
{
    for (const char* command : {"new", "list", "image", "listing", "report", "decode-image"}) {
        const TRun help = Cli({command, "--help"});
        EXPECT_EQ(help.status, 0) << command;
        EXPECT_TRUE(help.out.startsWith(QByteArray("Usage: varnscope-cli ") + command)) << help.out.toStdString();
        const TRun bad = Cli({command, "--no-such-option"});
        EXPECT_EQ(bad.status, 2) << command;
    }
    EXPECT_EQ(Cli({"list", "--type", "VELA40"}).status, 2);  // FILE missing
    EXPECT_EQ(Cli({"new"}).status, 2);                         // no type
}

}  // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
