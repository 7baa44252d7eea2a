// The LZW string table against a plain map: every filed pair is found with
// its code, no other pair is, and a cleared table holds nothing.
#include "formats/giflzw.h"

#include <gtest/gtest.h>

#include <map>
#include <random>
#include <utility>

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
