// Byte budgets and quality floors from the command line: the files are
// measured as written, the scores recomputed with scikit-image on the decoded
// result, and each choice checked against the next setting run explicitly.
#include "tests/cli/clitesting.h"

#include <gtest/gtest.h>

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <cmath>

using namespace pictaron::clitesting;

namespace {

struct Searched {
    const char* extension;
    QStringList options;    // what makes the run of this kind
    const char* setting;    // the option a search chooses the value of
    const char* chosenKey;  // its key in "chosen"
    int highest;            // the top of its range
    double floor;           // an SSIM a photograph can reach in it
};

const Searched kSearched[] = {
    {"jpg", {}, "--quality", "quality", 100, 0.95},
    {"webp", {}, "--quality", "quality", 100, 0.95},
    {"avif", {}, "--quality", "quality", 100, 0.95},
    // 256 flat colours keep less of a photograph's structure.
    {"gif", {}, "--colours", "colours", 256, 0.85},
    {"png", {QStringLiteral("--palette"), QStringLiteral("optimized")}, "--png-colours", "colours", 256, 0.85},
};

// scikit-image's SSIM of two pictures' luma, Y = 0.299 R + 0.587 G + 0.114 B,
// with the Gaussian window of the original paper; AVIF is read through avifdec.
double ReferenceSimilarity(const QString& source, const QString& result)
{
    static const QString script = QStringLiteral(
        "import sys, subprocess, tempfile, os, numpy\n"
        "from PIL import Image\n"
        "from skimage.metrics import structural_similarity\n"
        "def luma(path):\n"
        "    if path.endswith('.avif'):\n"
        "        png = os.path.join(tempfile.mkdtemp(), 'decoded.png')\n"
        "        subprocess.run(['avifdec', path, png], check=True, capture_output=True)\n"
        "        path = png\n"
        "    rgb = numpy.asarray(Image.open(path).convert('RGB'), dtype=numpy.float64)\n"
        "    return rgb[..., 0] * 0.299 + rgb[..., 1] * 0.587 + rgb[..., 2] * 0.114\n"
        "print(structural_similarity(luma(sys.argv[1]), luma(sys.argv[2]), gaussian_weights=True, sigma=1.5,\n"
        "                            use_sample_covariance=False, data_range=255))\n");
    const Outcome run = RunProgram(QStringLiteral("/usr/bin/python3"), {QStringLiteral("-c"), script, source, result});
    EXPECT_EQ(run.status, 0) << run.err.toStdString();
    bool ok = false;
    const double score = run.out.trimmed().toDouble(&ok);
    EXPECT_TRUE(ok) << run.out.toStdString();
    return score;
}

class CliTargetsTest : public CliTest {
protected:
    // A photograph: the shared one when it is there, else a picture of our own.
    QString Photo() const
    {
        const QString shared = QStringLiteral(PICTARON_TESTDATA "/small-photo.png");
        return QFileInfo::exists(shared) ? shared : Write(QStringLiteral("photo.ppm"), Ppm(300, 200));
    }
    QString Output(const Searched& kind, const QString& name = QStringLiteral("out")) const
    {
        return Path(name + QLatin1Char('.') + QString::fromLatin1(kind.extension));
    }
    // A run that must succeed, its JSON line read.
    QJsonObject Json(const QStringList& arguments) const
    {
        const Outcome run = RunCli(arguments + QStringList{QStringLiteral("--json")});
        EXPECT_EQ(run.status, 0) << arguments.join(' ').toStdString() << "\n" << run.err.toStdString();
        EXPECT_TRUE(run.err.isEmpty()) << run.err.toStdString();
        return QJsonDocument::fromJson(run.out).object();
    }
};

} // namespace

TEST_F(CliTargetsTest, ABudgetGivesTheHighestSettingThatFits)
{
    const QString photo = Photo();
    for (const Searched& kind : kSearched) {
        SCOPED_TRACE(kind.extension);
        const QString output = Output(kind);
        // Well below what the default setting takes, so the search must give up some.
        const qint64 plain = Json(QStringList{photo, QStringLiteral("-o"), output} + kind.options)
                                 [QStringLiteral("bytes")].toInteger();
        const qint64 budget = plain * 6 / 10;
        const QJsonObject json = Json(QStringList{photo, QStringLiteral("-o"), output, QStringLiteral("--max-bytes"),
                                                  QString::number(budget)}
                                      + kind.options);
        const QByteArray written = Read(output);
        EXPECT_LE(written.size(), budget);
        EXPECT_EQ(json[QStringLiteral("bytes")].toInteger(), written.size());
        const int chosen = json[QStringLiteral("chosen")][QString::fromLatin1(kind.chosenKey)].toInt(-1);
        ASSERT_GE(chosen, 0) << QJsonDocument(json).toJson().toStdString();
        ASSERT_LT(chosen, kind.highest);
        EXPECT_GE(json[QStringLiteral("trials")].toInt(), 1);

        // The same setting given explicitly makes the same file; one step up does not fit.
        const QString same = Output(kind, QStringLiteral("same"));
        Json(QStringList{photo, QStringLiteral("-o"), same, QString::fromLatin1(kind.setting), QString::number(chosen)});
        EXPECT_EQ(Read(same), written);
        const QString above = Output(kind, QStringLiteral("above"));
        Json(QStringList{photo, QStringLiteral("-o"), above, QString::fromLatin1(kind.setting),
                         QString::number(chosen + 1)});
        EXPECT_GT(Read(above).size(), budget) << "at " << chosen + 1;
    }
}

TEST_F(CliTargetsTest, ABudgetNothingFitsFailsWithTheSmallestSizeAndWritesNothing)
{
    const QString photo = Photo();
    const QString other = Write(QStringLiteral("other.ppm"), Ppm(40, 30));
    // The smallest JPEG is the one at quality 1.
    const QString smallest = Path(QStringLiteral("smallest.jpg"));
    Json({photo, QStringLiteral("-o"), smallest, QStringLiteral("--quality"), QStringLiteral("1")});
    const qint64 bytes = Read(smallest).size();
    QFile::remove(smallest);
    ASSERT_GT(bytes, 1024);

    const Outcome run = RunCli({photo, other, QStringLiteral("-o"), Path(QStringLiteral("web/")), QStringLiteral("--max-bytes"),
                                QStringLiteral("1k"), QStringLiteral("--json")});
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.err, QStringLiteral("pictaron-cli: %1: The picture does not fit in 1.0 KB; the smallest it became is "
                                      "%2 KB.\n")
                           .arg(photo, QString::number(bytes / 1024.0, 'f', 1))
                           .toUtf8());
    // The other picture fits and is written and reported.
    const QString name = QFileInfo(photo).completeBaseName() + QStringLiteral(".jpg");
    EXPECT_FALSE(QFileInfo::exists(Path(QStringLiteral("web/")) + name));
    const QJsonObject json = QJsonDocument::fromJson(run.out).object();
    EXPECT_EQ(json[QStringLiteral("input")].toString(), other);
    EXPECT_EQ(QDir(Path(QStringLiteral("web"))).entryList(QDir::Files | QDir::Hidden), QStringList{QStringLiteral("other.jpg")});
    EXPECT_LE(Read(Path(QStringLiteral("web/other.jpg"))).size(), 1024);
}

TEST_F(CliTargetsTest, AFormatWithNothingToLowerMustFitAsItIs)
{
    // Noise: a truecolour PNG of it is about as large as its pixels.
    QByteArray noise = "P6\n300 200\n255\n";
    quint32 state = 1;
    for (int i = 0; i < 300 * 200 * 3; ++i) {
        state = state * 1664525u + 1013904223u;
        noise += char(state >> 24);
    }
    const QString input = Write(QStringLiteral("noise.ppm"), noise);
    const QString output = Path(QStringLiteral("out.png"));
    const qint64 plain = Json({input, QStringLiteral("-o"), output})[QStringLiteral("bytes")].toInteger();
    QFile::remove(output);
    // Each spelling of a size, read as the budget the message names.
    const struct {
        const char* size;
        const char* shown;
    } sizes[] = {{"2000", "2.0 KB"}, {"1.5k", "1.5 KB"}, {"150K", "150.0 KB"}, {"0.1m", "102.4 KB"}};
    for (const auto& size : sizes) {
        SCOPED_TRACE(size.size);
        const Outcome run = RunCli({input, QStringLiteral("-o"), output, QStringLiteral("--max-bytes"),
                                    QString::fromLatin1(size.size)});
        EXPECT_EQ(run.status, 1);
        EXPECT_EQ(run.err, QStringLiteral("pictaron-cli: %1: The picture does not fit in %2: this format has no "
                                          "setting to lower, and it takes %3 KB.\n")
                               .arg(input, QString::fromLatin1(size.shown), QString::number(plain / 1024.0, 'f', 1))
                               .toUtf8());
        ExpectOnlyFiles({QStringLiteral("noise.ppm")});
    }
    // One that fits is written as a plain run writes it.
    const QJsonObject json = Json({input, QStringLiteral("-o"), output, QStringLiteral("--max-bytes"), QStringLiteral("1.5M")});
    EXPECT_EQ(json[QStringLiteral("bytes")].toInteger(), plain);
    EXPECT_FALSE(json.contains(QStringLiteral("chosen")));
    EXPECT_FALSE(json.contains(QStringLiteral("trials")));
}

TEST_F(CliTargetsTest, AQualityFloorIsMetAsScikitImageMeasuresIt)
{
    const QString photo = Photo();
    for (const Searched& kind : kSearched) {
        SCOPED_TRACE(kind.extension);
        const QString output = Output(kind);
        const QJsonObject json = Json(QStringList{photo, QStringLiteral("-o"), output, QStringLiteral("--min-ssim"),
                                                  QString::number(kind.floor)}
                                      + kind.options);
        const double reference = ReferenceSimilarity(photo, output);
        EXPECT_GE(reference, kind.floor - 0.002);
        ASSERT_TRUE(json[QStringLiteral("ssim")].isDouble());
        EXPECT_NEAR(json[QStringLiteral("ssim")].toDouble(), reference, 0.002);
        // The lowest that reaches it: one step down does not.
        const int chosen = json[QStringLiteral("chosen")][QString::fromLatin1(kind.chosenKey)].toInt(-1);
        ASSERT_GT(chosen, kind.highest == 256 ? 2 : 1);
        const QString below = Output(kind, QStringLiteral("below"));
        const QJsonObject lower = Json(QStringList{photo, QStringLiteral("-o"), below, QString::fromLatin1(kind.setting),
                                                   QString::number(chosen - 1)});
        EXPECT_LT(lower[QStringLiteral("ssim")].toDouble(), kind.floor);
        EXPECT_LT(ReferenceSimilarity(photo, below), kind.floor + 0.002);
    }
}

TEST_F(CliTargetsTest, AFloorAndABudgetTogether)
{
    const QString photo = Photo();
    const QString output = Path(QStringLiteral("out.jpg"));
    const QJsonObject floor = Json({photo, QStringLiteral("-o"), output, QStringLiteral("--min-ssim"), QStringLiteral("0.9")});
    const qint64 bytes = floor[QStringLiteral("bytes")].toInteger();
    // Room enough: the floor's own choice.
    const QJsonObject both = Json({photo, QStringLiteral("-o"), output, QStringLiteral("--min-ssim"), QStringLiteral("0.9"),
                                   QStringLiteral("--max-bytes"), QString::number(bytes)});
    EXPECT_EQ(both[QStringLiteral("chosen")], floor[QStringLiteral("chosen")]);
    EXPECT_EQ(both[QStringLiteral("bytes")].toInteger(), bytes);
    // A byte short: refused, and the old file stays.
    const QByteArray before = Read(output);
    const Outcome run = RunCli({photo, QStringLiteral("-o"), output, QStringLiteral("--min-ssim"), QStringLiteral("0.9"),
                                QStringLiteral("--max-bytes"), QString::number(bytes - 1)});
    EXPECT_EQ(run.status, 1);
    EXPECT_TRUE(run.err.startsWith(("pictaron-cli: " + photo + ": Reaching an SSIM of 0.900 takes ").toUtf8()))
        << run.err.toStdString();
    EXPECT_TRUE(run.out.isEmpty());
    EXPECT_EQ(Read(output), before);
    // A floor no quality reaches says the best score.
    const Outcome never = RunCli({photo, QStringLiteral("-o"), Path(QStringLiteral("never.gif")), QStringLiteral("--min-ssim"),
                                  QStringLiteral("1")});
    EXPECT_EQ(never.status, 1);
    EXPECT_TRUE(never.err.contains("No setting reaches an SSIM of 1.000; the best scores 0.")) << never.err.toStdString();
    EXPECT_FALSE(QFileInfo::exists(Path(QStringLiteral("never.gif"))));
}

TEST_F(CliTargetsTest, TheReportSaysTheScoreAndTheChoice)
{
    const QString photo = Photo();
    const QString output = Path(QStringLiteral("out.jpg"));
    const QJsonObject json = Json({photo, QStringLiteral("-o"), output, QStringLiteral("--max-bytes"), QStringLiteral("20k")});
    const Outcome run = RunCli({photo, QStringLiteral("-o"), output, QStringLiteral("--max-bytes"), QStringLiteral("20k"),
                                QStringLiteral("--report")});
    ASSERT_EQ(run.status, 0) << run.err.toStdString();
    const QStringList lines = QString::fromUtf8(run.out).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    ASSERT_EQ(lines.size(), 14);
    EXPECT_EQ(lines[4], QStringLiteral(" SSIM %1 to the finished picture")
                            .arg(json[QStringLiteral("ssim")].toDouble(), 0, 'f', 4));
    EXPECT_EQ(lines[5], QStringLiteral(" Quality %1 chosen in %2 trial encodes: the highest that fits in 20.0 KB")
                            .arg(json[QStringLiteral("chosen")][QStringLiteral("quality")].toInt())
                            .arg(json[QStringLiteral("trials")].toInt()));
    EXPECT_EQ(lines[6].simplified(), QStringLiteral("Speed Current New"));

    const Outcome gif = RunCli({photo, QStringLiteral("-o"), Path(QStringLiteral("out.gif")), QStringLiteral("--min-ssim"),
                                QStringLiteral("0.8"), QStringLiteral("--max-bytes"), QStringLiteral("1M"),
                                QStringLiteral("--report")});
    ASSERT_EQ(gif.status, 0) << gif.err.toStdString();
    EXPECT_TRUE(gif.out.contains(" trial encodes: the fewest that reach an SSIM of 0.800, within 1024.0 KB\n"))
        << gif.out.toStdString();
}

TEST_F(CliTargetsTest, JsonCarriesEveryLineSpeedByName)
{
    const QString input = Write(QStringLiteral("in.ppm"), Ppm(40, 30));
    const QJsonObject json = Json({input, QStringLiteral("-o"), Path(QStringLiteral("out.jpg"))});
    const double bytes = json[QStringLiteral("bytes")].toDouble();
    // Bit/s over eight, as the lines are sold: the classic modems and T1, then 3G,
    // 4G and broadband at 1.6, 9 and 50 Mbit/s.
    const QList<QPair<QString, double>> classic{{"9600", 1200},   {"14.4k", 1750},  {"28.8k", 3500}, {"33.6k", 4200},
                                                {"56k", 7000},    {"112k", 14000},  {"T1", 193000}};
    const QList<QPair<QString, double>> today{{"3G", 200000}, {"4G", 1125000}, {"Broadband", 6250000}};
    const QJsonObject times = json[QStringLiteral("download_times")].toObject();
    EXPECT_EQ(times.keys(), (QStringList{QStringLiteral("classic"), QStringLiteral("today")}));
    for (const auto& [set, lines] : {std::pair{QStringLiteral("classic"), classic}, std::pair{QStringLiteral("today"), today}}) {
        const QJsonArray rows = times[set].toArray();
        ASSERT_EQ(rows.size(), lines.size()) << set.toStdString();
        for (int i = 0; i < rows.size(); ++i) {
            EXPECT_EQ(rows[i][QStringLiteral("line")].toString(), lines[i].first);
            EXPECT_DOUBLE_EQ(rows[i][QStringLiteral("seconds")].toDouble(), bytes / lines[i].second) << lines[i].first.toStdString();
        }
    }
    // The older form stays as it was.
    const QJsonObject seconds = json[QStringLiteral("download_seconds")].toObject();
    EXPECT_EQ(seconds.size(), 7);
    for (const auto& [line, rate] : classic)
        EXPECT_DOUBLE_EQ(seconds[line].toDouble(), bytes / rate) << line.toStdString();
    // Scored, but no target was searched.
    EXPECT_TRUE(json[QStringLiteral("ssim")].isDouble());
    EXPECT_FALSE(json.contains(QStringLiteral("chosen")));
    EXPECT_FALSE(json.contains(QStringLiteral("trials")));
    // Smaller than the score's window: no score at all.
    const QString tiny = Write(QStringLiteral("tiny.ppm"), Ppm(8, 8));
    EXPECT_FALSE(Json({tiny, QStringLiteral("-o"), Path(QStringLiteral("tiny.jpg"))}).contains(QStringLiteral("ssim")));
}

TEST_F(CliTargetsTest, BadTargetsAreBadUsage)
{
    const QString input = Write(QStringLiteral("in.ppm"), Ppm(20, 20));
    const struct {
        QStringList options;
        const char* message;
    } misuses[] = {
        {{QStringLiteral("--max-bytes"), QStringLiteral("0")}, "--max-bytes needs a size of at least one byte"},
        {{QStringLiteral("--max-bytes"), QStringLiteral("0.0001k")}, "--max-bytes needs a size of at least one byte"},
        {{QStringLiteral("--max-bytes"), QStringLiteral("-5k")}, "--max-bytes needs a size"},
        {{QStringLiteral("--max-bytes"), QStringLiteral("12kb")}, "--max-bytes needs a size"},
        {{QStringLiteral("--max-bytes"), QStringLiteral("1.5G")}, "--max-bytes needs a size"},
        {{QStringLiteral("--max-bytes"), QStringLiteral("k")}, "--max-bytes needs a size"},
        {{QStringLiteral("--max-bytes"), QStringLiteral("99999999999999999999")}, "--max-bytes needs a size"},
        {{QStringLiteral("--min-ssim"), QStringLiteral("0")}, "--min-ssim needs a number above 0 and at most 1, not \"0\"."},
        {{QStringLiteral("--min-ssim"), QStringLiteral("1.01")}, "--min-ssim needs a number above 0 and at most 1"},
        {{QStringLiteral("--min-ssim"), QStringLiteral("nan")}, "--min-ssim needs a number"},
        {{QStringLiteral("--min-ssim"), QStringLiteral("high")}, "--min-ssim needs a number"},
        {{QStringLiteral("--max-bytes"), QStringLiteral("10k"), QStringLiteral("--quality"), QStringLiteral("50")},
         "--max-bytes chooses the quality itself; leave out --quality."},
        {{QStringLiteral("--min-ssim"), QStringLiteral("0.9"), QStringLiteral("--format"), QStringLiteral("gif"),
          QStringLiteral("--colours"), QStringLiteral("16")},
         "--min-ssim chooses the colour count itself; leave out --colours."},
    };
    for (const auto& misuse : misuses) {
        SCOPED_TRACE(misuse.options.join(' ').toStdString());
        const Outcome run = RunCli(QStringList{input, QStringLiteral("-o"), Path(QStringLiteral("out.jpg"))} + misuse.options);
        EXPECT_EQ(run.status, 2);
        EXPECT_TRUE(run.out.isEmpty());
        EXPECT_TRUE(run.err.startsWith(QByteArray("pictaron-cli: ") + misuse.message)) << run.err.left(200).toStdString();
        EXPECT_TRUE(run.err.contains("Usage: pictaron-cli"));
    }
    ExpectOnlyFiles({QStringLiteral("in.ppm")});
}
