// Colour keys that interleave the channels' bits.
//
// The key takes bit 7 of red, green and blue, then bit 6 of each, and so on,
// so colours that share their top bits share the top of the key: the octree's
// child indices read from the root are the key's bit triples, and a block of
// colour space of side 2^n is one run of keys.
#pragma once

#include <array>
#include <cstdint>

namespace pictaron {

namespace detail {
// A channel's bit i moved to bit 3·i.
inline constexpr std::array<std::uint32_t, 256> kSpreadBits = [] {
    std::array<std::uint32_t, 256> spread{};
    for (std::uint32_t value = 0; value < 256; ++value)
        for (int bit = 0; bit < 8; ++bit)
            spread[value] |= (value >> bit & 1u) << (3 * bit);
    return spread;
}();
} // namespace detail

// 24 bits; red's bits sit above green's, green's above blue's.
inline std::uint32_t InterleavedKey(int red, int green, int blue)
{
    return detail::kSpreadBits[static_cast<std::size_t>(red)] << 2
        | detail::kSpreadBits[static_cast<std::size_t>(green)] << 1
        | detail::kSpreadBits[static_cast<std::size_t>(blue)];
}

} // namespace pictaron
