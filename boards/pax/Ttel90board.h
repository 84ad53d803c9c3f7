// The TEL90 16-channel sensor board: a sensor board number and the time an
// input must stay inactive before it is reported inactive.
#pragma once

#include "boards/core/Tconfigurableboard.h"

#include <iosfwd>
#include <string>
#include <vector>

class TTEL90Board : public TConfigurableBoard {
public:
    TTEL90Board();
    TTEL90Board(const TTEL90Board& other);
    TTEL90Board& operator=(const TTEL90Board& other);
    ~TTEL90Board() override;

public: // TConfigurableBoard
    std::string BoardTypeName() const override;
    bool MatchesIdentity(int32_t vendorId, int32_t deviceId, int32_t serialNumber) const override;
    void WriteToFile(std::ostream& out) override;
    void ReadFromFile(std::istream& in) override;
    bool ComputeSvImage() override;
    std::string SvErrorText() const override;
    bool DecodeSvImage() override;
    std::vector<unsigned> SystemSvList() const override;
    std::vector<unsigned> UnusedSvList() const override;
    void DescribeSettings(std::vector<std::string>& lines) const override;

public: // settings
    std::string UserDescription = "Undefined";
    int32_t SensorBoardNumber = 1;   // 1 to 255
    int32_t DeactivateDebounce = 50; // [10 ms], 1 to 255; the file holds milliseconds
};
