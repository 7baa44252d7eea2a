// Options › Compare Formats as a person uses it: the five rows against the
// files pictaron-cli writes with the same options, a row picked with clicks
// becoming the result to save in its format, and Escape leaving everything
// as it was.
#include "app/compareformatsdialog.h"
#include "app/infolabel.h"
#include "app/mainwindow.h"
#include "components/qtbridge.h"
#include "app/outputformat.h"
#include "windowtesting.h"

#include <QAction>
#include <QApplication>
#include <QDialogButtonBox>
#include <QDir>
#include <QFile>
#include <QHeaderView>
#include <QPointer>
#include <QProcess>
#include <QPushButton>
#include <QRadioButton>
#include <QTableWidget>
#include <QToolButton>
#include <QtTest>

using namespace pictaron;
using namespace pictaron::testing;

class FormatComparisonTest : public QObject {
    Q_OBJECT
private slots:
    void init();
    void cleanup();
    void fiveRowsOfTheFilesTheCommandLineWritesAndTheOnePickedIsSaved();
    void escapeLeavesTheResultAsItWas();

private:
    // The dialog in front, once its table is filled; null if it never is.
    CompareFormatsDialog* FilledDialog();
    QString WritePhoto(const QString& name) const;

    std::unique_ptr<QTemporaryDir> folder_;
    std::unique_ptr<TfrmPictaron> window_;
};

namespace {

QByteArray ReadFile(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// What pictaron-cli writes for the picture in the format, with its default
// options, which are the window's at start.
QByteArray CommandLineFile(const QString& input, const QString& output)
{
    QProcess cli;
    cli.start(QStringLiteral(PICTARON_CLI), {input, QStringLiteral("-o"), output});
    if (!cli.waitForFinished(60000) || cli.exitCode() != 0)
        qWarning() << cli.readAllStandardError();
    return ReadFile(output);
}

} // namespace

void FormatComparisonTest::init()
{
    folder_ = std::make_unique<QTemporaryDir>();
    window_ = std::make_unique<TfrmPictaron>();
    window_->show();
    QVERIFY(QTest::qWaitForWindowExposed(window_.get()));
    window_->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(window_.get()));
}

void FormatComparisonTest::cleanup()
{
    window_.reset();
}

QString FormatComparisonTest::WritePhoto(const QString& name) const
{
    QImage picture(120, 80, QImage::Format_RGB32);
    unsigned seed = 99;
    for (int y = 0; y < picture.height(); ++y)
        for (int x = 0; x < picture.width(); ++x) {
            seed = seed * 1103515245u + 12345u;
            const int noise = int(seed >> 25) % 32;
            picture.setPixel(x, y, qRgb((x * 2 + noise) % 256, (y * 3 + noise / 2) % 256, (x * y / 20) % 256));
        }
    const QString path = folder_->filePath(name);
    picture.save(path, "PNG");
    return path;
}

CompareFormatsDialog* FormatComparisonTest::FilledDialog()
{
    CompareFormatsDialog* dialog = nullptr;
    const bool filled = QTest::qWaitFor(
        [&] {
            dialog = qobject_cast<CompareFormatsDialog*>(QApplication::activeModalWidget());
            auto* table = dialog ? dialog->findChild<QTableWidget*>(QStringLiteral("tblFormats")) : nullptr;
            return table && table->rowCount() == 5;
        },
        60000);
    return filled ? dialog : nullptr;
}

void FormatComparisonTest::fiveRowsOfTheFilesTheCommandLineWritesAndTheOnePickedIsSaved()
{
    QAction* item = window_->findChild<QAction*>(QStringLiteral("mnuOptionsCompareFormats"));
    QVERIFY(item);
    QVERIFY(!item->isEnabled());  // nothing to compare yet
    const QString photo = WritePhoto(QStringLiteral("photo.png"));
    window_->OpenPicture(photo);
    QVERIFY(item->isEnabled());

    QVERIFY(ChooseMenuItem(*window_, QStringLiteral("&Options"), "mnuOptionsCompareFormats"));
    CompareFormatsDialog* dialog = FilledDialog();
    QVERIFY(dialog);
    auto* table = dialog->findChild<QTableWidget*>(QStringLiteral("tblFormats"));
    QCOMPARE(table->horizontalHeaderItem(4)->text(), QStringLiteral("At 28.8k"));
    const qint64 originalSize = QFileInfo(photo).size();
    int webpRow = -1;
    QByteArray webpFile;
    for (int row = 0; row < 5; ++row) {
        const OutputFormatFacts& facts = OutputFormats()[row];
        QCOMPARE(table->item(row, 0)->text(), ToQString(facts.name));
        const QByteArray file =
            CommandLineFile(photo, folder_->filePath(QStringLiteral("cli.") + ToQString(facts.extension)));
        QVERIFY2(!file.isEmpty(), facts.name.c_str());
        QCOMPARE(table->item(row, 1)->text(), QString::number(file.size()));
        QCOMPARE(table->item(row, 2)->text(), QStringLiteral("%1%").arg(qRound(100.0 * file.size() / originalSize)));
        const double score = table->item(row, 3)->text().toDouble();
        QVERIFY2(score > 0 && score <= 1, qPrintable(table->item(row, 3)->text()));
        QVERIFY(table->item(row, 4)->text().endsWith(QStringLiteral(" sec")));
        if (facts.format == OutputFormat::Webp) {
            webpRow = row;
            webpFile = file;
        }
    }
    // A lossless PNG keeps every pixel.
    QCOMPARE(table->item(2, 3)->text(), QStringLiteral("1.000"));

    // Pick WebP with a click on its row and on OK.
    QVERIFY(webpRow >= 0);
    ClickAt(table->viewport(), table->visualItemRect(table->item(webpRow, 1)).center());
    auto* ok = dialog->findChild<QDialogButtonBox*>()->button(QDialogButtonBox::Ok);
    QVERIFY(ok->isEnabled());
    QPointer<CompareFormatsDialog> open(dialog);
    ClickAt(ok);
    QVERIFY(QTest::qWaitFor([&] { return open.isNull(); }));

    QVERIFY(window_->Options().rbWebP->isChecked());
    QVERIFY(window_->CanSave());
    QCOMPARE(window_->ResultSize(), webpFile.size());
    const QString info = window_->findChild<InfoLabel*>(QStringLiteral("lblDestInfo"))->Hint();
    QVERIFY2(info.contains(QStringLiteral(" 120 by 80 pixels, ")), qPrintable(info));

    const QString saved = folder_->filePath(QStringLiteral("picked.webp"));
    TypeIntoNextFileDialog(saved);
    ClickAt(window_->findChild<QToolButton*>(QStringLiteral("btnSaveAs")));
    QVERIFY(QTest::qWaitFor([&] { return QFileInfo::exists(saved); }, 10000));
    const QByteArray bytes = ReadFile(saved);
    QVERIFY(bytes.startsWith("RIFF") && bytes.mid(8, 4) == "WEBP");
    QCOMPARE(bytes, webpFile);
}

void FormatComparisonTest::escapeLeavesTheResultAsItWas()
{
    window_->OpenPicture(WritePhoto(QStringLiteral("photo.png")));
    QVERIFY(RunAndWait(*window_));
    const qint64 size = window_->ResultSize();
    QVERIFY(window_->CanSave());

    // The shortcut opens it as the menu does; Escape closes it unpicked.
    PressKey(Qt::Key_M, Qt::ControlModifier);
    QVERIFY(QTest::qWaitFor([] { return qobject_cast<CompareFormatsDialog*>(QApplication::activeModalWidget()); }));
    PressKey(Qt::Key_Escape);
    QVERIFY(QTest::qWaitFor([] { return !QApplication::activeModalWidget(); }));
    QVERIFY(window_->Options().rbJPEG->isChecked());
    QCOMPARE(window_->ResultSize(), size);
    QVERIFY(window_->CanSave());
}

QTEST_MAIN(FormatComparisonTest)
#include "formatcomparison_test.moc"
