#include "link/Lndispatch.h"

#include "link/Lndecoders.h"
#include "link/Tsvprogmsg.h"

namespace {

using TDecoderFactory = std::unique_ptr<TLocoNetMessage> (*)(const TLocoNetMessage&);

template <class T>
std::unique_ptr<TLocoNetMessage> Make(const TLocoNetMessage& received)
{
    return std::make_unique<T>(received);
}

struct DecoderRow {
    int kind;
    TDecoderFactory make;
};

constexpr DecoderRow kDecoderTable[] = {
    {eOPCLOCOADR, &Make<TLNLocoAddrMessage>},
    {eOPCMOVESLOTS, &Make<TLNMoveSlotMessage>},
    {eOPCSLOTSTAT1, &Make<TLNWriteSlotStat1Message>},
    {eOPCLONGACK, &Make<TLNLongACKMessage>},
    {eOPCSENS, &Make<TLNSensFBMessage>},
    {eOPCTOFB, &Make<TLNToFBMessage>},
    {eOPCSWREQ, &Make<TLNSwReqMessage>},
    {eOPCLOCOF9F12, &Make<TLNLocoF9F12Message>},
    {eOPCLOCOSND, &Make<TLNLocoSNDMessage>},
    {eOPCLOCODIRF, &Make<TLNLocoDIRFMessage>},
    {eOPCLOCOSPD, &Make<TLNLocoSPDMessage>},
    {eOPCSVACCESS2, &Make<TLNSVProgMessage>},
    {eOPCPEERXFER, &Make<TLNPeerXferMessage>},
    {eOPCSE, &Make<TLNSEMessage>},
};

TDecoderFactory FactoryFor(int kind)
{
    for (const DecoderRow& row : kDecoderTable) {
        if (row.kind == kind) return row.make;
    }
    return nullptr;
}

}  // namespace

std::unique_ptr<TLocoNetMessage> MakeDecoderMessage(const TLocoNetMessage& received)
{
    if (TDecoderFactory make = FactoryFor(received.MessageKind())) return make(received);
    return std::make_unique<TLocoNetMessage>(received);
}

bool HasDecoderForKind(int kind)
{
    return FactoryFor(kind) != nullptr;
}
