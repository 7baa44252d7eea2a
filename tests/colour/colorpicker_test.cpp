// The colour picker dialog: its palettes, fields, custom colours, spectrum
// panel and settings, in a settings folder and temporary folder of its own.
#include "colour/colorpicker.h"
#include "colour/palettegrid.h"
#include "colour/pickersettings.h"
#include "colour/spectrum.h"
#include "colour/spectrumpanel.h"
#include "colour/swatch.h"
#include "colour/websafefile.h"
#include "windowtestsupport.h"
#include "windowtesting.h"

#include <QAction>
#include <QFileDialog>
#include <QPushButton>
#include <QClipboard>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QMouseEvent>
#include <QTemporaryDir>
#include <QToolButton>

#include <sys/stat.h>

using namespace pictaron;
using namespace pictaron::testing;

namespace {

TColor Colour(int r, int g, int b) { return TColor(r) | TColor(g) << 8 | TColor(b) << 16; }

void WriteFile(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(bytes);
}

// The list opened with a click and its row clicked.
void Choose(QComboBox* combo, const QString& text)
{
    const int index = combo->findText(text);
    QVERIFY2(index >= 0, qPrintable(text));
    ChooseFromList(combo, index);
    QCOMPARE(combo->currentText(), text);
}

// A click on the dialog's button of that name.
void Press(TfrmColorPicker& picker, const char* name)
{
    auto* button = picker.findChild<QAbstractButton*>(QLatin1String(name));
    QVERIFY2(button && button->isVisible(), name);
    ClickAt(button);
}

// Shift and a right click on the swatch of the current colour, and Fade in
// the menu that opens.
void ToggleFade(TfrmColorPicker& picker)
{
    auto* swatch = picker.findChild<QWidget*>(QStringLiteral("shColor"));
    ClickInNextPopupMenu(QStringLiteral("Fade"));
    ClickAt(swatch, swatch->rect().center(), Qt::RightButton, Qt::ShiftModifier);
    QVERIFY(QTest::qWaitFor([] { return !QApplication::activePopupWidget(); }));
}

// A right click on a custom swatch and a click on the item of its menu.
void CustomMenu(TfrmColorPicker& picker, int swatch, const QString& item)
{
    ClickInNextPopupMenu(item);
    ClickAt(picker.CustomSwatch(swatch), picker.CustomSwatch(swatch)->rect().center(), Qt::RightButton);
    QTest::qWaitFor([] { return !QApplication::activePopupWidget(); });
}

// The dialog shown and active, where the fake screen can be read around it.
bool ShowPicker(TfrmColorPicker& picker)
{
    picker.move(100, 100);
    picker.show();
    picker.activateWindow();
    return QTest::qWaitForWindowActive(&picker);
}

QString Setting(const QString& key)
{
    return OpenPickerSettings()->value(key).toString();
}

} // namespace

class ColorPickerTest : public QObject {
    Q_OBJECT

private slots:
    void init()
    {
        ClearPickerSettings();
        QDir(WebSafePaletteFolder()).removeRecursively();
        QFile::remove(WebSafePaletteFolder());
    }

    void firstStartWritesTheWebSafePalette()
    {
        RecordingSink sink;
        TfrmColorPicker picker;
        QVERIFY(sink.shown.isEmpty());
        QCOMPARE(picker.windowTitle(), QStringLiteral("Color Picker"));
        QFile written(WebSafePalettePath());
        QVERIFY(written.open(QIODevice::ReadOnly));
        QCOMPARE(written.readAll(), WebSafePaletteFileBytes());
        struct stat info {};
        QCOMPARE(::lstat(QFile::encodeName(WebSafePaletteFolder()).constData(), &info), 0);
        QCOMPARE(info.st_mode & 0777, 0700u);

        QCOMPARE(picker.CurrentPaletteFile(), WebSafePalettePath());
        auto* list = picker.findChild<QComboBox*>(QStringLiteral("cmbPal"));
        QCOMPARE(list->currentText(), QStringLiteral("websafe.pal"));
        PaletteGrid* grid = picker.Grid();
        QCOMPARE(grid->CellColour({0, 0}), Colour(255, 255, 255));
        QCOMPARE(grid->CellColour({5, 0}), Colour(255, 255, 0));
        QCOMPARE(grid->CellText({5, 0}), QStringLiteral("255,255,0"));
        QCOMPARE(grid->CellColour({7, 13}), Colour(0, 0, 0));
        for (int i = 8 + 16 * 13; i < 256; ++i)
            QCOMPARE(grid->CellColour({i % 16, i / 16}), Colour(0, 0, 0));
        QCOMPARE(picker.size(), QSize(245, 443));
        QCOMPARE(Setting(QStringLiteral("Last File")), QStringLiteral("websafe.pal"));
    }

    void aPlantedLinkIsNotFollowed()
    {
        QTemporaryDir elsewhere;
        const QString victim = elsewhere.filePath(QStringLiteral("victim.txt"));
        WriteFile(victim, "precious");
        QVERIFY(QDir().mkpath(WebSafePaletteFolder()));
        QVERIFY(QFile::link(victim, WebSafePalettePath()));

        RecordingSink sink;
        TfrmColorPicker picker;
        QFile file(victim);
        QVERIFY(file.open(QIODevice::ReadOnly));
        QCOMPARE(file.readAll(), QByteArray("precious"));
        QVERIFY(!QFileInfo(WebSafePalettePath()).isSymLink());
        QCOMPARE(picker.Grid()->CellColour({0, 0}), Colour(255, 255, 255));
    }

    void aFolderLinkIsRefusedWithTheExtractMessage()
    {
        QTemporaryDir elsewhere;
        QVERIFY(QFile::link(elsewhere.path(), WebSafePaletteFolder()));
        RecordingSink sink;
        TfrmColorPicker picker;
        QCOMPARE(sink.shown.size(), 1);
        QVERIFY(sink.shown[0].startsWith(QStringLiteral("An error occurred while trying to extract WEBSAFE to ")
                                         + WebSafePalettePath() + QStringLiteral(".\n\n")));
        QVERIFY(QDir(elsewhere.path()).isEmpty(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden));
        // The web-safe colours show all the same.
        QCOMPARE(picker.Grid()->CellColour({5, 0}), Colour(255, 255, 0));
        QCOMPARE(picker.Grid()->CellColour({7, 13}), Colour(0, 0, 0));
    }

    void luminanceOrderAndBack()
    {
        TfrmColorPicker picker;
        QVERIFY(ShowPicker(picker));
        auto* sort = picker.findChild<QComboBox*>(QStringLiteral("cmbSort"));
        QCOMPARE(sort->currentText(), QStringLiteral("Palette Order"));
        Choose(sort, QStringLiteral("Luminance"));
        for (int i = 0; i < 41; ++i)
            QCOMPARE(picker.Grid()->CellColour({i % 16, i / 16}), Colour(0, 0, 0));
        QCOMPARE(picker.Grid()->CellColour({15, 15}), Colour(255, 255, 255));
        Choose(sort, QStringLiteral("Palette Order"));
        QCOMPARE(picker.Grid()->CellColour({0, 0}), Colour(255, 255, 255));
        QCOMPARE(picker.Grid()->CellColour({7, 13}), Colour(0, 0, 0));
    }

    void findNearestColourSelectsTheFirstBestCell()
    {
        TfrmColorPicker picker;
        QVERIFY(ShowPicker(picker));
        picker.SetCurrentColour(Colour(0, 0, 0));
        Press(picker, "btnFind");
        QCOMPARE(picker.Grid()->Selected(), QPoint(0, 14));
        picker.SetCurrentColour(Colour(10, 10, 10));
        Press(picker, "btnFind");
        QCOMPARE(picker.Grid()->Selected(), QPoint(0, 14));
        QCOMPARE(picker.CurrentColour(), Colour(0, 0, 0));
        picker.SetCurrentColour(Colour(250, 250, 250));
        Press(picker, "btnFind");
        QCOMPARE(picker.Grid()->Selected(), QPoint(0, 0));
        QCOMPARE(picker.CurrentColour(), Colour(255, 255, 255));
    }

    void decimalAndHexFieldsMoveTogether()
    {
        TfrmColorPicker picker;
        auto* red = picker.findChild<QLineEdit*>(QStringLiteral("txtRed"));
        auto* hexRed = picker.findChild<QLineEdit*>(QStringLiteral("txtHexRed"));
        auto* hexGreen = picker.findChild<QLineEdit*>(QStringLiteral("txtHexGreen"));
        auto* green = picker.findChild<QLineEdit*>(QStringLiteral("txtGreen"));
        QVERIFY(ShowPicker(picker));
        picker.SetCurrentColour(Colour(0, 0, 0));
        TypeInto(red, QStringLiteral("255"));
        QCOMPARE(red->text(), QStringLiteral("255"));
        QCOMPARE(hexRed->text(), QStringLiteral("FF"));
        QCOMPARE(picker.CurrentColour(), Colour(255, 0, 0));
        TypeInto(hexGreen, QStringLiteral("8"));
        QCOMPARE(hexGreen->text(), QStringLiteral("8"));
        QCOMPARE(green->text(), QStringLiteral("0")); // one hex digit is not read yet
        TypeKeys(QStringLiteral("0"));
        QCOMPARE(hexGreen->text(), QStringLiteral("80"));
        QCOMPARE(green->text(), QStringLiteral("128"));
        QCOMPARE(picker.CurrentColour(), Colour(255, 128, 0));
        picker.SetCurrentColour(Colour(1, 2, 171));
        QCOMPARE(picker.findChild<QLineEdit*>(QStringLiteral("txtHexBlue"))->text(), QStringLiteral("AB"));
    }

    // Pastes by the keys, into the field that has the focus after a click.
    void pastingColourCodes()
    {
        RecordingSink sink;
        TfrmColorPicker picker;
        QVERIFY(ShowPicker(picker));
        auto* hexRed = picker.findChild<QLineEdit*>(QStringLiteral("txtHexRed"));
        ClickAt(hexRed);
        QApplication::clipboard()->setText(QStringLiteral("  \"#ff8000\"\n"));
        PressKey(Qt::Key_V, Qt::ControlModifier);
        QCOMPARE(picker.CurrentColour(), Colour(255, 128, 0));
        QCOMPARE(hexRed->text(), QStringLiteral("FF")); // the decimal field writes it back upper case

        QApplication::clipboard()->setText(QStringLiteral("#12345"));
        PressKey(Qt::Key_Insert, Qt::ShiftModifier);
        QCOMPARE(sink.shown, QStringList{QStringLiteral("12345 is not a valid HTML color code.")});
        QCOMPARE(picker.CurrentColour(), Colour(255, 128, 0));

        ClickAt(picker.findChild<QLineEdit*>(QStringLiteral("txtBlue")));
        QApplication::clipboard()->setText(QStringLiteral("10,20,30"));
        PressKey(Qt::Key_V, Qt::ControlModifier);
        QCOMPARE(picker.CurrentColour(), Colour(10, 20, 30));
    }

    // Six characters, or three parts, are no code unless typing could have
    // made them: no field takes them.
    void pastesThatAreNoColourFillNothing()
    {
        RecordingSink sink;
        TfrmColorPicker picker;
        QVERIFY(ShowPicker(picker));
        picker.SetCurrentColour(Colour(1, 2, 3));
        const char* names[6] = {"txtRed", "txtGreen", "txtBlue", "txtHexRed", "txtHexGreen", "txtHexBlue"};
        const auto fields = [&picker, &names] {
            QStringList texts;
            for (const char* name : names)
                texts << picker.findChild<QLineEdit*>(QString::fromLatin1(name))->text();
            return texts;
        };
        const QStringList before = fields();
        ClickAt(picker.findChild<QLineEdit*>(QStringLiteral("txtHexGreen")));
        QApplication::clipboard()->setText(QStringLiteral("zzzzzz"));
        PressKey(Qt::Key_V, Qt::ControlModifier);
        QCOMPARE(fields(), before);
        QCOMPARE(sink.shown, QStringList{QStringLiteral("zzzzzz is not a valid HTML color code.")});

        ClickAt(picker.findChild<QLineEdit*>(QStringLiteral("txtGreen")));
        for (const QString& text : {QStringLiteral("1,x,3"), QStringLiteral("1,256,3"), QStringLiteral("1,-2,3")}) {
            QApplication::clipboard()->setText(text);
            PressKey(Qt::Key_V, Qt::ControlModifier);
            QCOMPARE(fields(), before);
        }
        QCOMPARE(sink.shown.size(), 4);
        QCOMPARE(picker.CurrentColour(), Colour(1, 2, 3));
    }

    // From no colour the swatch shows white, and OK returns it.
    void okWithoutAColourReturnsTheColourShown()
    {
        TfrmColorPicker picker;
        QVERIFY(ShowPicker(picker));
        const TColor shown = picker.findChild<ColourSwatch*>(QStringLiteral("shColor"))->Colour();
        ClickAt(picker.findChild<QPushButton*>(QStringLiteral("btnOK")));
        QVERIFY(!picker.isVisible());
        QCOMPARE(picker.result(), int(QDialog::Accepted));
        QCOMPARE(shown, clWhite);
        QCOMPARE(picker.ChosenColour(), shown);
        QCOMPARE(picker.findChild<QLineEdit*>(QStringLiteral("txtHexRed"))->text(), QStringLiteral("FF"));
    }

    // The load dialog names each pattern once.
    void theLoadDialogShowsEachPatternOnce()
    {
        TfrmColorPicker picker;
        QVERIFY(ShowPicker(picker));
        QStringList filters;
        AnswerNextDialog(
            [&filters](QDialog* dialog) {
                filters = static_cast<QFileDialog*>(dialog)->nameFilters();
                PressKey(Qt::Key_Escape);
            },
            QFileDialog::staticMetaObject);
        ClickAt(picker.findChild<QToolButton*>(QStringLiteral("btnLoadFile")));
        QCOMPARE(filters, QStringList({QStringLiteral("GIF files (*.gif)"),
                                       QStringLiteral("Palette Files (RIFF & JASC) (*.pal)"),
                                       QStringLiteral("Photoshop Palettes (*.act)")}));
    }

    void okReturnsTheColourAndSavesCustomColours()
    {
        TfrmColorPicker picker;
        QVERIFY(ShowPicker(picker));
        picker.SetCurrentColour(Colour(255, 128, 0));
        CustomMenu(picker, 3, QStringLiteral("Set Current Color"));
        QCOMPARE(Setting(QStringLiteral("Custom Colours/3")), QString::number(Colour(255, 128, 0)));
        QCOMPARE(picker.CustomSwatch(3)->toolTip(), QStringLiteral("#FF8000\n255,128,0"));
        picker.SetCurrentColour(Colour(1, 2, 3));
        Press(picker, "btnOK");
        QVERIFY(!picker.isVisible());
        QCOMPARE(picker.ChosenColour(), Colour(1, 2, 3));
        QCOMPARE(Setting(QStringLiteral("Custom Colours/0")), QString::number(clWhite));

        TfrmColorPicker again;
        QCOMPARE(again.CustomSwatch(3)->Colour(), Colour(255, 128, 0));
        again.DeleteCustom(3);
        QCOMPARE(Setting(QStringLiteral("Custom Colours/3")), QString::number(clWhite));
    }

    void clearAllThenCancelKeepsTheStoredColours()
    {
        RecordingSink sink;
        {
            TfrmColorPicker picker;
            QVERIFY(ShowPicker(picker));
            picker.SetCurrentColour(Colour(9, 9, 9));
            CustomMenu(picker, 0, QStringLiteral("Set Current Color"));
            QCOMPARE(picker.CustomSwatch(0)->Colour(), Colour(9, 9, 9));
            CustomMenu(picker, 0, QStringLiteral("Clear All Colors"));
            QCOMPARE(sink.asked, QStringList{QStringLiteral("Are you sure you want to clear all custom colors ?")});
            QCOMPARE(picker.CustomSwatch(0)->Colour(), clWhite);
            Press(picker, "btnCancel");
            QVERIFY(!picker.isVisible());
        }
        TfrmColorPicker again;
        QCOMPARE(again.CustomSwatch(0)->Colour(), Colour(9, 9, 9));
    }

    void schemesAreAddedChosenAndRemoved()
    {
        RecordingSink sink;
        TfrmColorPicker picker;
        QVERIFY(ShowPicker(picker));
        auto* schemes = picker.findChild<QComboBox*>(QStringLiteral("cmbSchemes"));
        QCOMPARE(schemes->currentText(), QStringLiteral("[Default]"));
        Press(picker, "btnDeleteScheme");
        QCOMPARE(sink.shown, QStringList{QStringLiteral("The [Default] scheme cannot be deleted.")});

        sink.textAnswer = QStringLiteral("Greens");
        Press(picker, "btnAddScheme");
        QCOMPARE(sink.asked.last(), QStringLiteral("New Scheme Name|Please choose a name for this scheme"));
        QCOMPARE(schemes->currentText(), QStringLiteral("Greens"));
        QCOMPARE(Setting(QStringLiteral("Last Scheme")), QStringLiteral("Greens"));
        picker.SetCurrentColour(Colour(0, 200, 0));
        CustomMenu(picker, 0, QStringLiteral("Set Current Color"));
        QCOMPARE(Setting(QStringLiteral("Custom Colours/Greens/0")), QString::number(Colour(0, 200, 0)));

        Press(picker, "btnAddScheme");  // a name already listed is not added twice
        QCOMPARE(schemes->count(), 2);

        Choose(schemes, QStringLiteral("[Default]"));
        QCOMPARE(picker.CustomSwatch(0)->Colour(), clWhite);
        Choose(schemes, QStringLiteral("Greens"));
        QCOMPARE(picker.CustomSwatch(0)->Colour(), Colour(0, 200, 0));

        sink.answerYes = false;
        Press(picker, "btnDeleteScheme");
        QCOMPARE(schemes->count(), 2);
        sink.answerYes = true;
        Press(picker, "btnDeleteScheme");
        QCOMPARE(sink.asked.last(), QStringLiteral("Are you sure you want to remove this scheme ?"));
        QCOMPARE(schemes->count(), 1);
        QCOMPARE(schemes->currentText(), QStringLiteral("[Default]"));
        QVERIFY(!OpenPickerSettings()->contains(QStringLiteral("Custom Colours/Greens/0")));
    }

    void paletteFolderFilesAreListedAndRead()
    {
        QTemporaryDir folder;
        WriteFile(folder.filePath(QStringLiteral("lf.pal")), "JASC-PAL\n0100\n2\n255 0 0\n0 0 255\n");
        WriteFile(folder.filePath(QStringLiteral("short.pal")), "JASC-PAL\r\n0100\r\n5\r\n1 2 3\r\n");
        WriteFile(folder.filePath(QStringLiteral("Plain.gif")), QByteArray("GIF89a\1\0\1\0\0\0\0;", 14));
        WriteFile(folder.filePath(QStringLiteral("notes.txt")), "not a palette");
        OpenPickerSettings()->setValue(QStringLiteral("InitialDir"), folder.path());
        OpenPickerSettings()->setValue(QStringLiteral("Last File"), QStringLiteral("lf.pal"));

        RecordingSink sink;
        TfrmColorPicker picker;
        QVERIFY(ShowPicker(picker));
        auto* list = picker.findChild<QComboBox*>(QStringLiteral("cmbPal"));
        QStringList names;
        for (int i = 0; i < list->count(); ++i)
            names << list->itemText(i);
        QCOMPARE(names, QStringList({QStringLiteral("lf.pal"), QStringLiteral("Plain.gif"),
                                     QStringLiteral("short.pal"), QStringLiteral("websafe.pal")}));
        QCOMPARE(list->currentText(), QStringLiteral("lf.pal"));
        QCOMPARE(picker.Grid()->CellColour({1, 0}), Colour(0, 0, 255));

        // A faulty JASC palette is a message naming the file; the grid stays.
        Choose(list, QStringLiteral("short.pal"));
        QCOMPARE(sink.shown.size(), 1);
        QVERIFY2(sink.shown[0].contains(QStringLiteral("short.pal")), qPrintable(sink.shown[0]));
        QCOMPARE(picker.Grid()->CellColour({1, 0}), Colour(0, 0, 255));

        Choose(list, QStringLiteral("Plain.gif"));
        QCOMPARE(sink.shown.last(), QStringLiteral("An error occurred while reading this file.  It is either not a "
                                                   "valid GIF file or it has no Global Palette."));
        QCOMPARE(picker.Grid()->CellColour({1, 0}), Colour(0, 0, 255));

        // A listed file that has gone falls back to the web-safe palette.
        QFile::remove(folder.filePath(QStringLiteral("lf.pal")));
        ChooseFromList(list, list->findText(QStringLiteral("lf.pal")));
        QCOMPARE(sink.shown.last(), QStringLiteral("The file \"%1\" does not exist.  The default websafe palette "
                                                   "will be displayed instead.")
                                        .arg(folder.filePath(QStringLiteral("lf.pal"))));
        QCOMPARE(list->currentText(), QStringLiteral("websafe.pal"));
        QCOMPARE(picker.Grid()->CellColour({0, 0}), Colour(255, 255, 255));
    }

    void loadingAFileRemembersItsFolder()
    {
        QTemporaryDir folder;
        QByteArray act(768, '\0');
        act[0] = char(200);
        const QString path = folder.filePath(QStringLiteral("mine.act"));
        WriteFile(path, act);
        TfrmColorPicker picker;
        QVERIFY(ShowPicker(picker));
        TypeIntoNextFileDialog(path);
        Press(picker, "btnLoadFile");
        QCOMPARE(picker.Grid()->CellColour({0, 0}), Colour(200, 0, 0));
        QCOMPARE(Setting(QStringLiteral("InitialDir")), folder.path());
        QCOMPARE(picker.findChild<QComboBox*>(QStringLiteral("cmbPal"))->currentText(), QStringLiteral("mine.act"));
    }

    void spectrumShowsAtTheCurrentColour()
    {
        TfrmColorPicker picker;
        QVERIFY(ShowPicker(picker));
        picker.SetCurrentColour(Colour(0, 0, 0));
        Press(picker, "btnMoreColor");
        QCOMPARE(picker.size(), QSize(366, 443));
        QCOMPARE(picker.Spectrum()->Marker(), QPoint(0, 195));
        QCOMPARE(picker.Spectrum()->HorizontalMarker()->x(), 6);
        QCOMPARE(picker.Spectrum()->VerticalMarker()->y(), 198);
        QCOMPARE(Setting(QStringLiteral("Show ")), QStringLiteral("true"));
        QCOMPARE(picker.findChild<QToolButton*>(QStringLiteral("btnFind"))->toolTip(),
                 QStringLiteral("Find nearest color in palette and spectrum"));
        const qint64 drawn = picker.Spectrum()->Picture().cacheKey();

        Press(picker, "btnMoreColor");
        QCOMPARE(picker.size(), QSize(245, 443));
        QCOMPARE(Setting(QStringLiteral("Show ")), QStringLiteral("false"));
        picker.SetCurrentColour(Colour(5, 5, 5));
        Press(picker, "btnMoreColor");
        QCOMPARE(picker.Spectrum()->Picture().cacheKey(), drawn); // not drawn again
        QCOMPARE(picker.Spectrum()->Marker(), QPoint(90, 388));
        QCOMPARE(picker.CurrentColour(), Colour(0, 0, 0));
    }

    void spectrumShownAtStartWhenStored()
    {
        OpenPickerSettings()->setValue(QStringLiteral("Show "), QStringLiteral("yes"));
        TfrmColorPicker picker;
        QVERIFY(!picker.Spectrum()->isHidden());
        QCOMPARE(picker.size(), QSize(366, 443));
    }

    void arrowKeysMoveTheSpectrumPoint()
    {
        TfrmColorPicker picker;
        QVERIFY(ShowPicker(picker));
        ClickAt(picker.findChild<QToolButton*>(QStringLiteral("btnMoreColor")));
        // The first cell clicked, which gives the grid the focus, then a
        // click in the spectrum, which leaves it there.
        QWidget* grid = picker.Grid();
        ClickAt(grid, QPoint(PaletteGrid::kLine + PaletteGrid::kCell / 2, PaletteGrid::kLine + PaletteGrid::kCell / 2));
        SpectrumPanel* spectrum = picker.Spectrum();
        ClickAt(spectrum->SpectrumImage(), QPoint(85, 100));
        QCOMPARE(spectrum->Marker(), QPoint(85, 100));

        QCOMPARE(QApplication::focusWidget(), grid);
        PressKey(Qt::Key_Right, Qt::ControlModifier);
        QCOMPARE(spectrum->Marker(), QPoint(85, 100)); // 95 is beyond the spectrum
        QCOMPARE(picker.Grid()->Selected(), QPoint(0, 0)); // and the grid never saw the key
        PressKey(Qt::Key_Left, Qt::ControlModifier);
        QCOMPARE(spectrum->Marker(), QPoint(75, 100));
        QCOMPARE(picker.CurrentColour(), TripleToColor(PixelAt(spectrum->Picture(), 75, 100)));
        PressKey(Qt::Key_Down);
        QCOMPARE(spectrum->Marker(), QPoint(75, 101));
        QCOMPARE(spectrum->HorizontalMarker()->x(), 81);
        QCOMPARE(spectrum->VerticalMarker()->y(), 104);

        OpenPickerSettings()->setValue(QStringLiteral(" Arrow Key Movement"), QStringLiteral("0x20"));
        PressKey(Qt::Key_Down, Qt::ControlModifier);
        QCOMPARE(spectrum->Marker(), QPoint(75, 133));

        // With the panel hidden the grid has its arrow keys back.
        Press(picker, "btnMoreColor");
        PressKey(Qt::Key_Right);
        QCOMPARE(picker.Grid()->Selected(), QPoint(1, 0));
    }

    // A click on the button starts sampling; every move then takes the screen
    // pixel under the pointer, and the next click ends it.
    void samplingTakesScreenPixelsUntilTheRelease()
    {
        FakeScreen screen;
        TfrmColorPicker picker;
        QVERIFY(ShowPicker(picker));
        ClickAt(picker.findChild<QToolButton*>(QStringLiteral("btnSample")));
        QVERIFY(picker.Sampling());
        QVERIFY(picker.findChild<QToolButton*>(QStringLiteral("btnSample"))->isChecked());
        const QPoint away = picker.mapFromGlobal(QPoint(300, 513));
        MoveTo(&picker, away);
        QCOMPARE(picker.CurrentColour(), Colour(300 & 255, 513 & 255, 16 + 2));
        ClickAt(&picker, away);
        QVERIFY(!picker.Sampling());
        QVERIFY(!picker.findChild<QToolButton*>(QStringLiteral("btnSample"))->isChecked());
        QCOMPARE(picker.CurrentColour(), Colour(300 & 255, 513 & 255, 16 + 2));
        MoveTo(&picker, picker.mapFromGlobal(QPoint(310, 513)));
        QCOMPARE(picker.CurrentColour(), Colour(300 & 255, 513 & 255, 16 + 2));
    }

    void samplingARefusedScreenSaysSo()
    {
        RecordingSink sink;
        FakeScreen screen;
        screen.refuse = true;
        TfrmColorPicker picker;
        QVERIFY(ShowPicker(picker));
        picker.SetCurrentColour(Colour(1, 2, 3));
        ClickAt(picker.findChild<QToolButton*>(QStringLiteral("btnSample")));
        MoveTo(&picker, picker.mapFromGlobal(QPoint(300, 500)));
        QVERIFY(!picker.Sampling());
        QCOMPARE(picker.CurrentColour(), Colour(1, 2, 3));
        QCOMPARE(sink.shown, QStringList{ScreenRefusedText()});
    }

    void fadeMenuIsRememberedForTheRun()
    {
        TfrmColorPicker picker;
        QVERIFY(ShowPicker(picker));
        QVERIFY(!TfrmColorPicker::FadeOn());
        ToggleFade(picker);
        QVERIFY(TfrmColorPicker::FadeOn());
        QCOMPARE(Setting(QStringLiteral("Fade")), QStringLiteral("true"));

        // A fading grid arrives at the new palette.
        auto* sort = picker.findChild<QComboBox*>(QStringLiteral("cmbSort"));
        Choose(sort, QStringLiteral("Luminance"));
        QVERIFY(picker.Grid()->Fading());
        QTRY_VERIFY(!picker.Grid()->Fading());
        QCOMPARE(picker.Grid()->ShownColour({15, 15}), Colour(255, 255, 255));
        QCOMPARE(picker.Grid()->ShownColour({0, 0}), Colour(0, 0, 0));
        ToggleFade(picker);
        QVERIFY(!TfrmColorPicker::FadeOn());
    }
};

PICTARON_WINDOW_TEST_MAIN(ColorPickerTest)
#include "colorpicker_test.moc"
