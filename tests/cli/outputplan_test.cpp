// pictaron-cli plans every output name before it writes anything: a run that
// would write over one of its inputs, or write one output twice, stops with
// nothing written; --overwrite and --no-clobber decide about other files.
#include "tests/cli/clitesting.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>

#include <unistd.h>

using namespace pictaron::clitesting;

namespace {

class CliPlanTest : public CliTest {
protected:
    // A JPEG of the user's, made by the program itself.
    QByteArray UsersJpeg() const { return Converted(Write(QStringLiteral("seed/seed.ppm"), Ppm(16, 16))); }
    QString Link(const QString& target, const QString& name) const
    {
        EXPECT_EQ(symlink(QFile::encodeName(target).constData(), QFile::encodeName(Path(name)).constData()), 0);
        return Path(name);
    }
};

// Every clash is an error line that names both inputs and the output.
void ExpectClashNamed(const QByteArray& err, const QStringList& names)
{
    for (const QByteArray& line : err.split('\n')) {
        bool all = line.startsWith("pictaron-cli: ");
        for (const QString& name : names)
            all = all && line.contains(name.toUtf8());
        if (all)
            return;
    }
    ADD_FAILURE() << "no line names " << names.join(", ").toStdString() << " in:\n" << err.toStdString();
}

} // namespace

TEST_F(CliPlanTest, AFolderRunOverItsOwnFolderTouchesNothing)
{
    // "pictaron-cli * -o ./" beside a.jpg and a.png: a.png's result would
    // replace a.jpg, and a.jpg's its own file.
    Write(QStringLiteral("a.jpg"), UsersJpeg());
    Write(QStringLiteral("a.png"), Read(Path(QStringLiteral("a.jpg"))));  // any bytes: never read
    const auto before = Snapshot(folder_.path());
    const Outcome run = RunCli({QStringLiteral("a.jpg"), QStringLiteral("a.png"), QStringLiteral("-o"), QStringLiteral("./")},
                               {}, folder_.path());
    EXPECT_EQ(run.status, 1);
    ExpectClashNamed(run.err, {QStringLiteral("./a.jpg"), QStringLiteral("a.png"), QStringLiteral(" a.jpg")});
    ExpectClashNamed(run.err, {QStringLiteral("./a.jpg"), QStringLiteral("its own input a.jpg")});
    EXPECT_EQ(Snapshot(folder_.path()), before);
}

TEST_F(CliPlanTest, AnInputIsNeverTheOutputUnderAnySpelling)
{
    const QByteArray jpeg = UsersJpeg();
    const QString photo = Write(QStringLiteral("pics/photo.jpg"), jpeg);
    const QString picture = Write(QStringLiteral("pics/picture.ppm"), Ppm(12, 9));
    Link(QStringLiteral("pics"), QStringLiteral("alias"));
    Link(QStringLiteral("pics/picture.ppm"), QStringLiteral("picture-link.jpg"));
    const auto before = Snapshot(folder_.path());

    const QList<QStringList> runs{
        // named as its own output, also as a file of the folder run
        {photo, QStringLiteral("-o"), photo},
        {photo, QStringLiteral("-o"), Path(QStringLiteral("pics/"))},
        // through another spelling of the folder, and a link to the folder
        {photo, QStringLiteral("-o"), Path(QStringLiteral("pics/../pics/./photo.jpg"))},
        {Path(QStringLiteral("alias/photo.jpg")), QStringLiteral("-o"), Path(QStringLiteral("pics"))},
        // an output that is a link to another input
        {picture, photo, QStringLiteral("-o"), Path(QStringLiteral("{name}-link.jpg"))},
        // standard output sent to the input
    };
    for (const QStringList& arguments : runs) {
        SCOPED_TRACE(arguments.join(QLatin1Char(' ')).toStdString());
        const Outcome run = RunCli(arguments);
        EXPECT_EQ(run.status, 1);
        EXPECT_TRUE(run.err.contains("would overwrite")) << run.err.toStdString();
        EXPECT_EQ(Snapshot(folder_.path()), before);
    }
    const Outcome toInput = RunCliRedirected(QStringLiteral(">>") + photo, {photo, QStringLiteral("-o"), QStringLiteral("-")});
    EXPECT_EQ(toInput.status, 1);
    ExpectClashNamed(toInput.err, {QStringLiteral("standard output"), photo});
    EXPECT_EQ(Snapshot(folder_.path()), before);
}

TEST_F(CliPlanTest, TwoInputsNeverWriteOneOutput)
{
    const QString x = Write(QStringLiteral("x/a.ppm"), Ppm(8, 6));
    const QString y = Write(QStringLiteral("y/a.pgm"), Ppm(6, 8));  // a PPM all the same
    const QString out = Path(QStringLiteral("out/"));
    const auto before = Snapshot(folder_.path());
    Outcome run = RunCli({x, y, QStringLiteral("-o"), out});
    EXPECT_EQ(run.status, 1);
    ExpectClashNamed(run.err, {x, y, out + QStringLiteral("a.jpg")});
    EXPECT_EQ(Snapshot(folder_.path()), before);  // not even the folder is made

    // The same file twice, spelt two ways.
    run = RunCli({y, Path(QStringLiteral("x/../y/a.ppm")), QStringLiteral("-o"), out});
    EXPECT_EQ(run.status, 1);
    EXPECT_TRUE(run.err.contains("would both be written to")) << run.err.toStdString();
    // A pattern that leaves out the name.
    run = RunCli({x, y, QStringLiteral("-o"), Path(QStringLiteral("out/{dir}.{ext}"))});
    EXPECT_EQ(run.status, 0) << run.err.toStdString();  // x.jpg and y.jpg: apart
    run = RunCli({x, y, QStringLiteral("-o"), Path(QStringLiteral("flat/{name}.gif"))});
    EXPECT_EQ(run.status, 1);
    ExpectClashNamed(run.err, {x, y, Path(QStringLiteral("flat/a.gif"))});
    EXPECT_FALSE(QFileInfo::exists(Path(QStringLiteral("flat"))));
}

TEST_F(CliPlanTest, APatternKeepsNamesakesApart)
{
    const QString x = Write(QStringLiteral("x/a.ppm"), Ppm(20, 10));
    const QString y = Write(QStringLiteral("y/a.ppm"), Ppm(10, 20));
    const auto inputs = Snapshot(folder_.path());
    const Outcome run = RunCli({x, y, QStringLiteral("-o"), Path(QStringLiteral("out/web/{dir}-{name}.{ext}")), QStringLiteral("--json")});
    ASSERT_EQ(run.status, 0) << run.err.toStdString();
    auto expected = inputs;
    expected.insert(QStringLiteral("out/"), {});
    expected.insert(QStringLiteral("out/web/"), {});
    expected.insert(QStringLiteral("out/web/x-a.jpg"), Converted(x));
    expected.insert(QStringLiteral("out/web/y-a.jpg"), Converted(y));
    EXPECT_EQ(Snapshot(folder_.path()), expected);
    const QList<QByteArray> lines = run.out.trimmed().split('\n');
    ASSERT_EQ(lines.size(), 2);
    EXPECT_EQ(QJsonDocument::fromJson(lines[1]).object()[QStringLiteral("output")].toString(),
              Path(QStringLiteral("out/web/y-a.jpg")));

    // {ext} follows the format; a literal .gif chooses it.
    ASSERT_EQ(RunCli({x, QStringLiteral("-o"), Path(QStringLiteral("g/{name}.{ext}")), QStringLiteral("--format"), QStringLiteral("gif")}).status, 0);
    EXPECT_TRUE(Read(Path(QStringLiteral("g/a.gif"))).startsWith("GIF8"));
    ASSERT_EQ(RunCli({x, QStringLiteral("-o"), Path(QStringLiteral("g/{dir}.gif"))}).status, 0);
    EXPECT_EQ(Read(Path(QStringLiteral("g/x.gif"))), Read(Path(QStringLiteral("g/a.gif"))));

    const Outcome unknown = RunCli({x, y, QStringLiteral("-o"), Path(QStringLiteral("z/{base}.{ext}"))});
    EXPECT_EQ(unknown.status, 2);
    EXPECT_TRUE(unknown.err.contains("{base}")) << unknown.err.toStdString();
    EXPECT_FALSE(QFileInfo::exists(Path(QStringLiteral("z"))));
}

TEST_F(CliPlanTest, ExistingOutputsAreReplacedUnlessNoClobber)
{
    const QString a = Write(QStringLiteral("a.ppm"), Ppm(9, 7));
    const QString b = Write(QStringLiteral("b.ppm"), Ppm(7, 9));
    const QString out = Path(QStringLiteral("out/"));
    const QString oldA = Write(QStringLiteral("out/a.jpg"), "the user's own a.jpg");

    // --no-clobber: a.jpg kept with a message, b.jpg written, success.
    Outcome run = RunCli({a, b, QStringLiteral("-o"), out, QStringLiteral("--no-clobber"), QStringLiteral("--json")});
    EXPECT_EQ(run.status, 0) << run.err.toStdString();
    EXPECT_EQ(run.err, QStringLiteral("pictaron-cli: %1 exists; %2 skipped (--no-clobber).\n").arg(oldA, a).toUtf8());
    EXPECT_EQ(run.out.count('\n'), 1);  // b only
    EXPECT_EQ(Read(oldA), QByteArray("the user's own a.jpg"));
    EXPECT_EQ(Read(Path(QStringLiteral("out/b.jpg"))), Converted(b));
    EXPECT_EQ(QDir(out).entryList(QDir::Files | QDir::Hidden), (QStringList{QStringLiteral("a.jpg"), QStringLiteral("b.jpg")}));

    // The default and --overwrite replace it.
    run = RunCli({a, QStringLiteral("-o"), oldA, QStringLiteral("--overwrite")});
    EXPECT_EQ(run.status, 0) << run.err.toStdString();
    EXPECT_EQ(Read(oldA), Converted(a));
    Write(QStringLiteral("out/a.jpg"), "again the user's");
    EXPECT_EQ(RunCli({a, b, QStringLiteral("-o"), out}).status, 0);
    EXPECT_EQ(Read(oldA), Converted(a));

    run = RunCli({a, QStringLiteral("-o"), oldA, QStringLiteral("--overwrite"), QStringLiteral("--no-clobber")});
    EXPECT_EQ(run.status, 2);
    EXPECT_TRUE(run.err.contains("--no-clobber")) << run.err.toStdString();
}

TEST_F(CliPlanTest, AnOutputNamedByAFolderIsRefusedFirst)
{
    const QString a = Write(QStringLiteral("a.ppm"), Ppm(4, 4));
    const QString b = Write(QStringLiteral("b.ppm"), Ppm(4, 4));
    QDir().mkpath(Path(QStringLiteral("out/b.jpg")));
    const Outcome run = RunCli({a, b, QStringLiteral("-o"), Path(QStringLiteral("out/"))});
    EXPECT_EQ(run.status, 1);
    ExpectClashNamed(run.err, {Path(QStringLiteral("out/b.jpg")), b, QStringLiteral("is a folder")});
    EXPECT_FALSE(QFileInfo::exists(Path(QStringLiteral("out/a.jpg"))));  // planned first, so a.jpg was not written
}
