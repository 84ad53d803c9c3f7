// A virtual board of the family, or of another maker (address apart from
// the serial number): identity, SV memory, and the answers a real board
// gives to SV-access requests (SV format 2). No timing, no bus: the
// simulated LocoNet hands it each message and sends what it returns.
#pragma once

#include "link/Lnmessage.h"
#include "sim/Simsettings.h"

#include <cstdint>
#include <vector>

class TSimBoard {
public:
    explicit TSimBoard(const TSimBoardSpec& spec);

    // The replies to one message on the bus (none for anything not addressed
    // to this board, not an SV request, or when the board is mute).
    std::vector<TLocoNetMessage> Answer(const TLocoNetMessage& msg);

    const TSimBoardSpec& Spec() const { return spec_; }
    uint16_t Serial() const { return spec_.serial; }
    // The address the board answers at: its serial number for the family.
    uint16_t Address() const { return SimBoardAddress(spec_); }
    int Vendor() const { return spec_.vendor; }
    int Device() const { return device_; }
    int SvCount() const { return static_cast<int>(sv_.size()); }
    // SV n (1-based); 0 outside the memory.
    uint8_t Sv(int n) const;
    void SetSv(int n, uint8_t value);  // as a write request would store it
    int ReconfigureCount() const { return reconfigures_; }

    static constexpr uint8_t kReplySource = 0x01;

private:
    bool Store(int n, uint8_t value);
    void SyncSerialSvs();

    TSimBoardSpec spec_;
    int device_;
    std::vector<uint8_t> sv_;
    int reconfigures_ = 0;
};
