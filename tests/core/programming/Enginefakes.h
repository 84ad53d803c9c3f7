// Test doubles for the programming engines: timers fired by hand, a board
// model with the ORT50's SV layout, replies built as a board would send them,
// and a board memory that answers SV requests.
#pragma once

#include "boards/core/Tconfigurableboard.h"
#include "link/Tsvprogmsg.h"
#include "programming/Tenginetimer.h"

#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <vector>

class TFakeTimer : public IEngineTimer {
public:
    void Start(int ms, uint64_t token) override
    {
        running = true;
        interval = ms;
        armedToken = token;
        ++starts;
    }
    void Stop() override { running = false; }

    bool running = false;
    int interval = 0;
    uint64_t armedToken = 0;
    int starts = 0;
};

// A board with the ORT50's system and unused SVs, accepting vendor 46 or 1
// and device 2; its image is filled with a pattern so every block differs.
class TTestBoard : public TConfigurableBoard {
public:
    explicit TTestBoard(int serial = 1234, unsigned length = 512) : TConfigurableBoard(length)
    {
        SetSerialNumber(serial);
    }

    std::string BoardTypeName() const override { return "TEST"; }
    bool MatchesIdentity(int32_t vendorId, int32_t deviceId, int32_t serialNumber) const override
    {
        return (vendorId == 46 || vendorId == 1) && deviceId == 2 && serialNumber == SerialNumber();
    }
    void WriteToFile(std::ostream&) override {}
    void ReadFromFile(std::istream&) override {}
    bool ComputeSvImage() override
    {
        TConfigurableBoard::ComputeSvImage();
        ++computeCalls;
        for (unsigned sv = 5; sv <= SvLength(); ++sv)
            SetSvByte(sv, static_cast<uint8_t>((sv * 7 + pattern) & 0xFF));
        return computeOk;
    }
    std::string SvErrorText() const override { return "SV Calculation Error: too many test entries"; }
    bool DecodeSvImage() override
    {
        TConfigurableBoard::DecodeSvImage();
        ++decodeCalls;
        return true;
    }
    std::vector<unsigned> SystemSvList() const override { return {1, 2, 7, 8, 29}; }
    std::vector<unsigned> UnusedSvList() const override
    {
        std::vector<unsigned> unused;
        for (unsigned sv = 18; sv <= 29; ++sv)
            unused.push_back(sv);
        for (unsigned sv = 247; sv <= 256; ++sv)
            unused.push_back(sv);
        for (unsigned sv = 509; sv <= 512; ++sv)
            unused.push_back(sv);
        return unused;
    }

    bool computeOk = true;
    int pattern = 3;
    int computeCalls = 0;
    int decodeCalls = 0;
};

// A copy of msg with its command byte replaced and the checksum made good.
inline TLNSVProgMessage WithCommand(const TLNSVProgMessage& msg, uint8_t command)
{
    uint8_t bytes[16];
    for (int i = 0; i < 16; ++i)
        bytes[i] = msg.ByteAt(i);
    bytes[3] = command;
    bytes[15] = TLocoNetMessage::Checksum(bytes, 15);
    return TLNSVProgMessage(TLocoNetMessage(bytes, 16));
}

namespace Reply {
inline TLNSVProgMessage Identify(int vendor, int device, int serial)
{
    TLNSVProgMessage m;
    m.MakeSvDiscoverReply(0, vendor, device, serial);
    return WithCommand(m, 0x48);
}
inline TLNSVProgMessage Discover(int vendor, int device, int serial)
{
    TLNSVProgMessage m;
    m.MakeSvDiscoverReply(0, vendor, device, serial);
    return m;
}
inline TLNSVProgMessage ChangeAddress(int vendor, int device, int serial, int newAddress)
{
    TLNSVProgMessage m;
    m.MakeSvChangeAddress(0, vendor, device, serial, newAddress);
    return WithCommand(m, 0x49);
}
// Replies of a board that keeps its bus address apart from its serial
// number: the address goes in the destination field.
inline TLNSVProgMessage DiscoverAt(int vendor, int device, int serial, int address)
{
    TLNSVProgMessage m;
    m.MakeSvChangeAddress(0, vendor, device, serial, address);
    return WithCommand(m, 0x47);
}
inline TLNSVProgMessage IdentifyAt(int vendor, int device, int serial, int address)
{
    TLNSVProgMessage m;
    m.MakeSvChangeAddress(0, vendor, device, serial, address);
    return WithCommand(m, 0x48);
}
inline TLNSVProgMessage Four(uint8_t command, int serial, int sv, int d1, int d2, int d3, int d4)
{
    TLNSVProgMessage m;
    m.MakeSvWrite4(0, serial, sv, d1, d2, d3, d4);
    return WithCommand(m, command);
}
inline TLNSVProgMessage One(uint8_t command, int serial, int sv, int data)
{
    TLNSVProgMessage m;
    m.MakeSvWrite1(0, serial, sv, data);
    return WithCommand(m, command);
}
inline TLNSVProgMessage Reconfigure(int serial)
{
    TLNSVProgMessage m;
    m.MakeSvReconfigure(0, serial);
    return WithCommand(m, 0x4F);
}
}  // namespace Reply

// The memory of a board on the bus, answering SV requests addressed to it
// the way the family's boards do: writes answer with the stored value.
struct TBoardMemory {
    int vendor = 46;
    int device = 2;
    int serial = 1234;
    int address = 0;  // set: the board answers here, apart from its serial number
    std::vector<uint8_t> sv = std::vector<uint8_t>(513, 0);  // index = SV number
    int stuckSv = 0;  // writes here do not stick

    uint8_t Get(int n) const { return n >= 1 && n < static_cast<int>(sv.size()) ? sv[n] : 0; }
    void Put(int n, uint8_t v)
    {
        if (n >= 1 && n < static_cast<int>(sv.size()) && n != stuckSv)
            sv[n] = v;
    }

    int At() const { return address != 0 ? address : serial; }

    // The reply to a request, or none (kind 0) when it is not for this board.
    bool Answer(const TLNSVProgMessage& request, TLNSVProgMessage& reply)
    {
        const int at = At();
        switch (request.SvKind()) {
        case eSvIdentify:
            if (request.SvPayloadWord(2) != at)
                return false;
            reply = address != 0 ? Reply::IdentifyAt(vendor, device, serial, address)
                                 : Reply::Identify(vendor, device, at);
            return true;
        case eSvRead4:
        case eSvWrite4: {
            const TSvAccess4Fields f = request.GetSvAccess4();
            if (f.destination != at)
                return false;
            if (request.SvKind() == eSvWrite4)
                for (int i = 0; i < 4; ++i)
                    Put(f.sv + i, f.data[i]);
            reply = Reply::Four(request.SvKind() == eSvWrite4 ? 0x45 : 0x46, at, f.sv, Get(f.sv),
                                Get(f.sv + 1), Get(f.sv + 2), Get(f.sv + 3));
            return true;
        }
        case eSvRead1:
        case eSvWrite1: {
            const TSvAccessFields f = request.GetSvAccess();
            if (f.destination != at)
                return false;
            if (request.SvKind() == eSvWrite1)
                Put(f.sv, f.data);
            reply = Reply::One(request.SvKind() == eSvWrite1 ? 0x41 : 0x42, at, f.sv, Get(f.sv));
            return true;
        }
        case eSvReconfigure:
            if (request.GetSvReconfigure().destination != at)
                return false;
            reply = Reply::Reconfigure(at);
            return true;
        default:
            return false;
        }
    }
};
