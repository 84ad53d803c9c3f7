// The simulated LocoNet: every virtual board's answers to every SV request,
// the emulated LocoBuffer, the wire (echo, timing, faults) and the scripts.
#include "link/Lndecoders.h"
#include "link/Tsvprogmsg.h"
#include "sim/Simboard.h"
#include "sim/Simbus.h"
#include "sim/Simlbserver.h"
#include "sim/Simlocobuffer.h"
#include "sim/Simloconet.h"
#include "sim/Simpacketizer.h"

#include <QCoreApplication>
#include <QTcpSocket>
#include <QDeadlineTimer>
#include <QElapsedTimer>

#include <gtest/gtest.h>

#include <functional>

namespace {

TLNSVProgMessage Only(const std::vector<TLocoNetMessage>& replies)
{
    EXPECT_EQ(replies.size(), 1u);
    return replies.empty() ? TLNSVProgMessage() : TLNSVProgMessage(replies[0]);
}

std::string Hex(const std::vector<TLocoNetMessage>& replies)
{
    if (replies.size() == 1)
        return replies[0].HexText();
    std::string text = std::to_string(replies.size());
    text += " replies";
    return text;
}

bool WaitFor(const std::function<bool()>& done, int ms = 2000)
{
    QDeadlineTimer deadline(ms);
    while (!done() && !deadline.hasExpired())
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
    return done();
}

}  // namespace

TEST(SimBoard, EveryModelAnswersEveryRequest)
{
    for (int type = 0; type < 7; ++type) {
        SCOPED_TRACE(SimBoardTypeName(type));
        TSimBoardSpec spec;
        spec.type = type;
        spec.serial = 1000;
        spec.softwareVersion = 7;
        spec.hardwareVersion = 2;
        TSimBoard board(spec);
        const int device = SimBoardDeviceId(type);
        const int length = type == 5 ? 64 : 512;
        EXPECT_EQ(board.SvCount(), length);
        TLNSVProgMessage req;

        req.MakeSvDiscover(0);
        TLNSVProgMessage r = Only(board.Answer(req));
        ASSERT_EQ(r.SvKind(), eSvDiscoverReply);
        EXPECT_EQ(r.GetSvIdentity().vendor, 46);
        EXPECT_EQ(r.GetSvIdentity().device, device);
        EXPECT_EQ(r.GetSvIdentity().serial, 1000);

        req.MakeSvIdentify(0, 1000);
        r = Only(board.Answer(req));
        ASSERT_EQ(r.SvKind(), eSvIdentifyReply);
        EXPECT_EQ(r.GetSvIdentity().vendor, 46);
        EXPECT_EQ(r.GetSvIdentity().device, device);
        EXPECT_EQ(r.GetSvIdentity().serial, 1000);
        req.MakeSvIdentify(0, 1001);
        EXPECT_TRUE(board.Answer(req).empty());

        // Versions in SV 1 and 2, serial in SV 3 and 4.
        req.MakeSvRead4(0, 1000, 1);
        r = Only(board.Answer(req));
        ASSERT_EQ(r.SvKind(), eSvRead4Reply);
        TSvAccess4Fields f4 = r.GetSvAccess4();
        EXPECT_EQ(f4.destination, 1000);
        EXPECT_EQ(f4.sv, 1);
        EXPECT_EQ((std::vector<int>{f4.data[0], f4.data[1], f4.data[2], f4.data[3]}),
                  (std::vector<int>{2, 7, 1000 & 0xFF, 1000 >> 8}));
        req.MakeSvRead1(0, 1000, 2);
        r = Only(board.Answer(req));
        ASSERT_EQ(r.SvKind(), eSvRead1Reply);
        EXPECT_EQ(r.GetSvAccess().sv, 2);
        EXPECT_EQ(r.GetSvAccess().data, 7);

        // Writes store and answer with what is stored, high bits included.
        req.MakeSvWrite1(0, 1000, 10, 0xC8);
        r = Only(board.Answer(req));
        ASSERT_EQ(r.SvKind(), eSvWrite1Reply);
        EXPECT_EQ(r.GetSvAccess().destination, 1000);
        EXPECT_EQ(r.GetSvAccess().sv, 10);
        EXPECT_EQ(r.GetSvAccess().data, 0xC8);
        req.MakeSvWrite4(0, 1000, length - 4, 0x81, 0x02, 0xFF, 0x7F);
        r = Only(board.Answer(req));
        ASSERT_EQ(r.SvKind(), eSvWrite4Reply);
        f4 = r.GetSvAccess4();
        EXPECT_EQ(f4.sv, length - 4);
        EXPECT_EQ((std::vector<int>{f4.data[0], f4.data[1], f4.data[2], f4.data[3]}),
                  (std::vector<int>{0x81, 0x02, 0xFF, 0x7F}));
        req.MakeSvRead4(0, 1000, length - 4);
        f4 = Only(board.Answer(req)).GetSvAccess4();
        EXPECT_EQ(f4.data[0], 0x81);
        EXPECT_EQ(f4.data[3], 0x7F);
        req.MakeSvRead1(0, 1000, 10);
        EXPECT_EQ(Only(board.Answer(req)).GetSvAccess().data, 0xC8);
        // The system SVs do not take writes; SVs beyond the memory read 0.
        req.MakeSvWrite1(0, 1000, 2, 99);
        EXPECT_EQ(Only(board.Answer(req)).GetSvAccess().data, 7);
        req.MakeSvRead1(0, 1000, length + 1);
        EXPECT_EQ(Only(board.Answer(req)).GetSvAccess().data, 0);
        // Requests for other boards go unanswered.
        req.MakeSvRead1(0, 999, 10);
        EXPECT_TRUE(board.Answer(req).empty());
        req.MakeSvWrite4(0, 1001, 10, 1, 2, 3, 4);
        EXPECT_TRUE(board.Answer(req).empty());

        req.MakeSvReconfigure(0, 1000);
        r = Only(board.Answer(req));
        ASSERT_EQ(r.SvKind(), eSvReconfigureReply);
        EXPECT_EQ(r.GetSvReconfigure().destination, 1000);
        EXPECT_EQ(board.ReconfigureCount(), 1);

        // Change address only with vendor, device and serial all matching.
        req.MakeSvChangeAddress(0, 1, device, 1000, 2000);
        EXPECT_TRUE(board.Answer(req).empty());
        req.MakeSvChangeAddress(0, 46, device + 1, 1000, 2000);
        EXPECT_TRUE(board.Answer(req).empty());
        req.MakeSvChangeAddress(0, 46, device, 1000, 2000);
        r = Only(board.Answer(req));
        ASSERT_EQ(r.SvKind(), eSvChangeAddressReply);
        const TSvAddressChangeFields fa = r.GetSvAddressChange();
        EXPECT_EQ(fa.vendor, 46);
        EXPECT_EQ(fa.device, device);
        EXPECT_EQ(fa.serial, 1000);  // the old address, so the requester recognises the reply
        EXPECT_EQ(fa.newAddress, 2000);
        EXPECT_EQ(board.Serial(), 2000);
        EXPECT_EQ(board.Sv(3) + 256 * board.Sv(4), 2000);
        req.MakeSvIdentify(0, 1000);
        EXPECT_TRUE(board.Answer(req).empty());
        req.MakeSvIdentify(0, 2000);
        EXPECT_EQ(Only(board.Answer(req)).GetSvIdentity().serial, 2000);
    }
}

TEST(SimBoard, RepliesByteForByte)
{
    TSimBoardSpec spec;
    spec.type = 4;  // PAX60
    spec.serial = 0x04D2;
    TSimBoard board(spec);
    // The one-byte write of 0xC8 to SV 0x0181 for board 0x04D2: high bits folded
    // into bytes 5 and 10, and the same payload back with the reply bit.
    TLNSVProgMessage req;
    req.MakeSvWrite1(0, 0x04D2, 0x0181, 0xC8);
    ASSERT_EQ(req.HexText(), "E5 10 00 01 02 15 52 04 01 01 11 48 00 00 00 13 ");
    EXPECT_EQ(Hex(board.Answer(req)), "E5 10 01 41 02 15 52 04 01 01 11 48 00 00 00 52 ");
    EXPECT_EQ(board.Sv(0x0181), 0xC8);

    req.MakeSvDiscover(0);
    EXPECT_EQ(Hex(board.Answer(req)), "E5 10 01 47 02 10 00 00 2E 00 14 07 00 52 04 35 ");
    req.MakeSvIdentify(0, 0x04D2);
    EXPECT_EQ(Hex(board.Answer(req)), "E5 10 01 48 02 11 52 04 2E 00 14 07 00 52 04 6D ");
    req.MakeSvRead4(0, 0x04D2, 1);
    EXPECT_EQ(Hex(board.Answer(req)), "E5 10 01 46 02 11 52 04 01 00 14 01 01 52 04 4B ");
    for (const TLocoNetMessage& m : board.Answer(req))
        EXPECT_EQ(TLNSVProgMessage(m).ToText(), "SV Access: Read 4 Bytes Reply Dst=1234 Addr=0001 data=01 01 D2 04");
}

TEST(SimBoard, Faults)
{
    TSimBoardSpec spec;
    spec.type = 0;
    spec.serial = 5;
    spec.stuckSv = 20;
    TSimBoard stuck(spec);
    TLNSVProgMessage req;
    req.MakeSvWrite4(0, 5, 19, 1, 2, 3, 4);
    const TSvAccess4Fields f = Only(stuck.Answer(req)).GetSvAccess4();
    EXPECT_EQ((std::vector<int>{f.data[0], f.data[1], f.data[2], f.data[3]}), (std::vector<int>{1, 0, 3, 4}));

    // A board that forgets SV 21 in a restart: the write is confirmed, the
    // value is gone after the reconfigure; the other SVs keep theirs.
    TSimBoardSpec forgetting = spec;
    forgetting.stuckSv = 0;
    forgetting.forgetSv = 21;
    TSimBoard forgets(forgetting);
    EXPECT_EQ(Only(forgets.Answer(req)).GetSvAccess4().data[2], 3);
    TLNSVProgMessage reconfigure;
    reconfigure.MakeSvReconfigure(0, 5);
    Only(forgets.Answer(reconfigure));
    EXPECT_EQ((std::vector<int>{forgets.Sv(19), forgets.Sv(20), forgets.Sv(21), forgets.Sv(22)}),
              (std::vector<int>{1, 2, 255, 4}));

    spec.mute = true;
    TSimBoard mute(spec);
    req.MakeSvDiscover(0);
    EXPECT_TRUE(mute.Answer(req).empty());

    spec.mute = false;
    spec.vendor = 1;
    TSimBoard vendor1(spec);
    EXPECT_EQ(Only(vendor1.Answer(req)).GetSvIdentity().vendor, 1);

    // Not a valid message: no answer.
    std::vector<uint8_t> bad(req.Data(), req.Data() + 16);
    bad[15] ^= 1;
    EXPECT_TRUE(vendor1.Answer(TLocoNetMessage(bad.data(), 16)).empty());
}

TEST(SimLocoBuffer, ReplyReadsAsTheVersionReport)
{
    TSimLocoBuffer lb(0x12);
    const uint8_t query[] = {0x81, 0x7E};
    auto reply = lb.Answer(query, 2);
    ASSERT_TRUE(reply.has_value());
    EXPECT_EQ(reply->MessageKind(), eOPCPEERXFER);
    const TLNPeerXferMessage peer(*reply);
    EXPECT_TRUE(peer.IsLocoBufferReply());
    EXPECT_EQ(peer.ToText(), "LocoBuffer V1.2.0.0, Bad Frames = 0, Collisions = 0");
    // Counts with high bits are folded and survive.
    const TLNPeerXferMessage big(TSimLocoBuffer::MakeReply(0x9A, 0x123456 | 0x80, 0x800080));
    EXPECT_EQ(big.MessageKind(), eOPCPEERXFER);
    EXPECT_EQ(big.ToText(), "LocoBuffer V9.10.0.0, Bad Frames = " + std::to_string(0x1234D6) +
                                ", Collisions = " + std::to_string(0x800080));
    const uint8_t other[] = {0x83, 0x7C};
    EXPECT_FALSE(lb.Answer(other, 2).has_value());
}

TEST(SimBus, EveryoneHearsEverythingInOrder)
{
    TSimSettings s;
    s.boards = OneBoardOfEachModel(10);
    s.boards.push_back(s.boards[0]);  // two boards with the same serial number
    s.answerTwice = false;
    TSimLocoNet net(s);
    std::vector<QByteArray> heard;
    QObject::connect(&net.Bus(), &TSimBus::Delivered, [&](const QByteArray& p) { heard.push_back(p); });
    TLNSVProgMessage discover;
    discover.MakeSvDiscover(0);
    net.Bus().Send(QByteArray(reinterpret_cast<const char*>(discover.Data()), 16));
    ASSERT_TRUE(WaitFor([&] { return heard.size() == 9; }));
    EXPECT_EQ(TLNSVProgMessage(TLocoNetMessage(reinterpret_cast<const uint8_t*>(heard[0].constData()), 16)).SvKind(),
              eSvDiscover);  // the sender's own message first
    TLNSVProgMessage identify;
    identify.MakeSvIdentify(0, 10);
    heard.clear();
    net.Bus().Send(QByteArray(reinterpret_cast<const char*>(identify.Data()), 16));
    EXPECT_TRUE(WaitFor([&] { return heard.size() == 3; }));  // both boards with serial 10 answer
}

TEST(SimBus, FaultsAndTwice)
{
    TSimSettings s;
    s.boards = OneBoardOfEachModel(10);
    s.answerTwice = true;
    TSimLocoNet net(s);
    std::vector<QByteArray> heard;
    QObject::connect(&net.Bus(), &TSimBus::Delivered, [&](const QByteArray& p) { heard.push_back(p); });
    TLNSVProgMessage identify;
    identify.MakeSvIdentify(0, 12);
    const QByteArray bytes(reinterpret_cast<const char*>(identify.Data()), 16);
    net.Bus().Send(bytes);
    EXPECT_TRUE(WaitFor([&] { return heard.size() == 3; }));
    EXPECT_EQ(heard[1], heard[2]);

    TSimBus lossy;
    lossy.SetFaults(1.0, 0.0, 7);
    int delivered = 0, transmitted = 0;
    QObject::connect(&lossy, &TSimBus::Delivered, [&](const QByteArray&) { ++delivered; });
    QObject::connect(&lossy, &TSimBus::Transmitted, [&](const void*, int) { ++transmitted; });
    for (int i = 0; i < 5; ++i)
        lossy.Send(bytes);
    EXPECT_TRUE(WaitFor([&] { return transmitted == 5; }));
    EXPECT_EQ(delivered, 0);
    EXPECT_EQ(lossy.PacketsDropped(), 5u);

    TSimBus noisy;
    noisy.SetFaults(0.0, 1.0, 7);
    std::vector<QByteArray> spoilt;
    QObject::connect(&noisy, &TSimBus::Delivered, [&](const QByteArray& p) { spoilt.push_back(p); });
    for (int i = 0; i < 50; ++i)
        noisy.Send(bytes);
    ASSERT_TRUE(WaitFor([&] { return spoilt.size() == 50; }));
    for (const QByteArray& p : spoilt) {
        const TLocoNetMessage m(reinterpret_cast<const uint8_t*>(p.constData()), uint32_t(p.size()));
        EXPECT_FALSE(m.IsValid()) << m.HexText();
        EXPECT_EQ(uint8_t(p[0]), 0xE5);  // the opcode is kept: the frame is still framed
        for (qsizetype i = 1; i < p.size(); ++i)
            EXPECT_EQ(uint8_t(p[i]) & 0x80, 0);
    }
}

TEST(SimBus, RealTimeHoldsEachMessageForItsWireTime)
{
    TSimBus bus;
    bus.SetRealtime(true);
    int delivered = 0;
    QObject::connect(&bus, &TSimBus::Delivered, [&](const QByteArray&) { ++delivered; });
    QElapsedTimer clock;
    clock.start();
    const QByteArray sixteen(16, '\x01');
    for (int i = 0; i < 5; ++i)
        bus.Send(sixteen);
    ASSERT_TRUE(WaitFor([&] { return delivered == 5; }));
    // 16 bytes x 10 bits at 16457 baud = 9.7 ms each, one after another.
    EXPECT_GE(clock.elapsed(), 5 * 9);
    EXPECT_EQ(TSimBus::WireTimeUs(16), 9722);
}

TEST(SimBus, RepliesComeAfterTheLatency)
{
    TSimSettings s;
    s.boards = OneBoardOfEachModel(10);
    s.latencyMs = 40;
    TSimLocoNet net(s);
    QElapsedTimer clock;
    qint64 replyAt = -1;
    QObject::connect(&net.Bus(), &TSimBus::Delivered, [&](const QByteArray& p) {
        const TLNSVProgMessage m(TLocoNetMessage(reinterpret_cast<const uint8_t*>(p.constData()), uint32_t(p.size())));
        if (m.SvKind() == eSvIdentifyReply)
            replyAt = clock.elapsed();
    });
    TLNSVProgMessage identify;
    identify.MakeSvIdentify(0, 13);
    clock.start();
    net.Bus().Send(QByteArray(reinterpret_cast<const char*>(identify.Data()), 16));
    ASSERT_TRUE(WaitFor([&] { return replyAt >= 0; }));
    EXPECT_GE(replyAt, 40);
}

TEST(SimLbServer, SpeaksTheLineProtocol)
{
    TSimSettings s;
    s.boards = OneBoardOfEachModel(10);
    TSimLocoNet net(s);
    TSimLbServer server(net.Bus());
    QString error;
    ASSERT_TRUE(server.Listen(QHostAddress::LocalHost, 0, error)) << error.toStdString();
    QTcpSocket a, b;
    a.connectToHost(QHostAddress::LocalHost, server.Port());
    b.connectToHost(QHostAddress::LocalHost, server.Port());
    ASSERT_TRUE(a.waitForConnected(2000) && b.waitForConnected(2000));
    QByteArray inA, inB;
    QObject::connect(&a, &QTcpSocket::readyRead, [&] { inA += a.readAll(); });
    QObject::connect(&b, &QTcpSocket::readyRead, [&] { inB += b.readAll(); });
    ASSERT_TRUE(WaitFor([&] { return inA.contains("\r\n") && inB.contains("\r\n"); }));
    EXPECT_TRUE(inA.startsWith("VERSION "));
    inA.clear();
    inB.clear();
    a.write("send 83 7c\n");            // lower case, LF only
    a.write("SEND E5 10 00 08 02 10 0B 00 00 00 10 00 00 00 00\r");  // identify 11, no checksum: not answered
    a.write("SEND 83 zz\r\n");
    ASSERT_TRUE(WaitFor([&] { return inA.count("SENT") == 3 && inA.count("RECEIVE") == 2 && inB.count("RECEIVE") == 2; }));
    // The answers come in order, and so do the messages on the bus; the two streams may interleave.
    auto lines = [](const QByteArray& in, const char* verb) {
        std::string picked;
        for (const QByteArray& line : in.split('\n'))
            if (line.startsWith(verb))
                picked += line.toStdString() + "\n";
        return picked;
    };
    EXPECT_EQ(lines(inA, "SENT"), "SENT OK\r\nSENT OK\r\nSENT ERROR not a hexadecimal byte: zz\r\n");
    const std::string received = "RECEIVE 83 7C\r\nRECEIVE E5 10 00 08 02 10 0B 00 00 00 10 00 00 00 00\r\n";
    EXPECT_EQ(lines(inA, "RECEIVE"), received);
    EXPECT_EQ(inB.toStdString(), received);
}

TEST(SimLbServer, AnyWhiteSpacePartsTheVerbAndEveryLineIsAnswered)
{
    TSimSettings s;
    s.boards.clear();
    TSimLocoNet net(s);
    TSimLbServer server(net.Bus());
    QString error;
    ASSERT_TRUE(server.Listen(QHostAddress::LocalHost, 0, error)) << error.toStdString();
    QTcpSocket a;
    a.connectToHost(QHostAddress::LocalHost, server.Port());
    ASSERT_TRUE(a.waitForConnected(2000));
    QByteArray in;
    QObject::connect(&a, &QTcpSocket::readyRead, [&] { in += a.readAll(); });
    ASSERT_TRUE(WaitFor([&] { return in.contains("\r\n"); }));
    in.clear();
    a.write("SEND\t83 7C\r\n \t SEND \t 82\t7D\r\nBOGUS 83 7C\r\n");
    ASSERT_TRUE(WaitFor([&] { return in.count("SENT") == 3 && in.count("RECEIVE") == 2; })) << in.constData();
    QByteArray answers;
    for (const QByteArray& line : in.split('\n'))
        if (line.startsWith("SENT"))
            answers += line + "\n";
    EXPECT_EQ(answers, "SENT OK\r\nSENT OK\r\nSENT ERROR unknown command: BOGUS\r\n");
    EXPECT_TRUE(in.contains("RECEIVE 83 7C\r\n") && in.contains("RECEIVE 82 7D\r\n"));
}

TEST(SimScripts, SensorsAndTrains)
{
    TSimSettings s;
    s.sensors.push_back({3, 4, true, 10});
    TSimTrain t;
    t.startMs = 20;
    t.gapMs = 30;
    t.occupiedMs = 10;
    t.periodMs = 100;
    s.trains.push_back(t);
    TSimLocoNet net(s);
    std::vector<std::string> texts;
    QObject::connect(&net.Bus(), &TSimBus::Delivered, [&](const QByteArray& p) {
        const TLocoNetMessage m(reinterpret_cast<const uint8_t*>(p.constData()), uint32_t(p.size()));
        texts.push_back(TLNSensFBMessage(m).ToText());
    });
    net.Start();
    ASSERT_TRUE(WaitFor([&] { return texts.size() >= 5; }));
    EXPECT_EQ(std::vector<std::string>(texts.begin(), texts.begin() + 5),
              (std::vector<std::string>{"OPC_SENSORREP sensor report:3,4 On", "OPC_SENSORREP sensor report:1,1 On",
                                        "OPC_SENSORREP sensor report:1,1 Off", "OPC_SENSORREP sensor report:1,2 On",
                                        "OPC_SENSORREP sensor report:1,2 Off"}));
    ASSERT_TRUE(WaitFor([&] { return texts.size() >= 6; }));  // the train comes round again
    EXPECT_EQ(texts[5], "OPC_SENSORREP sensor report:1,1 On");
}

TEST(SimPacketizer, CutsAClientStreamAsSent)
{
    std::vector<QByteArray> packets;
    TSimPacketizer p([&](const QByteArray& b) { packets.push_back(b); });
    p.Feed(QByteArray("\x83", 1));
    EXPECT_TRUE(packets.empty());
    p.Feed(QByteArray("\x7C\xB2\x00", 3));
    ASSERT_EQ(packets.size(), 1u);
    EXPECT_EQ(packets[0], QByteArray("\x83\x7C", 2));
    p.Feed(QByteArray("\x85\x7A", 2));  // the cut sensor frame goes out as it was
    ASSERT_EQ(packets.size(), 3u);
    EXPECT_EQ(packets[1], QByteArray("\xB2\x00", 2));
    EXPECT_EQ(packets[2], QByteArray("\x85\x7A", 2));
    p.Feed(QByteArray("\xE5\x04\x01", 3));
    EXPECT_EQ(packets.size(), 3u);
    p.Feed(QByteArray("\x02", 1));
    ASSERT_EQ(packets.size(), 4u);
    EXPECT_EQ(packets[3], QByteArray("\xE5\x04\x01\x02", 4));
    p.Feed(QByteArray("\x01\x02", 2));  // stray data bytes wait for a flush
    EXPECT_TRUE(p.HasPartial());
    p.Flush();
    EXPECT_EQ(packets.back(), QByteArray("\x01\x02", 2));
}

TEST(SimLbServer, HexLines)
{
    QString reason;
    EXPECT_EQ(TSimLbServer::ParseHexBytes("83 7c", reason), QByteArray("\x83\x7C", 2));
    EXPECT_EQ(TSimLbServer::ParseHexBytes("  B2 0 50 1D ", reason), QByteArray("\xB2\x00\x50\x1D", 4));
    EXPECT_FALSE(TSimLbServer::ParseHexBytes("83 zz", reason).has_value());
    EXPECT_FALSE(reason.isEmpty());
    EXPECT_FALSE(TSimLbServer::ParseHexBytes("183", reason).has_value());
    EXPECT_FALSE(TSimLbServer::ParseHexBytes("", reason).has_value());
    EXPECT_EQ(TSimLbServer::HexLine("RECEIVE", QByteArray("\x83\x0C", 2)), "RECEIVE 83 0C\r\n");
}

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
