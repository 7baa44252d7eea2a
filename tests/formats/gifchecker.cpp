#include "gifchecker.h"

#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTemporaryDir>

namespace pictaron::gifcheck {

namespace {

class Reader {
public:
    explicit Reader(const QByteArray& bytes) : bytes_(bytes) {}
    bool Has(int count) const { return at_ + count <= bytes_.size(); }
    int Byte() { return Has(1) ? static_cast<unsigned char>(bytes_[at_++]) : (++at_, -1); }
    int Word()
    {
        const int low = Byte();
        return low | Byte() << 8;
    }
    QByteArray Take(int count)
    {
        const QByteArray part = bytes_.mid(at_, count);
        at_ += count;
        return part;
    }
    bool AtEnd() const { return at_ >= bytes_.size(); }
    bool Overrun() const { return at_ > bytes_.size(); }

private:
    const QByteArray& bytes_;
    qsizetype at_ = 0;
};

// Decodes the code stream with the usual decoder's rules and checks the
// writer's own promises on the way.
QString DecodeCodes(const QByteArray& data, int minimumCodeSize, int colourBits, StrictGif& gif)
{
    const int clear = 1 << minimumCodeSize;
    const int end = clear + 1;
    const int pixelCount = gif.width * gif.height;
    std::vector<int> prefix(4096, -1), suffix(4096, 0), length(4096, 0);
    for (int i = 0; i < clear; ++i) {
        suffix[i] = i;
        length[i] = 1;
    }
    int width = minimumCodeSize + 1;
    int next = clear + 2;
    int previous = -1;
    long long bitPosition = 0;
    const long long totalBits = static_cast<long long>(data.size()) * 8;
    bool first = true;
    std::vector<int> string;

    for (;;) {
        if (bitPosition + width > totalBits)
            return QStringLiteral("the code stream ends without an end code");
        int code = 0;
        for (int i = 0; i < width; ++i, ++bitPosition)
            code |= ((static_cast<unsigned char>(data[bitPosition / 8]) >> (bitPosition % 8)) & 1) << i;
        gif.widestCode = std::max(gif.widestCode, width);

        if (first && code != clear)
            return QStringLiteral("the first code is %1, not a clear code").arg(code);
        if (next == 4095 && code != clear && code != end)
            return QStringLiteral("the table is full but code %1 follows instead of a clear code").arg(code);
        if (code == clear) {
            if (!first && next != 4095)
                return QStringLiteral("a clear code with the table at %1, not full").arg(next);
            first = false;
            ++gif.clearCodes;
            width = minimumCodeSize + 1;
            next = clear + 2;
            previous = -1;
            continue;
        }
        if (code == end) {
            if (static_cast<int>(gif.indices.size()) != pixelCount)
                return QStringLiteral("the end code comes after %1 of %2 pixels").arg(gif.indices.size()).arg(pixelCount);
            // The rest of the last byte is zero, and no byte follows.
            const long long padding = (8 - bitPosition % 8) % 8;
            for (long long i = 0; i < padding; ++i, ++bitPosition)
                if ((static_cast<unsigned char>(data[bitPosition / 8]) >> (bitPosition % 8)) & 1)
                    return QStringLiteral("the padding after the end code is not zero");
            if (bitPosition != totalBits)
                return QStringLiteral("%1 bytes follow the end code").arg((totalBits - bitPosition) / 8);
            return QString();
        }
        if (code > next || (code == next && previous < 0) || (code < clear && code >= (1 << colourBits)))
            return QStringLiteral("code %1 is not in the table (next free %2)").arg(code).arg(next);

        // The string of the code (or, for the code not yet known, the
        // previous string plus its own first pixel).
        const int known = code < next ? code : previous;
        string.assign(static_cast<std::size_t>(length[known]), 0);
        for (int c = known, i = length[known] - 1; c >= 0; c = prefix[c], --i)
            string[static_cast<std::size_t>(i)] = suffix[c];
        if (code == next)
            string.push_back(string.front());
        if (previous >= 0) {
            prefix[next] = previous;
            suffix[next] = string.front();
            length[next] = length[previous] + 1;
            ++next;
            if (next == (1 << width) && width < 12)
                ++width;
        }
        gif.indices.insert(gif.indices.end(), string.begin(), string.end());
        if (static_cast<int>(gif.indices.size()) > pixelCount)
            return QStringLiteral("more pixels than the picture holds");
        previous = code;
    }
}

} // namespace

StrictGif ReadStrictGif(const QByteArray& bytes)
{
    StrictGif gif;
    Reader in(bytes);
    const auto fail = [&](const QString& problem) {
        gif.problem = problem;
        return gif;
    };

    if (bytes.left(3) != "GIF")
        return fail(QStringLiteral("no GIF signature"));
    in.Take(3);
    gif.version = in.Take(3);
    if (gif.version != "87a" && gif.version != "89a")
        return fail(QStringLiteral("unknown version"));
    gif.width = in.Word();
    gif.height = in.Word();
    const int packed = in.Byte();
    if ((packed & 0x80) == 0)
        return fail(QStringLiteral("no global colour table"));
    const int bits = (packed & 7) + 1;
    if (((packed >> 4) & 7) != bits - 1 || (packed & 0x08))
        return fail(QStringLiteral("colour resolution or sort flag do not match the table"));
    if (in.Byte() != 0 || in.Byte() != 0)
        return fail(QStringLiteral("background index or aspect ratio not 0"));
    for (int i = 0; i < (1 << bits); ++i) {
        const int r = in.Byte(), g = in.Byte(), b = in.Byte();
        gif.table.push_back(Colour{r, g, b});
    }

    int introducer = in.Byte();
    if (introducer == 0x21) {
        if (in.Byte() != 0xF9 || in.Byte() != 4)
            return fail(QStringLiteral("an extension other than graphic control"));
        if (in.Byte() != 0x01 || in.Word() != 0)
            return fail(QStringLiteral("graphic control flags or delay unexpected"));
        gif.transparentIndex = in.Byte();
        if (in.Byte() != 0)
            return fail(QStringLiteral("graphic control block not terminated"));
        introducer = in.Byte();
    }
    if ((gif.transparentIndex >= 0) != (gif.version == "89a"))
        return fail(QStringLiteral("version %1 does not match the extensions").arg(QString::fromLatin1(gif.version)));
    if (introducer != 0x2C)
        return fail(QStringLiteral("no image descriptor"));
    if (in.Word() != 0 || in.Word() != 0 || in.Word() != gif.width || in.Word() != gif.height || in.Byte() != 0)
        return fail(QStringLiteral("image descriptor differs from the logical screen"));

    gif.minimumCodeSize = in.Byte();
    if (gif.minimumCodeSize != std::max(2, bits))
        return fail(QStringLiteral("minimum code size %1 for a table of %2 bits").arg(gif.minimumCodeSize).arg(bits));
    QByteArray data;
    int lastLength = 255;
    for (;;) {
        const int length = in.Byte();
        if (length < 0)
            return fail(QStringLiteral("the data ends without a block terminator"));
        if (length == 0)
            break;
        if (lastLength != 255)
            return fail(QStringLiteral("a sub-block of %1 bytes is not the last").arg(lastLength));
        ++gif.subBlocks;
        data += in.Take(length);
        lastLength = length;
    }
    if (gif.subBlocks == 0)
        return fail(QStringLiteral("no image data"));
    if (in.Byte() != 0x3B)
        return fail(QStringLiteral("no trailer after the image"));
    if (!in.AtEnd() || in.Overrun())
        return fail(QStringLiteral("the file does not end at the trailer"));
    gif.problem = DecodeCodes(data, gif.minimumCodeSize, bits, gif);
    return gif;
}

PillowGif ReadWithPillow(const QByteArray& bytes, bool& skipped)
{
    PillowGif gif;
    skipped = false;
    const QString python = QStringLiteral("/usr/bin/python3");
    if (!QFileInfo::exists(python)
        || QProcess::execute(python, {QStringLiteral("-c"), QStringLiteral("import PIL.Image")}) != 0) {
        skipped = true;
        return gif;
    }
    QTemporaryDir folder;
    const QString path = folder.filePath(QStringLiteral("written.gif"));
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size()) {
        gif.problem = QStringLiteral("cannot write the GIF for Pillow");
        return gif;
    }
    file.close();

    QProcess process;
    // The script lies beside this file.
    const QString script = QStringLiteral(PICTARON_GIFDECODE_SCRIPT);
    process.start(python, {script, path});
    process.waitForFinished(120000);
    const QByteArray out = process.readAllStandardOutput();
    if (process.exitStatus() != QProcess::NormalExit || process.exitCode() != 0) {
        gif.problem = QStringLiteral("Pillow failed: ") + QString::fromUtf8(process.readAllStandardError());
        return gif;
    }
    const qsizetype newline = out.indexOf('\n');
    const QJsonObject header = QJsonDocument::fromJson(out.left(newline)).object();
    gif.version = header.value(QStringLiteral("version")).toString().toLatin1();
    gif.width = header.value(QStringLiteral("width")).toInt();
    gif.height = header.value(QStringLiteral("height")).toInt();
    gif.transparentIndex = header.value(QStringLiteral("transparency")).toInt(-1);
    if (header.value(QStringLiteral("mode")).toString() != QLatin1String("P"))
        gif.problem = QStringLiteral("Pillow read the picture as ") + header.value(QStringLiteral("mode")).toString();
    const QJsonArray palette = header.value(QStringLiteral("palette")).toArray();
    for (qsizetype i = 0; i + 2 < palette.size(); i += 3)
        gif.table.push_back(Colour{palette[i].toInt(), palette[i + 1].toInt(), palette[i + 2].toInt()});
    const QByteArray data = out.mid(newline + 1);
    gif.indices.assign(data.begin(), data.end());
    for (int& index : gif.indices)
        index &= 0xFF;
    return gif;
}

} // namespace pictaron::gifcheck
