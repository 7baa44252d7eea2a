// The compressed image data of a GIF frame: the minimum code size, the LZW
// codes in data sub-blocks, and the block terminator.
//
// The code stream starts with a clear code, grows the code width by one bit as
// soon as the next free code no longer fits, never past 12 bits, and when a new
// string would need a code above 4094 it writes a clear code instead of adding
// it and starts over with an empty table. Codes are packed least significant
// bit first; the last byte is padded with zeros after the end code. Sub-blocks
// hold 255 bytes except the last, and no empty sub-block precedes the
// terminator.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>

namespace pictaron {

// The string table: an exact map from (prefix code, pixel) to a code, held in
// an open-addressed hash of 8192 slots with linear probing; at most 4093 codes
// leave it half empty, so a search ends after a probe or two. A slot holds
// key·4096 + code, with key = prefix·256 + pixel; all bits set marks an empty
// slot (no prefix reaches 4095).
class THashTable {
public:
    THashTable() { Clear(); }
    void Clear() { slots_.fill(kEmpty); }
    // The code of the pair, or -1 with slot set to the empty slot where
    // InsertAt then files the pair.
    int Find(int prefix, int pixel, std::size_t& slot) const
    {
        const std::uint32_t key = Key(prefix, pixel);
        for (slot = Home(key);; slot = (slot + 1) & kMask) {
            const std::uint32_t stored = slots_[slot];
            if (stored == kEmpty)
                return -1;
            if (stored >> 12 == key)
                return static_cast<int>(stored & 0xFFF);
        }
    }
    void InsertAt(std::size_t slot, int prefix, int pixel, int code)
    {
        slots_[slot] = Key(prefix, pixel) << 12 | static_cast<std::uint32_t>(code);
    }

private:
    static constexpr int kBits = 13;
    static constexpr std::size_t kMask = (std::size_t{1} << kBits) - 1;
    static constexpr std::uint32_t kEmpty = 0xFFFFFFFFu;

    static std::uint32_t Key(int prefix, int pixel) { return static_cast<std::uint32_t>(prefix) << 8 | static_cast<std::uint32_t>(pixel); }
    // Fibonacci hashing: the top bits of the key times 2^32/φ.
    static std::size_t Home(std::uint32_t key) { return (key * 2654435769u) >> (32 - kBits); }

    std::array<std::uint32_t, std::size_t{1} << kBits> slots_;
};

class TLZWEncoder {
public:
    // Appends the minimum code size max(2, colourBits), the sub-blocks and the
    // terminator to out. Every pixel must be below 2^colourBits, else a
    // PictaronError "Color not in color table".
    void Encode(const std::uint8_t* pixels, std::size_t count, int colourBits, std::string& out);

private:
    THashTable table_;
};

} // namespace pictaron
