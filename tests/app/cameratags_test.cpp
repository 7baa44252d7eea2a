// A phone's photo in the window, as a person handles it: the Options menu's
// "Keep Orientation As Stored" and the Graphic Format page's metadata list,
// each chosen with the mouse or the keys, and what lands in the saved JPEG,
// PNG, WebP or AVIF read back with exiftool, from JPEG, TIFF, PNG and WebP
// sources.
#include "app/appsettings.h"
#include "components/qtbridge.h"
#include "app/infolabel.h"
#include "app/mainwindow.h"
#include "app/optionpages.h"
#include "tests/filetesting.h"
#include "windowtesting.h"

#include <QAction>
#include <QComboBox>
#include <QDir>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QRadioButton>
#include <QSignalSpy>
#include <QToolButton>
#include <QtTest>

using namespace pictaron;
using namespace pictaron::testing;

class CameraTagsTest : public QObject {
    Q_OBJECT
private slots:
    void init();
    void cleanup();
    void theKeepOrientationItemOpensPicturesAsStored();
    void theMetadataListDecidesWhatEverySavedFormatCarries();
    void aTiffsOwnArtistAndCopyrightAreKeptAsACameras();
    void theXmpOfPngAndWebpSourcesIsKeptWithKeepAll();

private:
    // A 60 × 40 JPEG stored lying on its side (EXIF Orientation 6), with a
    // copyright, an artist and a GPS position.
    QString WritePhoneJpeg(const QString& name) const;
    bool Apply()
    {
        QSignalSpy finished(&window_->Runs(), &RunController::Finished);
        ClickAt(window_->findChild<QToolButton*>(QStringLiteral("btnGo")));
        return !finished.isEmpty() || finished.wait(30000);
    }
    // The metadata list set to choice with clicks, a run, and the result
    // saved as out through Save As; false when a step did not happen.
    bool SaveWithMetadata(int choice, const QString& out)
    {
        QComboBox* metadata = window_->Options().cmbMetadata;
        ShowPageOf(metadata);
        ChooseFromList(metadata, choice);
        if (metadata->currentIndex() != choice || !Apply())
            return false;
        TypeIntoNextFileDialog(out);
        ClickAt(window_->findChild<QToolButton*>(QStringLiteral("btnSaveAs")));
        return QTest::qWaitFor([&] { return QFileInfo::exists(out); }, 10000);
    }
    QString SourceInfo() const { return window_->findChild<InfoLabel*>(QStringLiteral("lblSourceInfo"))->Hint(); }

    std::unique_ptr<QTemporaryDir> folder_;
    std::unique_ptr<TfrmPictaron> window_;
};

namespace {

QByteArray Run(const QString& program, const QStringList& arguments, const QByteArray& input = {})
{
    QProcess process;
    process.start(program, arguments);
    process.write(input);
    process.closeWriteChannel();
    if (!process.waitForFinished(30000) || process.exitCode() != 0)
        qWarning() << program << arguments << process.readAllStandardError();
    return process.readAllStandardOutput();
}

// The tags exiftool reads from the file, with its naming option (-n, -G1).
QJsonObject ExiftoolTags(const QString& path, const QString& option)
{
    return QJsonDocument::fromJson(Run(QStringLiteral("exiftool"), {QStringLiteral("-j"), option, path}))
        .array()
        .at(0)
        .toObject();
}

void ShowWindow(TfrmPictaron& window)
{
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    window.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&window));
}

} // namespace

void CameraTagsTest::init()
{
    folder_ = std::make_unique<QTemporaryDir>();
    OpenProgramSettings()->remove(kKeepOrientationSetting);
    window_ = std::make_unique<TfrmPictaron>();
    ShowWindow(*window_);
}

void CameraTagsTest::cleanup()
{
    window_.reset();
    OpenProgramSettings()->remove(kKeepOrientationSetting);
}

QString CameraTagsTest::WritePhoneJpeg(const QString& name) const
{
    QImage picture(60, 40, QImage::Format_RGB888);
    for (int y = 0; y < 40; ++y)
        for (int x = 0; x < 60; ++x)
            picture.setPixel(x, y, qRgb(x * 4, y * 6, 128));
    const QString path = QDir(folder_->path()).filePath(name);
    QByteArray ppm = "P6\n60 40\n255\n";
    for (int y = 0; y < 40; ++y)
        ppm.append(reinterpret_cast<const char*>(picture.constScanLine(y)), 180);
    QFile file(path);
    file.open(QIODevice::WriteOnly);
    file.write(Run(QStringLiteral("cjpeg"), {}, ppm));
    file.close();
    Run(QStringLiteral("exiftool"), {QStringLiteral("-q"), QStringLiteral("-overwrite_original"),
                                     QStringLiteral("-Orientation#=6"), QStringLiteral("-Copyright=Ada Example"),
                                     QStringLiteral("-Artist=Ada"), QStringLiteral("-GPSLatitude=51.5"),
                                     QStringLiteral("-GPSLatitudeRef=N"), path});
    return path;
}

void CameraTagsTest::theKeepOrientationItemOpensPicturesAsStored()
{
    const QString path = WritePhoneJpeg(QStringLiteral("phone.jpg"));
    window_->OpenPicture(path);
    QCOMPARE(window_->Original().size(), Size(40, 60));
    QVERIFY2(SourceInfo().contains(QStringLiteral("40 by 60 pixels")) && SourceInfo().contains(QStringLiteral("rotated 90°")),
             qPrintable(SourceInfo()));

    QVERIFY(ChooseMenuItem(*window_, QStringLiteral("&Options"), "mnuOptionsKeepOrientation"));
    QVERIFY(window_->findChild<QAction*>(QStringLiteral("mnuOptionsKeepOrientation"))->isChecked());
    window_->OpenPicture(path);
    QCOMPARE(window_->Original().size(), Size(60, 40));
    QVERIFY2(!SourceInfo().contains(QStringLiteral("rotated")), qPrintable(SourceInfo()));

    // The choice outlives the window.
    window_ = std::make_unique<TfrmPictaron>();
    ShowWindow(*window_);
    QVERIFY(window_->findChild<QAction*>(QStringLiteral("mnuOptionsKeepOrientation"))->isChecked());
    window_->OpenPicture(path);
    QCOMPARE(window_->Original().size(), Size(60, 40));
    QVERIFY(ChooseMenuItem(*window_, QStringLiteral("&Options"), "mnuOptionsKeepOrientation"));
    window_->OpenPicture(path);
    QCOMPARE(window_->Original().size(), Size(40, 60));
}

void CameraTagsTest::theMetadataListDecidesWhatEverySavedFormatCarries()
{
    const QString path = WritePhoneJpeg(QStringLiteral("tags.jpg"));
    QComboBox* metadata = window_->Options().cmbMetadata;
    struct Case {
        int choice;
        bool copyright, gps;
    };
    // "Strip metadata", "Keep copyright", "Keep all".
    const Case cases[] = {{1, true, false}, {0, false, false}, {2, true, true}};
    const std::pair<const char*, QString> formats[] = {{"rbJPEG", QStringLiteral("jpg")},
                                                       {"rbPNG", QStringLiteral("png")},
                                                       {"rbWebP", QStringLiteral("webp")},
                                                       {"rbAVIF", QStringLiteral("avif")}};
    int saved = 0;
    window_->OpenPicture(path);
    for (const auto& [format, extension] : formats) {
        ClickOnPage(window_->findChild<QRadioButton*>(QLatin1String(format)));
        QVERIFY2(metadata->isVisible() && metadata->isEnabled(), format);
        for (const Case& c : cases) {
            const QString out = QDir(folder_->path()).filePath(QStringLiteral("out%1.%2").arg(++saved).arg(extension));
            QVERIFY(SaveWithMetadata(c.choice, out));
            const QJsonObject tags = ExiftoolTags(out, QStringLiteral("-n"));
            const QString where = QStringLiteral("%1, choice %2").arg(out).arg(c.choice);
            QVERIFY2(tags.contains(QStringLiteral("Copyright")) == c.copyright, qPrintable(where));
            QVERIFY2(tags.contains(QStringLiteral("Artist")) == c.copyright, qPrintable(where));
            QVERIFY2(tags.contains(QStringLiteral("GPSLatitude")) == c.gps, qPrintable(where));
            // Turned upright on opening, so no orientation is left to apply.
            QVERIFY2(tags.value(QStringLiteral("Orientation")).toInt(1) == 1, qPrintable(where));
            QCOMPARE(tags.value(QStringLiteral("ImageWidth")).toInt(), 40);
        }
    }

    // A GIF has no place for metadata: the list goes, and keeps its choice
    // for when another format is chosen.
    ClickOnPage(window_->Options().rbGIF);
    QVERIFY(!metadata->isVisible());
    ClickOnPage(window_->Options().rbPNG);
    QVERIFY(metadata->isVisible());
    QCOMPARE(metadata->currentIndex(), 2);
}

void CameraTagsTest::aTiffsOwnArtistAndCopyrightAreKeptAsACameras()
{
    // A scan's TIFF: Artist and Copyright in its own first directory, no EXIF.
    const QString path = QDir(folder_->path()).filePath(QStringLiteral("scan.tif"));
    Run(QStringLiteral("/usr/bin/python3"),
        {QStringLiteral("-c"),
         QStringLiteral("import sys\n"
                        "from PIL import Image\n"
                        "from PIL.TiffImagePlugin import ImageFileDirectory_v2\n"
                        "tags = ImageFileDirectory_v2()\n"
                        "tags[315] = 'Ada'\n"
                        "tags[33432] = 'Ada Example'\n"
                        "Image.new('RGB', (60, 40), (200, 120, 40)).save(sys.argv[1], tiffinfo=tags)\n"),
         path});
    QVERIFY(QFileInfo::exists(path));
    window_->OpenPicture(path);
    int saved = 0;
    for (const int choice : {1, 0}) {  // "Keep copyright", "Strip metadata"
        const QString out = QDir(folder_->path()).filePath(QStringLiteral("scan%1.jpg").arg(++saved));
        QVERIFY(SaveWithMetadata(choice, out));
        const QJsonObject tags = ExiftoolTags(out, QStringLiteral("-G1"));
        QCOMPARE(tags.value(QStringLiteral("IFD0:Artist")).toString(), choice == 1 ? QStringLiteral("Ada") : QString());
        QCOMPARE(tags.value(QStringLiteral("IFD0:Copyright")).toString(),
                 choice == 1 ? QStringLiteral("Ada Example") : QString());
    }
}

void CameraTagsTest::theXmpOfPngAndWebpSourcesIsKeptWithKeepAll()
{
    // A 60 × 40 PNG and a WebP stored lying on its side (EXIF Orientation
    // 6), each given XMP rights by exiftool.
    const QString png = QDir(folder_->path()).filePath(QStringLiteral("xmp.png"));
    const QString webp = QDir(folder_->path()).filePath(QStringLiteral("xmp.webp"));
    Run(QStringLiteral("/usr/bin/python3"),
        {QStringLiteral("-c"),
         QStringLiteral("import sys\n"
                        "from PIL import Image\n"
                        "im = Image.new('RGB', (60, 40), (200, 120, 40))\n"
                        "im.save(sys.argv[1])\n"
                        "exif = Image.Exif()\n"
                        "exif[0x0112] = 6\n"
                        "im.save(sys.argv[2], lossless=True, exif=exif.tobytes())\n"),
         png, webp});
    Run(QStringLiteral("exiftool"), {QStringLiteral("-q"), QStringLiteral("-overwrite_original"),
                                     QStringLiteral("-XMP-dc:Rights=Ada Example"), png, webp});
    int saved = 0;
    for (const QString& source : {png, webp}) {
        window_->OpenPicture(source);
        const QSize upright = source == webp ? QSize(40, 60) : QSize(60, 40);
        QCOMPARE(ToQSize(window_->Original().size()), upright);
        for (const auto& [format, extension] : {std::pair("rbJPEG", "jpg"), std::pair("rbPNG", "png")}) {
            ClickOnPage(window_->findChild<QRadioButton*>(QLatin1String(format)));
            for (const int choice : {2, 0}) {  // "Keep all", "Strip metadata"
                const QString out = QDir(folder_->path())
                                        .filePath(QStringLiteral("xmp%1.%2").arg(++saved).arg(QLatin1String(extension)));
                QVERIFY(SaveWithMetadata(choice, out));
                const QJsonObject tags = ExiftoolTags(out, QStringLiteral("-n"));
                const QString where = QStringLiteral("%1 from %2, choice %3").arg(out, source).arg(choice);
                QVERIFY2(tags.value(QStringLiteral("Rights")).toString()
                             == (choice == 2 ? QStringLiteral("Ada Example") : QString()),
                         qPrintable(where));
                QVERIFY2(tags.value(QStringLiteral("Orientation")).toInt(1) == 1, qPrintable(where));
                QCOMPARE(tags.value(QStringLiteral("ImageWidth")).toInt(), upright.width());
                QCOMPARE(tags.value(QStringLiteral("ImageHeight")).toInt(), upright.height());
            }
        }
    }
}

QTEST_MAIN(CameraTagsTest)
#include "cameratags_test.moc"
