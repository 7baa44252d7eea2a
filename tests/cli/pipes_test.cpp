// pictaron-cli in pipelines: "-" as the input reads the picture from standard
// input, "-o -" writes it to standard output, byte for byte what a file
// would hold.
#include "tests/cli/clitesting.h"

#include <gtest/gtest.h>

#include <QImage>
#include <QJsonDocument>
#include <QJsonObject>

using namespace pictaron::clitesting;

TEST_F(CliTest, StandardOutputGetsTheBytesAFileWouldHold)
{
    const QString input = Write(QStringLiteral("in.ppm"), Ppm(33, 21));
    for (const QStringList& options : {QStringList{QStringLiteral("--quality"), QStringLiteral("40")},
                                       QStringList{QStringLiteral("--format"), QStringLiteral("gif"), QStringLiteral("--colours"), QStringLiteral("16")}}) {
        SCOPED_TRACE(options.join(QLatin1Char(' ')).toStdString());
        const Outcome run = RunCli(QStringList{input, QStringLiteral("-o"), QStringLiteral("-")} + options);
        ASSERT_EQ(run.status, 0) << run.err.toStdString();
        EXPECT_TRUE(run.err.isEmpty()) << run.err.toStdString();
        const QByteArray file = Converted(input, options);
        ASSERT_FALSE(file.isEmpty());
        EXPECT_EQ(run.out, file);
    }
    ExpectOnlyFiles({QStringLiteral("in.ppm")});
}

TEST_F(CliTest, WithThePictureOnStandardOutputTheJsonGoesToStandardError)
{
    const QString input = Write(QStringLiteral("in.ppm"), Ppm(16, 12));
    const Outcome run = RunCli({input, QStringLiteral("-o"), QStringLiteral("-"), QStringLiteral("--json")});
    ASSERT_EQ(run.status, 0) << run.err.toStdString();
    EXPECT_EQ(run.out, Converted(input));
    const QJsonObject json = QJsonDocument::fromJson(run.err).object();
    EXPECT_EQ(json[QStringLiteral("output")].toString(), QStringLiteral("-"));
    EXPECT_EQ(json[QStringLiteral("bytes")].toInteger(), run.out.size());
    EXPECT_EQ(json[QStringLiteral("width")].toInt(), 16);
}

TEST_F(CliTest, StandardInputGivesWhatTheFileGives)
{
    const QByteArray ppm = Ppm(40, 25);
    const QString fromPpm = Write(QStringLiteral("in.ppm"), ppm);
    const QString fromPng = Path(QStringLiteral("in.png"));
    ASSERT_TRUE(QImage::fromData(ppm, "PPM").save(fromPng));
    const QString out = Path(QStringLiteral("out.jpg"));
    for (const QString& file : {fromPpm, fromPng}) {
        SCOPED_TRACE(file.toStdString());
        Outcome run = RunCli({QStringLiteral("-"), QStringLiteral("-o"), out, QStringLiteral("--sharpen"), QStringLiteral("3"),
                              QStringLiteral("--json")},
                             Read(file));
        ASSERT_EQ(run.status, 0) << run.err.toStdString();
        EXPECT_EQ(Read(out), Converted(file, {QStringLiteral("--sharpen"), QStringLiteral("3")}));
        const QJsonObject json = QJsonDocument::fromJson(run.out).object();
        EXPECT_EQ(json[QStringLiteral("input")].toString(), QStringLiteral("-"));
        EXPECT_EQ(json[QStringLiteral("original_bytes")].toInteger(), Read(file).size());
        // Both ends at once.
        run = RunCli({QStringLiteral("-"), QStringLiteral("-o"), QStringLiteral("-"), QStringLiteral("--format"), QStringLiteral("gif")},
                     Read(file));
        ASSERT_EQ(run.status, 0) << run.err.toStdString();
        EXPECT_EQ(run.out, Converted(file, {QStringLiteral("--format"), QStringLiteral("gif")}));
    }
}

TEST_F(CliTest, StandardStreamsInTheWrongPlaceAreRefused)
{
    const QString a = Write(QStringLiteral("a.ppm"), Ppm(4, 4));
    const QString b = Write(QStringLiteral("b.ppm"), Ppm(4, 4));
    // Nothing in it, or not a picture: an error naming standard input.
    for (const QByteArray& bytes : {QByteArray(), QByteArray("not a picture at all")}) {
        const Outcome run = RunCli({QStringLiteral("-"), QStringLiteral("-o"), Path(QStringLiteral("x.jpg"))}, bytes);
        EXPECT_EQ(run.status, 1);
        EXPECT_TRUE(run.err.startsWith("pictaron-cli: Cannot open standard input.")) << run.err.toStdString();
    }
    // Two pictures cannot both go to standard output; standard input is one
    // picture without a name to make an output name from.
    for (const QStringList& arguments :
         {QStringList{a, b, QStringLiteral("-o"), QStringLiteral("-")},
          QStringList{QStringLiteral("-"), QStringLiteral("-"), QStringLiteral("-o"), Path(QStringLiteral("web/"))},
          QStringList{QStringLiteral("-"), a, QStringLiteral("-o"), Path(QStringLiteral("web/"))},
          QStringList{QStringLiteral("-"), QStringLiteral("-o"), Path(QStringLiteral("web/"))},
          QStringList{QStringLiteral("-"), QStringLiteral("-o"), Path(QStringLiteral("{name}.{ext}"))}}) {
        SCOPED_TRACE(arguments.join(QLatin1Char(' ')).toStdString());
        const Outcome run = RunCli(arguments, Ppm(4, 4));
        EXPECT_EQ(run.status, 2);
        EXPECT_TRUE(run.err.contains("Usage: pictaron-cli")) << run.err.toStdString();
        EXPECT_TRUE(run.out.isEmpty());
    }
    ExpectOnlyFiles({QStringLiteral("a.ppm"), QStringLiteral("b.ppm")});
}
