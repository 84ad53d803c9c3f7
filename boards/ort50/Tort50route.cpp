#include "boards/ort50/Tort50route.h"

#include <algorithm>

namespace {

const char* const kStateNames[3] = {"UNDEF", "Closed", "Thrown"};

std::string Num(int32_t value) { return std::to_string(value); }

// Columns of the route line. The line has room for eleven entries before the
// cascade column; a twelfth entry (only possible without cascade and without
// to/from mode) goes after it, so the cascade column keeps one meaning.
constexpr unsigned kFirstEntryColumn = 6;
constexpr unsigned kCascadeColumn = 17;
constexpr unsigned kTwelfthEntryColumn = 18;

}  // namespace

std::string Ort50StateName(int state)
{
    return state >= 0 && state < 3 ? kStateNames[state] : kStateNames[0];
}

TORT50Route::TORT50Route(int32_t number_) : number(number_)
{
    SetQuoteTexts(true);
    points_.fill(1);
    states_.fill(kOrtStateUndefined);
}

uint32_t TORT50Route::FirstSv(int32_t number)
{
    if (number >= 1 && number <= 3)
        return 210 + 12 * static_cast<uint32_t>(number - 1);
    if (number >= 4 && number <= kOrtRouteCount)
        return 257 + 12 * static_cast<uint32_t>(number - 4);
    return 0;
}

int TORT50Route::EntryCapacity() const
{
    return kOrtRouteEntries - (toFromMode ? 2 : 0) - (cascade ? 1 : 0);
}

bool TORT50Route::PointFitsTwoBytes(int32_t point, bool thrown)
{
    // The high byte plus 100 (closed) or 200 (thrown) shares its byte with
    // the cell codes below 100 and the thrown codes from 200.
    return point >= 0 && point <= (thrown ? kOrtLastThrownPoint : kOrtLastClosedPoint);
}

bool TORT50Route::CascadeFits() const
{
    return cascadeRoute >= 1 && cascadeRoute <= kOrtRouteCount;
}

std::string TORT50Route::Unprogrammable(const TORT50Cells& cells) const
{
    for (uint32_t i = 0; i < length_; ++i) {
        const int32_t point = points_[i];
        const bool thrown = states_[i] == kOrtStateThrown;
        if (PointCellFor(point, cells) == 0 && !PointFitsTwoBytes(point, thrown))
            return "entry " + Num(static_cast<int32_t>(i) + 1) + ": point " + Num(point) +
                   " cannot be programmed (points 0 to " +
                   Num(thrown ? kOrtLastThrownPoint : kOrtLastClosedPoint) + (thrown ? " thrown" : "") +
                   ", or a point on one of this board's cells)";
    }
    if (cascade && !CascadeFits())
        return "cascade route " + Num(cascadeRoute) + " cannot be programmed (routes 1 to " + Num(kOrtRouteCount) +
               ")";
    return {};
}

int32_t TORT50Route::RoutePointAt(int index) const
{
    if (index < 0 || static_cast<uint32_t>(index) >= length_)
        return 1;
    return points_[static_cast<size_t>(index)];
}

uint8_t TORT50Route::RouteStateAt(int index) const
{
    if (index < 0 || static_cast<uint32_t>(index) >= length_)
        return kOrtStateUndefined;
    return states_[static_cast<size_t>(index)];
}

void TORT50Route::SetEntries(const std::vector<std::pair<int32_t, uint8_t>>& entries)
{
    length_ = static_cast<uint32_t>(std::min<size_t>(entries.size(), kOrtRouteEntries));
    points_.fill(1);
    states_.fill(kOrtStateUndefined);
    for (uint32_t i = 0; i < length_; ++i) {
        points_[i] = entries[i].first;
        states_[i] = entries[i].second;
    }
}

// ---------------------------------------------------------------- file line

std::string TORT50Route::EntryText(int index) const
{
    const auto i = static_cast<size_t>(index);
    return Num(points_[i]) + " " + Ort50StateName(states_[i]);
}

void TORT50Route::WriteRouteLine(std::ostream& out)
{
    ClearFields();
    SetTextField(1, "route_config");
    SetIntField(2, number);
    SetIntField(3, fromButton);
    SetIntField(4, toButton);
    SetIntField(5, static_cast<int32_t>(length_));
    for (int i = 0; i < kOrtRouteEntries - 1; ++i)
        SetTextField(kFirstEntryColumn + static_cast<unsigned>(i),
                     static_cast<uint32_t>(i) < length_ ? EntryText(i) : "0");
    SetIntField(kCascadeColumn, cascade ? cascadeRoute : 0);
    if (length_ == kOrtRouteEntries)
        SetTextField(kTwelfthEntryColumn, EntryText(kOrtRouteEntries - 1));
    WriteLine(out, kOrtMinFields);
}

void TORT50Route::ReadRouteLine(std::istream& in)
{
    // Everything is converted before anything is stored: an entry that is no
    // number ends the loading, and the route must then stay as it was (above
    // all its number, which places its record in the image).
    ReadLine(in);
    const int32_t fileNumber = GetIntField(2);
    const int32_t from = GetIntField(3);
    const int32_t to = GetIntField(4);
    const uint32_t length = static_cast<uint32_t>(std::clamp(GetIntField(5), 0, kOrtRouteEntries));

    // A twelve-entry line without the column after the cascade holds its
    // twelfth entry in the cascade column itself.
    const bool twelfthInCascadeColumn =
        length == kOrtRouteEntries && GetTextField(kTwelfthEntryColumn).empty();

    auto points = points_;
    auto states = states_;
    points.fill(1);
    states.fill(kOrtStateUndefined);
    for (uint32_t i = 0; i < length; ++i) {
        unsigned column = kFirstEntryColumn + i;
        if (i == kOrtRouteEntries - 1 && !twelfthInCascadeColumn)
            column = kTwelfthEntryColumn;
        const std::string text = GetTextField(column);
        const size_t blank = text.find(' ');
        if (blank == std::string::npos)
            throw TCsvConversionError(text, "route entry " + QuotedInput(text) +
                                                " is not a point number and a state (such as 12 Closed)");
        uint8_t state = kOrtStateUndefined;
        for (uint8_t s = 0; s < 3; ++s)
            if (text.find(kStateNames[s]) != std::string::npos) {
                state = s;
                break;
            }
        // Any number loads: whether the board can hold it depends on the
        // cells, which may change before the image is computed (Unprogrammable).
        points[i] = StrictInt(text.substr(0, blank), "the point number of route entry " + QuotedInput(text));
        states[i] = state;
    }
    int32_t cascadeTo = 0;
    if (!twelfthInCascadeColumn && !GetTextField(kCascadeColumn).empty())
        cascadeTo = GetIntField(kCascadeColumn);

    number = fileNumber;
    fromButton = from;
    toButton = to;
    length_ = length;
    points_ = points;
    states_ = states;
    cascade = cascadeTo != 0;
    cascadeRoute = cascade ? cascadeTo : 1;
}

// ---------------------------------------------------------------- SV record

bool TORT50Route::EncodeRoute(TSvWriter image, const TORT50Cells& cells) const
{
    const uint32_t first = FirstSv(number);
    if (first == 0 || first - 1 + kOrtRouteBytes > image.size())
        return true;
    TSvWriter b = image.Sub(first - 1, kOrtRouteBytes, "route " + std::to_string(number));
    for (size_t i = 0; i < size_t(kOrtRouteBytes); ++i)
        b.Put(i, 0, "no entry");

    // Bytes beyond the twelve belong to the next route or to unused SVs:
    // a route that does not fit is cut there, not spilled.
    int used = 0;
    auto put = [&](int value, const TSvWriter& place, std::string_view what) {
        if (used < kOrtRouteBytes)
            place.Put(static_cast<size_t>(used), static_cast<uint8_t>(value), what);
        ++used;
    };

    if (toFromMode) {
        put(fromButton, b, "from button");
        put(toButton, b, "to button");
    }
    bool fits = true;
    for (uint32_t i = 0; i < length_; ++i) {
        const int32_t point = points_[i];
        const bool thrown = states_[i] == kOrtStateThrown;
        const int32_t cell = PointCellFor(point, cells);
        if (cell == 0 && !PointFitsTwoBytes(point, thrown)) {
            // Its bytes would wrap into another point's or state's code.
            fits = false;
            break;
        }
        const TSvWriter entry = b.Within(b.Naming() ? "entry " + std::to_string(i + 1) : std::string());
        if (cell != 0) {
            put(thrown ? cell + 30 : cell, entry, "point cell and state");
        } else {
            put(point / 256 + (thrown ? 200 : 100), entry, "point, high part and state");
            put(point & 0xFF, entry, "point, low byte");
        }
        if (used > kOrtRouteBytes) {
            fits = false;
            break;
        }
    }
    if (cascade && !CascadeFits()) {
        // Its code would read back as a point or another route.
        fits = false;
    } else if (fits && cascade) {
        put(cascadeRoute + 60, b, "cascade route");
        if (used > kOrtRouteBytes)
            fits = false;
    }
    return fits;
}

bool TORT50Route::DecodeRoute(std::span<const uint8_t> image, const TORT50Cells& cells)
{
    cascade = false;
    cascadeRoute = 1;
    length_ = 0;
    points_.fill(1);
    states_.fill(kOrtStateUndefined);
    const uint32_t first = FirstSv(number);
    if (first == 0 || first - 1 + kOrtRouteBytes > image.size())
        return true;
    std::span<const uint8_t> b = image.subspan(first - 1, kOrtRouteBytes);

    bool error = false;
    size_t pos = 0;
    if (toFromMode) {
        fromButton = b[0];
        toButton = b[1];
        pos = 2;
    }
    while (pos < kOrtRouteBytes) {
        const int asRead = b[pos++];
        if (asRead == 0)
            break;
        int value = asRead;
        uint8_t state = kOrtStateClosed;
        if (value >= 31 && value <= 60) {
            state = kOrtStateThrown;
            value -= 30;
        } else if (value >= 200) {
            state = kOrtStateThrown;
            value -= 100;
        }

        int32_t point = 1;
        if (value >= 100) {
            if (pos < kOrtRouteBytes) {
                point = (value - 100) * 256 + b[pos++];
            } else {
                error = true;
                point = 1;
            }
        } else if (value <= 30) {
            const TORT50Cell& cell = cells[static_cast<size_t>(value - 1)];
            if (cell.type == kOrtCellPoint) {
                point = cell.address;
            } else {
                error = true;
                point = 1;
            }
        } else if (asRead >= 61 && asRead <= 84) {
            cascade = true;
            cascadeRoute = asRead - 60;
            continue;
        } else {
            // 85 to 99 are never written: the bytes are not a route this model wrote.
            error = true;
            continue;
        }

        if (point > 2048) {
            error = true;
            point = 1;
        }
        if (length_ < kOrtRouteEntries) {
            points_[length_] = point;
            states_[length_] = state;
            ++length_;
        }
    }
    return error;
}

int TORT50Route::BytesNeeded(const TORT50Cells& cells) const
{
    int needed = (toFromMode ? 2 : 0) + (cascade ? 1 : 0);
    for (uint32_t i = 0; i < length_; ++i) {
        if (states_[i] == kOrtStateUndefined)
            continue;
        needed += PointCellFor(points_[i], cells) != 0 ? 1 : 2;
    }
    return needed;
}

bool TORT50Route::RouteFits(const TORT50Cells& cells) const
{
    return BytesNeeded(cells) <= kOrtRouteBytes;
}

bool TORT50Route::SetRoutePoint(int index, int32_t point, uint8_t state)
{
    if (index < 0 || index >= kOrtRouteEntries)
        return false;
    if (index < EntryCapacity() && static_cast<uint32_t>(index) >= length_ && state != kOrtStateUndefined) {
        index = static_cast<int>(length_);
        ++length_;
    } else if (state == kOrtStateUndefined && length_ > 0 && static_cast<uint32_t>(index) == length_ - 1) {
        --length_;
    }
    points_[static_cast<size_t>(index)] = point;
    states_[static_cast<size_t>(index)] = state;

    bool removed = false;
    uint32_t kept = 0;
    for (uint32_t i = 0; i < length_; ++i) {
        if (states_[i] == kOrtStateUndefined) {
            removed = true;
            continue;
        }
        points_[kept] = points_[i];
        states_[kept] = states_[i];
        ++kept;
    }
    for (uint32_t i = kept; i < length_; ++i) {
        points_[i] = 1;
        states_[i] = kOrtStateUndefined;
    }
    length_ = kept;
    return removed;
}

// ---------------------------------------------------------------- texts

std::string TORT50Route::RouteListLine(const TORT50Cells& cells) const
{
    std::string line = "Route " + Num(number) + ":";
    if (length_ == 0) {
        line += "not defined.";
    } else {
        line += "Points ";
        for (uint32_t i = 0; i < length_; ++i)
            line += Num(points_[i]) + Ort50StateName(states_[i]).substr(0, 1) + "; ";
    }
    if (cascade)
        line += "; then cascade route " + Num(cascadeRoute);
    if (!RouteFits(cells))
        line += "!TOO MANY ENTRIES";
    return line;
}

std::string TORT50Route::RoutePointText(int entryNumber, const TORT50Cells& cells) const
{
    if (entryNumber < 1 || static_cast<uint32_t>(entryNumber) > length_)
        return "not defined.";
    const auto i = static_cast<size_t>(entryNumber - 1);
    std::string text = "Point " + Num(points_[i]) + " " + Ort50StateName(states_[i]);
    if (states_[i] != kOrtStateUndefined) {
        const int32_t cell = PointCellFor(points_[i], cells);
        text += cell != 0 ? " (Cell " + Num(cell) + ")" : "  (no cell)";
    }
    return text;
}

void TORT50Route::DescribeRoute(std::vector<std::string>& lines) const
{
    if (length_ == 0) {
        lines.push_back("  Route " + Num(number) + ":not defined.");
        return;
    }
    lines.push_back("  Route " + Num(number) + ":");
    for (uint32_t i = 0; i < length_; ++i)
        lines.push_back("      Point " + Num(points_[i]) + " " + Ort50StateName(states_[i]) + "; ");
    if (cascade)
        lines.push_back("      then invoke route " + Num(cascadeRoute));
}
