// varnscope-cli decode, run as the built program.
#include "tests/qt/Clitestsupport.h"

#include <QCoreApplication>
#include <QProcess>

#include <gtest/gtest.h>

namespace {

CliRun Decode(const QStringList& args, const QByteArray& input = {})
{
    return Cli(QStringList{"decode"} + args, input, 30000);
}

}  // namespace

TEST(CliDecode, ArgumentsGiveOneDecodedLine)
{
    struct Case {
        QStringList args;
        const char* out;
    };
    const Case cases[] = {
        {{"B2", "00", "50", "1D"}, "OPC_SENSORREP sensor report:1,1 On\n"},
        {{"B2 00 50 1D"}, "OPC_SENSORREP sensor report:1,1 On\n"},
        {{"--raw", "83", "7C"}, "OPC_GPON:83 7C \n"},
        {{"83", "7C", "--raw"}, "OPC_GPON:83 7C \n"},
        {{"0x83", "0x7C"}, "OPC_GPON:83 7C \n"},
        {{"b0", "7f", "1f", "2f"}, "OPC_SWREQ: Switch request, point number = 2048, THROWN Pressed\n"},
        {{"E5", "10", "00", "01", "02", "11", "52", "04", "05", "00", "10", "0A", "00", "00", "00", "51"},
         "SV Access: Write 1 Byte Dst=1234 Addr=0005 data=0A\n"},
        {{"B2", "00", "50", "1C"}, "Unknown:B2 00 50 1C \n"},
    };
    for (const Case& c : cases) {
        const CliRun r = Decode(c.args);
        EXPECT_EQ(r.status, 0) << c.args.join(' ').toStdString() << ": " << r.err.toStdString();
        EXPECT_EQ(r.out.toStdString(), c.out);
        EXPECT_TRUE(r.err.isEmpty());
    }
}

TEST(CliDecode, RejectedArgumentsExitTwo)
{
    for (const QStringList& args : {QStringList{"83"}, QStringList{"83,7C"}, QStringList{"83", "zz", "7C"},
                                    QStringList{""}, QStringList{"--nonsense", "83", "7C"}}) {
        const CliRun r = Decode(args);
        EXPECT_EQ(r.status, 2) << args.join(' ').toStdString();
        EXPECT_TRUE(r.out.isEmpty()) << r.out.toStdString();
        EXPECT_TRUE(r.err.startsWith("error: ")) << r.err.toStdString();
    }
}

TEST(CliDecode, StandardInputLineByLine)
{
    const CliRun r = Decode({}, "B2 00 50 1D\r\n83\n83 7C\n\nB0 00 30 7F");
    EXPECT_EQ(r.status, 2);
    EXPECT_EQ(r.out.toStdString(),
              "OPC_SENSORREP sensor report:1,1 On\n"
              "error\n"
              "OPC_GPON:83 7C \n"
              "error\n"
              "OPC_SWREQ: Switch request, point number = 1, CLOSED Pressed\n");
    EXPECT_EQ(r.err.count("error: "), 2) << r.err.toStdString();

    const CliRun raw = Decode({"--raw"}, "B2 00 50 1D\n83 7C\n");
    EXPECT_EQ(raw.status, 0);
    EXPECT_EQ(raw.out.toStdString(), "OPC_SENSORREP:B2 00 50 1D \nOPC_GPON:83 7C \n");

    const CliRun empty = Decode({}, "");
    EXPECT_EQ(empty.status, 0);
    EXPECT_TRUE(empty.out.isEmpty());
}

TEST(CliDecode, Help)
{
    const CliRun r = Decode({"--help"});
    EXPECT_EQ(r.status, 0);
    EXPECT_TRUE(r.out.startsWith("Usage: varnscope-cli decode")) << r.out.toStdString();
    EXPECT_TRUE(r.out.contains("--raw"));
}

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
