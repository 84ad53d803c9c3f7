// The PAX60 accessory decoder: eight output cells, ten inputs and eight
// routes under conditions on other layout devices.
#pragma once

#include "boards/pax/Tpax60boardparts.h"

#include <string>
#include <vector>

class TPAX60Board : public TPAXBoard {
public:
    TPAX60Board();
    TPAX60Board(const TPAX60Board& other);
    TPAX60Board& operator=(const TPAX60Board& other);
    ~TPAX60Board() override;

public: // TConfigurableBoard
    std::string BoardTypeName() const override;
    bool MatchesIdentity(int32_t vendorId, int32_t deviceId, int32_t serialNumber) const override;
    std::vector<unsigned> UnusedSvList() const override;
};
