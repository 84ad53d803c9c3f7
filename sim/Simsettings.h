// What a simulated LocoNet holds and how it misbehaves: its boards, the
// emulated LocoBuffer, scripted sensors and trains, timing and faults.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

// One virtual board. type is the board type index: 0 VELA40, 1 ORT50,
// 2 VELA80, 3 MUV7, 4 PAX60, 5 TEL90, 6 PAX66; -1 for another maker's board
// (512 SVs).
struct TSimBoardSpec {
    int type = 0;
    uint16_t serial = 1;
    // 0: the board answers at its serial number, as the family's boards do.
    // Otherwise the board's bus address, kept apart from its fixed serial
    // number as boards built on the open-source LocoNet libraries do: SV 3
    // and 4 hold it, and a change of address changes it, not the serial.
    uint16_t address = 0;
    int vendor = 46;          // 1 is also accepted by the program (not by the PAX66);
                              // such boards: manufacturer + 256 * developer
    int device = -1;          // -1: the model's own device id
    int hardwareVersion = 1;  // SV 1
    int softwareVersion = 1;  // SV 2
    bool mute = false;        // never answers
    bool blank = false;       // SV 5 on hold 0, not the image a new board of the model computes
    int stuckSv = 0;          // writes to this SV do not stick (0: none)
    int forgetSv = 0;         // this SV reads 255 after each reconfigure, as an erased EEPROM cell (0: none)
};

// "sensor board,input changes to on/off after atMs" (from the start).
struct TSimSensorEvent {
    int board = 1;
    int input = 1;
    bool on = true;
    int atMs = 0;
};

// A train passing sensor A, then sensor B gapMs later; each sensor is
// occupied for occupiedMs; the run repeats every periodMs.
struct TSimTrain {
    int boardA = 1, inputA = 1;
    int boardB = 1, inputB = 2;
    int startMs = 1000;
    int gapMs = 2000;
    int occupiedMs = 1000;
    int periodMs = 8000;
};

struct TSimSettings {
    // Timing. Fast mode hands every message on at once; real-time mode holds
    // each for its time on the wire (10 bits a byte at 16457 baud).
    bool realtime = false;
    int latencyMs = 0;  // delay of each board's reply [ms]

    // Faults.
    double dropRate = 0.0;     // fraction of messages lost
    double corruptRate = 0.0;  // fraction with a flipped data bit or a bad checksum
    bool answerTwice = false;  // every board reply goes out twice
    uint32_t seed = 1;         // of the fault generator

    bool locoBuffer = true;  // answer the status query 0x81 0x7E
    int locoBufferVersion = 0x11;  // D1: major in the high nibble, minor in the low one

    std::vector<TSimBoardSpec> boards;
    std::vector<TSimSensorEvent> sensors;
    std::vector<TSimTrain> trains;
};

// One board of each model (serials 101 to 107 in type order), the emulated
// LocoBuffer and a train running between sensors 1,1 and 1,2, in real time
// with replies 5 ms late.
TSimSettings DefaultSimulation();

// One board of each model with the given first serial, nothing else.
std::vector<TSimBoardSpec> OneBoardOfEachModel(uint16_t firstSerial = 101);

// Short type names: "VELA40", "ORT50", "VELA80", "MUV7", "PAX60", "TEL90",
// "PAX66"; -1 / empty for an unknown name or index.
int SimBoardTypeFromName(const std::string& name);  // any case
const char* SimBoardTypeName(int type);
int SimBoardDeviceId(int type);    // the model's device id
int SimBoardSvCount(int type);     // 512; the TEL90 64

// Another maker's SV format 2 board at address with a fixed serial number.
// A board reporting a manufacturer the family's boards use (1 or 46) and a
// model's device id as product has that model's SVs.
TSimBoardSpec Sv2BoardSpec(uint16_t address, uint16_t serial, int manufacturer = 13, int developer = 1,
                           int product = 1);
// The address the board answers at.
inline uint16_t SimBoardAddress(const TSimBoardSpec& spec)
{
    return spec.address != 0 ? spec.address : spec.serial;
}
