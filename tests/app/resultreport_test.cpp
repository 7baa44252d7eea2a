// What the window tells about a result, as a person reads it: the similarity
// score on the result line, checked against scikit-image on the saved file;
// the "Fit under" budget, with the setting it chose checked against
// pictaron-cli; and the download-time list with today's lines, a choice that
// outlives the window.
#include "app/appsettings.h"
#include "app/downloadtimelist.h"
#include "app/infolabel.h"
#include "app/mainwindow.h"
#include "windowtesting.h"

#include <QAction>
#include <QCheckBox>
#include <QDir>
#include <QRadioButton>
#include <QSlider>
#include <QSpinBox>
#include <QProcess>
#include <QRegularExpression>
#include <QToolButton>
#include <QtTest>

#include <cmath>

using namespace pictaron;
using namespace pictaron::testing;

class ResultReportTest : public QObject {
    Q_OBJECT
private slots:
    void init();
    void cleanup();
    void theResultLineEndsWithTheScoreOfWhatIsSaved();
    void todaysLinesFollowTheSevenAndOutliveTheWindow();
    void fitUnderGivesAFileWithinTheBudgetAndNamesTheChoice();
    void aBudgetThatCannotBeMetSaysSo();

private:
    void NewWindow();
    // Ticks "Fit under" and types the kilobytes into its box.
    void FitUnder(int kilobytes);
    QString ResultInfo() const { return window_->findChild<InfoLabel*>(QStringLiteral("lblDestInfo"))->Hint(); }
    QStringList DownloadRows() const
    {
        auto* list = window_->findChild<DownloadTimeList*>(QStringLiteral("cmbDownloadTime"));
        QStringList rows;
        for (int i = 0; i < list->count(); ++i)
            rows << list->itemText(i);
        return rows;
    }

    std::unique_ptr<QTemporaryDir> folder_;
    std::unique_ptr<TfrmPictaron> window_;
};

namespace {

// A picture with edges and noise, which a JPEG cannot keep whole.
QString WriteTexturedPicture(const QTemporaryDir& folder, const QString& name)
{
    QImage picture(96, 64, QImage::Format_RGB32);
    unsigned seed = 12345;
    for (int y = 0; y < picture.height(); ++y)
        for (int x = 0; x < picture.width(); ++x) {
            seed = seed * 1103515245u + 12345u;
            const int noise = int(seed >> 24) % 48;
            const int edge = (x / 9 + y / 7) % 2 ? 90 : 0;
            picture.setPixel(x, y, qRgb((x * 2 + noise) % 256, std::min(255, y * 3 + edge), (x + y + noise) % 256));
        }
    const QString path = folder.filePath(name);
    picture.save(path, "PNG");
    return path;
}

// scikit-image's mean SSIM of the two files' luma, as Pillow decodes them.
double ScikitSimilarity(const QString& reference, const QString& distorted)
{
    const QString script = QStringLiteral(R"(
import sys
import numpy as np
from PIL import Image
from skimage.metrics import structural_similarity
def luma(path):
    rgb = np.asarray(Image.open(path).convert("RGB"), dtype=np.float64)
    return 0.299 * rgb[..., 0] + 0.587 * rgb[..., 1] + 0.114 * rgb[..., 2]
print(repr(structural_similarity(luma(sys.argv[1]), luma(sys.argv[2]), gaussian_weights=True, sigma=1.5,
                                 use_sample_covariance=False, data_range=255)))
)");
    QProcess python;
    python.start(QStringLiteral("/usr/bin/python3"), {QStringLiteral("-c"), script, reference, distorted});
    if (!python.waitForFinished(60000) || python.exitCode() != 0)
        qWarning() << python.readAllStandardError();
    bool ok = false;
    const double score = python.readAllStandardOutput().trimmed().toDouble(&ok);
    return ok ? score : -1;
}

// Seconds to move the bytes over a line of the given Mbit/s.
double Seconds(qint64 bytes, double megabits) { return bytes * 8.0 / (megabits * 1e6); }

} // namespace

void ResultReportTest::init()
{
    folder_ = std::make_unique<QTemporaryDir>();
    OpenProgramSettings()->remove(kTodaysLinesSetting);
    NewWindow();
}

void ResultReportTest::cleanup()
{
    window_.reset();
    OpenProgramSettings()->remove(kTodaysLinesSetting);
}

void ResultReportTest::NewWindow()
{
    window_ = std::make_unique<TfrmPictaron>();
    window_->show();
    QVERIFY(QTest::qWaitForWindowExposed(window_.get()));
    window_->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(window_.get()));
}

void ResultReportTest::theResultLineEndsWithTheScoreOfWhatIsSaved()
{
    const QString original = WriteTexturedPicture(*folder_, QStringLiteral("texture.png"));
    window_->OpenPicture(original);
    QVERIFY(RunAndWait(*window_));

    const QRegularExpression score(QStringLiteral(", SSIM (\\d\\.\\d{3})$"));
    const QRegularExpressionMatch match = score.match(ResultInfo());
    QVERIFY2(match.hasMatch(), qPrintable(ResultInfo()));
    const double shown = match.captured(1).toDouble();
    QVERIFY2(shown > 0 && shown <= 1, qPrintable(ResultInfo()));
    // The rest of the line is as it has always been.
    QVERIFY2(ResultInfo().contains(QStringLiteral(" 96 by 64 pixels, ")), qPrintable(ResultInfo()));
    QVERIFY2(ResultInfo().contains(QRegularExpression(QStringLiteral("\\d%( of original size)?, SSIM "))),
             qPrintable(ResultInfo()));

    // The score is that of the file Save writes, against the original.
    const QString saved = QDir(folder_->path()).filePath(QStringLiteral("texture.jpg"));
    TypeIntoNextFileDialog(saved);
    ClickAt(window_->findChild<QToolButton*>(QStringLiteral("btnSaveAs")));
    QVERIFY(QTest::qWaitFor([&] { return QFileInfo::exists(saved); }, 10000));
    const double reference = ScikitSimilarity(original, saved);
    QVERIFY2(reference > 0.5 && reference < 0.9995, qPrintable(QString::number(reference)));
    QVERIFY2(std::abs(shown - reference) <= 0.0006, qPrintable(QStringLiteral("%1 against %2").arg(shown).arg(reference)));
    // And it stays on the line once the result is saved.
    QVERIFY2(score.match(ResultInfo()).captured(1) == match.captured(1), qPrintable(ResultInfo()));
}

void ResultReportTest::todaysLinesFollowTheSevenAndOutliveTheWindow()
{
    QAction* item = window_->findChild<QAction*>(QStringLiteral("mnuOptionsTodaysLines"));
    QVERIFY(item && item->isCheckable());
    QVERIFY(!item->isChecked());
    const QString original = WritePicture(*folder_, QStringLiteral("ramp.png"), QSize(300, 200), 400000);
    window_->OpenPicture(original);
    QCOMPARE(DownloadRows().size(), 8);  // the header and the seven
    QVERIFY(RunAndWait(*window_));
    QCOMPARE(DownloadRows().size(), 8);
    const qint64 result = window_->ResultSize();
    QVERIFY(result > 0);

    QVERIFY(ChooseMenuItem(*window_, QStringLiteral("&Options"), "mnuOptionsTodaysLines"));
    QVERIFY(item->isChecked());
    QStringList rows = DownloadRows();
    QCOMPARE(rows.size(), 11);
    QCOMPARE(rows[7].section(QLatin1Char('|'), 0, 0), QStringLiteral("T1"));
    const struct {
        const char* name;
        double megabits;
    } lines[] = {{"3G", 1.6}, {"4G", 9}, {"Broadband", 50}};
    for (int i = 0; i < 3; ++i) {
        const QStringList fields = rows[8 + i].split(QLatin1Char('|'));
        QCOMPARE(fields.size(), 3);
        QCOMPARE(fields[0], QString::fromLatin1(lines[i].name));
        // 400 000 bytes: 2.0, 0.36 and 0.064 seconds.
        QCOMPARE(fields[1], QStringLiteral("(%1 sec)").arg(Seconds(400000, lines[i].megabits), 0, 'f', 1));
        const double fresh = fields[2].section(QLatin1Char(' '), 0, 0).toDouble();
        QVERIFY2(std::abs(fresh - Seconds(result, lines[i].megabits)) <= 0.05, qPrintable(fields[2]));
    }
    // Room for the longer names: the columns still stand apart.
    auto* list = window_->findChild<DownloadTimeList*>(QStringLiteral("cmbDownloadTime"));
    QFont bold = list->font();
    bold.setBold(true);
    const DownloadTimeList::Columns columns = DownloadTimeList::ColumnsFor(list->font(), true);
    QVERIFY(columns.current >= 2 + QFontMetrics(bold).horizontalAdvance(QStringLiteral("Broadband")));
    QVERIFY(list->width() >= columns.width);

    // The next window starts with them, also for a new picture.
    NewWindow();
    item = window_->findChild<QAction*>(QStringLiteral("mnuOptionsTodaysLines"));
    QVERIFY(item->isChecked());
    window_->OpenPicture(original);
    QCOMPARE(DownloadRows().size(), 11);
    QCOMPARE(DownloadRows()[10].section(QLatin1Char('|'), 0, 1), QStringLiteral("Broadband|(0.1 sec)"));

    QVERIFY(ChooseMenuItem(*window_, QStringLiteral("&Options"), "mnuOptionsTodaysLines"));
    QVERIFY(!item->isChecked());
    QCOMPARE(DownloadRows().size(), 8);
    NewWindow();
    QVERIFY(!window_->findChild<QAction*>(QStringLiteral("mnuOptionsTodaysLines"))->isChecked());
}

void ResultReportTest::FitUnder(int kilobytes)
{
    const OptionPages& o = window_->Options();
    ShowPageOf(o.chkFitUnder);
    QVERIFY(!o.txtFitUnder->isEnabled());
    ClickAt(o.chkFitUnder);
    QVERIFY(o.chkFitUnder->isChecked() && o.txtFitUnder->isEnabled());
    ClickAt(o.txtFitUnder);
    PressKey(Qt::Key_End);
    for (int i = 0; i < 8; ++i)
        PressKey(Qt::Key_Backspace);
    TypeKeys(QString::number(kilobytes));
    QCOMPARE(o.txtFitUnder->value(), kilobytes);
}

void ResultReportTest::fitUnderGivesAFileWithinTheBudgetAndNamesTheChoice()
{
    const QString original = WriteTexturedPicture(*folder_, QStringLiteral("texture.png"));
    window_->OpenPicture(original);
    QVERIFY(RunAndWait(*window_));
    const qint64 free = window_->ResultSize();
    const int budget = int(free / 1024) - 1;  // under what quality 80 takes
    QVERIFY(budget >= 1);
    FitUnder(budget);
    QVERIFY(RunAndWait(*window_));
    QVERIFY2(window_->ResultSize() <= budget * 1024, qPrintable(QString::number(window_->ResultSize())));

    const QRegularExpressionMatch chosen =
        QRegularExpression(QStringLiteral(", quality (\\d+) chosen in (\\d) trials, SSIM ")).match(ResultInfo());
    QVERIFY2(chosen.hasMatch(), qPrintable(ResultInfo()));
    const int quality = chosen.captured(1).toInt();
    QVERIFY(quality >= 1 && quality < 80);
    // The user's own quality stays on the page.
    QCOMPARE(window_->Options().tbCompression->value(), 80);

    // What Save writes is within the budget, and is the JPEG the command line
    // makes at the chosen quality.
    const QString saved = QDir(folder_->path()).filePath(QStringLiteral("fits.jpg"));
    TypeIntoNextFileDialog(saved);
    ClickAt(window_->findChild<QToolButton*>(QStringLiteral("btnSaveAs")));
    QVERIFY(QTest::qWaitFor([&] { return QFileInfo::exists(saved); }, 10000));
    QVERIFY(QFileInfo(saved).size() <= budget * 1024);
    const QString cli = QDir(folder_->path()).filePath(QStringLiteral("cli.jpg"));
    QProcess::execute(QStringLiteral(PICTARON_CLI),
                      {original, QStringLiteral("-o"), cli, QStringLiteral("--quality"), QString::number(quality)});
    QCOMPARE(QFileInfo(cli).size(), QFileInfo(saved).size());
}

void ResultReportTest::aBudgetThatCannotBeMetSaysSo()
{
    window_->OpenPicture(WriteTexturedPicture(*folder_, QStringLiteral("texture.png")));
    // A truecolour PNG has no setting to lower.
    ShowPageOf(window_->Options().rbPNG);
    ClickAt(window_->Options().rbPNG);
    FitUnder(1);
    MessageBoxCatcher boxes;
    QVERIFY(RunAndWait(*window_));
    QVERIFY(QTest::qWaitFor([&] { return !boxes.texts.isEmpty(); }));
    QVERIFY2(boxes.texts.first().startsWith(QStringLiteral("The picture does not fit in 1.0 KB")),
             qPrintable(boxes.texts.first()));
    QVERIFY(!window_->CanSave());
}

QTEST_MAIN(ResultReportTest)
#include "resultreport_test.moc"
