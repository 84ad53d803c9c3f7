#include "sim/Simboard.h"

#include "boards/core/Boardfactory.h"
#include "link/Tsvprogmsg.h"

namespace {

// Requests and replies share their layout; a reply is its request's bytes with
// the reply bit in the command and a fresh checksum.
TLocoNetMessage AsReply(const TLNSVProgMessage& request, uint8_t command)
{
    std::vector<uint8_t> bytes(request.Data(), request.Data() + request.Length() - 1);
    bytes[3] = command;
    TLocoNetMessage reply(bytes.data(), static_cast<uint32_t>(bytes.size()));
    reply.AppendChecksum();
    return reply;
}

}  // namespace

TSimBoard::TSimBoard(const TSimBoardSpec& spec)
    : spec_(spec), device_(spec.device >= 0 ? spec.device : SimBoardDeviceId(spec.type)),
      sv_(static_cast<size_t>(SimBoardSvCount(spec.type)), 0)
{
    sv_[0] = static_cast<uint8_t>(spec_.hardwareVersion);
    sv_[1] = static_cast<uint8_t>(spec_.softwareVersion);
    SyncSerialSvs();
    // A board of the family leaves the factory holding what a new board of
    // its model computes, never an empty memory: read back, it is a board that
    // computes again, and verified without a write it holds what it should.
    if (const std::unique_ptr<TConfigurableBoard> fresh = spec_.blank ? nullptr : MakeBoard(spec_.type)) {
        fresh->SetSerialNumber(Address());
        fresh->SetSoftwareVersion(spec_.softwareVersion);
        if (fresh->ComputeSvImage())
            for (int n = 5; n <= SvCount() && n <= static_cast<int>(fresh->SvLength()); ++n)
                sv_[static_cast<size_t>(n - 1)] = fresh->SvByte(static_cast<unsigned>(n));
    }
}

uint8_t TSimBoard::Sv(int n) const
{
    return n >= 1 && n <= SvCount() ? sv_[static_cast<size_t>(n - 1)] : 0;
}

void TSimBoard::SetSv(int n, uint8_t value)
{
    Store(n, value);
}

void TSimBoard::SyncSerialSvs()
{
    sv_[2] = static_cast<uint8_t>(Address() & 0xFF);
    sv_[3] = static_cast<uint8_t>(Address() >> 8);
}

// SV 1 and 2 (versions) and 3 and 4 (address) are the board's own;
// writes to them, outside the memory or to a stuck SV do not stick.
bool TSimBoard::Store(int n, uint8_t value)
{
    if (n <= 4 || n > SvCount() || n == spec_.stuckSv)
        return false;
    sv_[static_cast<size_t>(n - 1)] = value;
    return true;
}

std::vector<TLocoNetMessage> TSimBoard::Answer(const TLocoNetMessage& msg)
{
    std::vector<TLocoNetMessage> replies;
    if (spec_.mute || !msg.IsValid())
        return replies;
    const TLNSVProgMessage sv(msg);
    const int kind = sv.SvKind();
    TLNSVProgMessage out;
    switch (kind) {
    case eSvDiscover:
        if (spec_.address == 0) {
            out.MakeSvDiscoverReply(kReplySource, spec_.vendor, device_, spec_.serial);
            replies.push_back(out);
        } else {
            // The open-source libraries answer with their address as destination.
            out.MakeSvChangeAddress(kReplySource, spec_.vendor, device_, spec_.serial, spec_.address);
            replies.push_back(AsReply(out, kSvCmdDiscover | kSvReplyBit));
        }
        break;
    case eSvIdentify:
        if (sv.GetSvReconfigure().destination != Address())
            break;
        out.MakeSvChangeAddress(kReplySource, spec_.vendor, device_, spec_.serial, Address());
        replies.push_back(AsReply(out, kSvCmdIdentify | kSvReplyBit));
        break;
    case eSvRead1:
    case eSvWrite1: {
        const TSvAccessFields f = sv.GetSvAccess();
        if (f.destination != Address())
            break;
        if (kind == eSvWrite1)
            Store(f.sv, f.data);
        out.MakeSvWrite1(kReplySource, Address(), f.sv, Sv(f.sv));
        replies.push_back(AsReply(out, kind == eSvWrite1 ? kSvCmdWrite1 | kSvReplyBit : kSvCmdRead1 | kSvReplyBit));
        break;
    }
    case eSvMaskedWrite: {
        const TSvMaskedAccessFields f = sv.GetSvMaskedAccess();
        if (f.destination != Address())
            break;
        Store(f.sv, static_cast<uint8_t>((Sv(f.sv) & ~f.mask) | (f.data & f.mask)));
        out.MakeSvWrite4(kReplySource, Address(), f.sv, Sv(f.sv), f.mask, 0, 0);
        replies.push_back(AsReply(out, kSvCmdMaskedWrite | kSvReplyBit));
        break;
    }
    case eSvRead4:
    case eSvWrite4: {
        const TSvAccess4Fields f = sv.GetSvAccess4();
        if (f.destination != Address())
            break;
        if (kind == eSvWrite4)
            for (int i = 0; i < 4; ++i)
                Store(f.sv + i, f.data[i]);
        out.MakeSvWrite4(kReplySource, Address(), f.sv, Sv(f.sv), Sv(f.sv + 1), Sv(f.sv + 2), Sv(f.sv + 3));
        replies.push_back(AsReply(out, kind == eSvWrite4 ? kSvCmdWrite4 | kSvReplyBit : kSvCmdRead4 | kSvReplyBit));
        break;
    }
    case eSvChangeAddress: {
        const TSvAddressChangeFields f = sv.GetSvAddressChange();
        if (f.vendor != spec_.vendor || f.device != device_ || f.serial != spec_.serial)
            break;
        const uint16_t old = spec_.serial;
        if (spec_.address == 0)
            spec_.serial = f.newAddress;
        else
            spec_.address = f.newAddress;
        SyncSerialSvs();
        out.MakeSvChangeAddress(kReplySource, spec_.vendor, device_, old, Address());
        replies.push_back(AsReply(out, kSvCmdChangeAddress | kSvReplyBit));
        break;
    }
    case eSvReconfigure:
        if (sv.GetSvReconfigure().destination != Address())
            break;
        ++reconfigures_;
        // A cell that lost its value in the restart: every write was
        // confirmed, yet the board no longer holds what it was given.
        if (spec_.forgetSv > 4 && spec_.forgetSv <= SvCount())
            sv_[static_cast<size_t>(spec_.forgetSv - 1)] = 0xFF;
        out.MakeSvReconfigure(kReplySource, Address());
        replies.push_back(AsReply(out, kSvCmdReconfigure | kSvReplyBit));
        break;
    default:
        break;
    }
    return replies;
}
