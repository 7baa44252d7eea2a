#include "encodercheck.h"
#include "components/qtbridge.h"

#include "effects/pixels.h"
#include "formats/pictureloader.h"
#include "testpictures.h"

#include <gtest/gtest.h>

#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QtEndian>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <zlib.h>

namespace pictaron::encodercheck {

namespace {

struct ToolRun {
    bool ok = false;
    QByteArray out;
    QString error;
};

ToolRun Run(const QString& program, const QStringList& arguments)
{
    ToolRun run;
    QProcess process;
    process.start(program, arguments);
    if (!process.waitForStarted()) {
        run.error = QStringLiteral("cannot start ") + program;
        return run;
    }
    process.closeWriteChannel();
    process.waitForFinished(300000);
    run.out = process.readAllStandardOutput();
    run.ok = process.exitStatus() == QProcess::NormalExit && process.exitCode() == 0;
    if (!run.ok)
        run.error = program + QLatin1Char(' ') + arguments.join(QLatin1Char(' ')) + QStringLiteral(" failed: ")
            + QString::fromUtf8(run.out) + QString::fromUtf8(process.readAllStandardError());
    return run;
}

} // namespace

PillowPicture ReadWithPillow(const QString& path, const QString& convertTo)
{
    PillowPicture picture;
    QStringList arguments{QStringLiteral(PICTARON_PILLOWDUMP_SCRIPT), path};
    if (!convertTo.isEmpty())
        arguments << convertTo;
    const ToolRun run = Run(QStringLiteral("/usr/bin/python3"), arguments);
    if (!run.ok) {
        picture.problem = run.error;
        return picture;
    }
    const qsizetype newline = run.out.indexOf('\n');
    const QJsonObject header = QJsonDocument::fromJson(run.out.left(newline)).object();
    picture.format = header.value(QStringLiteral("format")).toString();
    picture.mode = header.value(QStringLiteral("mode")).toString();
    picture.width = header.value(QStringLiteral("width")).toInt();
    picture.height = header.value(QStringLiteral("height")).toInt();
    picture.interlaced = header.value(QStringLiteral("interlace")).toInt() != 0;
    picture.transparency = header.value(QStringLiteral("transparency"));
    const QJsonArray palette = header.value(QStringLiteral("palette")).toArray();
    for (qsizetype i = 0; i + 2 < palette.size(); i += 3)
        picture.palette.push_back({palette[i].toInt(), palette[i + 1].toInt(), palette[i + 2].toInt()});
    picture.pixels = run.out.mid(newline + 1);
    return picture;
}

PngChunks ReadPngChunks(const QByteArray& bytes)
{
    PngChunks chunks;
    static const QByteArray signature("\x89PNG\r\n\x1a\n", 8);
    if (!bytes.startsWith(signature)) {
        chunks.problem = QStringLiteral("no PNG signature");
        return chunks;
    }
    qsizetype at = 8;
    while (at < bytes.size()) {
        if (bytes.size() - at < 12) {
            chunks.problem = QStringLiteral("a chunk is cut short");
            return chunks;
        }
        const auto* head = reinterpret_cast<const uchar*>(bytes.constData() + at);
        const quint32 length = qFromBigEndian<quint32>(head);
        if (length > static_cast<quint64>(bytes.size() - at - 12)) {
            chunks.problem = QStringLiteral("a chunk runs past the end");
            return chunks;
        }
        const QString name = QString::fromLatin1(bytes.mid(at + 4, 4));
        const QByteArray data = bytes.mid(at + 8, length);
        const quint32 crc = qFromBigEndian<quint32>(head + 8 + length);
        const uLong computed = crc32(crc32(0, head + 4, 4), head + 8, length);
        if (computed != crc)
            chunks.problem = QStringLiteral("the CRC of %1 is wrong").arg(name);
        chunks.names << name;
        if (name == QLatin1String("IHDR") && data.size() == 13) {
            chunks.bitDepth = static_cast<uchar>(data[8]);
            chunks.colourType = static_cast<uchar>(data[9]);
            chunks.interlace = static_cast<uchar>(data[12]);
        } else if (name == QLatin1String("PLTE")) {
            chunks.palette = data;
            chunks.paletteEntries = static_cast<int>(data.size() / 3);
        } else if (name == QLatin1String("tRNS")) {
            chunks.transparency = data;
        }
        at += 12 + length;
    }
    if (chunks.names.isEmpty() || chunks.names.back() != QLatin1String("IEND"))
        chunks.problem = QStringLiteral("the file does not end with IEND");
    return chunks;
}

QString PngCheck(const QString& path)
{
    const ToolRun run = Run(QStringLiteral("pngcheck"), {QStringLiteral("-v"), path});
    if (!run.ok) {
        ADD_FAILURE() << run.error.toStdString();
        return {};
    }
    return QString::fromUtf8(run.out);
}

QByteArray DecodeWebp(const QString& path, int& width, int& height)
{
    width = height = 0;
    const QString pam = path + QStringLiteral(".pam");
    const ToolRun run = Run(QStringLiteral("dwebp"), {QStringLiteral("-quiet"), path, QStringLiteral("-pam"),
                                                      QStringLiteral("-o"), pam});
    if (!run.ok) {
        ADD_FAILURE() << run.error.toStdString();
        return {};
    }
    QFile file(pam);
    if (!file.open(QIODevice::ReadOnly)) {
        ADD_FAILURE() << "dwebp wrote no " << pam.toStdString();
        return {};
    }
    const QByteArray bytes = file.readAll();
    const QByteArray end("ENDHDR\n");
    const qsizetype headerEnd = bytes.indexOf(end);
    if (!bytes.startsWith("P7\n") || headerEnd < 0) {
        ADD_FAILURE() << "dwebp wrote no PAM";
        return {};
    }
    int depth = 0;
    for (const QByteArray& line : bytes.left(headerEnd).split('\n')) {
        const QList<QByteArray> field = line.split(' ');
        if (field.size() != 2)
            continue;
        if (field[0] == "WIDTH")
            width = field[1].toInt();
        else if (field[0] == "HEIGHT")
            height = field[1].toInt();
        else if (field[0] == "DEPTH")
            depth = field[1].toInt();
    }
    EXPECT_EQ(depth, 4);
    return bytes.mid(headerEnd + end.size());
}

PillowPicture DecodeAvif(const QString& path)
{
    const QString png = path + QStringLiteral(".png");
    const ToolRun run = Run(QStringLiteral("avifdec"), {QStringLiteral("-d"), QStringLiteral("8"), path, png});
    if (!run.ok) {
        PillowPicture failed;
        failed.problem = run.error;
        return failed;
    }
    return ReadWithPillow(png, QStringLiteral("RGBA"));
}

QString AvifInfo(const QString& path)
{
    const ToolRun run = Run(QStringLiteral("avifdec"), {QStringLiteral("--info"), path});
    if (!run.ok)
        ADD_FAILURE() << run.error.toStdString();
    return QString::fromUtf8(run.out);
}

QString WriteFile(const QTemporaryDir& folder, const QString& name, const QByteArray& bytes)
{
    const QString path = folder.filePath(name);
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size())
        ADD_FAILURE() << "cannot write " << path.toStdString();
    return path;
}

QByteArray RgbBytes(const Bitmap& working)
{
    QByteArray bytes;
    bytes.reserve(3 * static_cast<qsizetype>(working.width()) * working.height());
    for (int y = 0; y < working.height(); ++y) {
        const RGBTriple* row = RowPixels(working, y);
        for (int x = 0; x < working.width(); ++x) {
            bytes.append(static_cast<char>(row[x].red));
            bytes.append(static_cast<char>(row[x].green));
            bytes.append(static_cast<char>(row[x].blue));
        }
    }
    return bytes;
}

QByteArray RgbaBytes(const Bitmap& working, const Bitmap& alpha)
{
    QByteArray bytes;
    bytes.reserve(4 * static_cast<qsizetype>(working.width()) * working.height());
    for (int y = 0; y < working.height(); ++y) {
        const RGBTriple* row = RowPixels(working, y);
        for (int x = 0; x < working.width(); ++x) {
            bytes.append(static_cast<char>(row[x].red));
            bytes.append(static_cast<char>(row[x].green));
            bytes.append(static_cast<char>(row[x].blue));
            bytes.append(static_cast<char>(alpha.isNull() ? 255 : alpha.constScanLine(y)[x]));
        }
    }
    return bytes;
}

QByteArray AlphaOf(const QByteArray& rgba)
{
    QByteArray alpha;
    for (qsizetype i = 3; i < rgba.size(); i += 4)
        alpha.append(rgba[i]);
    return alpha;
}

QByteArray ColoursOf(const QByteArray& rgba)
{
    QByteArray rgb;
    for (qsizetype i = 0; i + 3 < rgba.size(); i += 4)
        rgb.append(rgba.mid(i, 3));
    return rgb;
}

Bitmap RgbaPicture(const QByteArray& rgba, int width, int height)
{
    Bitmap picture(width, height, Bitmap::Format_RGBA8888);
    if (rgba.size() != 4 * static_cast<qsizetype>(width) * height) {
        ADD_FAILURE() << "RGBA of " << rgba.size() << " bytes for " << width << "x" << height;
        return picture;
    }
    for (int y = 0; y < height; ++y)
        std::memcpy(picture.scanLine(y), rgba.constData() + 4 * static_cast<qsizetype>(width) * y,
                    4 * static_cast<std::size_t>(width));
    return picture;
}

int LargestDifference(const QByteArray& a, const QByteArray& b)
{
    EXPECT_EQ(a.size(), b.size());
    int largest = a.size() == b.size() ? 0 : 256;
    for (qsizetype i = 0; i < std::min(a.size(), b.size()); ++i)
        largest = std::max(largest, std::abs(static_cast<uchar>(a[i]) - static_cast<uchar>(b[i])));
    return largest;
}

double Psnr(const QByteArray& a, const QByteArray& b)
{
    EXPECT_EQ(a.size(), b.size());
    if (a.size() != b.size() || a.isEmpty())
        return 0;
    double sum = 0;
    for (qsizetype i = 0; i < a.size(); ++i) {
        const double d = static_cast<uchar>(a[i]) - static_cast<uchar>(b[i]);
        sum += d * d;
    }
    if (sum == 0)
        return std::numeric_limits<double>::infinity();
    const double mse = sum / static_cast<double>(a.size());
    return 10 * std::log10(255.0 * 255.0 / mse);
}

AlphaPicture DrawAlphaPicture(int width, int height)
{
    AlphaPicture picture;
    picture.working = testpictures::PatternPicture(width, height, 11);
    picture.alpha = Bitmap(width, height, Bitmap::Format_Grayscale8);
    for (int y = 0; y < height; ++y) {
        uchar* row = picture.alpha.scanLine(y);
        for (int x = 0; x < width; ++x) {
            if (y < height / 4)
                row[x] = 0;  // fully transparent, over varied colours
            else if (y < height / 2)
                row[x] = 255;
            else
                row[x] = static_cast<uchar>(255 * x / std::max(1, width - 1));
        }
    }
    return picture;
}

Bitmap SharedWorkingBitmap(const QString& name)
{
    const QString path = testpictures::SharedTestPicture(name);
    if (path.isEmpty())
        return {};
    return ToWorkingBitmap(PictureLoader().Load(path));
}

void Recorder::ProgressChanged(const std::string& utf8, int percent)
{
    const QString text = ToQString(utf8);
    if (captions.isEmpty() || captions.back() != text)
        captions << text;
    percents.push_back(percent);
    if (cancel && text == cancelAt && percent >= cancelPercent)
        cancel->Cancel();
}

} // namespace pictaron::encodercheck
