// An independent, strict reader of the GIF files the program writes, and a
// second opinion from Pillow.
//
// Lenient decoders accept broken streams, so ReadStrictGif checks more than
// it needs to decode: the exact header and descriptor fields the writer
// promises, sub-blocks of 255 bytes but the last, no empty sub-block, a clear
// code first and again exactly when the string table is full (4095 codes) and
// never earlier, code widths that follow the table, the end code right after
// the last pixel with zero padding, the block terminator, the trailer and
// nothing after it.
#pragma once

#include <QByteArray>
#include <QString>

#include <vector>

namespace pictaron::gifcheck {

struct Colour {
    int red, green, blue;
    friend bool operator==(const Colour&, const Colour&) = default;
};

struct StrictGif {
    QString problem;  // empty when the file passed every check
    QByteArray version;
    int width = 0;
    int height = 0;
    std::vector<Colour> table;  // the global table as stored (2^b entries)
    int transparentIndex = -1;
    int minimumCodeSize = 0;
    int clearCodes = 0;  // including the first
    int widestCode = 0;
    int subBlocks = 0;
    std::vector<int> indices;
};

StrictGif ReadStrictGif(const QByteArray& bytes);

struct PillowGif {
    QString problem;  // empty when Pillow read the file
    QByteArray version;
    int width = 0;
    int height = 0;
    std::vector<Colour> table;
    int transparentIndex = -1;
    std::vector<int> indices;
};

// Decodes with Pillow through /usr/bin/python3; skipped is set when Python or
// Pillow is missing.
PillowGif ReadWithPillow(const QByteArray& bytes, bool& skipped);

} // namespace pictaron::gifcheck
