// Byte access to an SV image held as a span: SV n is image[n - 1]; SVs outside
// the image read as 0 and are not stored.
#pragma once

#include "boards/core/Svwriter.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <span>

namespace vela {

inline void PutSv(const TSvWriter& image, int sv, uint8_t value, std::string_view what)
{
    image.PutSv(sv, value, what);
}

inline uint8_t GetSv(std::span<const uint8_t> image, int sv)
{
    return sv >= 1 && size_t(sv) <= image.size() ? image[size_t(sv - 1)] : 0;
}

// count SVs from SV sv on, as far as the image goes, in the place where.
inline TSvWriter SvRange(const TSvWriter& image, int sv, int count, std::string_view where)
{
    if (sv < 1 || count <= 0)
        return image.Sub(image.size(), 0, where);
    return image.Sub(size_t(sv - 1), size_t(count), where);
}

// count SVs from SV sv on, as far as the image goes.
template <typename Byte>
std::span<Byte> SvRange(std::span<Byte> image, int sv, int count)
{
    if (sv < 1 || size_t(sv - 1) >= image.size() || count <= 0)
        return {};
    const size_t first = size_t(sv - 1);
    return image.subspan(first, std::min(size_t(count), image.size() - first));
}

}  // namespace vela
