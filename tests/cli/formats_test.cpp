// PNG, WebP and AVIF results from the command line, read back by decoders of
// their own: Pillow for PNG and GIF, dwebp for WebP, avifdec for AVIF.
#include "tests/cli/clitesting.h"

#include <gtest/gtest.h>

#include <QImage>
#include <QJsonDocument>
#include <QJsonObject>

using namespace pictaron::clitesting;

namespace {

struct Kind {
    const char* key;        // --format and the JSON report
    const char* extension;  // of the file
    bool (*signed_)(const QByteArray& bytes);
};

const Kind kKinds[] = {
    {"jpeg", "jpg", [](const QByteArray& b) { return b.startsWith("\xFF\xD8\xFF"); }},
    {"gif", "gif", [](const QByteArray& b) { return b.startsWith("GIF89a") || b.startsWith("GIF87a"); }},
    {"png", "png", [](const QByteArray& b) { return b.startsWith("\x89PNG\r\n\x1A\n"); }},
    {"webp", "webp", [](const QByteArray& b) { return b.startsWith("RIFF") && b.mid(8, 4) == "WEBP"; }},
    {"avif", "avif", [](const QByteArray& b) { return b.mid(4, 8) == "ftypavif"; }},
};

// The pixels of a binary PPM as RGB bytes, with its size; empty when it is none.
struct Pixels {
    int width = 0;
    int height = 0;
    QByteArray rgb;
};

Pixels PpmPixels(const QByteArray& ppm)
{
    const QList<QByteArray> head = ppm.left(64).simplified().split(' ');
    if (head.size() < 4 || head[0] != "P6" || head[3].left(3) != "255")
        return {};
    Pixels pixels{head[1].toInt(), head[2].toInt(), {}};
    pixels.rgb = ppm.right(qsizetype(pixels.width) * pixels.height * 3);
    return pixels;
}

// Pillow's reading of a file: its format, mode, size, interlace flag and RGB
// pixels (as hex), one JSON object.
QJsonObject PillowFacts(const QString& path)
{
    static const QString script = QStringLiteral(
        "import sys, json\n"
        "from PIL import Image\n"
        "im = Image.open(sys.argv[1])\n"
        "print(json.dumps({'format': im.format, 'mode': im.mode, 'width': im.width, 'height': im.height,\n"
        "                  'interlace': im.info.get('interlace', 0),\n"
        "                  'rgb': im.convert('RGB').tobytes().hex(),\n"
        "                  'rgba': im.convert('RGBA').tobytes().hex()}))\n");
    const Outcome run = RunProgram(QStringLiteral("/usr/bin/python3"), {QStringLiteral("-c"), script, path});
    EXPECT_EQ(run.status, 0) << run.err.toStdString();
    return QJsonDocument::fromJson(run.out).object();
}

QByteArray PillowRgb(const QString& path)
{
    return QByteArray::fromHex(PillowFacts(path)[QStringLiteral("rgb")].toString().toLatin1());
}

// The data of a PNG's chunks of one type, in file order.
QList<QByteArray> PngChunks(const QByteArray& png, const QByteArray& type)
{
    QList<QByteArray> chunks;
    for (qsizetype at = 8; at + 12 <= png.size();) {
        const auto* p = reinterpret_cast<const unsigned char*>(png.constData() + at);
        const qsizetype length = qsizetype(p[0]) << 24 | p[1] << 16 | p[2] << 8 | p[3];
        if (png.mid(at + 4, 4) == type)
            chunks << png.mid(at + 8, length);
        at += 12 + length;
    }
    return chunks;
}

class CliFormatsTest : public CliTest {
protected:
    // A run that must succeed.
    Outcome Run(const QStringList& arguments) const
    {
        const Outcome run = RunCli(arguments);
        EXPECT_EQ(run.status, 0) << arguments.join(' ').toStdString() << "\n" << run.err.toStdString();
        EXPECT_TRUE(run.err.isEmpty()) << run.err.toStdString();
        return run;
    }
    // What dwebp or avifdec decodes of a file, as RGB.
    Pixels Decoded(const QString& path) const
    {
        const QString out = path + QStringLiteral(".decoded");
        const Outcome run = path.endsWith(QLatin1String(".webp"))
            ? RunProgram(QStringLiteral("dwebp"), {path, QStringLiteral("-ppm"), QStringLiteral("-o"), out})
            : RunProgram(QStringLiteral("avifdec"), {path, out + QStringLiteral(".png")});
        EXPECT_EQ(run.status, 0) << run.err.toStdString();
        if (path.endsWith(QLatin1String(".webp")))
            return PpmPixels(Read(out));
        const QJsonObject facts = PillowFacts(out + QStringLiteral(".png"));
        return {facts[QStringLiteral("width")].toInt(), facts[QStringLiteral("height")].toInt(),
                QByteArray::fromHex(facts[QStringLiteral("rgb")].toString().toLatin1())};
    }
    QString AvifInfo(const QString& path) const
    {
        const Outcome run = RunProgram(QStringLiteral("avifdec"), {QStringLiteral("--info"), path});
        EXPECT_EQ(run.status, 0) << run.err.toStdString();
        return QString::fromUtf8(run.out).simplified();
    }
};

} // namespace

TEST_F(CliFormatsTest, TheFormatFollowsTheExtensionOrFormatAndNamesTheOutputs)
{
    const QString input = Write(QStringLiteral("in.ppm"), Ppm(37, 23));
    for (const Kind& kind : kKinds) {
        SCOPED_TRACE(kind.key);
        const QString key = QString::fromLatin1(kind.key);
        const QString extension = QString::fromLatin1(kind.extension);
        QTemporaryDir folder;
        const auto at = [&folder](const QString& name) { return folder.filePath(name); };

        // By the extension, in either case; by --format whatever the name.
        Run({input, QStringLiteral("-o"), at(QStringLiteral("a.") + extension)});
        Run({input, QStringLiteral("-o"), at(QStringLiteral("b.") + extension.toUpper())});
        Run({input, QStringLiteral("-o"), at(QStringLiteral("c.out")), QStringLiteral("--format"), key});
        // Folders and patterns ending in {ext} take the format's extension.
        Run({input, QStringLiteral("-o"), at(QStringLiteral("web/")), QStringLiteral("--format"), key.toUpper()});
        Run({input, QStringLiteral("-o"), at(QStringLiteral("p/{name}.{ext}")), QStringLiteral("--format"), key});
        // A pattern's own extension chooses the format.
        Run({input, QStringLiteral("-o"), at(QStringLiteral("q/{name}.") + extension)});
        const Outcome piped = Run({input, QStringLiteral("-o"), QStringLiteral("-"), QStringLiteral("--format"), key});

        const QByteArray bytes = Read(at(QStringLiteral("a.") + extension));
        EXPECT_TRUE(kind.signed_(bytes)) << bytes.left(16).toHex().toStdString();
        EXPECT_EQ(piped.out, bytes);
        const QMap<QString, QByteArray> expected{
            {QStringLiteral("a.") + extension, bytes},
            {QStringLiteral("b.") + extension.toUpper(), bytes},
            {QStringLiteral("c.out"), bytes},
            {QStringLiteral("web/"), {}},
            {QStringLiteral("web/in.") + extension, bytes},
            {QStringLiteral("p/"), {}},
            {QStringLiteral("p/in.") + extension, bytes},
            {QStringLiteral("q/"), {}},
            {QStringLiteral("q/in.") + extension, bytes},
        };
        EXPECT_EQ(Snapshot(folder.path()), expected);
    }
    // "jpg" names JPEG too, and a name no format has gives JPEG.
    Run({input, QStringLiteral("-o"), Path(QStringLiteral("x.jpg"))});
    Run({input, QStringLiteral("-o"), Path(QStringLiteral("y.out")), QStringLiteral("--format"), QStringLiteral("jpg")});
    Run({input, QStringLiteral("-o"), Path(QStringLiteral("z.bmp"))});
    EXPECT_EQ(Read(Path(QStringLiteral("y.out"))), Read(Path(QStringLiteral("x.jpg"))));
    EXPECT_EQ(Read(Path(QStringLiteral("z.bmp"))), Read(Path(QStringLiteral("x.jpg"))));
}

TEST_F(CliFormatsTest, PngKeepsThePixelsAndInterlacesOnRequest)
{
    const QByteArray ppm = Ppm(45, 31);
    const QString input = Write(QStringLiteral("in.ppm"), ppm);
    const QString plain = Path(QStringLiteral("plain.png"));
    const QString interlaced = Path(QStringLiteral("interlaced.png"));
    Run({input, QStringLiteral("-o"), plain});
    Run({input, QStringLiteral("-o"), interlaced, QStringLiteral("--interlace")});
    for (const QString& path : {plain, interlaced}) {
        SCOPED_TRACE(path.toStdString());
        const QList<QByteArray> header = PngChunks(Read(path), "IHDR");
        ASSERT_EQ(header.size(), 1);
        EXPECT_EQ(header[0][8], 8);  // bits a sample
        EXPECT_EQ(header[0][9], 2);  // truecolour: the picture has no transparency
        EXPECT_EQ(header[0][12], path == interlaced ? 1 : 0);
        const QJsonObject facts = PillowFacts(path);
        EXPECT_EQ(facts[QStringLiteral("interlace")].toInt(), path == interlaced ? 1 : 0);
        EXPECT_EQ(PillowRgb(path), PpmPixels(ppm).rgb);
    }
}

TEST_F(CliFormatsTest, IndexedPngHasTheGifsPixelsAndAtMostItsColours)
{
    const QString input = Write(QStringLiteral("in.ppm"), Ppm(52, 40));
    const QString gif = Path(QStringLiteral("same.gif"));
    const QString byPngColours = Path(QStringLiteral("a.png"));
    const QString byColours = Path(QStringLiteral("b.out"));
    Run({input, QStringLiteral("-o"), gif, QStringLiteral("--colours"), QStringLiteral("16"), QStringLiteral("--dither")});
    const Outcome json = Run({input, QStringLiteral("-o"), byPngColours, QStringLiteral("--png-colours"),
                              QStringLiteral("16"), QStringLiteral("--dither"), QStringLiteral("--json")});
    Run({input, QStringLiteral("-o"), byColours, QStringLiteral("--format"), QStringLiteral("png"), QStringLiteral("--colours"),
         QStringLiteral("16"), QStringLiteral("--dither")});
    const QByteArray png = Read(byPngColours);
    EXPECT_EQ(Read(byColours), png);
    const QList<QByteArray> header = PngChunks(png, "IHDR");
    ASSERT_EQ(header.size(), 1);
    EXPECT_EQ(header[0][9], 3);  // indexed
    const QList<QByteArray> palette = PngChunks(png, "PLTE");
    ASSERT_EQ(palette.size(), 1);
    EXPECT_EQ(palette[0].size() % 3, 0);
    EXPECT_LE(palette[0].size() / 3, 16);
    EXPECT_GT(palette[0].size() / 3, 1);
    EXPECT_EQ(PillowFacts(byPngColours)[QStringLiteral("mode")].toString(), QStringLiteral("P"));
    EXPECT_EQ(PillowRgb(byPngColours), PillowRgb(gif));

    const QJsonObject report = QJsonDocument::fromJson(json.out).object();
    EXPECT_EQ(report[QStringLiteral("format")].toString(), QStringLiteral("png"));
    EXPECT_EQ(report[QStringLiteral("colours")].toInt(), palette[0].size() / 3);
    EXPECT_EQ(report[QStringLiteral("bytes")].toInteger(), png.size());

    // With a transparent colour that some pixels have (the top row is
    // white), the PNG makes those pixels clear as the GIF does, and no others.
    QByteArray whiteTop = Ppm(52, 40);
    whiteTop.replace(whiteTop.size() - 52 * 40 * 3, 52 * 3, QByteArray(52 * 3, '\xFF'));
    const QString whiteInput = Write(QStringLiteral("white.ppm"), whiteTop);
    const QStringList clearOptions{QStringLiteral("--colours"), QStringLiteral("64"), QStringLiteral("--palette"),
                                   QStringLiteral("websafe"), QStringLiteral("--transparent"), QStringLiteral("FFFFFF")};
    const QString clear = Path(QStringLiteral("clear.png"));
    const QString clearGif = Path(QStringLiteral("clear.gif"));
    Run(QStringList{whiteInput, QStringLiteral("-o"), clear} + clearOptions);
    Run(QStringList{whiteInput, QStringLiteral("-o"), clearGif} + clearOptions);
    const QByteArray clearPng = Read(clear);
    const QList<QByteArray> clearPalette = PngChunks(clearPng, "PLTE");
    const QList<QByteArray> alpha = PngChunks(clearPng, "tRNS");
    ASSERT_EQ(clearPalette.size(), 1);
    ASSERT_EQ(alpha.size(), 1);
    qsizetype white = 0;
    while (white < clearPalette[0].size() / 3 && clearPalette[0].mid(3 * white, 3) != QByteArray("\xFF\xFF\xFF"))
        ++white;
    ASSERT_LT(white, alpha[0].size());
    for (qsizetype i = 0; i < alpha[0].size(); ++i)
        EXPECT_EQ(static_cast<unsigned char>(alpha[0][i]), i == white ? 0 : 255) << i;
    const QByteArray clearRgba =
        QByteArray::fromHex(PillowFacts(clear)[QStringLiteral("rgba")].toString().toLatin1());
    EXPECT_EQ(clearRgba, QByteArray::fromHex(PillowFacts(clearGif)[QStringLiteral("rgba")].toString().toLatin1()));
    EXPECT_EQ(clearRgba.left(4), QByteArray("\xFF\xFF\xFF\x00", 4));
    EXPECT_EQ(clearRgba.mid(52 * 4 + 3, 1), QByteArray("\xFF"));
}

TEST_F(CliFormatsTest, LosslessWebpDecodesToTheInputAndQualityAndEffortReachTheFile)
{
    const QByteArray ppm = Ppm(61, 43);
    const QString input = Write(QStringLiteral("in.ppm"), ppm);
    const QString lossless = Path(QStringLiteral("lossless.webp"));
    Run({input, QStringLiteral("-o"), lossless, QStringLiteral("--lossless")});
    const QByteArray losslessBytes = Read(lossless);
    EXPECT_EQ(losslessBytes.mid(12, 4), QByteArray("VP8L"));
    const Pixels decoded = Decoded(lossless);
    EXPECT_EQ(decoded.width, 61);
    EXPECT_EQ(decoded.height, 43);
    EXPECT_EQ(decoded.rgb, PpmPixels(ppm).rgb);

    // Lossy: a lower quality gives a smaller file further from the picture.
    const QString low = Path(QStringLiteral("q20.webp"));
    const QString high = Path(QStringLiteral("q95.webp"));
    Run({input, QStringLiteral("-o"), low, QStringLiteral("--quality"), QStringLiteral("20")});
    Run({input, QStringLiteral("-o"), high, QStringLiteral("--quality"), QStringLiteral("95")});
    EXPECT_EQ(Read(low).mid(12, 4), QByteArray("VP8 "));
    EXPECT_LT(Read(low).size(), Read(high).size());
    const auto error = [&ppm](const Pixels& pixels) {
        const QByteArray original = PpmPixels(ppm).rgb;
        qint64 sum = 0;
        for (qsizetype i = 0; i < original.size() && i < pixels.rgb.size(); ++i)
            sum += std::abs(int(static_cast<unsigned char>(original[i])) - static_cast<unsigned char>(pixels.rgb[i]));
        return sum;
    };
    EXPECT_GT(error(Decoded(low)), error(Decoded(high)));
    // The default is quality 80.
    const QString q80 = Path(QStringLiteral("q80.webp"));
    const QString standard = Path(QStringLiteral("default.webp"));
    Run({input, QStringLiteral("-o"), q80, QStringLiteral("--quality"), QStringLiteral("80")});
    Run({input, QStringLiteral("-o"), standard});
    EXPECT_EQ(Read(q80), Read(standard));

    // The encoder's method: the quickest and the most thorough give other bytes.
    const QString quick = Path(QStringLiteral("e0.webp"));
    const QString thorough = Path(QStringLiteral("e6.webp"));
    Run({input, QStringLiteral("-o"), quick, QStringLiteral("--effort"), QStringLiteral("0")});
    Run({input, QStringLiteral("-o"), thorough, QStringLiteral("--effort"), QStringLiteral("6")});
    EXPECT_NE(Read(quick), Read(thorough));
    EXPECT_NE(Read(quick), Read(standard));
}

TEST_F(CliFormatsTest, AvifChromaLosslessQualityAndSpeedReachTheFile)
{
    const QByteArray ppm = Ppm(48, 34);
    const QString input = Write(QStringLiteral("in.ppm"), ppm);
    const QString standard = Path(QStringLiteral("default.avif"));
    const QString full = Path(QStringLiteral("444.avif"));
    const QString half = Path(QStringLiteral("420.avif"));
    Run({input, QStringLiteral("-o"), standard});
    Run({input, QStringLiteral("-o"), full, QStringLiteral("--chroma"), QStringLiteral("444")});
    Run({input, QStringLiteral("-o"), half, QStringLiteral("--chroma"), QStringLiteral("420")});
    EXPECT_TRUE(AvifInfo(standard).contains(QStringLiteral("Format : YUV420"))) << AvifInfo(standard).toStdString();
    EXPECT_TRUE(AvifInfo(full).contains(QStringLiteral("Format : YUV444"))) << AvifInfo(full).toStdString();
    EXPECT_TRUE(AvifInfo(full).contains(QStringLiteral("Resolution : 48x34")));
    EXPECT_TRUE(AvifInfo(full).contains(QStringLiteral("Alpha : Absent")));
    EXPECT_EQ(Read(half), Read(standard));

    const QString lossless = Path(QStringLiteral("lossless.avif"));
    Run({input, QStringLiteral("-o"), lossless, QStringLiteral("--lossless")});
    EXPECT_TRUE(AvifInfo(lossless).contains(QStringLiteral("Format : YUV444")));
    const Pixels decoded = Decoded(lossless);
    EXPECT_EQ(decoded.width, 48);
    EXPECT_EQ(decoded.rgb, PpmPixels(ppm).rgb);

    const QString low = Path(QStringLiteral("q10.avif"));
    const QString q60 = Path(QStringLiteral("q60.avif"));
    Run({input, QStringLiteral("-o"), low, QStringLiteral("--quality"), QStringLiteral("10")});
    Run({input, QStringLiteral("-o"), q60, QStringLiteral("--quality"), QStringLiteral("60")});
    EXPECT_LT(Read(low).size(), Read(standard).size());
    EXPECT_EQ(Read(q60), Read(standard));

    const QString fastest = Path(QStringLiteral("s10.avif"));
    Run({input, QStringLiteral("-o"), fastest, QStringLiteral("--speed"), QStringLiteral("10")});
    EXPECT_NE(Read(fastest), Read(standard));
    EXPECT_TRUE(AvifInfo(fastest).contains(QStringLiteral("Format : YUV420")));
}

TEST_F(CliFormatsTest, TransparencyReachesPngWebpAndAvif)
{
    // Alpha from 0 to 255 across, over colours that differ everywhere.
    QImage picture(40, 24, QImage::Format_RGBA8888);
    for (int y = 0; y < picture.height(); ++y)
        for (int x = 0; x < picture.width(); ++x)
            picture.setPixelColor(x, y, QColor(x * 6, y * 10, 200 - x * 3, x == 0 ? 0 : std::min(255, x * 7)));
    const QString input = Path(QStringLiteral("in.png"));
    ASSERT_TRUE(picture.save(input));
    const QByteArray rgba = QByteArray(reinterpret_cast<const char*>(picture.constBits()), picture.sizeInBytes());

    // Lossless results keep the alpha of every pixel, and the colour of every opaque one.
    const auto expectSameAlpha = [&rgba](const QByteArray& decoded) {
        ASSERT_EQ(decoded.size(), rgba.size());
        for (qsizetype i = 0; i < rgba.size(); i += 4) {
            ASSERT_EQ(decoded[i + 3], rgba[i + 3]) << i / 4;
            if (static_cast<unsigned char>(rgba[i + 3]) == 255) {
                ASSERT_EQ(decoded.mid(i, 3), rgba.mid(i, 3)) << i / 4;
            }
        }
    };
    const QString png = Path(QStringLiteral("out.png"));
    const QString webp = Path(QStringLiteral("out.webp"));
    Run({input, QStringLiteral("-o"), png});
    Run({input, QStringLiteral("-o"), webp, QStringLiteral("--lossless")});
    EXPECT_EQ(PngChunks(Read(png), "IHDR").value(0).mid(9, 1), QByteArray(1, 6));  // truecolour with alpha
    for (const QString& path : {png, webp}) {
        SCOPED_TRACE(path.toStdString());
        const QJsonObject facts = PillowFacts(path);
        EXPECT_EQ(facts[QStringLiteral("mode")].toString(), QStringLiteral("RGBA"));
        expectSameAlpha(QByteArray::fromHex(facts[QStringLiteral("rgba")].toString().toLatin1()));
    }
    const QString avif = Path(QStringLiteral("out.avif"));
    Run({input, QStringLiteral("-o"), avif});
    EXPECT_FALSE(AvifInfo(avif).contains(QStringLiteral("Alpha : Absent"))) << AvifInfo(avif).toStdString();
    ASSERT_EQ(RunProgram(QStringLiteral("avifdec"), {avif, avif + QStringLiteral(".png")}).status, 0);
    EXPECT_EQ(PillowFacts(avif + QStringLiteral(".png"))[QStringLiteral("mode")].toString(), QStringLiteral("RGBA"));

    // A JPEG has no alpha, nor an indexed PNG but for its transparent colour.
    const QString indexed = Path(QStringLiteral("indexed.png"));
    Run({input, QStringLiteral("-o"), indexed, QStringLiteral("--png-colours"), QStringLiteral("64")});
    EXPECT_EQ(PngChunks(Read(indexed), "IHDR").value(0).mid(9, 1), QByteArray(1, 3));
    EXPECT_TRUE(PngChunks(Read(indexed), "tRNS").isEmpty());
}

TEST_F(CliFormatsTest, AnOptionOfAnotherFormatOrOutOfRangeIsBadUsageAndWritesNothing)
{
    const QString input = Write(QStringLiteral("in.ppm"), Ppm(8, 8));
    struct Misuse {
        QString output;
        QStringList options;
        QString message;
    };
    const QList<Misuse> misuses{
        {QStringLiteral("x.jpg"), {QStringLiteral("--lossless")},
         QStringLiteral("--lossless is for WebP and AVIF results, but this run writes JPEG; --format, --formats or the output's "
                        "extension chooses the format.")},
        {QStringLiteral("x.png"), {QStringLiteral("--quality"), QStringLiteral("50")},
         QStringLiteral("--quality is for JPEG, WebP and AVIF results, but this run writes PNG;")},
        {QStringLiteral("x.gif"), {QStringLiteral("--quality"), QStringLiteral("50")},
         QStringLiteral("--quality is for JPEG, WebP and AVIF results, but this run writes GIF;")},
        {QStringLiteral("x.webp"), {QStringLiteral("--speed"), QStringLiteral("3")},
         QStringLiteral("--speed is for AVIF results, but this run writes WebP;")},
        {QStringLiteral("x.avif"), {QStringLiteral("--effort"), QStringLiteral("3")},
         QStringLiteral("--effort is for WebP results, but this run writes AVIF;")},
        {QStringLiteral("x.gif"), {QStringLiteral("--interlace")},
         QStringLiteral("--interlace is for PNG results, but this run writes GIF;")},
        {QStringLiteral("x.out"), {QStringLiteral("--format"), QStringLiteral("webp"), QStringLiteral("--chroma"), QStringLiteral("444")},
         QStringLiteral("--chroma is for AVIF results, but this run writes WebP;")},
        {QStringLiteral("x.webp"), {QStringLiteral("--png-colours"), QStringLiteral("16")},
         QStringLiteral("--png-colours is for PNG results, but this run writes WebP;")},
        {QStringLiteral("x.webp"), {QStringLiteral("--colours"), QStringLiteral("16")},
         QStringLiteral("--colours is for GIF and PNG results, but this run writes WebP;")},
        {QStringLiteral("x.avif"), {QStringLiteral("--dither")},
         QStringLiteral("--dither is for GIF and PNG results, but this run writes AVIF;")},
        {QStringLiteral("x.png"), {QStringLiteral("--progressive")},
         QStringLiteral("--progressive is for JPEG results, but this run writes PNG;")},
        {QStringLiteral("x.webp"), {QStringLiteral("--greyscale")},
         QStringLiteral("--greyscale is for JPEG results, but this run writes WebP;")},
        {QStringLiteral("x.webp"), {QStringLiteral("--effort"), QStringLiteral("7")},
         QStringLiteral("--effort needs a whole number from 0 to 6, not \"7\".")},
        {QStringLiteral("x.avif"), {QStringLiteral("--speed"), QStringLiteral("11")},
         QStringLiteral("--speed needs a whole number from 0 to 10, not \"11\".")},
        {QStringLiteral("x.avif"), {QStringLiteral("--speed"), QStringLiteral("-1")},
         QStringLiteral("--speed needs a whole number from 0 to 10, not \"-1\".")},
        {QStringLiteral("x.webp"), {QStringLiteral("--quality"), QStringLiteral("101")},
         QStringLiteral("--quality needs a whole number from 0 to 100, not \"101\".")},
        {QStringLiteral("x.avif"), {QStringLiteral("--quality"), QStringLiteral("-1")},
         QStringLiteral("--quality needs a whole number from 0 to 100, not \"-1\".")},
        {QStringLiteral("x.png"), {QStringLiteral("--png-colours"), QStringLiteral("1")},
         QStringLiteral("--png-colours needs a whole number from 2 to 256, not \"1\".")},
        {QStringLiteral("x.png"), {QStringLiteral("--png-colours"), QStringLiteral("257")},
         QStringLiteral("--png-colours needs a whole number from 2 to 256, not \"257\".")},
        {QStringLiteral("x.avif"), {QStringLiteral("--chroma"), QStringLiteral("422")},
         QStringLiteral("--chroma must be 420, 444, not \"422\".")},
        {QStringLiteral("x.webp"), {QStringLiteral("--quality"), QStringLiteral("50"), QStringLiteral("--lossless")},
         QStringLiteral("Choose either --quality or --lossless.")},
        {QStringLiteral("x.png"), {QStringLiteral("--png-colours"), QStringLiteral("16"), QStringLiteral("--colours"), QStringLiteral("16")},
         QStringLiteral("Choose either --png-colours or --colours.")},
        {QStringLiteral("x.avif"), {QStringLiteral("--lossless"), QStringLiteral("--chroma"), QStringLiteral("420")},
         QStringLiteral("--chroma 420 halves the colour, which --lossless keeps whole; leave out one of them.")},
        {QStringLiteral("x.jpg"), {QStringLiteral("--format"), QStringLiteral("bmp")},
         QStringLiteral("--format must be gif, jpeg, png, webp or avif, not \"bmp\".")},
    };
    for (const Misuse& misuse : misuses) {
        const QStringList arguments = QStringList{input, QStringLiteral("-o"), Path(misuse.output)} + misuse.options;
        SCOPED_TRACE(arguments.join(' ').toStdString());
        const Outcome run = RunCli(arguments);
        EXPECT_EQ(run.status, 2);
        EXPECT_TRUE(run.out.isEmpty());
        EXPECT_TRUE(run.err.startsWith(("pictaron-cli: " + misuse.message).toUtf8())) << run.err.left(200).toStdString();
        EXPECT_TRUE(run.err.contains("Usage: pictaron-cli"));
    }
    ExpectOnlyFiles({QStringLiteral("in.ppm")});
}

TEST_F(CliFormatsTest, JsonAndReportDescribeEveryFormatAlike)
{
    const QString input = Write(QStringLiteral("in.ppm"), Ppm(30, 20));
    const QStringList keys{QStringLiteral("input"),  QStringLiteral("output"),         QStringLiteral("format"),
                           QStringLiteral("width"),  QStringLiteral("height"),         QStringLiteral("bytes"),
                           QStringLiteral("original_bytes"), QStringLiteral("download_seconds"), QStringLiteral("download_times"),
                           QStringLiteral("warnings")};
    for (const Kind& kind : kKinds) {
        for (const bool indexed : {false, true}) {
            if (indexed && QByteArray(kind.key) != "png")
                continue;
            SCOPED_TRACE(std::string(kind.key) + (indexed ? " indexed" : ""));
            const QString output = Path(QStringLiteral("out.") + QString::fromLatin1(kind.extension));
            QStringList arguments{input, QStringLiteral("-o"), output, QStringLiteral("--resize"), QStringLiteral("15x10"),
                                  QStringLiteral("--json")};
            if (indexed)
                arguments << QStringLiteral("--png-colours") << QStringLiteral("8");
            const Outcome run = Run(arguments);
            const QByteArray bytes = Read(output);
            ASSERT_TRUE(kind.signed_(bytes));
            const QJsonObject json = QJsonDocument::fromJson(run.out).object();
            const bool hasColours = indexed || QByteArray(kind.key) == "gif";
            QStringList expected = keys;
            if (hasColours)
                expected << QStringLiteral("colours");
            expected.sort();
            EXPECT_EQ(json.keys(), expected);
            EXPECT_EQ(json[QStringLiteral("format")].toString(), QString::fromLatin1(kind.key));
            EXPECT_EQ(json[QStringLiteral("output")].toString(), output);
            EXPECT_EQ(json[QStringLiteral("width")].toInt(), 15);
            EXPECT_EQ(json[QStringLiteral("height")].toInt(), 10);
            EXPECT_EQ(json[QStringLiteral("bytes")].toInteger(), bytes.size());
            EXPECT_EQ(json[QStringLiteral("original_bytes")].toInteger(), Read(input).size());
            if (indexed) {
                EXPECT_EQ(json[QStringLiteral("colours")].toInt(), PngChunks(bytes, "PLTE").value(0).size() / 3);
            }

            const Outcome report = Run({input, QStringLiteral("-o"), output, QStringLiteral("--resize"),
                                        QStringLiteral("15x10"), QStringLiteral("--report")});
            const QStringList lines = QString::fromUtf8(report.out).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
            ASSERT_EQ(lines.size(), 12);
            EXPECT_EQ(lines[2], QLatin1Char(' ') + output);
            EXPECT_TRUE(lines[3].startsWith(QStringLiteral(" 15 by 10 pixels, "))) << lines[3].toStdString();
        }
    }
}
