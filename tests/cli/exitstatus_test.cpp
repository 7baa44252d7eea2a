// The exit status of pictaron-cli never says "done" when the result is not
// what was asked: every way a run can fall short exits non-zero, names the
// file on standard error and leaves no output behind.
#include "tests/cli/clitesting.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QThread>

#include <optional>

#include <csignal>

#include <sys/stat.h>
#include <unistd.h>

using namespace pictaron::clitesting;

namespace {

// A run long enough to stop in: a large resize of a picture of some size.
QStringList BigRun(const QString& input, const QString& output)
{
    return {input, QStringLiteral("-o"), output, QStringLiteral("--resize"), QStringLiteral("6000x4500"),
            QStringLiteral("--quality"), QStringLiteral("100")};
}

} // namespace

TEST_F(CliTest, AResizeBeyondMemoryWritesNothingAndExitsWithOne)
{
    // 10.8 GB, which the system might promise and then not keep: refused
    // before it is allocated, in one line that names the input.
    const QString input = Write(QStringLiteral("in.ppm"), Ppm(20, 10));
    const QString previous = Write(QStringLiteral("out.jpg"), "previous result");
    Outcome run = RunCli({input, QStringLiteral("-o"), previous, QStringLiteral("--json"), QStringLiteral("--resize"),
                          QStringLiteral("60000x60000")});
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.err, ("pictaron-cli: " + input
                        + ": There is not enough memory for a picture of 60000 by 60000 pixels.\n")
                           .toUtf8());
    EXPECT_TRUE(run.out.isEmpty());
    EXPECT_EQ(Read(previous), QByteArray("previous result"));
    ExpectOnlyFiles({QStringLiteral("in.ppm"), QStringLiteral("out.jpg")});

    // In a folder run the other inputs still go through; the status tells.
    const QString other = Write(QStringLiteral("other.ppm"), Ppm(8, 8));
    run = RunCli({input, other, QStringLiteral("-o"), Path(QStringLiteral("web/")), QStringLiteral("--resize"),
                  QStringLiteral("30000x30000")});
    EXPECT_EQ(run.status, 1);
    EXPECT_TRUE(run.err.contains(": There is not enough memory for a picture of 30000 by 30000 pixels.")) << run.err.toStdString();
    EXPECT_EQ(QDir(Path(QStringLiteral("web"))).entryList(QDir::Files | QDir::Hidden), QStringList());
}

TEST_F(CliTest, ABevelTooThinToDrawSaysSoAndExitsWithThree)
{
    const QString input = Write(QStringLiteral("in.ppm"), Ppm(20, 10));
    const Outcome run = RunCli({input, QStringLiteral("-o"), Path(QStringLiteral("out.jpg")), QStringLiteral("--buttonize"),
                                QStringLiteral("0")});
    EXPECT_EQ(run.status, 3);
    EXPECT_EQ(run.err, ("pictaron-cli: " + input
                        + ": the button edge is too thin to draw at this size; nothing written.\n")
                           .toUtf8());
    ExpectOnlyFiles({QStringLiteral("in.ppm")});
}

TEST_F(CliTest, APaletteThatIsNoPaletteIsBadUsage)
{
    const QString input = Write(QStringLiteral("in.ppm"), Ppm(8, 8));
    const QString notes = Write(QStringLiteral("notes.txt"), "0 0 0\n");
    QDir().mkdir(Path(QStringLiteral("colours.pal")));
    for (const QString& palette : {Path(QStringLiteral("missing.pal")), Path(QStringLiteral("colours.pal")), notes,
                                   QStringLiteral("web-safe")}) {
        SCOPED_TRACE(palette.toStdString());
        const Outcome run = RunCli({input, QStringLiteral("-o"), Path(QStringLiteral("out.gif")), QStringLiteral("--palette"), palette});
        EXPECT_EQ(run.status, 2);
        EXPECT_TRUE(run.err.contains("--palette")) << run.err.toStdString();
        EXPECT_TRUE(run.err.contains(palette.toUtf8())) << run.err.toStdString();
    }
    ExpectOnlyFiles({QStringLiteral("in.ppm"), QStringLiteral("notes.txt")});

    // A palette file that is there is used.
    QByteArray act;
    for (int i = 0; i < 256; ++i)
        act += QByteArray(3, char(i < 128 ? 0 : 255));
    const QString twoGreys = Write(QStringLiteral("grey.act"), act);
    const Outcome run = RunCli({input, QStringLiteral("-o"), Path(QStringLiteral("out.gif")), QStringLiteral("--palette"), twoGreys});
    EXPECT_EQ(run.status, 0) << run.err.toStdString();
    const QByteArray gif = Read(Path(QStringLiteral("out.gif")));
    ASSERT_TRUE(gif.startsWith("GIF8"));
    const int tableBytes = 3 << ((gif[10] & 7) + 1);
    for (int i = 13; i < 13 + tableBytes; ++i)
        ASSERT_TRUE(gif[i] == '\0' || gif[i] == '\xFF') << i;
}

TEST_F(CliTest, AReportThatCannotBeWrittenIsAnError)
{
    const QString a = Write(QStringLiteral("a.ppm"), Ppm(12, 8));
    const QString b = Write(QStringLiteral("b.ppm"), Ppm(8, 12));
    // A full disk behind standard output: the first picture is written, the
    // report of it cannot be, and the run stops there.
    Outcome run = RunCliRedirected(QStringLiteral(">/dev/full"),
                                   {a, b, QStringLiteral("-o"), Path(QStringLiteral("web/")), QStringLiteral("--json")});
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.err, QByteArray("pictaron-cli: Cannot write to standard output.  No space left on device.\n"));
    EXPECT_EQ(QDir(Path(QStringLiteral("web"))).entryList(QDir::Files | QDir::Hidden), QStringList{QStringLiteral("a.jpg")});
    EXPECT_EQ(Read(Path(QStringLiteral("web/a.jpg"))), Converted(a));

    run = RunCliRedirected(QStringLiteral(">/dev/full"), {a, QStringLiteral("-o"), Path(QStringLiteral("r.jpg")), QStringLiteral("--report")});
    EXPECT_EQ(run.status, 1);
    EXPECT_TRUE(run.err.contains("No space left on device")) << run.err.toStdString();

    // Closed: known before anything is written.
    run = RunCliRedirected(QStringLiteral(">&-"), {a, QStringLiteral("-o"), Path(QStringLiteral("c.jpg")), QStringLiteral("--json")});
    EXPECT_EQ(run.status, 1);
    EXPECT_TRUE(run.err.contains("Standard output is closed")) << run.err.toStdString();
    EXPECT_FALSE(QFileInfo::exists(Path(QStringLiteral("c.jpg"))));
    // A run that prints nothing does not need it, and no file takes its place.
    run = RunCliRedirected(QStringLiteral(">&-"), {a, QStringLiteral("-o"), Path(QStringLiteral("c.jpg"))});
    EXPECT_EQ(run.status, 0) << run.err.toStdString();
    EXPECT_EQ(Read(Path(QStringLiteral("c.jpg"))), Converted(a));
    // --help too says when it cannot be printed.
    EXPECT_EQ(RunCliRedirected(QStringLiteral(">/dev/full"), {QStringLiteral("--help")}).status, 1);
}

TEST_F(CliTest, ATerminationAfterEncodingNeverLetsTheOutputAppear)
{
    // A pattern's folder is made once the picture is encoded, right before
    // the output is written. The run is stopped as the folder appears and
    // terminated while stopped: the signal comes after every test inside the
    // run, and the output must still never appear. Should the stop come
    // only once the output's name was there (a temporary or the file), the
    // signal might have come too late to count and the run is repeated.
    const QString input = Write(QStringLiteral("big.ppm"), Ppm(1000, 750));
    const QString late = Path(QStringLiteral("late"));
    const QString output = late + QStringLiteral("/big.jpg");
    bool proved = false;
    for (int attempt = 0; attempt < 5 && !proved; ++attempt) {
        QDir(late).removeRecursively();
        FolderWatch watch(folder_.path());
        QProcess process;
        process.start(QStringLiteral(PICTARON_CLI), BigRun(input, late + QStringLiteral("/{name}.{ext}")));
        ASSERT_TRUE(process.waitForStarted());
        ASSERT_TRUE(watch.WaitFor("late", false, process)) << process.readAllStandardError().toStdString();
        const pid_t pid = static_cast<pid_t>(process.processId());
        ASSERT_TRUE(StopProcess(pid)) << "the run ended before it was stopped";
        proved = QDir(late).entryList(QDir::Files | QDir::Hidden).isEmpty();
        if (proved)
            kill(pid, SIGTERM);
        kill(pid, SIGCONT);
        ASSERT_TRUE(process.waitForFinished(120000));
        if (!proved)
            continue;
        EXPECT_EQ(process.exitStatus(), QProcess::NormalExit);
        EXPECT_EQ(process.exitCode(), 3);
        EXPECT_EQ(process.readAllStandardError(),
                  ("pictaron-cli: Interrupted; " + output + " was not written.\n").toUtf8());
        EXPECT_EQ(QDir(late).entryList(QDir::Files | QDir::Hidden), QStringList());
        ExpectOnlyFiles({QStringLiteral("big.ppm")});
    }
    EXPECT_TRUE(proved) << "every stop came after the output was named";
}

TEST_F(CliTest, AnInterruptedFolderRunStopsBeforeTheNextInput)
{
    const QString small = Write(QStringLiteral("small.ppm"), Ppm(30, 20));
    const QString big = Write(QStringLiteral("big.ppm"), Ppm(1000, 750));
    const QString out = Path(QStringLiteral("out"));
    QDir().mkdir(out);
    FolderWatch watch(out);
    QProcess process;
    QStringList arguments = BigRun(small, out + QLatin1Char('/'));
    arguments.insert(1, big);
    process.start(QStringLiteral(PICTARON_CLI), arguments);
    ASSERT_TRUE(process.waitForStarted());
    // small.jpg is renamed into place; big.ppm's resize has only begun.
    ASSERT_TRUE(watch.WaitFor("small.jpg", false, process)) << process.readAllStandardError().toStdString();
    ASSERT_EQ(process.state(), QProcess::Running);
    kill(static_cast<pid_t>(process.processId()), SIGINT);
    ASSERT_TRUE(process.waitForFinished(120000));
    EXPECT_EQ(process.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(process.exitCode(), 3);
    const QByteArray err = process.readAllStandardError();
    EXPECT_TRUE(err == ("pictaron-cli: Interrupted; " + out + "/big.jpg was not written.\n").toUtf8()
                || err == ("pictaron-cli: Interrupted; " + out + "/big.jpg and the outputs after it were not written.\n").toUtf8())
        << err.toStdString();
    EXPECT_EQ(QDir(out).entryList(QDir::Files | QDir::Hidden), QStringList{QStringLiteral("small.jpg")});
    QStringList reference = BigRun(small, Path(QStringLiteral("reference.jpg")));
    ASSERT_EQ(RunCli(reference).status, 0);
    EXPECT_EQ(Read(out + QStringLiteral("/small.jpg")), Read(Path(QStringLiteral("reference.jpg"))));
}

TEST_F(CliTest, AFileOrFolderTheUserMayNotWriteIsRefused)
{
    const std::optional<QStringList> user = AsOrdinaryUser();
    if (!user)
        GTEST_SKIP() << "running as root without setpriv or runuser";
    // Anyone may pass and write the folder: only the file's own mode guards it.
    chmod(QFile::encodeName(folder_.path()).constData(), 0777);
    const QString input = Write(QStringLiteral("in.ppm"), Ppm(10, 10));
    chmod(QFile::encodeName(input).constData(), 0644);
    const QString locked = Write(QStringLiteral("locked.jpg"), "kept as it is");
    chmod(QFile::encodeName(locked).constData(), 0444);
    QDir().mkdir(Path(QStringLiteral("shut")));
    chmod(QFile::encodeName(Path(QStringLiteral("shut"))).constData(), 0555);
    const auto before = Snapshot(folder_.path());

    Outcome run = RunCliAs(*user, {input, QStringLiteral("-o"), locked});
    EXPECT_EQ(run.status, 1);
    EXPECT_TRUE(run.err.contains(("Cannot write " + locked).toUtf8())) << run.err.toStdString();
    const QString shut = Path(QStringLiteral("shut/out.jpg"));
    run = RunCliAs(*user, {input, QStringLiteral("-o"), shut});
    EXPECT_EQ(run.status, 1);
    EXPECT_TRUE(run.err.contains(("Cannot write " + shut).toUtf8())) << run.err.toStdString();
    run = RunCliAs(*user, {input, QStringLiteral("-o"), Path(QStringLiteral("shut/deeper/{name}.{ext}"))});
    EXPECT_EQ(run.status, 1);
    EXPECT_TRUE(run.err.contains(Path(QStringLiteral("shut/deeper/in.jpg")).toUtf8())) << run.err.toStdString();
    EXPECT_EQ(Snapshot(folder_.path()), before);
    struct stat info {};
    ASSERT_EQ(stat(QFile::encodeName(locked).constData(), &info), 0);
    EXPECT_EQ(info.st_mode & 07777, 0444u);
    chmod(QFile::encodeName(Path(QStringLiteral("shut"))).constData(), 0755);
}

TEST_F(CliTest, EveryInputThatFailsIsNamed)
{
    const QString good = Write(QStringLiteral("good.ppm"), Ppm(6, 6));
    const QString empty = Write(QStringLiteral("empty.png"), QByteArray());
    const QString missing = Path(QStringLiteral("missing.ppm"));
    const Outcome run = RunCli({empty, good, missing, QStringLiteral("-o"), Path(QStringLiteral("out/"))});
    EXPECT_EQ(run.status, 1);
    EXPECT_TRUE(run.err.contains(empty.toUtf8())) << run.err.toStdString();
    EXPECT_TRUE(run.err.contains(missing.toUtf8())) << run.err.toStdString();
    EXPECT_EQ(QDir(Path(QStringLiteral("out"))).entryList(QDir::Files | QDir::Hidden), QStringList{QStringLiteral("good.jpg")});
}
