// Where a model's image walk puts its bytes: a window onto the SV image that
// also records, when asked to, what each byte it writes holds. The names come
// from the very statement that writes the value, so they cannot drift from
// the bytes: a model that changes its layout changes its names with it.
//
// A name reads "<where>: <what>", e.g. "signal 3: next signal" or
// "route 2, entry 5: point". Within() narrows the place; Put() names the byte.
#pragma once

#include <algorithm>
#include <concepts>
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

class TSvWriter {
public:
    // names, when given, has one entry per byte of image (SV n at n - 1).
    // Without names, any byte range converts: the walk then only writes.
    TSvWriter(std::span<uint8_t> image, std::vector<std::string>* names = nullptr) : image_(image), names_(names) {}
    template <class Range>
        requires std::convertible_to<Range&, std::span<uint8_t>>
    TSvWriter(Range& bytes) : image_(bytes)
    {
    }

    size_t size() const { return image_.size(); }
    bool Naming() const { return names_ != nullptr; }
    // The bytes as they are, for reading back what the walk has written.
    std::span<const uint8_t> Bytes() const { return image_; }

    // Writes byte index (of this window) and names it; outside the window
    // nothing is written.
    void Put(size_t index, uint8_t value, std::string_view what) const
    {
        if (index >= image_.size())
            return;
        image_[index] = value;
        Name(index, what);
    }
    // Sets bits of a byte several settings share; shared names the byte as a
    // whole.
    void PutBits(size_t index, uint8_t bits, std::string_view shared) const
    {
        if (index >= image_.size())
            return;
        image_[index] |= bits;
        Name(index, shared);
    }
    // Low byte at index, high byte at index + 1.
    void PutWord(size_t index, uint16_t value, std::string_view what) const
    {
        Put(index, uint8_t(value & 0xFF), Joined(what, "low byte"));
        Put(index + 1, uint8_t(value >> 8), Joined(what, "high byte"));
    }
    // SV numbering (SV n at index n - 1) for walks over the whole image.
    void PutSv(int sv, uint8_t value, std::string_view what) const
    {
        if (sv >= 1)
            Put(size_t(sv - 1), value, what);
    }

    // count bytes from index on (as far as the window goes), in the place
    // "<this place>, <where>".
    TSvWriter Sub(size_t index, size_t count, std::string_view where = {}) const
    {
        TSvWriter sub = Within(where);
        if (index >= image_.size()) {
            sub.image_ = {};
            return sub;
        }
        sub.image_ = image_.subspan(index, std::min(count, image_.size() - index));
        sub.offset_ = offset_ + index;
        return sub;
    }
    // The same window, in a narrower place.
    TSvWriter Within(std::string_view where) const
    {
        TSvWriter inner = *this;
        if (names_ && !where.empty())
            inner.place_ = place_.empty() ? std::string(where) : place_ + ", " + std::string(where);
        return inner;
    }

private:
    void Name(size_t index, std::string_view what) const
    {
        if (!names_ || offset_ + index >= names_->size())
            return;
        std::string& name = (*names_)[offset_ + index];
        name = place_.empty() ? std::string(what) : what.empty() ? place_ : place_ + ": " + std::string(what);
    }
    std::string Joined(std::string_view what, std::string_view part) const
    {
        if (!names_)
            return {};
        return what.empty() ? std::string(part) : std::string(what) + ", " + std::string(part);
    }

    std::span<uint8_t> image_;
    std::vector<std::string>* names_ = nullptr;
    size_t offset_ = 0;  // of image_ within the names
    std::string place_;
};
