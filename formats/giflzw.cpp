#include "formats/giflzw.h"

#include "components/errors.h"

#include <algorithm>

namespace pictaron {

namespace {

constexpr int kMaxCodeBits = 12;
constexpr int kLastCode = 4094;  // a string that needs a higher code makes a clear code instead

// Whole bytes of the code stream, cut into data sub-blocks.
class TGIFWriter {
public:
    explicit TGIFWriter(QByteArray& out) : out_(out) {}

    void PutByte(std::uint8_t byte)
    {
        block_[++used_] = byte;
        if (used_ == 255)
            FlushBlock();
    }
    // The last, short sub-block and the block terminator.
    void Finish()
    {
        if (used_ > 0)
            FlushBlock();
        out_.append('\0');
    }

private:
    void FlushBlock()
    {
        block_[0] = static_cast<std::uint8_t>(used_);
        out_.append(reinterpret_cast<const char*>(block_), used_ + 1);
        used_ = 0;
    }

    QByteArray& out_;
    std::uint8_t block_[256];
    int used_ = 0;
};

// Codes of varying width, least significant bit first.
class CodeStream {
public:
    explicit CodeStream(TGIFWriter& writer) : writer_(writer) {}

    void Put(int code, int width)
    {
        bits_ |= static_cast<std::uint64_t>(code) << count_;
        count_ += width;
        while (count_ >= 8) {
            writer_.PutByte(static_cast<std::uint8_t>(bits_));
            bits_ >>= 8;
            count_ -= 8;
        }
    }
    // Pads the last byte with zeros.
    void Flush()
    {
        if (count_ > 0)
            writer_.PutByte(static_cast<std::uint8_t>(bits_));
        bits_ = 0;
        count_ = 0;
    }

private:
    TGIFWriter& writer_;
    std::uint64_t bits_ = 0;
    int count_ = 0;
};

[[noreturn]] void ThrowNotInTable()
{
    throw PictaronError(QStringLiteral("Color not in color table"));
}

} // namespace

void TLZWEncoder::Encode(const std::uint8_t* pixels, std::size_t count, int colourBits, QByteArray& out)
{
    const int minimumCodeSize = std::max(2, colourBits);
    out.append(static_cast<char>(minimumCodeSize));
    TGIFWriter writer(out);
    CodeStream stream(writer);

    const int clearCode = 1 << minimumCodeSize;
    const int endCode = clearCode + 1;
    const int colourLimit = 1 << colourBits;
    int nextCode = clearCode + 2;
    int width = minimumCodeSize + 1;
    int limit = (1 << width) - 1;

    // The width follows the next free code, so it widens one code after the
    // decoder's table has grown to the new width.
    const auto putCode = [&](int code) {
        stream.Put(code, width);
        if (code == clearCode) {
            width = minimumCodeSize + 1;
            limit = (1 << width) - 1;
        } else if (nextCode > limit) {
            // At 12 bits the limit lies beyond any free code, so the width stays.
            ++width;
            limit = width == kMaxCodeBits ? 1 << kMaxCodeBits : (1 << width) - 1;
        }
    };

    table_.Clear();
    putCode(clearCode);
    if (count > 0) {
        int prefix = pixels[0];
        if (prefix >= colourLimit)
            ThrowNotInTable();
        for (std::size_t i = 1; i < count; ++i) {
            const int pixel = pixels[i];
            if (pixel >= colourLimit)
                ThrowNotInTable();
            std::size_t slot;
            const int code = table_.Find(prefix, pixel, slot);
            if (code >= 0) {
                prefix = code;
                continue;
            }
            putCode(prefix);
            if (nextCode > kLastCode) {
                putCode(clearCode);
                table_.Clear();
                nextCode = clearCode + 2;
            } else {
                table_.InsertAt(slot, prefix, pixel, nextCode++);
            }
            prefix = pixel;
        }
        putCode(prefix);
    }
    putCode(endCode);
    stream.Flush();
    writer.Finish();
}

} // namespace pictaron
