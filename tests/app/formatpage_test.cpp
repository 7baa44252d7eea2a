// The Graphic Format page's PNG, WebP and AVIF as a person uses them: radio
// buttons and options chosen with clicks and keys, what each choice does to
// the result's name, the Save dialog, the palette controls and the auto-apply
// timer, how the page fits a small and a wide window, and a run in each
// format saved and read back by decoders of their own (Pillow; avifdec for
// AVIF).
#include "app/appsettings.h"
#include "app/downloadtimelist.h"
#include "app/infolabel.h"
#include "app/mainwindow.h"
#include "app/optionpages.h"
#include "app/report.h"
#include "colour/orvacolourpicker.h"
#include "components/orvaedit.h"
#include "components/qtbridge.h"
#include "tests/filetesting.h"
#include "windowtesting.h"

#include "../bitmapimage.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QComboBox>
#include <QDir>
#include <QFileDialog>
#include <QGroupBox>
#include <QMenuBar>
#include <QProcess>
#include <QRadioButton>
#include <QSignalSpy>
#include <QSlider>
#include <QSpinBox>
#include <QTabWidget>
#include <QTimer>
#include <QToolButton>
#include <QtEndian>
#include <QtTest>

using namespace pictaron;
using namespace pictaron::testing;

class FormatPageTest : public QObject {
    Q_OBJECT
private slots:
    void init();
    void cleanup();
    void theNewFormatsAndTheirOptionsReachTheSettings();
    void eachFormatNamesTheResultAndTheSaveFilter();
    void arrowKeysAndAcceleratorsChooseTheFormat();
    void noTwoControlsInSightShareAnAccelerator();
    void anIndexedPngSharesTheGifPaletteControls();
    void losslessSetsTheQualityAside();
    void autoApplyWaitsAsTheFormatNeeds();
    void theNewOptionsRestartAutoApply();
    void thePageFitsASmallAndAWideWindow();
    void saveAsOffersTheChosenFormat();
    void eachNewFormatSavesTheBytesItEncoded_data();
    void eachNewFormatSavesTheBytesItEncoded();
    void aPicturePastedIntoTheResultIsNotSavedAsTheEncodedOne();

private:
    const OptionPages& O() const { return window_->Options(); }
    QTimer* Timer() const { return window_->findChild<QTimer*>(QStringLiteral("tmrAutoSave")); }
    QToolButton* Button(const char* name) const { return window_->findChild<QToolButton*>(QLatin1String(name)); }
    bool SaveOffered() const { return Button("btnSave")->isEnabled() && Button("btnSaveAs")->isEnabled(); }
    bool Apply()
    {
        QSignalSpy finished(&window_->Runs(), &RunController::Finished);
        ClickAt(Button("btnGo"));
        return !finished.isEmpty() || finished.wait(30000);
    }
    QString Path(const QString& name) const { return QDir(folder_->path()).filePath(name); }

    std::unique_ptr<QTemporaryDir> folder_;
    std::unique_ptr<TfrmPictaron> window_;
};

namespace {

// What Pillow makes of a file: "FORMAT WIDTHxHEIGHT MODE INTERLACE" and, on
// a line of its own, its RGB pixels in hexadecimal; or the reason it could
// not read it.
QString PillowReads(const QString& path)
{
    QProcess python;
    python.start(QStringLiteral("/usr/bin/python3"),
                 {QStringLiteral("-c"), QStringLiteral("import sys\n"
                                                       "from PIL import Image\n"
                                                       "p = Image.open(sys.argv[1])\n"
                                                       "p.load()\n"
                                                       "print(p.format, '%dx%d' % p.size, p.mode,"
                                                       " p.info.get('interlace', 0))\n"
                                                       "print(p.convert('RGB').tobytes().hex())\n"),
                  path});
    python.waitForFinished(30000);
    return QString::fromUtf8(python.readAllStandardOutput() + python.readAllStandardError()).trimmed();
}

// The width and height an AVIF file's image spatial extents box ("ispe")
// gives; an empty size when there is none.
QSize AvifExtents(const QByteArray& file)
{
    const qsizetype at = file.indexOf("ispe");
    if (at < 0 || at + 16 > file.size())
        return {};
    const auto* data = reinterpret_cast<const uchar*>(file.constData()) + at + 8;  // after version and flags
    return QSize(static_cast<int>(qFromBigEndian<quint32>(data)), static_cast<int>(qFromBigEndian<quint32>(data + 4)));
}

// The mnemonic letter of a caption ("P&NG" gives N), or none.
QChar Mnemonic(const QString& text)
{
    for (qsizetype i = 0; i + 1 < text.size(); ++i) {
        if (text[i] == QLatin1Char('&')) {
            if (text[i + 1] != QLatin1Char('&'))
                return text[i + 1].toUpper();
            ++i;
        }
    }
    return {};
}

} // namespace

void FormatPageTest::init()
{
    OpenProgramSettings()->clear();
    folder_ = std::make_unique<QTemporaryDir>();
    window_ = std::make_unique<TfrmPictaron>();
    window_->resize(1000, 700);
    window_->show();
    window_->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(window_.get()));
}

void FormatPageTest::cleanup()
{
    window_.reset();
}

void FormatPageTest::theNewFormatsAndTheirOptionsReachTheSettings()
{
    // The defaults, as the settings have them.
    ConversionSettings s = window_->GatherSettings();
    QCOMPARE(s.format, OutputFormat::Jpeg);
    QVERIFY(!s.pngIndexed && !s.interlace && !s.webpLossless && !s.avifLossless);
    QCOMPARE(s.webpQuality, 80);
    QCOMPARE(s.webpEffort, 4);
    QCOMPARE(s.avifQuality, 60);
    QCOMPARE(s.avifSpeed, 6);
    QCOMPARE(s.avifChroma, AvifChroma::Yuv420);

    ClickOnPage(O().rbPNG);
    ClickOnPage(O().rbPNGIndexed);
    ClickOnPage(O().chkInterlaced);
    s = window_->GatherSettings();
    QCOMPARE(s.format, OutputFormat::Png);
    QVERIFY(s.pngIndexed);
    QVERIFY(s.interlace);
    ClickOnPage(O().rbPNGTruecolour);
    QVERIFY(!window_->GatherSettings().pngIndexed);

    ClickOnPage(O().rbWebP);
    TypeInto(O().txtWebPQuality, QStringLiteral("55"));
    QCOMPARE(O().tbWebPQuality->value(), 55);
    StepSpinBox(O().txtWebPEffort, 2);
    s = window_->GatherSettings();
    QCOMPARE(s.format, OutputFormat::Webp);
    QCOMPARE(s.webpQuality, 55);
    QCOMPARE(s.webpEffort, 6);
    StepSpinBox(O().txtWebPEffort, 3);  // no further than 6
    QCOMPARE(window_->GatherSettings().webpEffort, 6);
    // The bar moves the box as the JPEG's does: Page Up and Page Down step 5.
    ClickOnPage(O().tbWebPQuality);
    const int clicked = O().tbWebPQuality->value();
    PressKey(Qt::Key_PageDown);
    QCOMPARE(O().txtWebPQuality->text(), QString::number(clicked - 5));
    QCOMPARE(window_->GatherSettings().webpQuality, clicked - 5);
    ClickOnPage(O().chkWebPLossless);
    QVERIFY(window_->GatherSettings().webpLossless);

    ClickOnPage(O().rbAVIF);
    TypeInto(O().txtAVIFQuality, QStringLiteral("0"));
    StepSpinBox(O().txtAVIFSpeed, -6);
    ClickOnPage(O().rbAVIF444);
    s = window_->GatherSettings();
    QCOMPARE(s.format, OutputFormat::Avif);
    QCOMPARE(s.avifQuality, 0);
    QCOMPARE(s.avifSpeed, 0);
    QCOMPARE(s.avifChroma, AvifChroma::Yuv444);
    TypeInto(O().txtAVIFQuality, QStringLiteral("100"));
    StepSpinBox(O().txtAVIFSpeed, 10);
    ClickOnPage(O().chkAVIFLossless);
    s = window_->GatherSettings();
    QCOMPARE(s.avifQuality, 100);
    QCOMPARE(s.avifSpeed, 10);
    QVERIFY(s.avifLossless);
    // The WebP's options stay as they were set while it is not chosen.
    QVERIFY(s.webpLossless);
    QCOMPARE(s.webpEffort, 6);
    QVERIFY(s.interlace);
}

void FormatPageTest::eachFormatNamesTheResultAndTheSaveFilter()
{
    window_->SetResultFileName(QStringLiteral("/pics/result.jpg"));
    const struct {
        QRadioButton* radio;
        OutputFormat format;
        const char* name;
        const char* filter;
        const char* extension;
        QWidget* panel;
    } choices[] = {
        {O().rbPNG, OutputFormat::Png, "/pics/result.png", "*.png|*.png", "png", O().pnlPNGOptions},
        {O().rbWebP, OutputFormat::Webp, "/pics/result.webp", "*.webp|*.webp", "webp", O().pnlWebPOptions},
        {O().rbAVIF, OutputFormat::Avif, "/pics/result.avif", "*.avif|*.avif", "avif", O().pnlAVIFOptions},
        {O().rbGIF, OutputFormat::Gif, "/pics/result.gif", "*.gif|*.gif", "gif", O().pnlGIFOptions},
        {O().rbJPEG, OutputFormat::Jpeg, "/pics/result.jpg", "*.jpg|*.jpg", "jpg", O().pnlJPEGOptions},
    };
    QWidget* const panels[] = {O().pnlJPEGOptions, O().pnlGIFOptions, O().pnlPNGOptions, O().pnlWebPOptions,
                               O().pnlAVIFOptions};
    for (const auto& choice : choices) {
        ClickOnPage(choice.radio);
        QVERIFY(choice.radio->isChecked());
        QCOMPARE(window_->GatherSettings().format, choice.format);
        QCOMPARE(window_->ResultFileName(), QString::fromLatin1(choice.name));
        QCOMPARE(window_->SaveFilter(), QString::fromLatin1(choice.filter));
        QCOMPARE(window_->SaveDefaultExt(), QString::fromLatin1(choice.extension));
        QVERIFY2(choice.panel->isVisible(), choice.extension);
        // A PNG shows the GIF's palette beneath its own row; nothing else shows two.
        for (QWidget* panel : panels) {
            const bool shown = panel == choice.panel || (choice.format == OutputFormat::Png && panel == O().pnlGIFOptions);
            QVERIFY2(panel->isVisible() == shown, qPrintable(panel->objectName() + QLatin1Char(' ') + choice.extension));
        }
    }
    // The names of the buttons are the table's.
    QCOMPARE(O().rbPNG->text(), QStringLiteral("P&NG"));
    QCOMPARE(O().rbWebP->text(), QStringLiteral("&WebP"));
    QCOMPARE(O().rbAVIF->text(), QStringLiteral("A&VIF"));
    QCOMPARE(O().rbGIF->text(), QStringLiteral("&GIF"));
    QCOMPARE(O().rbJPEG->text(), QStringLiteral("&JPEG"));
}

void FormatPageTest::arrowKeysAndAcceleratorsChooseTheFormat()
{
    window_->SetResultFileName(QStringLiteral("/pics/result.jpg"));
    ClickOnPage(O().rbJPEG);
    QVERIFY(O().rbJPEG->hasFocus());
    // Down goes through the formats in their order, choosing each.
    const std::pair<QRadioButton*, const char*> downwards[] = {
        {O().rbPNG, "/pics/result.png"}, {O().rbWebP, "/pics/result.webp"}, {O().rbAVIF, "/pics/result.avif"}};
    for (const auto& [radio, name] : downwards) {
        PressKey(Qt::Key_Down);
        QVERIFY2(radio->isChecked() && radio->hasFocus(), name);
        QCOMPARE(window_->ResultFileName(), QString::fromLatin1(name));
        QCOMPARE(window_->SaveDefaultExt(), QFileInfo(QString::fromLatin1(name)).suffix());
    }
    QVERIFY(O().pnlAVIFOptions->isVisible());
    PressKey(Qt::Key_Up);
    QVERIFY(O().rbWebP->isChecked());
    QVERIFY(O().pnlWebPOptions->isVisible() && !O().pnlAVIFOptions->isVisible());
    QCOMPARE(window_->SaveFilter(), QStringLiteral("*.webp|*.webp"));

    // Each accelerator chooses its format outright, wherever the focus is on the page.
    ClickOnPage(O().txtWebPQuality);
    const std::pair<QChar, QRadioButton*> keys[] = {
        {QLatin1Char('N'), O().rbPNG}, {QLatin1Char('V'), O().rbAVIF}, {QLatin1Char('W'), O().rbWebP},
        {QLatin1Char('J'), O().rbJPEG}, {QLatin1Char('N'), O().rbPNG}, {QLatin1Char('G'), O().rbGIF},
        {QLatin1Char('V'), O().rbAVIF}};
    for (const auto& [key, radio] : keys) {
        PressKey(static_cast<Qt::Key>(key.unicode()), Qt::AltModifier);
        // The button shows itself pressed for a moment first.
        QTRY_VERIFY2(radio->isChecked(), qPrintable(QStringLiteral("Alt+") + key));
    }
    QCOMPARE(window_->ResultFileName(), QStringLiteral("/pics/result.avif"));
    QCOMPARE(window_->GatherSettings().format, OutputFormat::Avif);
}

void FormatPageTest::noTwoControlsInSightShareAnAccelerator()
{
    // Whichever format is chosen, the keys of the format buttons and of the
    // new options belong to one control in sight each: the page's, the tool
    // bar's and the menu bar's. (GIF's G is also JPEG's Grayscale, as ever.)
    for (QRadioButton* format : {O().rbGIF, O().rbJPEG, O().rbPNG, O().rbWebP, O().rbAVIF}) {
        ClickOnPage(format);
        QMultiMap<QChar, QString> owners;
        for (QAbstractButton* button : window_->findChildren<QAbstractButton*>()) {
            if (button->isVisible() && !Mnemonic(button->text()).isNull())
                owners.insert(Mnemonic(button->text()), button->objectName());
        }
        for (QAction* menu : window_->menuBar()->actions()) {
            if (menu->isVisible() && !Mnemonic(menu->text()).isNull())
                owners.insert(Mnemonic(menu->text()), menu->text());
        }
        for (QAbstractButton* mine : {static_cast<QAbstractButton*>(O().rbPNG), static_cast<QAbstractButton*>(O().rbWebP),
                                      static_cast<QAbstractButton*>(O().rbAVIF), static_cast<QAbstractButton*>(O().chkInterlaced),
                                      static_cast<QAbstractButton*>(O().chkWebPLossless),
                                      static_cast<QAbstractButton*>(O().chkAVIFLossless)}) {
            if (!mine->isVisible())
                continue;
            const QStringList sharing = owners.values(Mnemonic(mine->text()));
            QVERIFY2(sharing == QStringList{mine->objectName()},
                     qPrintable(format->objectName() + QStringLiteral(": ") + sharing.join(QLatin1Char(' '))));
        }
    }
}

void FormatPageTest::anIndexedPngSharesTheGifPaletteControls()
{
    QWidget* const palette[] = {O().cmbPalette, O().btnOpenPalette, O().txtMaxColours, O().rbDither, O().rbFlat,
                                O().chkTransparent};
    const auto enabled = [&](bool expected) {
        for (QWidget* control : palette) {
            if (control->isEnabled() != expected)
                return false;
        }
        return true;
    };
    ClickOnPage(O().rbGIF);
    ClickOnPage(O().chkTransparent);  // the colour entry and picker come with it
    QVERIFY(O().ocpTransparentColour->isEnabled() && O().btnTransparentColourPicker->isEnabled());

    // A truecolour PNG shows the palette, unused.
    ClickOnPage(O().rbPNG);
    QVERIFY(O().pnlGIFOptions->isVisible());
    QVERIFY(O().rbPNGTruecolour->isChecked());
    QVERIFY(enabled(false));
    QVERIFY(!O().ocpTransparentColour->isEnabled() && !O().btnTransparentColourPicker->isEnabled());

    // An indexed one uses it as a GIF does.
    ClickOnPage(O().rbPNGIndexed);
    QVERIFY(enabled(true));
    QVERIFY(O().ocpTransparentColour->isEnabled() && O().btnTransparentColourPicker->isEnabled());
    TypeInto(O().txtMaxColours, QStringLiteral("16"));
    ClickOnPage(O().rbDither);
    ClickOnPage(O().chkTransparent);
    QVERIFY(!O().ocpTransparentColour->isEnabled());
    ConversionSettings s = window_->GatherSettings();
    QCOMPARE(s.maxColours, 16);
    QVERIFY(s.dither);
    QVERIFY(!s.transparentColour);
    ClickOnPage(O().chkTransparent);
    TypeInto(O().ocpTransparentColour->Entry()->lineEdit(), QStringLiteral("00FF00"));
    QCOMPARE(window_->GatherSettings().transparentColour, std::optional<TColor>(0x00FF00));

    // Back to truecolour, and on to the other formats and GIF.
    ClickOnPage(O().rbPNGTruecolour);
    QVERIFY(enabled(false));
    ClickOnPage(O().rbWebP);
    QVERIFY(!O().pnlGIFOptions->isVisible() && !O().pnlPNGOptions->isVisible());
    ClickOnPage(O().rbGIF);
    QVERIFY(enabled(true));
    QVERIFY(O().ocpTransparentColour->isEnabled() && O().btnTransparentColourPicker->isEnabled());
    QCOMPARE(window_->GatherSettings().maxColours, 16);
}

void FormatPageTest::losslessSetsTheQualityAside()
{
    ClickOnPage(O().rbWebP);
    ClickOnPage(O().chkWebPLossless);
    QVERIFY(!O().tbWebPQuality->isEnabled() && !O().txtWebPQuality->isEnabled());
    QVERIFY(O().txtWebPEffort->isEnabled());
    ClickOnPage(O().chkWebPLossless);
    QVERIFY(O().tbWebPQuality->isEnabled() && O().txtWebPQuality->isEnabled());

    ClickOnPage(O().rbAVIF);
    ClickOnPage(O().chkAVIFLossless);
    QVERIFY(!O().tbAVIFQuality->isEnabled() && !O().txtAVIFQuality->isEnabled());
    QVERIFY(!O().rbAVIF420->isEnabled() && !O().rbAVIF444->isEnabled());  // lossless is 4:4:4
    QVERIFY(O().txtAVIFSpeed->isEnabled());
    ClickOnPage(O().chkAVIFLossless);
    QVERIFY(O().tbAVIFQuality->isEnabled() && O().rbAVIF444->isEnabled());
}

void FormatPageTest::autoApplyWaitsAsTheFormatNeeds()
{
    // A GIF and an indexed PNG wait for their palette passes; the rest as a JPEG.
    const std::pair<QAbstractButton*, int> choices[] = {
        {O().rbPNG, 500},   {O().rbPNGIndexed, 2000}, {O().rbWebP, 500},          {O().rbAVIF, 500},
        {O().rbGIF, 2000},  {O().rbPNG, 2000},        {O().rbPNGTruecolour, 500}, {O().rbJPEG, 500},
        {O().rbGIF, 2000},  {O().rbAVIF, 500},
    };
    for (const auto& [control, interval] : choices) {
        ClickOnPage(control);
        QVERIFY(control->isChecked());
        QVERIFY2(Timer()->interval() == interval, qPrintable(control->objectName()));
    }
    // The arrow keys too.
    ClickOnPage(O().rbJPEG);
    QCOMPARE(Timer()->interval(), 500);
    PressKey(Qt::Key_Up);
    QVERIFY(O().rbGIF->isChecked());
    QCOMPARE(Timer()->interval(), 2000);
}

void FormatPageTest::theNewOptionsRestartAutoApply()
{
    QVERIFY(ChooseMenuItem(*window_, QStringLiteral("&Options"), "mnuOptionsAutoApply"));
    ClickOnPage(O().rbPNG);
    const std::function<void()> restarting[] = {
        [&] { ClickOnPage(O().rbPNGIndexed); },
        [&] { ClickOnPage(O().rbPNGTruecolour); },
        [&] { ClickOnPage(O().chkInterlaced); },
        [&] { ClickOnPage(O().rbWebP); Timer()->stop(); ClickOnPage(O().chkWebPLossless); },
        [&] { ClickOnPage(O().chkWebPLossless); },
        [&] { ClickOnPage(O().txtWebPQuality); Timer()->stop(); PressKey(Qt::Key_End); PressKey(Qt::Key_Backspace); },
        [&] { ClickOnPage(O().tbWebPQuality); Timer()->stop(); PressKey(Qt::Key_PageUp); },
        [&] { ClickOnPage(O().txtWebPEffort); Timer()->stop(); PressKey(Qt::Key_Down); },
        [&] { ClickOnPage(O().rbAVIF); Timer()->stop(); ClickOnPage(O().chkAVIFLossless); },
        [&] { ClickOnPage(O().chkAVIFLossless); },
        [&] { ClickOnPage(O().rbAVIF444); },
        [&] { ClickOnPage(O().rbAVIF420); },
        [&] { ClickOnPage(O().txtAVIFQuality); Timer()->stop(); PressKey(Qt::Key_End); PressKey(Qt::Key_Backspace); },
        [&] { ClickOnPage(O().txtAVIFSpeed); Timer()->stop(); PressKey(Qt::Key_Up); },
    };
    for (const auto& change : restarting) {
        Timer()->stop();
        change();
        QVERIFY(Timer()->isActive());
    }
    // Choosing a format starts nothing, as GIF and JPEG never have.
    for (QRadioButton* format : {O().rbPNG, O().rbWebP, O().rbAVIF, O().rbGIF, O().rbJPEG}) {
        Timer()->stop();
        ClickOnPage(format);
        QVERIFY2(!Timer()->isActive(), qPrintable(format->objectName()));
    }
}

void FormatPageTest::thePageFitsASmallAndAWideWindow()
{
    // In the window's size at start and in one three times as wide: every
    // control in sight lies inside the page, at no less than its smallest
    // size, overlapping none of its neighbours; and the page keeps its height
    // whatever the format.
    const int pageHeight = O().PageControl1->height();
    for (const int width : {597, 1800}) {
        window_->resize(width, 486);
        QTest::qWait(50);
        // The window may be held wider by another page, never by this one.
        QCOMPARE(window_->width(), std::max(width, window_->minimumSizeHint().width()));
        for (QRadioButton* format : {O().rbGIF, O().rbJPEG, O().rbPNG, O().rbWebP, O().rbAVIF}) {
            ClickOnPage(format);
            if (format == O().rbPNG)
                ClickOnPage(O().rbPNGIndexed);
            QTest::qWait(20);
            QCOMPARE(O().PageControl1->height(), pageHeight);
            QWidget* page = O().PageControl1->currentWidget();
            const int frame = O().PageControl1->width() - page->width();
            QVERIFY2(page->minimumSizeHint().width() + frame <= 597, qPrintable(format->objectName()));
            const QString where = QStringLiteral("%1 wide, %2: ").arg(width).arg(format->objectName());
            QList<QWidget*> controls;
            for (QWidget* control : page->findChildren<QWidget*>()) {
                if (!control->isVisible() || control->inherits("QGroupBox") || control->layout())
                    continue;  // frames and panels are judged by what they hold
                if (!control->parentWidget()->layout())
                    continue;  // a part a control places itself (a list's field, a colour entry's button)
                controls << control;
            }
            for (QWidget* control : controls) {
                const QRect onPage(control->mapTo(page, QPoint(0, 0)), control->size());
                QVERIFY2(page->rect().contains(onPage), qPrintable(where + control->objectName()));
                // The least a layout gives it: the size set, else the hint's.
                const QSize set = control->minimumSize();
                const QSize hint = control->minimumSizeHint();
                const QSize least(set.width() > 0 ? set.width() : hint.width(),
                                  set.height() > 0 ? set.height() : hint.height());
                QVERIFY2(control->width() >= least.width() && control->height() >= least.height(),
                         qPrintable(where + control->objectName() + QLatin1Char(' ') + control->metaObject()->className()
                                    + QStringLiteral(" squeezed to %1x%2 from %3x%4")
                                          .arg(control->width()).arg(control->height())
                                          .arg(least.width()).arg(least.height())));
                for (QWidget* other : controls) {
                    if (other == control || other->isAncestorOf(control) || control->isAncestorOf(other))
                        continue;
                    const QRect otherOnPage(other->mapTo(page, QPoint(0, 0)), other->size());
                    QVERIFY2(!onPage.intersects(otherOnPage),
                             qPrintable(where + control->objectName() + QStringLiteral(" over ") + other->objectName()));
                }
            }
        }
        // A wide window widens the quality frames, never the gaps between their fields.
        ClickOnPage(O().rbWebP);
        const int span = O().txtWebPQuality->geometry().right() - O().tbWebPQuality->geometry().left();
        QVERIFY2(span < 360, qPrintable(QString::number(span)));
    }
}

void FormatPageTest::saveAsOffersTheChosenFormat()
{
    window_->OpenPicture(WritePicture(*folder_, QStringLiteral("photo.png"), QSize(40, 30)));
    for (const auto& [format, suffix] :
         {std::pair{O().rbPNG, "png"}, std::pair{O().rbWebP, "webp"}, std::pair{O().rbAVIF, "avif"}}) {
        ClickOnPage(format);
        QVERIFY(Apply());
        QString filters;
        QString defaultSuffix;
        // Read once the dialog is in front, then cancelled.
        AnswerNextDialog(
            [&](QDialog* modal) {
                auto* dialog = static_cast<QFileDialog*>(modal);
                filters = dialog->nameFilters().join(QLatin1Char(';'));
                defaultSuffix = dialog->defaultSuffix();
                PressKey(Qt::Key_Escape);
            },
            QFileDialog::staticMetaObject);
        ClickAt(Button("btnSaveAs"));
        QTRY_VERIFY(!defaultSuffix.isEmpty());
        QCOMPARE(defaultSuffix, QString::fromLatin1(suffix));
        QCOMPARE(filters, QStringLiteral("*.%1 (*.%1)").arg(QLatin1String(suffix)));
    }
}

void FormatPageTest::eachNewFormatSavesTheBytesItEncoded_data()
{
    QTest::addColumn<QString>("format");
    QTest::addColumn<QString>("option");
    QTest::addColumn<QString>("extension");
    QTest::addColumn<QString>("pillow");  // what Pillow reads (of an AVIF, avifdec's PNG of it)
    QTest::newRow("truecolour PNG") << "rbPNG" << "" << "png" << "PNG 96x64 RGB 0";
    QTest::newRow("interlaced indexed PNG") << "rbPNG" << "chkInterlaced rbPNGIndexed" << "png" << "PNG 96x64 P 1";
    QTest::newRow("lossy WebP") << "rbWebP" << "" << "webp" << "WEBP 96x64 RGB 0";
    QTest::newRow("lossless WebP") << "rbWebP" << "chkWebPLossless" << "webp" << "WEBP 96x64 RGB 0";
    QTest::newRow("AVIF") << "rbAVIF" << "" << "avif" << "PNG 96x64 RGB 0";
    QTest::newRow("lossless 4:4:4 AVIF") << "rbAVIF" << "rbAVIF444 chkAVIFLossless" << "avif" << "PNG 96x64 RGB 0";
}

void FormatPageTest::eachNewFormatSavesTheBytesItEncoded()
{
    QFETCH(QString, format);
    QFETCH(QString, option);
    QFETCH(QString, extension);
    QFETCH(QString, pillow);
    window_->OpenPicture(WritePicture(*folder_, QStringLiteral("ramp.png"), QSize(96, 64)));
    ClickOnPage(window_->findChild<QRadioButton*>(format));
    for (const QString& name : option.split(QLatin1Char(' '), Qt::SkipEmptyParts))
        ClickOnPage(window_->findChild<QAbstractButton*>(name));
    QVERIFY(Apply());
    QVERIFY(SaveOffered());
    const qint64 encoded = window_->ResultSize();
    QVERIFY(encoded > 0);
    QCOMPARE(window_->ResultPicture().size(), Size(96, 64));

    // The report of the run: the picture, its bytes and their download times.
    auto* dest = window_->findChild<InfoLabel*>(QStringLiteral("lblDestInfo"));
    QCOMPARE(dest->Hint().section(QStringLiteral(", "), 0, 1),
             QStringLiteral(" New image unsaved\r\n 96 by 64 pixels, %1 K").arg(ToQString(FormatKilobytes(encoded, 2))));
    auto* times = window_->findChild<DownloadTimeList*>(QStringLiteral("cmbDownloadTime"));
    QCOMPARE(times->itemText(0), QStringLiteral("Speed|Current|New"));
    QCOMPARE(times->itemText(7).section(QLatin1Char('|'), 2),
             ToQString(FormatSeconds(DownloadSeconds(encoded, kLineSpeeds[6])) + " sec"));

    // No name yet: Save asks for one and gives it the format's extension.
    TypeIntoNextFileDialog(Path(QStringLiteral("result")));
    PressKey(Qt::Key_S, Qt::ControlModifier);
    const QString saved = Path(QStringLiteral("result.") + extension);
    QTRY_VERIFY(QFileInfo::exists(saved));
    QVERIFY(!window_->Changed());
    const QByteArray bytes = FileContents(saved);
    QCOMPARE(bytes.size(), encoded);
    QCOMPARE(window_->ResultSize(), encoded);
    QVERIFY2(dest->Hint().startsWith(QLatin1Char(' ') + QDir::toNativeSeparators(saved) + QStringLiteral("\r\n")),
             qPrintable(dest->Hint()));
    if (extension == QLatin1String("png"))
        QVERIFY(bytes.startsWith("\x89PNG\r\n\x1a\n"));
    else if (extension == QLatin1String("webp"))
        QVERIFY(bytes.startsWith("RIFF") && bytes.mid(8, 4) == "WEBP");
    else
        QVERIFY(bytes.mid(4, 8) == "ftypavif");
    QString decoded = saved;
    if (extension == QLatin1String("avif")) {
        QCOMPARE(AvifExtents(bytes), QSize(96, 64));
        decoded = Path(QStringLiteral("avifdec.png"));
        QCOMPARE(QProcess::execute(QStringLiteral("avifdec"), {QStringLiteral("-d"), QStringLiteral("8"), saved, decoded}),
                 0);
    }
    // The file's pixels are those the result view shows.
    const QImage shown = ImageView(window_->ResultPicture()).convertToFormat(QImage::Format_RGB888);
    QByteArray pixels;
    for (int y = 0; y < shown.height(); ++y)
        pixels += QByteArray(reinterpret_cast<const char*>(shown.constScanLine(y)), shown.width() * 3);
    QCOMPARE(PillowReads(decoded), pillow + QLatin1Char('\n') + QString::fromLatin1(pixels.toHex()));
}

void FormatPageTest::aPicturePastedIntoTheResultIsNotSavedAsTheEncodedOne()
{
    window_->OpenPicture(WritePicture(*folder_, QStringLiteral("ramp.png"), QSize(40, 30)));
    QImage pasted(12, 9, QImage::Format_RGB32);
    pasted.fill(Qt::darkCyan);
    PressKey(Qt::Key_F6, Qt::ControlModifier);  // the Edit menu, where Paste into dest. is
    for (QRadioButton* format : {O().rbPNG, O().rbWebP, O().rbAVIF}) {
        ClickOnPage(format);
        QVERIFY(Apply());
        QVERIFY(SaveOffered());
        QGuiApplication::clipboard()->setImage(pasted);
        QVERIFY(ChooseMenuItem(*window_, QStringLiteral("&Edit"), "mnuPasteDest"));
        QVERIFY2(!SaveOffered(), qPrintable(format->objectName()));
    }
    // A GIF, built from the picture shown, still saves the pasted one.
    ClickOnPage(O().rbGIF);
    QVERIFY(Apply());
    QVERIFY(ChooseMenuItem(*window_, QStringLiteral("&Edit"), "mnuPasteDest"));
    QVERIFY(SaveOffered());
}

QTEST_MAIN(FormatPageTest)
#include "formatpage_test.moc"
