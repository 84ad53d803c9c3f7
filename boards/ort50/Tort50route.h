// A route of the panel controller: up to twelve points with the state each
// must take, optionally chosen by a from/to button pair and followed by
// another route. The board holds 24; each is twelve SVs.
#pragma once

#include "boards/ort50/Tort50cell.h"

#include <array>
#include <cstdint>
#include <iosfwd>
#include <span>
#include <string>
#include <vector>

// Entry states
constexpr uint8_t kOrtStateUndefined = 0;
constexpr uint8_t kOrtStateClosed = 1;
constexpr uint8_t kOrtStateThrown = 2;

constexpr int kOrtRouteEntries = 12;
constexpr int kOrtRouteBytes = 12;
// A point no cell drives takes two bytes, its high byte plus 100 (closed)
// or 200 (thrown): beyond these its code would read back as another's.
constexpr int32_t kOrtLastClosedPoint = 25599;
constexpr int32_t kOrtLastThrownPoint = 14335;

// "UNDEF", "Closed", "Thrown"; "UNDEF" outside the table.
std::string Ort50StateName(int state);

class TORT50Route : public TCsvIo {
public:
    explicit TORT50Route(int32_t number = 1);
    TORT50Route(const TORT50Route& other) = default;
    TORT50Route& operator=(const TORT50Route& other) = default;

    // File line, 18 fields (19 for a route of twelve entries), texts quoted.
    // Reading an entry whose point number is no integer throws TCsvConversionError.
    void WriteRouteLine(std::ostream& out);
    void ReadRouteLine(std::istream& in);

    // What of the route the board cannot hold whatever room it has ("entry 2:
    // point 30000 cannot be programmed (...)"), or empty. Such values load as
    // the file holds them and fail the route's encoding.
    std::string Unprogrammable(const TORT50Cells& cells) const;

    // The route's twelve bytes in the whole image. Encoding is false when the
    // route needs more than twelve bytes or holds what Unprogrammable names
    // (the bytes written so far stay);
    // decoding returns true when the bytes name something the route cannot hold.
    bool EncodeRoute(TSvWriter image, const TORT50Cells& cells) const;
    bool DecodeRoute(std::span<const uint8_t> image, const TORT50Cells& cells);
    static uint32_t FirstSv(int32_t number);

    // Entries the twelve bytes leave room for: 12, less 2 with to/from mode, less 1 with cascade.
    int EntryCapacity() const;
    // Of the twelve bytes: a point on one of the board's cells takes 1, any
    // other point 2, the from/to buttons 2, a cascade 1.
    int BytesNeeded(const TORT50Cells& cells) const;
    // The bytes the defined entries need stay within the entry capacity.
    bool RouteFits(const TORT50Cells& cells) const;

    // The route editor's change of entry index (0 to 11): appends at the end
    // when index is at or beyond the length, drops undefined entries.
    // True when an entry was removed.
    bool SetRoutePoint(int index, int32_t point, uint8_t state);
    int32_t RoutePointAt(int index) const;  // 1 beyond the length
    uint8_t RouteStateAt(int index) const;  // undefined beyond the length
    uint32_t Length() const { return length_; }
    // Sets the entries outright (at most twelve); for building routes in code.
    void SetEntries(const std::vector<std::pair<int32_t, uint8_t>>& entries);

    std::string RouteListLine(const TORT50Cells& cells) const;
    std::string RoutePointText(int entryNumber, const TORT50Cells& cells) const;  // entry from 1
    void DescribeRoute(std::vector<std::string>& lines) const;

public:  // fields
    int32_t number = 1;       // 1 to 24, set by the board
    bool toFromMode = false;  // the board's to/from numbering flag
    int32_t fromButton = 1;   // to/from mode: the button pressed first, 1 to 24
    int32_t toButton = 1;     // the button pressed second
    bool cascade = false;     // invoke another route afterwards
    int32_t cascadeRoute = 1; // 1 to 24

private:
    std::string EntryText(int index) const;
    static bool PointFitsTwoBytes(int32_t point, bool thrown);
    bool CascadeFits() const;

    uint32_t length_ = 0;  // entries in use, 0 to 12
    std::array<int32_t, kOrtRouteEntries> points_{};
    std::array<uint8_t, kOrtRouteEntries> states_{};
};
