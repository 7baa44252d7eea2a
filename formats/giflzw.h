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

#include <QByteArray>

#include <array>
#include <cstddef>
#include <cstdint>

namespace pictaron {

// The string table: an exact map from (prefix code, pixel) to a code, held in
// an open-addressed hash of 8009 slots. A slot holds key·4096 + code, with
// key = prefix·256 + pixel; all bits set marks an empty slot (no prefix reaches
// 4095).
class THashTable {
public:
    THashTable() { Clear(); }
    void Clear() { slots_.fill(kEmpty); }
    // The code of the pair, or -1.
    int Find(int prefix, int pixel) const
    {
        const std::uint32_t key = Key(prefix, pixel);
        for (int slot = Home(key);; slot = Probe(slot)) {
            const std::uint32_t stored = slots_[static_cast<std::size_t>(slot)];
            if (stored == kEmpty)
                return -1;
            if (stored >> 12 == key)
                return static_cast<int>(stored & 0xFFF);
        }
    }
    void Insert(int prefix, int pixel, int code)
    {
        const std::uint32_t key = Key(prefix, pixel);
        int slot = Home(key);
        while (slots_[static_cast<std::size_t>(slot)] != kEmpty)
            slot = Probe(slot);
        slots_[static_cast<std::size_t>(slot)] = key << 12 | static_cast<std::uint32_t>(code);
    }

private:
    static constexpr int kSize = 8009;  // a prime about twice the 4093 codes a table can hold
    static constexpr std::uint32_t kEmpty = 0xFFFFFFFFu;

    static std::uint32_t Key(int prefix, int pixel) { return static_cast<std::uint32_t>(prefix) << 8 | static_cast<std::uint32_t>(pixel); }
    static int Home(std::uint32_t key) { return static_cast<int>((key ^ (key >> 4)) % kSize); }
    // Double hashing: step back by the distance from the home slot to the end.
    static int Probe(int slot)
    {
        const int step = slot == 0 ? 1 : kSize - slot;
        slot -= step;
        return slot < 0 ? slot + kSize : slot;
    }

    std::array<std::uint32_t, kSize> slots_;
};

class TLZWEncoder {
public:
    // Appends the minimum code size max(2, colourBits), the sub-blocks and the
    // terminator to out. Every pixel must be below 2^colourBits, else a
    // PictaronError "Color not in color table".
    void Encode(const std::uint8_t* pixels, std::size_t count, int colourBits, QByteArray& out);

private:
    THashTable table_;
};

} // namespace pictaron
