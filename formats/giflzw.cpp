#include "formats/giflzw.h"

#include "components/errors.h"

#include <algorithm>
#include <cstring>

namespace pictaron {

namespace {

constexpr int kMaxCodeBits = 12;
constexpr int kLastCode = 4094;  // a string that needs a higher code makes a clear code instead

constexpr std::size_t kBlockBytes = 255;

// Codes of varying width, least significant bit first, gathered in a buffer
// that goes out in whole data sub-blocks. A code stores all 64 bits at once
// and keeps the bytes it completed: no loop per byte, and no test for the end
// of a sub-block per byte.
class CodeStream {
public:
    explicit CodeStream(std::string& out) : out_(out) {}

    void Put(int code, int width)
    {
        bits_ |= static_cast<std::uint64_t>(code) << count_;
        count_ += width;
        std::memcpy(buffer_ + used_, &bits_, sizeof bits_);
        used_ += static_cast<std::size_t>(count_ >> 3);
        bits_ >>= count_ & ~7;
        count_ &= 7;
        if (used_ >= kDrainAt) [[unlikely]]
            SendBlocks();
    }
    // Pads the last byte with zeros and sends the rest, the last sub-block
    // short, then the block terminator.
    void Finish()
    {
        if (count_ > 0)
            buffer_[used_++] = static_cast<std::uint8_t>(bits_);
        SendBlocks();
        if (used_ > 0)
            SendBlock(buffer_, used_);
        out_.push_back('\0');
    }

private:
    static constexpr std::size_t kDrainAt = 64 * kBlockBytes;

    void SendBlock(const std::uint8_t* bytes, std::size_t length)
    {
        out_.push_back(static_cast<char>(length));
        out_.append(reinterpret_cast<const char*>(bytes), length);
    }
    void SendBlocks()
    {
        std::size_t sent = 0;
        for (; used_ - sent >= kBlockBytes; sent += kBlockBytes)
            SendBlock(buffer_ + sent, kBlockBytes);
        std::memmove(buffer_, buffer_ + sent, used_ - sent);
        used_ -= sent;
    }

    std::string& out_;
    std::uint64_t bits_ = 0;
    int count_ = 0;
    std::size_t used_ = 0;
    // A code starts below kDrainAt and stores eight bytes.
    std::uint8_t buffer_[kDrainAt + sizeof(std::uint64_t)];
};

[[noreturn]] void ThrowNotInTable()
{
    throw PictaronError(std::string("Color not in color table"));
}

} // namespace

void TLZWEncoder::Encode(const std::uint8_t* pixels, std::size_t count, int colourBits, std::string& out)
{
    const int minimumCodeSize = std::max(2, colourBits);
    out.push_back(static_cast<char>(minimumCodeSize));
    CodeStream stream(out);

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
    stream.Finish();
}

} // namespace pictaron
