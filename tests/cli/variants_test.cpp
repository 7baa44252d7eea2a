// Responsive variants from the command line: every file read back by a
// decoder of its own (Pillow, avifdec for AVIF), the <picture> element parsed
// with Python's html.parser, the shrunk JPEG decoding measured against a
// full-size one.
#include "tests/cli/clitesting.h"
#include "tests/formats/testprofiles.h"

#include <gtest/gtest.h>

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QUrl>

#include <cmath>

using namespace pictaron::clitesting;

namespace {

// Width, height and format of each file as its decoder reads it, by path.
QJsonObject DecodedFacts(const QStringList& paths)
{
    static const QString script = QStringLiteral(
        "import sys, json, os, subprocess, tempfile\n"
        "from PIL import Image\n"
        "facts = {}\n"
        "for path in sys.argv[1:]:\n"
        "    shown = path\n"
        "    if path.endswith('.avif'):\n"
        "        shown = os.path.join(tempfile.mkdtemp(), 'decoded.png')\n"
        "        subprocess.run(['avifdec', path, shown], check=True, capture_output=True)\n"
        "    with Image.open(shown) as im:\n"
        "        im.load()\n"
        "        facts[path] = {'width': im.width, 'height': im.height,\n"
        "                       'format': 'AVIF' if shown != path else im.format}\n"
        "print(json.dumps(facts))\n");
    const Outcome run = RunProgram(QStringLiteral("/usr/bin/python3"), QStringList{QStringLiteral("-c"), script} + paths);
    EXPECT_EQ(run.status, 0) << run.err.toStdString();
    return QJsonDocument::fromJson(run.out).object();
}

// The peak signal-to-noise ratio of two pictures of one size, in dB over RGB.
double Psnr(const QString& a, const QString& b)
{
    static const QString script = QStringLiteral(
        "import sys, numpy\n"
        "from PIL import Image\n"
        "x, y = (numpy.asarray(Image.open(p).convert('RGB'), dtype=numpy.float64) for p in sys.argv[1:3])\n"
        "assert x.shape == y.shape, (x.shape, y.shape)\n"
        "mse = ((x - y) ** 2).mean()\n"
        "print(99.0 if mse == 0 else 10 * numpy.log10(255 ** 2 / mse))\n");
    const Outcome run = RunProgram(QStringLiteral("/usr/bin/python3"), {QStringLiteral("-c"), script, a, b});
    EXPECT_EQ(run.status, 0) << run.err.toStdString();
    return run.out.trimmed().toDouble();
}

// The tags and attributes of an HTML fragment, as html.parser reads them:
// [[tag, {attribute: value}], ...], end tags as "/tag".
QJsonArray ParsedHtml(const QByteArray& html)
{
    static const QString script = QStringLiteral(
        "import sys, json\n"
        "from html.parser import HTMLParser\n"
        "class Tags(HTMLParser):\n"
        "    def __init__(self):\n"
        "        super().__init__(); self.tags = []\n"
        "    def handle_starttag(self, tag, attrs): self.tags.append([tag, dict(attrs)])\n"
        "    def handle_endtag(self, tag): self.tags.append(['/' + tag, {}])\n"
        "    def handle_data(self, data):\n"
        "        if data.strip(): self.tags.append(['#text', {'text': data}])\n"
        "parser = Tags(); parser.feed(sys.stdin.read()); parser.close()\n"
        "print(json.dumps(parser.tags))\n");
    const Outcome run = RunProgram(QStringLiteral("/usr/bin/python3"), {QStringLiteral("-c"), script}, html);
    EXPECT_EQ(run.status, 0) << run.err.toStdString();
    return QJsonDocument::fromJson(run.out).array();
}

// A smooth photograph-like JPEG of our own (gradients, soft waves, one hard
// edge), at quality 92; when turned, stored turned so that the EXIF
// Orientation 6 shows it as the upright one; with the ICC profile in the
// file named profile when there is one.
void WriteJpeg(const QString& path, int width, int height, bool turned = false, const QString& profile = {})
{
    static const QString script = QStringLiteral(
        "import sys, numpy\n"
        "from PIL import Image\n"
        "path, w, h, turned = sys.argv[1], int(sys.argv[2]), int(sys.argv[3]), sys.argv[4] == '1'\n"
        "extra = {'icc_profile': open(sys.argv[5], 'rb').read()} if sys.argv[5] else {}\n"
        "y, x = numpy.mgrid[0:h, 0:w].astype(numpy.float64)\n"
        "r = 128 + 90 * numpy.sin(x / 41.0) * numpy.cos(y / 29.0)\n"
        "g = 40 + 170 * x / w\n"
        "b = 200 - 150 * y / h + 30 * numpy.sin((x + y) / 17.0)\n"
        "rgb = numpy.clip(numpy.dstack([r, g, b]), 0, 255).astype(numpy.uint8)\n"
        "rgb[h // 3: h // 2, w // 4: w // 2] = (250, 250, 240)\n"
        "im = Image.fromarray(rgb, 'RGB')\n"
        "if turned:\n"
        "    exif = Image.Exif(); exif[0x0112] = 6\n"
        "    im.transpose(Image.Transpose.ROTATE_90).save(path, quality=92, exif=exif.tobytes(), **extra)\n"
        "else:\n"
        "    im.save(path, quality=92, **extra)\n");
    const Outcome run = RunProgram(
        QStringLiteral("/usr/bin/python3"),
        {QStringLiteral("-c"), script, path, QString::number(width), QString::number(height),
         turned ? QStringLiteral("1") : QStringLiteral("0"), profile});
    ASSERT_EQ(run.status, 0) << run.err.toStdString();
}

int HeightFor(int sourceWidth, int sourceHeight, int width)
{
    return std::max(1, static_cast<int>(std::nearbyint(double(sourceHeight) * width / sourceWidth)));
}

class CliVariantsTest : public CliTest {
protected:
    Outcome Run(const QStringList& arguments, const QString& workingDirectory = {}) const
    {
        const Outcome run = RunCli(arguments, {}, workingDirectory);
        EXPECT_EQ(run.status, 0) << arguments.join(' ').toStdString() << "\n" << run.err.toStdString();
        return run;
    }
    // The files below folder, by path relative to it in sorted order, with a
    // space between names.
    std::string FilesIn(const QString& folder) const
    {
        QStringList names;
        for (const QString& name : Snapshot(folder).keys())
            if (!name.endsWith(QLatin1Char('/')))
                names << name;
        return names.join(QLatin1Char(' ')).toStdString();
    }
};

} // namespace

TEST_F(CliVariantsTest, EveryWidthInEveryFormatNamedAfterTheOutputAndNeverWiderThanTheSource)
{
    const QString input = Write(QStringLiteral("in.ppm"), Ppm(200, 120));
    const Outcome run = RunCli({input, QStringLiteral("-o"), Path(QStringLiteral("web/")), QStringLiteral("--widths"),
                                QStringLiteral("150, 50,400,100"), QStringLiteral("--formats"),
                                QStringLiteral("avif,webp,jpeg")});
    EXPECT_EQ(run.status, 0);
    EXPECT_TRUE(run.out.isEmpty());
    // The width above the source's is left out, said once.
    EXPECT_EQ(run.err, QStringLiteral("pictaron-cli: %1 is 200 pixels wide; the wider variants (400) are left out.\n")
                           .arg(input)
                           .toUtf8());

    QStringList names;
    QStringList paths;
    for (const char* extension : {"avif", "jpg", "webp"})
        for (const int width : {100, 150, 50}) {
            const QString name = QStringLiteral("in-%1.%2").arg(width).arg(QLatin1String(extension));
            names << name;
            paths << Path(QStringLiteral("web/") + name);
        }
    names.sort();
    EXPECT_EQ(FilesIn(Path(QStringLiteral("web"))), names.join(QLatin1Char(' ')).toStdString());

    const QJsonObject facts = DecodedFacts(paths);
    for (const QString& path : paths) {
        SCOPED_TRACE(path.toStdString());
        const int width = QFileInfo(path).completeBaseName().section(QLatin1Char('-'), 1).toInt();
        const QJsonObject decoded = facts[path].toObject();
        EXPECT_EQ(decoded[QStringLiteral("width")].toInt(), width);
        EXPECT_EQ(decoded[QStringLiteral("height")].toInt(), HeightFor(200, 120, width));
        const QString format = path.endsWith(QLatin1String(".avif")) ? QStringLiteral("AVIF")
            : path.endsWith(QLatin1String(".jpg"))                  ? QStringLiteral("JPEG")
                                                                     : QStringLiteral("WEBP");
        EXPECT_EQ(decoded[QStringLiteral("format")].toString(), format);
    }
}

TEST_F(CliVariantsTest, WidthsAloneTakeTheRunsFormatAndFormatsAloneTheSourceWidth)
{
    const QString input = Write(QStringLiteral("x/in.ppm"), Ppm(90, 61));
    // A file's extension gives way to each variant's.
    QDir().mkpath(Path(QStringLiteral("out")));
    Run({input, QStringLiteral("-o"), Path(QStringLiteral("out/pic.webp")), QStringLiteral("--widths"),
         QStringLiteral("30,90")});
    // A pattern, each format at the source's own width (and no width in the name).
    Run({input, QStringLiteral("-o"), Path(QStringLiteral("p/{dir}-{name}.{ext}")), QStringLiteral("--formats"),
         QStringLiteral("png,gif")});
    EXPECT_EQ(FilesIn(Path(QStringLiteral("out"))), "pic-30.webp pic-90.webp");
    EXPECT_EQ(FilesIn(Path(QStringLiteral("p"))), "x-in.gif x-in.png");

    const QStringList paths{Path(QStringLiteral("out/pic-30.webp")), Path(QStringLiteral("out/pic-90.webp")),
                            Path(QStringLiteral("p/x-in.png")), Path(QStringLiteral("p/x-in.gif"))};
    const QJsonObject facts = DecodedFacts(paths);
    const int sizes[][2] = {{30, HeightFor(90, 61, 30)}, {90, 61}, {90, 61}, {90, 61}};
    for (int i = 0; i < paths.size(); ++i) {
        EXPECT_EQ(facts[paths[i]].toObject()[QStringLiteral("width")].toInt(), sizes[i][0]) << paths[i].toStdString();
        EXPECT_EQ(facts[paths[i]].toObject()[QStringLiteral("height")].toInt(), sizes[i][1]) << paths[i].toStdString();
    }
    // At the source's width nothing is resampled: the PNG holds the source's pixels.
    EXPECT_EQ(Read(Path(QStringLiteral("p/x-in.png"))), Converted(input, {QStringLiteral("--format"), QStringLiteral("png")}));
    // Each variant is what a single run at that size makes.
    EXPECT_EQ(Read(paths[0]), Converted(input, {QStringLiteral("--format"), QStringLiteral("webp"), QStringLiteral("--resize"),
                                                QStringLiteral("30x%1").arg(HeightFor(90, 61, 30))}));
}

TEST_F(CliVariantsTest, TheHtmlNamesEveryVariantWithItsWidth)
{
    Write(QStringLiteral("in.ppm"), Ppm(160, 100));
    // Relative names as written, from the working folder; a space in them is
    // percent-encoded.
    const Outcome run = Run({QStringLiteral("in.ppm"), QStringLiteral("-o"), QStringLiteral("my web/"), QStringLiteral("--widths"),
                             QStringLiteral("40,80,120"), QStringLiteral("--formats"), QStringLiteral("avif,webp,jpeg"),
                             QStringLiteral("--html"), QStringLiteral("--sizes"),
                             QStringLiteral("(max-width: 600px) 100vw, 50vw")},
                            folder_.path());
    EXPECT_TRUE(run.err.isEmpty()) << run.err.toStdString();
    const QJsonArray tags = ParsedHtml(run.out);
    ASSERT_EQ(tags.size(), 5) << run.out.toStdString();
    EXPECT_EQ(tags[0].toArray()[0].toString(), QStringLiteral("picture"));
    EXPECT_EQ(tags[4].toArray()[0].toString(), QStringLiteral("/picture"));

    const struct {
        const char* tag;
        const char* type;
        const char* extension;
    } expected[] = {{"source", "image/avif", "avif"}, {"source", "image/webp", "webp"}, {"img", nullptr, "jpg"}};
    // Every srcset entry names a file of that width.
    QStringList seen;
    for (int i = 0; i < 3; ++i) {
        SCOPED_TRACE(expected[i].extension);
        const QJsonArray tag = tags[i + 1].toArray();
        const QJsonObject attributes = tag[1].toObject();
        EXPECT_EQ(tag[0].toString(), QLatin1String(expected[i].tag));
        if (expected[i].type) {
            EXPECT_EQ(attributes[QStringLiteral("type")].toString(), QLatin1String(expected[i].type));
        }
        EXPECT_EQ(attributes[QStringLiteral("sizes")].toString(), QStringLiteral("(max-width: 600px) 100vw, 50vw"));
        const QStringList entries = attributes[QStringLiteral("srcset")].toString().split(QStringLiteral(", "));
        ASSERT_EQ(entries.size(), 3);
        QStringList files;
        for (int e = 0; e < 3; ++e) {
            const QStringList parts = entries[e].split(QLatin1Char(' '));
            ASSERT_EQ(parts.size(), 2) << entries[e].toStdString();
            EXPECT_TRUE(parts[0].startsWith(QLatin1String("my%20web/"))) << parts[0].toStdString();
            const QString file = Path(QUrl::fromPercentEncoding(parts[0].toUtf8()));
            EXPECT_TRUE(QFileInfo::exists(file)) << file.toStdString();
            EXPECT_EQ(parts[1], QStringLiteral("%1w").arg(40 * (e + 1)));
            EXPECT_TRUE(file.endsWith(QStringLiteral("-%1.%2").arg(40 * (e + 1)).arg(QLatin1String(expected[i].extension))));
            files << file;
            seen << file;
        }
        const QJsonObject facts = DecodedFacts(files);
        for (int e = 0; e < 3; ++e)
            EXPECT_EQ(facts[files[e]].toObject()[QStringLiteral("width")].toInt(), 40 * (e + 1));
        if (!expected[i].type) {
            // The fallback at its largest size, with an empty alt text.
            EXPECT_EQ(attributes[QStringLiteral("src")].toString(), QStringLiteral("my%20web/in-120.jpg"));
            EXPECT_EQ(attributes[QStringLiteral("width")].toString(), QStringLiteral("120"));
            EXPECT_EQ(attributes[QStringLiteral("height")].toString(), QStringLiteral("75"));
            EXPECT_TRUE(attributes.contains(QStringLiteral("alt")));
            EXPECT_EQ(attributes[QStringLiteral("alt")].toString(), QString());
        }
    }
    seen.sort();
    QStringList written;
    for (const QString& name : QDir(Path(QStringLiteral("my web"))).entryList(QDir::Files))
        written << Path(QStringLiteral("my web/") + name);
    EXPECT_EQ(seen, written);

    // Without --sizes the picture fills the width of the view.
    const Outcome plain = Run({QStringLiteral("in.ppm"), QStringLiteral("-o"), QStringLiteral("one.webp"),
                               QStringLiteral("--widths"), QStringLiteral("40"), QStringLiteral("--html")},
                              folder_.path());
    EXPECT_EQ(plain.out, QByteArray("<picture>\n"
                                    "  <img src=\"one-40.webp\" srcset=\"one-40.webp 40w\" sizes=\"100vw\" width=\"40\" "
                                    "height=\"25\" alt=\"\">\n"
                                    "</picture>\n"));
}

TEST_F(CliVariantsTest, NamesThatEncodeToPercentSignsKeepTheirUrlsAndSizes)
{
    // A comma encodes to "%2C" and a percent sign to "%25": the element keeps
    // them as they are, and its width and height are the variant's.
    const QString input = QStringLiteral("a,b%1 \u00e9.ppm");
    Write(input, Ppm(80, 50));
    const Outcome run = Run({input, QStringLiteral("-o"), QStringLiteral("out/"), QStringLiteral("--widths"),
                             QStringLiteral("40"), QStringLiteral("--formats"), QStringLiteral("webp,jpeg"),
                             QStringLiteral("--html")},
                            folder_.path());
    EXPECT_EQ(run.status, 0) << run.err.toStdString();
    EXPECT_EQ(run.out, QByteArray("<picture>\n"
                                  "  <source type=\"image/webp\" srcset=\"out/a%2Cb%251%20%C3%A9-40.webp 40w\" "
                                  "sizes=\"100vw\">\n"
                                  "  <img src=\"out/a%2Cb%251%20%C3%A9-40.jpg\" srcset=\"out/a%2Cb%251%20%C3%A9-40.jpg 40w\" "
                                  "sizes=\"100vw\" width=\"40\" height=\"25\" alt=\"\">\n"
                                  "</picture>\n"));
    for (const char* url : {"out/a%2Cb%251%20%C3%A9-40.webp", "out/a%2Cb%251%20%C3%A9-40.jpg"})
        EXPECT_TRUE(QFileInfo::exists(Path(QUrl::fromPercentEncoding(url)))) << url;
}

TEST_F(CliVariantsTest, TheJsonListsEveryVariantAsWritten)
{
    const QString input = Write(QStringLiteral("in.ppm"), Ppm(64, 48));
    // One variant there already is kept with --no-clobber; the others are made.
    const QByteArray oldBytes = Read(Write(QStringLiteral("out-32.png"), "not a picture"));
    const Outcome run = Run({input, QStringLiteral("-o"), Path(QStringLiteral("out.png")), QStringLiteral("--widths"),
                             QStringLiteral("16,32"), QStringLiteral("--formats"), QStringLiteral("png,jpeg"),
                             QStringLiteral("--json"), QStringLiteral("--no-clobber")});
    EXPECT_EQ(run.err, QStringLiteral("pictaron-cli: %1 exists; %2 skipped (--no-clobber).\n")
                           .arg(Path(QStringLiteral("out-32.png")), input)
                           .toUtf8());
    EXPECT_EQ(Read(Path(QStringLiteral("out-32.png"))), oldBytes);
    const QList<QByteArray> lines = run.out.split('\n');
    ASSERT_EQ(lines.size(), 2);  // one line and its end
    const QJsonObject object = QJsonDocument::fromJson(lines[0]).object();
    EXPECT_EQ(object[QStringLiteral("input")].toString(), input);
    EXPECT_EQ(object[QStringLiteral("original_bytes")].toInteger(), QFileInfo(input).size());
    const QJsonArray variants = object[QStringLiteral("variants")].toArray();
    ASSERT_EQ(variants.size(), 4);
    const struct {
        const char* name;
        const char* format;
        int width;
        bool kept;
    } expected[] = {{"out-16.png", "png", 16, false}, {"out-32.png", "png", 32, true},
                    {"out-16.jpg", "jpeg", 16, false}, {"out-32.jpg", "jpeg", 32, false}};
    for (int i = 0; i < 4; ++i) {
        const QJsonObject variant = variants[i].toObject();
        const QString file = Path(QLatin1String(expected[i].name));
        SCOPED_TRACE(expected[i].name);
        EXPECT_EQ(variant[QStringLiteral("file")].toString(), file);
        EXPECT_EQ(variant[QStringLiteral("format")].toString(), QLatin1String(expected[i].format));
        EXPECT_EQ(variant[QStringLiteral("width")].toInt(), expected[i].width);
        EXPECT_EQ(variant[QStringLiteral("height")].toInt(), expected[i].width * 3 / 4);
        EXPECT_EQ(variant[QStringLiteral("bytes")].toInteger(), QFileInfo(file).size());
        EXPECT_EQ(variant[QStringLiteral("kept")].toBool(), expected[i].kept);
        // A result made is scored; one kept is not measured.
        EXPECT_EQ(variant.contains(QStringLiteral("ssim")), !expected[i].kept);
        if (!expected[i].kept) {
            const double ssim = variant[QStringLiteral("ssim")].toDouble();
            EXPECT_GT(ssim, 0.5);
            EXPECT_LE(ssim, 1.0);
        }
    }
}

TEST_F(CliVariantsTest, AShrunkJpegDecodingGivesNearlyTheVariantOfTheWholeOne)
{
    const QString jpeg = Path(QStringLiteral("photo.jpg"));
    // At 6/8 (675 × 377) the proportions round to other heights (168 for 300)
    // than those of the whole picture (167).
    WriteJpeg(jpeg, 900, 502);
    // The whole picture as libjpeg-turbo's own djpeg decodes it.
    const QString ppm = Path(QStringLiteral("whole.ppm"));
    ASSERT_EQ(RunProgram(QStringLiteral("djpeg"), {QStringLiteral("-outfile"), ppm, jpeg}).status, 0);

    // 300 wide asks for at least 600: 6/8 of the picture is decoded.
    const QStringList variant{QStringLiteral("--widths"), QStringLiteral("200,300"), QStringLiteral("--formats"),
                              QStringLiteral("png")};
    Run(QStringList{jpeg, QStringLiteral("-o"), Path(QStringLiteral("shrunk/"))} + variant);
    Run(QStringList{ppm, QStringLiteral("-o"), Path(QStringLiteral("whole/"))} + variant);
    for (const int width : {200, 300}) {
        SCOPED_TRACE(width);
        const QString shrunk = Path(QStringLiteral("shrunk/photo-%1.png").arg(width));
        const QString whole = Path(QStringLiteral("whole/whole-%1.png").arg(width));
        // Not the same pixels, or the JPEG was not decoded shrunk; the same size.
        EXPECT_NE(Read(shrunk), Read(whole));
        const QJsonObject facts = DecodedFacts({shrunk});
        EXPECT_EQ(facts[shrunk].toObject()[QStringLiteral("height")].toInt(), HeightFor(900, 502, width));
        EXPECT_GT(Psnr(shrunk, whole), 35.0);
    }

    // An ordinary run decodes the whole picture, exactly as djpeg does.
    const QStringList resize{QStringLiteral("--format"), QStringLiteral("png"), QStringLiteral("--resize"),
                             QStringLiteral("300x167")};
    EXPECT_EQ(Converted(jpeg, resize), Converted(ppm, resize));
    EXPECT_EQ(Converted(jpeg, {QStringLiteral("--quality"), QStringLiteral("75")}),
              Converted(ppm, {QStringLiteral("--quality"), QStringLiteral("75")}));
}

TEST_F(CliVariantsTest, AShrunkJpegIsStillTurnedUpright)
{
    const QString upright = Path(QStringLiteral("upright.jpg"));
    const QString turned = Path(QStringLiteral("turned.jpg"));
    WriteJpeg(upright, 600, 1000);
    WriteJpeg(turned, 600, 1000, true);
    // The width is the upright picture's: 200 wide asks for 400 of its 600.
    for (const QString& input : {upright, turned})
        Run({input, QStringLiteral("-o"), Path(QStringLiteral("web/")), QStringLiteral("--widths"), QStringLiteral("200"),
             QStringLiteral("--formats"), QStringLiteral("png")});
    const QString a = Path(QStringLiteral("web/upright-200.png"));
    const QString b = Path(QStringLiteral("web/turned-200.png"));
    const QJsonObject facts = DecodedFacts({b});
    EXPECT_EQ(facts[b].toObject()[QStringLiteral("width")].toInt(), 200);
    EXPECT_EQ(facts[b].toObject()[QStringLiteral("height")].toInt(), HeightFor(600, 1000, 200));
    // Two encodings of one picture, one of them turned back.
    EXPECT_GT(Psnr(a, b), 35.0);
}

TEST_F(CliVariantsTest, AShrunkJpegStillHasItsColoursConverted)
{
    const QString profile = Write(QStringLiteral("p3.icc"), pictaron::testpictures::DisplayP3Profile());
    const QString jpeg = Path(QStringLiteral("p3.jpg"));
    WriteJpeg(jpeg, 1000, 600, false, profile);
    const QStringList variant{QStringLiteral("--widths"), QStringLiteral("300"), QStringLiteral("--formats"),
                              QStringLiteral("png")};
    Run(QStringList{jpeg, QStringLiteral("-o"), Path(QStringLiteral("converted/"))} + variant);
    Run(QStringList{jpeg, QStringLiteral("-o"), Path(QStringLiteral("kept/")), QStringLiteral("--keep-profile")} + variant);
    // The ordinary run: the whole picture, converted to sRGB, then resized.
    const QString whole = Write(QStringLiteral("whole.png"), Converted(jpeg, {QStringLiteral("--format"), QStringLiteral("png"),
                                                                              QStringLiteral("--resize"), QStringLiteral("300x180")}));
    const double converted = Psnr(Path(QStringLiteral("converted/p3-300.png")), whole);
    const double unconverted = Psnr(Path(QStringLiteral("kept/p3-300.png")), whole);
    EXPECT_GT(converted, 35.0);
    // The conversion moves colours further than the shrunk decoding does.
    EXPECT_LT(unconverted, converted - 6.0) << unconverted << " against " << converted;
}

TEST_F(CliVariantsTest, AnInterruptedRunLeavesTheVariantsItWroteWholeAndNoOthers)
{
    const QString input = Write(QStringLiteral("big.ppm"), Ppm(1600, 1200));
    const QString out = Path(QStringLiteral("out"));
    QDir().mkdir(out);
    FolderWatch watch(out);
    QProcess process;
    process.start(QStringLiteral(PICTARON_CLI),
                  {input, QStringLiteral("-o"), out + QLatin1Char('/'), QStringLiteral("--widths"),
                   QStringLiteral("100,300,500,700,900,1100,1300,1500"), QStringLiteral("--formats"),
                   QStringLiteral("jpeg,avif"), QStringLiteral("--speed"), QStringLiteral("2")});
    ASSERT_TRUE(process.waitForStarted());
    // The narrowest variants come first; the widest AVIF takes seconds.
    ASSERT_TRUE(watch.WaitFor("big-100.jpg", false, process)) << process.readAllStandardError().toStdString();
    ASSERT_EQ(process.state(), QProcess::Running);
    kill(static_cast<pid_t>(process.processId()), SIGINT);
    ASSERT_TRUE(process.waitForFinished(120000));
    EXPECT_EQ(process.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(process.exitCode(), 3);
    EXPECT_EQ(process.readAllStandardError(),
              ("pictaron-cli: Interrupted; the variants of " + input + " not yet written were not written.\n").toUtf8());
    // No temporary left; what is there decodes whole at its width.
    const QStringList names = QDir(out).entryList(QDir::Files | QDir::Hidden, QDir::Name);
    EXPECT_GE(names.size(), 1);
    EXPECT_LT(names.size(), 16);
    QStringList paths;
    for (const QString& name : names)
        paths << out + QLatin1Char('/') + name;
    const QJsonObject facts = DecodedFacts(paths);
    for (const QString& path : paths) {
        const int width = QFileInfo(path).completeBaseName().section(QLatin1Char('-'), 1).toInt();
        EXPECT_EQ(facts[path].toObject()[QStringLiteral("width")].toInt(), width) << path.toStdString();
        EXPECT_EQ(facts[path].toObject()[QStringLiteral("height")].toInt(), width * 3 / 4) << path.toStdString();
    }
}

TEST_F(CliVariantsTest, MisuseIsBadUsageAndWritesNothing)
{
    const QString input = Write(QStringLiteral("in.ppm"), Ppm(20, 10));
    const QString out = Path(QStringLiteral("out.jpg"));
    const struct {
        QStringList options;
        QString message;
    } misuses[] = {
        {{QStringLiteral("--widths"), QStringLiteral("480,,960")},
         QStringLiteral("--widths needs widths in pixels from 1 to 100000, separated by commas (480,960,1920), not "
                        "\"480,,960\".")},
        {{QStringLiteral("--widths"), QStringLiteral("0")}, QStringLiteral("--widths needs widths in pixels")},
        {{QStringLiteral("--widths"), QStringLiteral("12px")}, QStringLiteral("--widths needs widths in pixels")},
        {{QStringLiteral("--widths"), QStringLiteral("-5")}, QStringLiteral("--widths needs widths in pixels")},
        {{QStringLiteral("--widths"), QStringLiteral("8,4,8")}, QStringLiteral("--widths names 8 twice.")},
        {{QStringLiteral("--formats"), QStringLiteral("avif,bmp")},
         QStringLiteral("--formats needs formats separated by commas (avif,webp,jpeg), each one of gif, jpeg, png, "
                        "webp, avif; \"bmp\" is none.")},
        {{QStringLiteral("--formats"), QStringLiteral("jpg,jpeg")}, QStringLiteral("--formats names JPEG twice.")},
        {{QStringLiteral("--formats"), QStringLiteral("webp"), QStringLiteral("--format"), QStringLiteral("png")},
         QStringLiteral("Choose either --format or --formats.")},
        {{QStringLiteral("--widths"), QStringLiteral("8"), QStringLiteral("--resize"), QStringLiteral("4x4")},
         QStringLiteral("--widths sets the size of each variant; leave out --resize.")},
        {{QStringLiteral("--html")}, QStringLiteral("--html lists variants; name them with --widths or --formats.")},
        {{QStringLiteral("--widths"), QStringLiteral("8"), QStringLiteral("--sizes"), QStringLiteral("50vw")},
         QStringLiteral("--sizes gives the sizes attribute of --html and cannot be empty.")},
        {{QStringLiteral("--widths"), QStringLiteral("8"), QStringLiteral("--report")},
         QStringLiteral("--report describes one result; --json lists every variant.")},
        {{QStringLiteral("--widths"), QStringLiteral("8"), QStringLiteral("--html"), QStringLiteral("--json")},
         QStringLiteral("Choose either --html or --json.")},
        // An option none of the formats has.
        {{QStringLiteral("--formats"), QStringLiteral("webp,jpeg"), QStringLiteral("--speed"), QStringLiteral("4")},
         QStringLiteral("--speed is for AVIF results, but this run writes WebP and JPEG;")},
    };
    const QMap<QString, QByteArray> before = Snapshot(folder_.path());
    for (const auto& misuse : misuses) {
        SCOPED_TRACE(misuse.options.join(' ').toStdString());
        const Outcome run = RunCli(QStringList{input, QStringLiteral("-o"), out} + misuse.options);
        EXPECT_EQ(run.status, 2);
        EXPECT_TRUE(run.err.startsWith(("pictaron-cli: " + misuse.message).toUtf8())) << run.err.left(300).toStdString();
        EXPECT_TRUE(run.out.isEmpty());
        EXPECT_EQ(Snapshot(folder_.path()), before);
    }
    // Variants have names of their own, which standard output has not.
    const Outcome piped = RunCli({input, QStringLiteral("-o"), QStringLiteral("-"), QStringLiteral("--widths"), QStringLiteral("8")});
    EXPECT_EQ(piped.status, 2);
    EXPECT_TRUE(piped.err.startsWith("pictaron-cli: Variants are files named after the output; -o - cannot name them."));
    EXPECT_TRUE(piped.out.isEmpty());
    // An option of one of the formats is taken.
    Run({input, QStringLiteral("-o"), out, QStringLiteral("--formats"), QStringLiteral("avif,jpeg"), QStringLiteral("--speed"),
         QStringLiteral("9")});
    EXPECT_EQ(FilesIn(folder_.path()), "in.ppm out.avif out.jpg");
}

TEST_F(CliVariantsTest, AVariantThatWouldReplaceAnInputOrIsTooWideStopsBeforeWriting)
{
    // out-8.jpg is both an input and a variant of the other input.
    const QString input = Write(QStringLiteral("out.ppm"), Ppm(20, 10));
    const QString other = Write(QStringLiteral("out-8.jpg"), Converted(input));
    const QMap<QString, QByteArray> before = Snapshot(folder_.path());
    const Outcome clash = RunCli({input, other, QStringLiteral("-o"), Path(QStringLiteral("{name}.{ext}")),
                                  QStringLiteral("--widths"), QStringLiteral("4,8"), QStringLiteral("--formats"),
                                  QStringLiteral("webp,jpeg")});
    EXPECT_EQ(clash.status, 1);
    EXPECT_EQ(clash.err, QStringLiteral("pictaron-cli: %1 (from %2) would overwrite the input %1; nothing written.\n")
                             .arg(other, input)
                             .toUtf8());
    EXPECT_EQ(Snapshot(folder_.path()), before);

    // Every width above the picture's: an error for that input, nothing written.
    const Outcome wide = RunCli({input, QStringLiteral("-o"), Path(QStringLiteral("w/")), QStringLiteral("--widths"),
                                 QStringLiteral("40,80")});
    EXPECT_EQ(wide.status, 1);
    EXPECT_EQ(wide.err, QStringLiteral("pictaron-cli: %1 is 20 pixels wide, narrower than every width of --widths; "
                                       "nothing written for it.\n")
                            .arg(input)
                            .toUtf8());
    EXPECT_EQ(Snapshot(folder_.path()), before);
}
