// pictaron-cli as scripts see it: a process, its files, its output and its exit status.
#include "effects/pixels.h"
#include "tests/cli/clitesting.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QImage>
#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTemporaryDir>

#include <csignal>

using namespace pictaron;
using namespace pictaron::clitesting;

TEST_F(CliTest, JpegOutputIsTheLibrarysOwnEncodingOfThePixels)
{
    const QString input = Write(QStringLiteral("in.ppm"), Ppm(97, 41));
    const Outcome run = RunCli({input, QStringLiteral("-o"), Path(QStringLiteral("out.jpg")), QStringLiteral("--quality"),
                             QStringLiteral("60"), QStringLiteral("--progressive")});
    ASSERT_EQ(run.status, 0) << run.err.toStdString();
    QProcess cjpeg;
    cjpeg.start(QStringLiteral("cjpeg"), {QStringLiteral("-quality"), QStringLiteral("60"), QStringLiteral("-baseline"),
                                          QStringLiteral("-progressive"), input});
    ASSERT_TRUE(cjpeg.waitForFinished());
    EXPECT_EQ(Read(Path(QStringLiteral("out.jpg"))), cjpeg.readAllStandardOutput());
}

TEST_F(CliTest, ReportShowsWhatTheWindowShows)
{
    const QString input = Write(QStringLiteral("in.ppm"), Ppm(40, 30));
    const QString output = Path(QStringLiteral("out.jpg"));
    const Outcome run = RunCli({input, QStringLiteral("-o"), output, QStringLiteral("--report")});
    ASSERT_EQ(run.status, 0) << run.err.toStdString();
    const QStringList lines = QString::fromUtf8(run.out).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    ASSERT_EQ(lines.size(), 13);
    EXPECT_EQ(lines[0], QLatin1Char(' ') + input);
    EXPECT_EQ(lines[1], QStringLiteral(" 40 by 30 pixels, 3.5 K"));  // 3613 bytes
    EXPECT_EQ(lines[2], QLatin1Char(' ') + output);
    EXPECT_TRUE(lines[3].startsWith(QStringLiteral(" 40 by 30 pixels, "))) << lines[3].toStdString();
    EXPECT_TRUE(lines[3].endsWith(QStringLiteral("% of original size")));
    EXPECT_TRUE(lines[4].startsWith(QStringLiteral(" SSIM 0."))) << lines[4].toStdString();
    EXPECT_EQ(lines[5].simplified(), QStringLiteral("Speed Current New"));
    EXPECT_TRUE(lines[6].simplified().startsWith(QStringLiteral("9600 (3.0 sec) ")));
    EXPECT_TRUE(lines[12].simplified().startsWith(QStringLiteral("T1 (0.0 sec) ")));
}

TEST_F(CliTest, JsonDescribesEachResult)
{
    const QString a = Write(QStringLiteral("a.ppm"), Ppm(20, 10));
    const QString b = Write(QStringLiteral("b.ppm"), Ppm(8, 16));
    const QString out = Path(QStringLiteral("web/"));
    const Outcome run = RunCli({a, b, QStringLiteral("-o"), out, QStringLiteral("--json")});
    ASSERT_EQ(run.status, 0) << run.err.toStdString();
    const QList<QByteArray> lines = run.out.trimmed().split('\n');
    ASSERT_EQ(lines.size(), 2);
    const QJsonObject first = QJsonDocument::fromJson(lines[0]).object();
    EXPECT_EQ(first[QStringLiteral("output")].toString(), QDir(out).filePath(QStringLiteral("a.jpg")));
    EXPECT_EQ(first[QStringLiteral("format")].toString(), QStringLiteral("jpeg"));
    EXPECT_EQ(first[QStringLiteral("width")].toInt(), 20);
    EXPECT_EQ(first[QStringLiteral("height")].toInt(), 10);
    EXPECT_EQ(first[QStringLiteral("original_bytes")].toInteger(), Read(a).size());
    const qint64 bytes = first[QStringLiteral("bytes")].toInteger();
    EXPECT_EQ(bytes, Read(QDir(out).filePath(QStringLiteral("a.jpg"))).size());
    EXPECT_DOUBLE_EQ(first[QStringLiteral("download_seconds")][QStringLiteral("28.8k")].toDouble(), bytes / 3500.0);
    EXPECT_FALSE(first.contains(QStringLiteral("colours")));
    EXPECT_EQ(QDir(out).entryList(QDir::Files), (QStringList{QStringLiteral("a.jpg"), QStringLiteral("b.jpg")}));
}

TEST_F(CliTest, FailuresNameTheFileAndLeaveNothingBehind)
{
    const QString missing = Path(QStringLiteral("missing.png"));
    Outcome run = RunCli({missing, QStringLiteral("-o"), Path(QStringLiteral("out.jpg"))});
    EXPECT_EQ(run.status, 1);
    EXPECT_TRUE(run.err.contains((missing + QStringLiteral(" does not exist.")).toUtf8())) << run.err.toStdString();

    // An output that was there stays whole when the run fails.
    const QString existing = Write(QStringLiteral("out.jpg"), "previous result");
    const QString broken = Write(QStringLiteral("broken.ppm"), "P6\n10 10\n255\nshort");
    run = RunCli({broken, QStringLiteral("-o"), existing});
    EXPECT_EQ(run.status, 1);
    EXPECT_TRUE(run.err.contains("broken.ppm.  The file ends before the picture does.")) << run.err.toStdString();
    EXPECT_EQ(Read(existing), QByteArray("previous result"));

    // A folder that cannot be made: the error names the output.
    const QString input = Write(QStringLiteral("in.ppm"), Ppm(4, 4));
    run = RunCli({input, QStringLiteral("-o"), existing + QStringLiteral("/sub/x.jpg")});
    EXPECT_EQ(run.status, 1);
    EXPECT_TRUE(run.err.contains("x.jpg")) << run.err.toStdString();
    ExpectOnlyFiles({QStringLiteral("broken.ppm"), QStringLiteral("in.ppm"), QStringLiteral("out.jpg")});
}

TEST_F(CliTest, BadUsageExitsWithTwoAndTheUsage)
{
    const QString input = Write(QStringLiteral("in.ppm"), Ppm(4, 4));
    const QString out = Path(QStringLiteral("o.jpg"));
    for (const QStringList& arguments :
         {QStringList{input}, QStringList{QStringLiteral("-o"), out}, QStringList{input, QStringLiteral("--bogus"), QStringLiteral("-o"), out},
          QStringList{input, input, QStringLiteral("-o"), out}, QStringList{input, QStringLiteral("-o"), out, QStringLiteral("--quality"), QStringLiteral("high")},
          QStringList{input, QStringLiteral("-o"), out, QStringLiteral("--format"), QStringLiteral("bmp")},
          QStringList{input, QStringLiteral("-o"), out, QStringLiteral("--json"), QStringLiteral("--report")}}) {
        SCOPED_TRACE(arguments.join(' ').toStdString());
        const Outcome run = RunCli(arguments);
        EXPECT_EQ(run.status, 2);
        EXPECT_TRUE(run.err.contains("Usage: pictaron-cli"));
    }
    EXPECT_FALSE(QFile::exists(out));
}

TEST_F(CliTest, QualityOutsideTheRangeIsClampedLikeTheSlider)
{
    const QString input = Write(QStringLiteral("in.ppm"), Ppm(30, 30));
    ASSERT_EQ(RunCli({input, QStringLiteral("-o"), Path(QStringLiteral("q0.jpg")), QStringLiteral("--quality"), QStringLiteral("0")}).status, 0);
    ASSERT_EQ(RunCli({input, QStringLiteral("-o"), Path(QStringLiteral("q1.jpg")), QStringLiteral("--quality"), QStringLiteral("1")}).status, 0);
    ASSERT_EQ(RunCli({input, QStringLiteral("-o"), Path(QStringLiteral("q150.jpg")), QStringLiteral("--quality"), QStringLiteral("150")}).status, 0);
    ASSERT_EQ(RunCli({input, QStringLiteral("-o"), Path(QStringLiteral("q100.jpg")), QStringLiteral("--quality"), QStringLiteral("100")}).status, 0);
    EXPECT_EQ(Read(Path(QStringLiteral("q0.jpg"))), Read(Path(QStringLiteral("q1.jpg"))));
    EXPECT_EQ(Read(Path(QStringLiteral("q150.jpg"))), Read(Path(QStringLiteral("q100.jpg"))));
}

TEST_F(CliTest, GifWithWebSafeColoursDitheredAndTransparent)
{
    const QString input = Write(QStringLiteral("in.ppm"), Ppm(40, 30));
    const QString out = Path(QStringLiteral("out.gif"));
    const Outcome run = RunCli({input, QStringLiteral("-o"), out, QStringLiteral("--colours"), QStringLiteral("64"),
                                QStringLiteral("--dither"), QStringLiteral("--palette"), QStringLiteral("websafe"),
                                QStringLiteral("--transparent"), QStringLiteral("FFFFFF"), QStringLiteral("--json")});
    ASSERT_EQ(run.status, 0) << run.err.toStdString();
    const QJsonObject json = QJsonDocument::fromJson(run.out).object();
    EXPECT_EQ(json[QStringLiteral("format")].toString(), QStringLiteral("gif"));
    EXPECT_EQ(json[QStringLiteral("colours")].toInt(), 64);
    const QByteArray gif = Read(out);
    EXPECT_EQ(json[QStringLiteral("bytes")].toInteger(), gif.size());
    ASSERT_TRUE(gif.startsWith("GIF89a"));
    // The graphic control block after the global table names white.
    const int tableBytes = 3 << ((gif[10] & 7) + 1);
    const QByteArray control = gif.mid(13 + tableBytes, 8);
    ASSERT_TRUE(control.startsWith("\x21\xF9\x04\x01"));
    const int index = static_cast<unsigned char>(control[6]);
    EXPECT_EQ(gif.mid(13 + 3 * index, 3), QByteArray("\xFF\xFF\xFF"));
    // Every colour of the table is web-safe.
    for (int i = 13; i < 13 + tableBytes; ++i)
        ASSERT_EQ(static_cast<unsigned char>(gif[i]) % 51, 0) << i;
}

TEST_F(CliTest, GifOptionsRefuseBadValues)
{
    const QString input = Write(QStringLiteral("in.ppm"), Ppm(4, 4));
    for (const QStringList& bad : {QStringList{QStringLiteral("--transparent"), QStringLiteral("FFF")},
                                   QStringList{QStringLiteral("--transparent"), QStringLiteral("GG0000")},
                                   QStringList{QStringLiteral("--colours"), QStringLiteral("many")}}) {
        const Outcome run = RunCli(QStringList{input, QStringLiteral("-o"), Path(QStringLiteral("x.gif"))} + bad);
        EXPECT_EQ(run.status, 2) << bad.join(' ').toStdString();
        EXPECT_TRUE(run.err.contains(bad.front().toLatin1())) << run.err.toStdString();
    }
}

TEST(Cli, HelpAndVersion)
{
    Outcome run = RunCli({QStringLiteral("--help")});
    EXPECT_EQ(run.status, 0);
    EXPECT_TRUE(run.out.contains("--quality"));
    run = RunCli({QStringLiteral("--version")});
    EXPECT_EQ(run.status, 0);
    EXPECT_TRUE(run.out.startsWith("pictaron-cli " PICTARON_VERSION));
}

TEST_F(CliTest, StepOptionsReachTheRun)
{
    const QString input = Write(QStringLiteral("in.ppm"), Ppm(40, 30));
    const Outcome run = RunCli({input, QStringLiteral("-o"), Path(QStringLiteral("out.jpg")), QStringLiteral("--json"),
                                QStringLiteral("--crop"), QStringLiteral("2,3,32,23"), QStringLiteral("--rotate"),
                                QStringLiteral("90"), QStringLiteral("--resize"), QStringLiteral("21x11"),
                                QStringLiteral("--filter"), QStringLiteral("box"), QStringLiteral("--buttonize"),
                                QStringLiteral("20"), QStringLiteral("--caption"), QStringLiteral("Hi"),
                                QStringLiteral("--caption-location"), QStringLiteral("caption"),
                                QStringLiteral("--font"), QStringLiteral("DejaVu Sans,12")});
    ASSERT_EQ(run.status, 0) << run.err.toStdString();
    const QJsonObject json = QJsonDocument::fromJson(run.out).object();
    EXPECT_EQ(json.value(QStringLiteral("width")).toInt(), 21);
    // The caption strip adds the text height and four rows below the resized picture.
    EXPECT_GT(json.value(QStringLiteral("height")).toInt(), 11 + 4);
}

// Captions need a platform to draw on: without one the run ends as an error
// in the toolkit's words, said once, with nothing written and no crash.
TEST_F(CliTest, CaptionWithoutAPlatformEndsAsAnError)
{
    const QString input = Write(QStringLiteral("in.ppm"), Ppm(20, 10));
    const QString output = Path(QStringLiteral("out.jpg"));
    const Outcome run = RunProgram(QStringLiteral("/usr/bin/env"),
                                   {QStringLiteral("QT_QPA_PLATFORM=nosuch"), QStringLiteral(PICTARON_CLI), input,
                                    QStringLiteral("-o"), output, QStringLiteral("--caption"), QStringLiteral("Hi")});
    EXPECT_EQ(run.status, 1);
    EXPECT_TRUE(run.out.isEmpty());
    EXPECT_TRUE(run.err.startsWith("pictaron-cli: Qt: This application failed to start because no Qt platform "
                                   "plugin could be initialized."))
        << run.err.toStdString();
    EXPECT_EQ(run.err.count("pictaron-cli:"), 1) << run.err.toStdString();
    EXPECT_FALSE(QFileInfo::exists(output));
}

TEST_F(CliTest, FlipAndMirrorOfEvenSizesIsAHalfTurn)
{
    const QString input = Write(QStringLiteral("in.ppm"), Ppm(36, 24));
    const QString turned = Path(QStringLiteral("turned.jpg"));
    const QString flipped = Path(QStringLiteral("flipped.jpg"));
    ASSERT_EQ(RunCli({input, QStringLiteral("-o"), turned, QStringLiteral("--rotate"), QStringLiteral("180")}).status, 0);
    ASSERT_EQ(RunCli({input, QStringLiteral("-o"), flipped, QStringLiteral("--flip"), QStringLiteral("--mirror")}).status,
              0);
    EXPECT_EQ(Read(turned), Read(flipped));
    // Amounts outside the tone range are clamped.
    const QString clamped = Path(QStringLiteral("clamped.jpg"));
    const QString limit = Path(QStringLiteral("limit.jpg"));
    ASSERT_EQ(RunCli({input, QStringLiteral("-o"), clamped, QStringLiteral("--contrast"), QStringLiteral("400")}).status, 0);
    ASSERT_EQ(RunCli({input, QStringLiteral("-o"), limit, QStringLiteral("--contrast"), QStringLiteral("255")}).status, 0);
    EXPECT_EQ(Read(clamped), Read(limit));
}

TEST_F(CliTest, BadStepValuesAreBadUsage)
{
    const QString input = Write(QStringLiteral("in.ppm"), Ppm(8, 8));
    const QList<QStringList> bad{
        {QStringLiteral("--rotate"), QStringLiteral("360")},
        {QStringLiteral("--crop"), QStringLiteral("1,2,3")},
        {QStringLiteral("--resize"), QStringLiteral("10x")},
        {QStringLiteral("--filter"), QStringLiteral("cubic")},
        {QStringLiteral("--blend-bias"), QStringLiteral("101")},
        {QStringLiteral("--sharpen"), QStringLiteral("21")},
        {QStringLiteral("--blur"), QStringLiteral("-1")},
        {QStringLiteral("--corner-colour"), QStringLiteral("12345")},
        {QStringLiteral("--button-colour"), QStringLiteral("red")},
        {QStringLiteral("--lighting"), QStringLiteral("up")},
        {QStringLiteral("--caption-location"), QStringLiteral("middle")},
        {QStringLiteral("--font"), QStringLiteral("DejaVu Sans,0")},
        {QStringLiteral("--contrast"), QStringLiteral("much")},
    };
    for (const QStringList& option : bad) {
        const Outcome run = RunCli(QStringList{input, QStringLiteral("-o"), Path(QStringLiteral("out.jpg"))} + option);
        EXPECT_EQ(run.status, 2) << option.join(' ').toStdString();
        EXPECT_TRUE(run.err.contains(option.first().toUtf8())) << run.err.toStdString();
    }
    ExpectOnlyFiles({QStringLiteral("in.ppm")});
}

TEST_F(CliTest, PpmReadInPlaceGivesTheResultsOfAnyOtherFile)
{
    // The same pixels as a PNG, which is decoded into a working bitmap first.
    const QByteArray ppm = Ppm(61, 47);
    const QString fromPpm = Write(QStringLiteral("in.ppm"), ppm);
    const QString fromPng = Path(QStringLiteral("in.png"));
    ASSERT_TRUE(QImage::fromData(ppm, "PPM").save(fromPng));
    const QList<QStringList> runs{
        {QStringLiteral("--quality"), QStringLiteral("70")},
        {QStringLiteral("--greyscale")},
        {QStringLiteral("--sharpen"), QStringLiteral("4")},
        {QStringLiteral("--crop"), QStringLiteral("3,4,50,40"), QStringLiteral("--resize"), QStringLiteral("30x20")},
        {QStringLiteral("--format"), QStringLiteral("gif"), QStringLiteral("--colours"), QStringLiteral("16")},
    };
    for (const QStringList& options : runs) {
        SCOPED_TRACE(options.join(QLatin1Char(' ')).toStdString());
        const QString a = Path(QStringLiteral("a.out")), b = Path(QStringLiteral("b.out"));
        ASSERT_EQ(RunCli(QStringList{fromPpm, QStringLiteral("-o"), a} + options).status, 0);
        ASSERT_EQ(RunCli(QStringList{fromPng, QStringLiteral("-o"), b} + options).status, 0);
        const QByteArray result = Read(a);
        EXPECT_FALSE(result.isEmpty());
        EXPECT_EQ(result, Read(b));
    }
}

TEST_F(CliTest, AnInputShortenedDuringTheRunEndsWithItsName)
{
    // The signal a mapped file raises when it is shortened under the reader,
    // sent once the input is open: the run is stopped then, so that the
    // signal surely comes while it works.
    const QString input = Write(QStringLiteral("big.ppm"), Ppm(1200, 900));
    const QString output = Path(QStringLiteral("out.jpg"));
    FolderWatch watch(folder_.path(), IN_OPEN);
    QProcess process;
    process.start(QStringLiteral(PICTARON_CLI),
                  {input, QStringLiteral("-o"), output, QStringLiteral("--resize"), QStringLiteral("7200x5400")});
    ASSERT_TRUE(process.waitForStarted());
    ASSERT_TRUE(watch.WaitFor("big.ppm", false, process));
    ASSERT_TRUE(StopProcess(process.processId())) << "the run ended before the signal";
    kill(static_cast<pid_t>(process.processId()), SIGBUS);
    kill(static_cast<pid_t>(process.processId()), SIGCONT);
    ASSERT_TRUE(process.waitForFinished(60000));
    EXPECT_EQ(process.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(process.exitCode(), 1);
    EXPECT_EQ(process.readAllStandardError(),
              QStringLiteral("pictaron-cli: %1 changed while it was being read.\n").arg(input).toLocal8Bit());
    ExpectOnlyFiles({QStringLiteral("big.ppm")});
}
