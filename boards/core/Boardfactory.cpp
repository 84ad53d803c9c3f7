#include "boards/core/Boardfactory.h"

#include <cctype>

// ---- Model headers: one line per model, un-commented by the model's row ----
#include "boards/vela/Tvela40board.h"   // row 0 VELA40
#include "boards/ort50/Tort50board.h"      // row 1 ORT50
#include "boards/vela/Tvela80board.h"   // row 2 VELA80
#include "boards/muv7/Tmuv7board.h"        // row 3 MUV7
#include "boards/pax/Tpax60board.h"     // row 4 PAX60
#include "boards/pax/Ttel90board.h"     // row 5 TEL90
#include "boards/pax/Tpax66board.h"     // row 6 PAX66

namespace {

// ---- The factory table, indexed by board type: one row per model ----
// A model's row names its constructor as MakeModel<TModelBoard>; nullptr means
// the model is not built into this program yet.
const TBoardFactoryRow kBoardFactory[kBoardTypeCount] = {
    {"VELA40", "VELA40 Signal Controller", MakeModel<TVELA40Board>},  // row 0 VELA40
    {"ORT50", "ORT50 Kestrix", MakeModel<TORT50Board>},        // row 1 ORT50
    {"VELA80", "VELA80 Signal Controller", MakeModel<TVELA80Board>},  // row 2 VELA80
    {"MUV7", "MUV7 Pendulo", MakeModel<TMUV7Board>},           // row 3 MUV7
    {"PAX60", "PAX60 Gantrel", MakeModel<TPAX60Board>},       // row 4 PAX60
    {"TEL90", "TEL90 16-channel Sensor Board", MakeModel<TTEL90Board>},  // row 5 TEL90
    {"PAX66", "PAX66 Enhanced Accessory Decoder", MakeModel<TPAX66Board>},  // row 6 PAX66
};

}  // namespace

const TBoardFactoryRow* BoardFactoryRow(int boardType)
{
    if (boardType < 0 || boardType >= kBoardTypeCount)
        return nullptr;
    return &kBoardFactory[boardType];
}

std::unique_ptr<TConfigurableBoard> MakeBoard(int boardType)
{
    const TBoardFactoryRow* row = BoardFactoryRow(boardType);
    if (row == nullptr || row->make == nullptr)
        return nullptr;
    return row->make();
}

std::string BoardFactoryError(int boardType)
{
    const TBoardFactoryRow* row = BoardFactoryRow(boardType);
    if (row == nullptr)
        return "unknown board type " + std::to_string(boardType);
    if (row->make == nullptr)
        return std::string("board type ") + row->shortTypeName + " is not available in this build";
    return {};
}

int BoardTypeFromName(const std::string& shortTypeName)
{
    std::string upper;
    for (char c : shortTypeName)
        upper += static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    for (int type = 0; type < kBoardTypeCount; ++type) {
        if (upper == kBoardFactory[type].shortTypeName)
            return type;
    }
    return -1;
}
