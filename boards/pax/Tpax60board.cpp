#include "boards/pax/Tpax60board.h"

#include "boards/pax/Tpax60boardsv.h"

TPAX60Board::TPAX60Board() : TPAXBoard("PAX60 Accessory Decoder", "PAX60_BOARD") {}

TPAX60Board::TPAX60Board(const TPAX60Board& other) = default;
TPAX60Board& TPAX60Board::operator=(const TPAX60Board& other) = default;
TPAX60Board::~TPAX60Board() = default;

std::string TPAX60Board::BoardTypeName() const
{
    return "PAX60";
}

bool TPAX60Board::MatchesIdentity(int32_t vendorId, int32_t deviceId, int32_t serialNumber) const
{
    return MatchesIdentityOf(btPAX60, vendorId, deviceId, serialNumber);
}

std::vector<unsigned> TPAX60Board::UnusedSvList() const
{
    return PaxUnusedSvs({1, 2, 7, 8, 29, 40, 159, 160, 169, 170, 379, 380}, 429);
}
