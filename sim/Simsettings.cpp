#include "sim/Simsettings.h"

#include <algorithm>
#include <cctype>

namespace {

struct TModelRow {
    const char* name;
    int deviceId;
    int svCount;
};

// Indexed by board type.
constexpr TModelRow kModels[] = {
    {"VELA40", 1, 512},
    {"ORT50", 2, 512},
    {"VELA80", 5, 512},
    {"MUV7", 6, 512},
    {"PAX60", 7, 512},
    {"TEL90", 9, 64},
    {"PAX66", 10, 512},
};
constexpr int kModelCount = static_cast<int>(std::size(kModels));

}  // namespace

int SimBoardTypeFromName(const std::string& name)
{
    std::string upper(name);
    std::transform(upper.begin(), upper.end(), upper.begin(), [](unsigned char c) { return std::toupper(c); });
    for (int t = 0; t < kModelCount; ++t)
        if (upper == kModels[t].name)
            return t;
    return -1;
}

const char* SimBoardTypeName(int type)
{
    return type >= 0 && type < kModelCount ? kModels[type].name : "";
}

int SimBoardDeviceId(int type)
{
    return type >= 0 && type < kModelCount ? kModels[type].deviceId : 0;
}

int SimBoardSvCount(int type)
{
    return type >= 0 && type < kModelCount ? kModels[type].svCount : 512;
}

std::vector<TSimBoardSpec> OneBoardOfEachModel(uint16_t firstSerial)
{
    std::vector<TSimBoardSpec> boards;
    for (int t = 0; t < kModelCount; ++t) {
        TSimBoardSpec b;
        b.type = t;
        b.serial = static_cast<uint16_t>(firstSerial + t);
        boards.push_back(b);
    }
    return boards;
}

TSimBoardSpec Sv2BoardSpec(uint16_t address, uint16_t serial, int manufacturer, int developer, int product)
{
    TSimBoardSpec b;
    b.type = -1;
    if (manufacturer == 1 || manufacturer == 46)
        for (int t = 0; t < kModelCount; ++t)
            if (kModels[t].deviceId == product)
                b.type = t;
    b.serial = serial;
    b.address = address;
    b.vendor = (manufacturer & 0xFF) | (developer & 0xFF) << 8;
    b.device = product;
    return b;
}

TSimSettings DefaultSimulation()
{
    TSimSettings s;
    s.boards = OneBoardOfEachModel();
    s.locoBuffer = true;
    s.realtime = true;
    s.latencyMs = 5;
    s.trains.push_back(TSimTrain{});
    return s;
}
