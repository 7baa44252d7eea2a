// Folder runs that convert several pictures at once: every byte written and
// printed is what one picture at a time gives, in the order of the inputs.
#include "tests/cli/clitesting.h"

#include <gtest/gtest.h>

#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>

#include <csignal>

using namespace pictaron::clitesting;

namespace {

class CliJobsTest : public CliTest {
protected:
    // Pictures of several sizes and kinds, the largest first so that the
    // later ones are done before it; one file in the middle is no picture.
    QStringList Inputs() const
    {
        QStringList inputs{Write(QStringLiteral("in/large.ppm"), Ppm(900, 700))};
        for (int i = 0; i < 5; ++i)
            inputs << Write(QStringLiteral("in/p%1.ppm").arg(i), Ppm(40 + 30 * i, 30 + 20 * i));
        inputs.insert(3, Write(QStringLiteral("in/broken.png"), "\x89PNG\r\n\x1A\n not really"));
        const QString shared = QStringLiteral(PICTARON_TESTDATA "/small-photo.png");
        if (QFileInfo::exists(shared))
            inputs << shared;
        return inputs;
    }
    // The run, then what it left in the output folder, which is emptied for the next.
    std::pair<Outcome, QMap<QString, QByteArray>> RunInto(const QStringList& arguments) const
    {
        const QString out = Path(QStringLiteral("out"));
        QDir(out).removeRecursively();
        const Outcome run = RunCli(arguments);
        return {run, Snapshot(out)};
    }
};

} // namespace

TEST_F(CliJobsTest, SeveralAtOnceWriteAndPrintWhatOneAtATimeDoes)
{
    const QStringList inputs = Inputs();
    const QString out = Path(QStringLiteral("out/"));
    const QList<QStringList> kinds{
        {QStringLiteral("--json")},
        {QStringLiteral("--report"), QStringLiteral("--format"), QStringLiteral("gif"), QStringLiteral("--dither")},
        {QStringLiteral("--json"), QStringLiteral("--format"), QStringLiteral("webp"), QStringLiteral("--max-bytes"),
         QStringLiteral("6k")},
        {QStringLiteral("--format"), QStringLiteral("avif"), QStringLiteral("--resize"), QStringLiteral("64x48")},
    };
    for (const QStringList& options : kinds) {
        SCOPED_TRACE(options.join(' ').toStdString());
        const QStringList arguments = inputs + QStringList{QStringLiteral("-o"), out} + options;
        const auto [one, oneFiles] = RunInto(arguments + QStringList{QStringLiteral("--jobs"), QStringLiteral("1")});
        // The broken picture fails (and in 6k, the large one too); the others go through.
        EXPECT_EQ(one.status, 1);
        EXPECT_TRUE(one.err.contains(inputs[3].toUtf8())) << one.err.toStdString();
        for (const QString& name : oneFiles.keys())
            EXPECT_FALSE(name.startsWith(QStringLiteral("broken"))) << name.toStdString();
        EXPECT_GE(oneFiles.size(), inputs.size() - 2);
        for (const QString& jobs : {QStringLiteral("2"), QStringLiteral("3")}) {
            const auto [several, files] = RunInto(arguments + QStringList{QStringLiteral("--jobs"), jobs});
            EXPECT_EQ(several.status, one.status) << jobs.toStdString();
            EXPECT_EQ(several.out, one.out) << jobs.toStdString();
            EXPECT_EQ(several.err, one.err) << jobs.toStdString();
            EXPECT_TRUE(files == oneFiles) << jobs.toStdString();
        }
    }
}

TEST_F(CliJobsTest, ReportsComeInTheOrderOfTheInputs)
{
    const QStringList inputs = Inputs();
    const Outcome run = RunCli(inputs + QStringList{QStringLiteral("-o"), Path(QStringLiteral("out/")),
                                                    QStringLiteral("--json"), QStringLiteral("--jobs"), QStringLiteral("2")});
    EXPECT_EQ(run.status, 1);
    const QList<QByteArray> lines = run.out.trimmed().split('\n');
    QStringList reported;
    for (const QByteArray& line : lines)
        reported << QJsonDocument::fromJson(line).object()[QStringLiteral("input")].toString();
    QStringList converted = inputs;
    converted.removeAt(3);
    EXPECT_EQ(reported, converted);
    // Each report is that of its own file.
    for (const QByteArray& line : lines) {
        const QJsonObject json = QJsonDocument::fromJson(line).object();
        EXPECT_EQ(json[QStringLiteral("bytes")].toInteger(), Read(json[QStringLiteral("output")].toString()).size());
    }
}

TEST_F(CliJobsTest, AnInterruptLeavesOnlyTheOutputsBeforeTheFirstUnfinishedOne)
{
    // The first picture takes a while; the small ones after it are converted
    // meanwhile, but none may be written before it. Whenever the signal
    // comes, the outputs there are the first k of the plan, each whole, and
    // the message names the next.
    const QStringList inputs{Write(QStringLiteral("big.ppm"), Ppm(1000, 750)), Write(QStringLiteral("s0.ppm"), Ppm(30, 20)),
                             Write(QStringLiteral("s1.ppm"), Ppm(40, 20)), Write(QStringLiteral("s2.ppm"), Ppm(50, 20))};
    const QStringList options{QStringLiteral("--resize"), QStringLiteral("6000x4500"), QStringLiteral("--quality"),
                              QStringLiteral("100")};
    const QString out = Path(QStringLiteral("out"));
    QProcess process;
    process.start(QStringLiteral(PICTARON_CLI), inputs + QStringList{QStringLiteral("-o"), out + QLatin1Char('/'),
                                                                       QStringLiteral("--jobs"), QStringLiteral("2")}
                                                    + options);
    ASSERT_TRUE(process.waitForStarted());
    QThread::msleep(300);
    kill(static_cast<pid_t>(process.processId()), SIGINT);
    ASSERT_TRUE(process.waitForFinished(120000));
    EXPECT_EQ(process.exitStatus(), QProcess::NormalExit);
    const QByteArray err = process.readAllStandardError();

    const QStringList names{QStringLiteral("big.jpg"), QStringLiteral("s0.jpg"), QStringLiteral("s1.jpg"),
                            QStringLiteral("s2.jpg")};
    const QStringList written = QDir(out).entryList(QDir::Files | QDir::Hidden, QDir::Name);
    const qsizetype k = written.size();
    EXPECT_EQ(written, names.mid(0, k));
    for (qsizetype i = 0; i < k; ++i)
        EXPECT_EQ(Read(out + QLatin1Char('/') + names[i]), Converted(inputs[i], options)) << names[i].toStdString();
    if (k == names.size()) {  // the signal came too late to stop anything
        EXPECT_EQ(process.exitCode(), 0);
        EXPECT_TRUE(err.isEmpty()) << err.toStdString();
        return;
    }
    EXPECT_EQ(process.exitCode(), 3);
    const QByteArray next = ("pictaron-cli: Interrupted; " + out + QLatin1Char('/') + names[k]).toUtf8();
    EXPECT_TRUE(err == next + " was not written.\n" || err == next + " and the outputs after it were not written.\n")
        << err.toStdString();
}

TEST_F(CliJobsTest, JobsOutsideTheirRangeAreBadUsage)
{
    const QString input = Write(QStringLiteral("in.ppm"), Ppm(8, 8));
    for (const QString& jobs : {QStringLiteral("0"), QStringLiteral("65"), QStringLiteral("two"), QStringLiteral("-1")}) {
        SCOPED_TRACE(jobs.toStdString());
        const Outcome run = RunCli({input, QStringLiteral("-o"), Path(QStringLiteral("out/")), QStringLiteral("--jobs"), jobs});
        EXPECT_EQ(run.status, 2);
        EXPECT_TRUE(run.err.startsWith("pictaron-cli: --jobs needs a whole number")) << run.err.toStdString();
    }
    ExpectOnlyFiles({QStringLiteral("in.ppm")});
    // One input and many jobs: one conversion, as always.
    const Outcome run = RunCli({input, QStringLiteral("-o"), Path(QStringLiteral("one.jpg")), QStringLiteral("--jobs"),
                                QStringLiteral("64")});
    EXPECT_EQ(run.status, 0) << run.err.toStdString();
    EXPECT_EQ(Read(Path(QStringLiteral("one.jpg"))), Converted(input));
}
