// SV-access messages: every parser on arbitrary 16-byte messages, and both
// engines (the programming sequencer and the numbering engine) driven by a
// script of replies and timer expiries taken from the input.
//
// Input: byte 0 picks the board type (modulo 7) and the sequencer's mode,
// bytes 1-2 the serial number; then records of one step byte and, for a
// message, 15 bytes (the checksum is made good unless the step asks not to).
#include "Fuzzsupport.h"
#include "boards/core/Boarddata.h"
#include "boards/core/Boardfactory.h"
#include "boards/core/Tconfigurableboard.h"
#include "link/Tsvprogmsg.h"
#include "programming/Tenginetimer.h"
#include "programming/Tprogsequencer.h"
#include "programming/Trenumberengine.h"

#include <cstddef>
#include <cstdint>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

namespace {

class TScriptTimer : public IEngineTimer {
public:
    void Start(int, uint64_t token) override
    {
        running = true;
        armed = token;
    }
    void Stop() override { running = false; }
    bool running = false;
    uint64_t armed = 0;
};

class TProgListener : public IProgrammerListener {
public:
    void SendMessage(std::unique_ptr<TLNSVProgMessage> message) override
    {
        FUZZ_CHECK(message != nullptr && message->Length() == 16 && message->IsValid());
        ++sent;
    }
    void TransferEnded(bool, const std::string&) override { ++ended; }
    int sent = 0;
    int ended = 0;
};

class TNumberListener : public IRenumberListener {
public:
    void SendMessage(std::unique_ptr<TLNSVProgMessage> message) override
    {
        FUZZ_CHECK(message != nullptr && message->Length() == 16 && message->IsValid());
    }
    void BoardListChanged(const std::vector<std::string>& lines) override { count = static_cast<int>(lines.size()); }
    int count = 0;
};

TLNSVProgMessage MessageFrom(const uint8_t* bytes, bool sv, bool goodChecksum)
{
    uint8_t frame[16];
    for (int i = 0; i < 15; ++i)
        frame[i] = bytes[i];
    frame[0] = 0xE5;
    frame[1] = 0x10;
    if (sv)
        frame[4] = 0x02;
    frame[15] = goodChecksum ? TLocoNetMessage::Checksum(frame, 15) : bytes[14];
    return TLNSVProgMessage(TLocoNetMessage(frame, 16));
}

void Parse(const TLNSVProgMessage& message)
{
    const int kind = message.SvKind();
    FUZZ_CHECK(kind >= 0);
    (void)message.GetSvAccess();
    (void)message.GetSvMaskedAccess();
    (void)message.GetSvAccess4();
    (void)message.GetSvIdentity();
    (void)message.GetSvAddressChange();
    (void)message.GetSvReconfigure();
    for (int i = -1; i <= 8; ++i)
        (void)message.SvPayloadByte(i);
    for (int n = -1; n <= 4; ++n)
        (void)message.SvPayloadWord(n);
    (void)message.ToText();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size < 3)
        return 0;
    const int type = data[0] % kBoardTypeCount;
    const TProgramMode mode = (data[0] & 0x80) ? TProgramMode::eRead : TProgramMode::eWrite;
    const int serial = data[1] | (data[2] << 8);

    std::unique_ptr<TConfigurableBoard> board = MakeBoard(type);
    board->SetSerialNumber(serial);
    board->ComputeSvImage();

    TScriptTimer progTimeout, progDelay, numTimeout, numDelay;
    TProgListener progListener;
    TProgSequencer sequencer(progListener, &progTimeout, &progDelay);
    sequencer.SetLogging((data[0] & 0x40) != 0);
    sequencer.SetPacedSending((data[0] & 0x20) != 0);
    sequencer.Start(mode, *board);

    TNumberListener numListener;
    TRenumberEngine engine(numListener, &numTimeout, &numDelay);
    std::istringstream products("\"Products\",2\r\n"
                                "\"Product\",\"Device id\",\"Manufacturer\",\"Vendor id\",\"Description\"\r\n"
                                "\"VELA40\",1,\"Quorvel\",46,\"VELA40\"\r\n"
                                "\"ORT50\",2,\"Quorvel\",46,\"ORT50\"\r\n",
                                std::ios::in | std::ios::binary);
    engine.Products().Load(products, "progdevicelist.csv");
    engine.Discover();

    size_t at = 3;
    while (at < size) {
        const uint8_t step = data[at++];
        switch (step & 0x0F) {
        case 0: case 1: case 2: case 3: case 4: case 5: case 6: case 7: {
            if (size - at < 15)
                return 0;
            const TLNSVProgMessage message = MessageFrom(data + at, (step & 0x10) == 0, (step & 0x20) == 0);
            at += 15;
            Parse(message);
            if (step & 0x40)
                engine.HandleSvMessage(message);
            else
                sequencer.HandleSvMessage(message);
            break;
        }
        case 8:
            sequencer.TimeoutExpired(progTimeout.armed - ((step >> 4) & 1));
            break;
        case 9:
            sequencer.DelayExpired(progDelay.armed - ((step >> 4) & 1));
            break;
        case 10:
            engine.TimeoutExpired(numTimeout.armed - ((step >> 4) & 1));
            break;
        case 11:
            engine.DelayExpired(numDelay.armed - ((step >> 4) & 1));
            break;
        case 12:
            if (sequencer.IsIdle())
                sequencer.Start(mode, *board);
            break;
        case 13:
            engine.Identify((step >> 4) - 1);
            break;
        case 14:
            if (at + 2 <= size) {
                engine.Renumber((step >> 4) - 1, data[at] | (data[at + 1] << 8));
                at += 2;
            }
            break;
        default:
            if (step & 0x10) {
                TBoardData boards;
                engine.CopyNewBoards(boards);
            } else {
                engine.Discover();
            }
            break;
        }
        FUZZ_CHECK(sequencer.RetriesLeft() >= 0);
    }
    sequencer.GoIdle();
    engine.GoIdle();
    return 0;
}
