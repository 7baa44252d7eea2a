// Saving the result and requests to open from another start of the program.
#include "app/mainwindow.h"
#include "app/pictureview.h"
#include "app/workfile.h"
#include "tests/filetesting.h"
#include "windowtesting.h"

#include "../bitmapimage.h"

#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QFileSystemModel>
#include <QSettings>
#include <QtTest>

#include <csignal>
#include <sys/resource.h>

using namespace pictaron;
using pictaron::testing::AnswerNextDialog;
using pictaron::testing::CancelNextFileDialog;
using pictaron::testing::ChooseZoom;
using pictaron::testing::FileContents;
using pictaron::testing::MessageBoxCatcher;
using pictaron::testing::OpenAndRunGif;
using pictaron::testing::PressKey;
using pictaron::testing::RunAndWait;
using pictaron::testing::TypeIntoNextFileDialog;
using pictaron::testing::WritePicture;

class FileCommandsTest : public QObject {
    Q_OBJECT
private slots:
    void init();
    void cleanup();
    void savingAtAZoomWritesTheFullSizeResult();
    void saveWithoutANameAsksForOne();
    void aFullDiskKeepsTheOldFileAndTheState();
    void aRequestOfSeveralLinesOpensTheLastPath();
    void aCutShortPictureOpensAndSaysSo();
    void theOpenDialogListsEveryKindThatOpens();

private:
    // File > Save as a person chooses it: Ctrl+S to the window in front.
    static void Save() { PressKey(Qt::Key_S, Qt::ControlModifier); }

    std::unique_ptr<QTemporaryDir> folder_;
    std::unique_ptr<TfrmPictaron> window_;
};

void FileCommandsTest::init()
{
    folder_ = std::make_unique<QTemporaryDir>();
    window_ = std::make_unique<TfrmPictaron>();
    window_->show();
    QVERIFY(QTest::qWaitForWindowExposed(window_.get()));
    window_->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(window_.get()));
}

void FileCommandsTest::cleanup()
{
    window_.reset();
}

void FileCommandsTest::savingAtAZoomWritesTheFullSizeResult()
{
    QVERIFY(OpenAndRunGif(*window_, *folder_, QSize(101, 77)));
    ChooseZoom(*window_, QStringLiteral("300%"));
    QCOMPARE(window_->findChild<PictureView*>(QStringLiteral("imgDest"))->Picture().size(), Size(303, 231));
    const QString target = folder_->filePath(QStringLiteral("zoomed.gif"));
    window_->SetResultFileName(target);

    Save();

    // Read back by Qt's own GIF reader: the result at its own size and colours.
    const QImage saved(target);
    QCOMPARE(saved.size(), QSize(101, 77));
    QCOMPARE(saved.convertToFormat(QImage::Format_RGB32),
             ImageView(window_->ResultPicture()).convertToFormat(QImage::Format_RGB32));
    QCOMPARE(window_->findChild<QComboBox*>(QStringLiteral("cmbZoom"))->currentText(), QStringLiteral("100%"));
    QCOMPARE(window_->findChild<PictureView*>(QStringLiteral("imgDest"))->Picture().size(), Size(101, 77));
    QVERIFY(!window_->Changed());
    QCOMPARE(window_->ResultSize(), QFileInfo(target).size());
}

void FileCommandsTest::saveWithoutANameAsksForOne()
{
    window_->OpenPicture(WritePicture(*folder_, QStringLiteral("photo.png"), QSize(64, 48)));
    QVERIFY(RunAndWait(*window_));  // a JPEG result
    QVERIFY(window_->Changed());
    QVERIFY(window_->ResultFileName().isEmpty());

    // Cancelling the question leaves everything as it was.
    CancelNextFileDialog();
    Save();
    QVERIFY(window_->ResultFileName().isEmpty());
    QVERIFY(window_->Changed());

    // A name given: the JPEG of the run is written, byte for byte.
    const QString target = QDir(folder_->path()).filePath(QStringLiteral("saved.jpg"));
    TypeIntoNextFileDialog(target);
    Save();
    QCOMPARE(window_->ResultFileName(), QDir::toNativeSeparators(target));
    QVERIFY(!window_->Changed());
    QCOMPARE(FileContents(target), FileContents(WorkFilePath()));
    QVERIFY(!FileContents(target).isEmpty());
}

void FileCommandsTest::aFullDiskKeepsTheOldFileAndTheState()
{
    QVERIFY(OpenAndRunGif(*window_, *folder_, QSize(200, 200)));
    const QString target = folder_->filePath(QStringLiteral("kept.gif"));
    {
        QFile old(target);
        QVERIFY(old.open(QIODevice::WriteOnly));
        old.write("the picture saved before");
    }
    window_->SetResultFileName(target);
    const qint64 sizeBefore = window_->ResultSize();

    // A file size limit stands in for a full disk: writes past 8 KiB fail
    // (with EFBIG instead of the signal that would end the process). The
    // GIF of the ramp is several times larger.
    rlimit previous{};
    getrlimit(RLIMIT_FSIZE, &previous);
    const auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
    rlimit small = previous;
    small.rlim_cur = 8192;
    QCOMPARE(setrlimit(RLIMIT_FSIZE, &small), 0);
    MessageBoxCatcher boxes;
    Save();
    setrlimit(RLIMIT_FSIZE, &previous);
    std::signal(SIGXFSZ, oldHandler);

    QTRY_COMPARE(boxes.texts.size(), 1);
    QCOMPARE(boxes.texts.first(), QStringLiteral("Cannot write %1.  File too large").arg(QDir::toNativeSeparators(target)));
    QCOMPARE(FileContents(target), QByteArray("the picture saved before"));
    QVERIFY(window_->Changed());
    QCOMPARE(window_->ResultSize(), sizeBefore);
    // Nothing half-written is left beside it.
    QCOMPARE(QDir(folder_->path()).entryList(QDir::Files | QDir::Hidden),
             (QStringList{QStringLiteral("kept.gif"), QStringLiteral("ramp.png")}));
}

void FileCommandsTest::aRequestOfSeveralLinesOpensTheLastPath()
{
    const QString first = WritePicture(*folder_, QStringLiteral("first.png"), QSize(30, 20));
    const QString last = WritePicture(*folder_, QStringLiteral("last.png"), QSize(17, 11));
    window_->PICTARONExecuteMacro({first, last});
    QCOMPARE(window_->Original().size(), Size(17, 11));

    // An empty request only brings the window forward.
    window_->PICTARONExecuteMacro({});
    QCOMPARE(window_->Original().size(), Size(17, 11));
}

void FileCommandsTest::aCutShortPictureOpensAndSaysSo()
{
    QImage photo(160, 120, QImage::Format_RGB32);
    for (int y = 0; y < photo.height(); ++y)
        for (int x = 0; x < photo.width(); ++x)
            photo.setPixel(x, y, qRgb(x, y * 2, (x * y) & 0xFF));
    const QString path = folder_->filePath(QStringLiteral("cut.jpg"));
    QVERIFY(photo.save(path, "JPEG", 90));
    QFile file(path);
    QVERIFY(file.resize(file.size() * 2 / 3));

    MessageBoxCatcher boxes;
    window_->OpenPicture(path);
    QCOMPARE(window_->Original().size(), Size(160, 120));
    QCOMPARE(boxes.texts.size(), 1);
    QVERIFY2(boxes.texts.first().contains(QDir::toNativeSeparators(path)), qPrintable(boxes.texts.first()));
}

void FileCommandsTest::theOpenDialogListsEveryKindThatOpens()
{
    const QStringList pictures{QStringLiteral("a.png"), QStringLiteral("b.jpeg"), QStringLiteral("c.tiff"),
                               QStringLiteral("d.tga"), QStringLiteral("e.gif"), QStringLiteral("f.bmp")};
    for (const QString& name : pictures)
        QFile(folder_->filePath(name)).open(QIODevice::WriteOnly);
    QFile(folder_->filePath(QStringLiteral("notes.txt"))).open(QIODevice::WriteOnly);
    QSettings(QStringLiteral("Orvanti"), QStringLiteral("Pictaron"))
        .setValue(QStringLiteral("Open File Directory"), folder_->path() + QLatin1Char('/'));
    window_ = std::make_unique<TfrmPictaron>();
    window_->show();
    QVERIFY(QTest::qWaitForWindowActive(window_.get()));

    QStringList listed;
    AnswerNextDialog([&](QDialog* dialog) {
        // The dialog reads the folder in the background: listed once all are in.
        auto* model = dialog->findChild<QFileSystemModel*>();
        const QModelIndex root = model ? model->index(folder_->path()) : QModelIndex();
        if (model && QTest::qWaitFor([&] { return model->rowCount(root) == pictures.size(); }, 5000)) {
            for (int row = 0; row < model->rowCount(root); ++row) {
                const QModelIndex index = model->index(row, 0, root);
                // Files the filter hides may stay in the model, disabled.
                if (model->flags(index) & Qt::ItemIsEnabled)
                    listed << model->fileName(index);
            }
        }
        PressKey(Qt::Key_Escape);
    });
    PressKey(Qt::Key_O, Qt::ControlModifier);
    listed.sort();
    QCOMPARE(listed, pictures);
}

QTEST_MAIN(FileCommandsTest)
#include "filecommands_test.moc"
