#include "boards/pax/Tpax60route.h"

#include "boards/pax/Paxhelpers.h"
#include "boards/pax/Tpax60extdevtable.h"

namespace {

const char* const kStateNames[] = {"UNDEF", "Closed", "Thrown"};

constexpr int kMinFields = 17;
constexpr int kEntriesSv = 63;      // route r owns SV 63 + 12(r - 1) to 74 + 12(r - 1)
constexpr int kTriggerSv = 381;     // route r triggers at SV 381 + 5(r - 1)
constexpr int kTriggerBytes = 5;
constexpr int kFirstEntryColumn = 5;

}  // namespace

TPAX60Route::TPAX60Route()
{
    SetQuoteTexts(true);
}

TPAX60Route::TPAX60Route(const TPAX60Route& other) = default;
TPAX60Route& TPAX60Route::operator=(const TPAX60Route& other) = default;

const char* TPAX60Route::StateName(int state)
{
    return state >= 0 && state <= 2 ? kStateNames[state] : "";
}

int TPAX60Route::IsLocal(int32_t point) const
{
    const int64_t d = int64_t(point) - BoardBaseAddress;
    return d >= 0 && d <= 7 ? static_cast<int>(d) + 1 : 0;
}

int32_t TPAX60Route::PointAt(int position) const
{
    return position >= 0 && position < static_cast<int>(EntryCount) ? Points[position] : 1;
}

uint8_t TPAX60Route::StateAt(int position) const
{
    return position >= 0 && position < static_cast<int>(EntryCount) ? States[position] : 0;
}

std::string TPAX60Route::EntryText(int position) const
{
    if (position < 1 || position > static_cast<int>(EntryCount))
        return "not defined.";
    const int32_t point = Points[position - 1];
    const uint8_t state = States[position - 1];
    std::string s = "Point " + std::to_string(point) + " " + StateName(state);
    if (state != kPax60RouteUndef)
        s += IsLocal(point) ? " (on this decoder) " : "  (not this decoder)";
    return s;
}

bool TPAX60Route::SetEntry(int position, int32_t point, uint8_t state)
{
    if (position < 0 || position >= kMaxEntries)
        return false;
    if (position >= static_cast<int>(EntryCount) && state != kPax60RouteUndef) {
        Points[EntryCount] = point;
        States[EntryCount] = state;
        ++EntryCount;
    } else {
        if (state == kPax60RouteUndef && position == static_cast<int>(EntryCount) - 1)
            --EntryCount;
        Points[position] = point;
        States[position] = state;
    }
    return Compact();
}

bool TPAX60Route::Compact()
{
    bool removed = false;
    int i = 0;
    while (i < static_cast<int>(EntryCount)) {
        if (States[i] == kPax60RouteUndef) {
            for (int k = i; k < static_cast<int>(EntryCount) - 1; ++k) {
                Points[k] = Points[k + 1];
                States[k] = States[k + 1];
            }
            --EntryCount;
            removed = true;
        } else {
            ++i;
        }
    }
    return removed;
}

int TPAX60Route::BytesUsed() const
{
    int bytes = 0;
    for (uint32_t i = 0; i < EntryCount; ++i)
        if (States[i] == kPax60RouteClosed || States[i] == kPax60RouteThrown)
            bytes += IsLocal(Points[i]) ? 1 : 2;
    return bytes;
}

bool TPAX60Route::Fits() const
{
    return BytesUsed() <= kRouteBytes;
}

bool TPAX60Route::CollectDevices(TPAX60ExtDevTable& table) const
{
    return TriggerConditions.CollectDevices(table);
}

bool TPAX60Route::Encode(TSvWriter image, const TPAX60ExtDevTable& table) const
{
    const bool naming = image.Naming();
    const TSvWriter route = image.Within(naming ? "route " + std::to_string(Number) : std::string());
    const TSvWriter bytes = route.Sub(kEntriesSv - 1 + kRouteBytes * (Number - 1), kRouteBytes);
    for (size_t b = 0; b < size_t(kRouteBytes); ++b)
        bytes.Put(b, 0, "no entry");
    bool fits = true;
    int used = 0;
    for (uint32_t i = 0; i < EntryCount && fits; ++i) {
        const int32_t point = Points[i];
        const bool thrown = States[i] == kPax60RouteThrown;
        const int local = IsLocal(point);
        const TSvWriter entry = bytes.Within(naming ? "entry " + std::to_string(i + 1) : std::string());
        if (local) {
            if (used + 1 > kRouteBytes) {
                fits = false;
                break;
            }
            entry.Put(size_t(used++), static_cast<uint8_t>(local + (thrown ? 10 : 0)), "own point and state");
        } else {
            if (used + 2 > kRouteBytes) {
                fits = false;
                break;
            }
            entry.Put(size_t(used++), static_cast<uint8_t>(point / 256 + (thrown ? 200 : 100)),
                      "point, high part and state");
            entry.Put(size_t(used++), static_cast<uint8_t>(point % 256), "point, low byte");
        }
    }
    const size_t trigger = kTriggerSv - 1 + kTriggerBytes * (Number - 1);
    const bool triggers = TriggerConditions.Encode(route.Sub(trigger, kTriggerBytes, "trigger conditions"), table);
    return fits && triggers;
}

void TPAX60Route::Decode(std::span<const uint8_t> image, const TPAX60ExtDevTable& table)
{
    std::span<const uint8_t> bytes = image.subspan(kEntriesSv - 1 + kRouteBytes * (Number - 1), kRouteBytes);
    EntryCount = 0;
    int i = 0;
    while (i < kRouteBytes) {
        int value = bytes[i++];
        if (value == 0)
            break;
        uint8_t state = kPax60RouteClosed;
        if (value >= 11 && value <= 18) {
            value -= 10;
            state = kPax60RouteThrown;
        } else if (value >= 200) {
            value -= 100;
            state = kPax60RouteThrown;
        }
        // Bytes 9, 10 and 19 to 99 are never written; such an entry gets point 1.
        int32_t point = 1;
        if (value >= 100) {
            point = i < kRouteBytes ? (value - 100) * 256 + bytes[i++] : 1;
        } else if (value >= 1 && value <= 8) {
            point = BoardBaseAddress + value - 1;
        }
        if (point > kMaxPoint)
            point = 1;
        Points[EntryCount] = point;
        States[EntryCount] = state;
        ++EntryCount;
    }
    const size_t trigger = kTriggerSv - 1 + kTriggerBytes * (Number - 1);
    TriggerConditions.Decode(image.subspan(trigger, kTriggerBytes), table);
}

void TPAX60Route::WriteLines(std::ostream& out)
{
    ClearFields();
    SetTextField(1, "route_config");
    SetIntField(2, Number);
    SetIntField(3, static_cast<int32_t>(EntryCount));
    SetIntField(4, BoardBaseAddress);
    for (int i = 0; i < kMaxEntries; ++i) {
        if (i < static_cast<int>(EntryCount))
            SetTextField(kFirstEntryColumn + i, std::to_string(Points[i]) + " " + StateName(States[i]));
        else
            SetTextField(kFirstEntryColumn + i, "0");
    }
    WriteLine(out, kMinFields);
    TriggerConditions.WriteConditionLine(out);
}

void TPAX60Route::ReadLines(std::istream& in)
{
    ReadLine(in);
    // A count outside 0..12 would run past the entry arrays.
    const int32_t count = GetIntField(3);
    EntryCount = static_cast<uint32_t>(count < 0 ? 0 : count > kMaxEntries ? kMaxEntries : count);
    BoardBaseAddress = GetIntField(4);
    for (int i = 0; i < static_cast<int>(EntryCount); ++i) {
        const std::string text = GetTextField(kFirstEntryColumn + i);
        const size_t blank = text.find(' ');
        if (blank == std::string::npos)
            PaxConversionFailed(text, "is not a valid route entry (point and state)");
        const int32_t point = PaxStrictInt(text.substr(0, blank), "the point number of route entry " + QuotedInput(text));
        // Point 0 is a board's own output 1 when its base address is 0 (a
        // board read back, or a PAX66 addressed from 0): its state must read
        // back as written, or the reloaded board programs another image.
        uint8_t state = kPax60RouteUndef;
        for (int s = 0; s < 3; ++s) {
            if (text.find(kStateNames[s]) != std::string::npos) {
                state = static_cast<uint8_t>(s);
                break;
            }
        }
        Points[i] = point;
        States[i] = state;
    }
    TriggerConditions.ReadConditionLine(in);
}

void TPAX60Route::Report(std::vector<std::string>& lines) const
{
    const std::string head = "  Route " + std::to_string(Number) + ":";
    if (EntryCount == 0) {
        lines.push_back(head + "not defined.");
        return;
    }
    lines.push_back(head);
    for (uint32_t i = 0; i < EntryCount; ++i)
        lines.push_back("      Point " + std::to_string(Points[i]) + " " + StateName(States[i]) + "; ");
    lines.push_back("      conditions to trigger route:");
    TriggerConditions.Report(lines);
}

std::string TPAX60Route::ListText() const
{
    std::string s = std::to_string(Number) + "\t";
    if (EntryCount == 0)
        return s + "not defined.";
    s += "Points ";
    for (uint32_t i = 0; i < EntryCount; ++i)
        s += std::to_string(Points[i]) + std::string(StateName(States[i])).substr(0, 1) + "; ";
    if (!Fits())
        s += "!TOO MANY ENTRIES";
    return s;
}
