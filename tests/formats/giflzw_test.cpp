// The LZW string table against a plain map: every filed pair is found with
// its code, no other pair is, and a cleared table holds nothing. The encoder
// against a plain coder: a map of strings, codes written bit by bit, cut into
// sub-blocks at the end.
#include "formats/giflzw.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <bit>
#include <cstdint>
#include <map>
#include <random>
#include <string>
#include <utility>
#include <vector>

using namespace pictaron;

TEST(LzwStringTable, FindsExactlyWhatWasFiled)
{
    // A table of 4093 codes, once of random pairs and once of pairs with
    // neighbouring keys, which crowd neighbouring slots.
    std::mt19937 random(9);
    for (const bool neighbours : {false, true}) {
        THashTable table;
        std::map<std::pair<int, int>, int> filed;
        while (filed.size() < 4093) {
            const int code = 2 + static_cast<int>(filed.size());  // up to 4094
            const int prefix = neighbours ? code / 256 : int(random() % 4095);
            const int pixel = neighbours ? code % 256 : int(random() % 256);
            std::size_t slot;
            if (table.Find(prefix, pixel, slot) < 0) {
                table.InsertAt(slot, prefix, pixel, code);
                filed[{prefix, pixel}] = code;
            }
        }
        for (int prefix = 0; prefix < 4095; ++prefix)
            for (int pixel = 0; pixel < 256; ++pixel) {
                std::size_t slot;
                const auto found = filed.find({prefix, pixel});
                ASSERT_EQ(table.Find(prefix, pixel, slot), found == filed.end() ? -1 : found->second)
                    << prefix << "," << pixel;
            }
        table.Clear();
        std::size_t slot;
        for (const auto& [pair, code] : filed)
            ASSERT_EQ(table.Find(pair.first, pair.second, slot), -1);
    }
}

namespace {

// The whole image data of the pixels, written the plain way: every code as
// wide as the highest code the decoder's table holds so far, a clear code in
// place of the string that would need code 4095.
std::string ReferenceData(const std::vector<std::uint8_t>& pixels, int colourBits)
{
    const int minimumCodeSize = std::max(2, colourBits);
    const int clearCode = 1 << minimumCodeSize;
    std::vector<bool> bits;
    std::map<std::pair<int, int>, int> strings;
    int nextCode = clearCode + 2;
    const auto put = [&](int code) {
        const int width = std::max(minimumCodeSize + 1, static_cast<int>(std::bit_width(unsigned(nextCode - 1))));
        for (int bit = 0; bit < width; ++bit)
            bits.push_back((code >> bit & 1) != 0);
    };
    put(clearCode);
    if (!pixels.empty()) {
        int prefix = pixels[0];
        for (std::size_t i = 1; i < pixels.size(); ++i) {
            const auto found = strings.find({prefix, pixels[i]});
            if (found != strings.end()) {
                prefix = found->second;
                continue;
            }
            put(prefix);
            if (nextCode == 4095) {
                put(clearCode);
                strings.clear();
                nextCode = clearCode + 2;
            } else {
                strings[{prefix, pixels[i]}] = nextCode++;
            }
            prefix = pixels[i];
        }
        put(prefix);
    }
    put(clearCode + 1);

    std::vector<std::uint8_t> bytes((bits.size() + 7) / 8);
    for (std::size_t i = 0; i < bits.size(); ++i)
        bytes[i / 8] |= static_cast<std::uint8_t>(bits[i] ? 1 << (i % 8) : 0);
    std::string data(1, static_cast<char>(minimumCodeSize));
    for (std::size_t start = 0; start < bytes.size(); start += 255) {
        const std::size_t length = std::min<std::size_t>(255, bytes.size() - start);
        data.push_back(static_cast<char>(length));
        data.append(reinterpret_cast<const char*>(bytes.data() + start), length);
    }
    data.push_back('\0');
    return data;
}

std::string EncoderData(const std::vector<std::uint8_t>& pixels, int colourBits)
{
    std::string data;
    TLZWEncoder encoder;
    encoder.Encode(pixels.data(), pixels.size(), colourBits, data);
    return data;
}

} // namespace

TEST(LzwEncoder, WritesTheCodesOfThePlainCoder)
{
    std::mt19937 random(17);
    for (const int colourBits : {1, 2, 5, 8}) {
        const unsigned colours = 1u << colourBits;
        // Short inputs, noise that fills the table every few thousand pixels
        // and runs much longer than one batch of sub-blocks, and a repeating
        // pattern whose strings grow long before the table fills.
        std::vector<std::vector<std::uint8_t>> inputs = {{}, {0}, {1, 1, 0}};
        std::vector<std::uint8_t> noise(150000), pattern(400000);
        for (auto& pixel : noise)
            pixel = static_cast<std::uint8_t>(random() % colours);
        for (std::size_t i = 0; i < pattern.size(); ++i)
            pattern[i] = static_cast<std::uint8_t>((i % 317) * (i % 7) % colours);
        inputs.push_back(noise);
        inputs.push_back(pattern);
        for (const auto& pixels : inputs) {
            const std::string expected = ReferenceData(pixels, colourBits);
            const std::string written = EncoderData(pixels, colourBits);
            ASSERT_EQ(written.size(), expected.size()) << colourBits << " bits, " << pixels.size() << " pixels";
            ASSERT_TRUE(written == expected) << colourBits << " bits, " << pixels.size() << " pixels";
        }
    }
}
