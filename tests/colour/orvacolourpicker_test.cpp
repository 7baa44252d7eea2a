// The colour entry control as a user types into it.
#include "app/mainwindow.h"
#include "app/optionpages.h"
#include "colour/colorpicker.h"
#include "colour/orvacolourpicker.h"
#include "colour/swatch.h"
#include "windowtestsupport.h"
#include "windowtesting.h"

#include <QAbstractItemView>
#include <QClipboard>
#include <QComboBox>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalSpy>
#include <QToolButton>
#include <QVBoxLayout>

using namespace pictaron;
using namespace pictaron::testing;

namespace {

const TColor kOrange = 0x0080FF; // 255,128,0
const QString kHexMessage = QStringLiteral("HTML colours must be entered using hexadecimal characters.  This "
                                           "includes the numbers from 0 to 9 and the letters from A to F.");

TColor ButtonFace() { return clBtnFace; }

// A window with a field before the control, shown and active.
struct Host {
    QWidget window;
    QLineEdit* before = new QLineEdit(&window);
    TOrvaColourPicker* control = new TOrvaColourPicker(clBtnFace, &window);

    Host()
    {
        auto* layout = new QVBoxLayout(&window);
        layout->addWidget(before);
        layout->addWidget(control);
    }
    bool Show()
    {
        window.show();
        window.activateWindow();
        return QTest::qWaitForWindowActive(&window);
    }
    // A click into the entry and the text typed over what it held.
    void Type(const QString& text) { TypeInto(control->Entry()->lineEdit(), text); }
};

// Replaces the two digits of a picker field as a person does: a click, End,
// two backspaces, the new digits.
void TypeIntoField(QWidget* picker, const char* name, const QString& digits)
{
    ClickAt(picker->findChild<QLineEdit*>(QString::fromLatin1(name)));
    PressKey(Qt::Key_End);
    PressKey(Qt::Key_Backspace);
    PressKey(Qt::Key_Backspace);
    TypeKeys(digits);
}

// A right click on the edit, then a click on Paste in the menu it opens.
bool PasteFromContextMenu(QLineEdit* edit)
{
    ClickAt(edit, edit->rect().center(), Qt::RightButton);
    QMenu* menu = nullptr;
    QTest::qWaitFor([&menu] {
        menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
        return menu != nullptr;
    });
    if (!menu || !QTest::qWaitForWindowExposed(menu))
        return false;
    for (QAction* action : menu->actions()) {
        if (action->text().startsWith(QStringLiteral("&Paste"))) {
            ClickAt(menu, menu->actionGeometry(action).center());
            return QTest::qWaitFor([] { return QApplication::activePopupWidget() == nullptr; });
        }
    }
    return false;
}

// "255,255,255" fits in the text edit unscrolled (two pixels each side and
// the caret), and the button lies fully beside it inside the control.
bool WidestTextFits(TOrvaColourPicker* control)
{
    QLineEdit* edit = control->Entry()->lineEdit();
    const int needed = edit->fontMetrics().horizontalAdvance(QStringLiteral("255,255,255")) + 2 * 2 + 1;
    const QRect button = control->PickerButton()->geometry();
    const bool fits = edit->width() >= needed && control->Entry()->geometry().right() < button.left()
        && button.right() < control->width() && button.width() == button.height()
        && button.height() <= control->height();
    if (!fits)
        qWarning("text edit %d wide for %d, button %d,%d %dx%d in a control of %dx%d", edit->width(), needed,
                 button.x(), button.y(), button.width(), button.height(), control->width(), control->height());
    return fits;
}

} // namespace

class ColourEntryTest : public QObject {
    Q_OBJECT

private slots:
    void init() { ClearPickerSettings(); }

    void untouchedControlReportsNothing()
    {
        TOrvaColourPicker control(clSilver);
        QCOMPARE(control.IsValid(), false);
        QCOMPARE(control.GetRGB(), RGBTriple{});
        QCOMPARE(control.Color(), clSilver);
        QCOMPARE(control.Mode(), EntryMode::Hex);
        QCOMPARE(control.Version(), QStringLiteral("1.4"));
    }

    void typedHexInEitherCaseIsTheSameColour()
    {
        Host host;
        QVERIFY(host.Show());
        host.Type(QStringLiteral("ff8000"));
        QCOMPARE(host.control->Color(), kOrange);
        QVERIFY(host.control->IsValid());
        host.Type(QStringLiteral("FF8000"));
        QCOMPARE(host.control->Color(), kOrange);
        QCOMPARE(host.control->GetRGB(), (RGBTriple{0, 128, 255}));
    }

    // The control's host sets codes with SetText and SetColour (the main
    // window sets the colour it finds with SetColour): each is one change, a
    // code in either case is the same colour and SetColour writes capitals.
    void settingTheTextOrColourIsOneChange()
    {
        TOrvaColourPicker control;
        QSignalSpy changes(&control, &TOrvaColourPicker::OnChange);
        control.SetText(QStringLiteral("ff8000"));
        QCOMPARE(control.Color(), kOrange);
        control.SetText(QStringLiteral("FF8000"));
        QCOMPARE(control.Color(), kOrange);
        QCOMPARE(changes.count(), 2);

        control.SetColour(0x00CCBBAA);
        QCOMPARE(control.Text(), QStringLiteral("AABBCC"));
        QCOMPARE(changes.count(), 3);
    }

    void shortHexIsNoColour()
    {
        Host host;
        QVERIFY(host.Show());
        host.Type(QStringLiteral("FF80"));
        QCOMPARE(host.control->Text(), QStringLiteral("FF80"));
        QVERIFY(!host.control->IsValid());
        QCOMPARE(host.control->Color(), ButtonFace());
        QCOMPARE(host.control->GetRGB(), RGBTriple{});
    }

    // A "#" cannot be typed; a code a host sets may carry one.
    void leadingHashIsRemoved()
    {
        TOrvaColourPicker control;
        control.SetText(QStringLiteral("#FF8000"));
        QCOMPARE(control.Text(), QStringLiteral("FF8000"));
        QCOMPARE(control.Color(), kOrange);

        Host host;
        QVERIFY(host.Show());
        host.Type(QStringLiteral("#FF8000"));
        QCOMPARE(host.control->Text(), QStringLiteral("FF8000"));
        QCOMPARE(host.control->Color(), kOrange);
    }

    // A full stop always passes the typing rules.
    void sixCharactersThatAreNotHexAreRefusedWithAMessage()
    {
        RecordingSink sink;
        Host host;
        QVERIFY(host.Show());
        host.Type(QStringLiteral("FF.000"));
        QCOMPARE(host.control->Text(), QStringLiteral("FF.000"));
        QCOMPARE(sink.shown, QStringList{kHexMessage});
        QCOMPARE(host.control->Color(), ButtonFace());
        QVERIFY(!host.control->IsValid());
        QCOMPARE(host.control->GetRGB(), RGBTriple{});
    }

    void decimalColoursAndTheRangeMessage()
    {
        RecordingSink sink;
        Host host;
        QVERIFY(host.Show());
        TOrvaColourPicker& control = *host.control;
        control.Warnings = true;
        host.Type(QStringLiteral("255,128,0"));
        QCOMPARE(control.Mode(), EntryMode::Decimal);
        QCOMPARE(control.Color(), kOrange);
        host.Type(QStringLiteral("255,128,300"));
        QVERIFY(!control.IsValid());
        QCOMPARE(control.Color(), ButtonFace());
        QCOMPARE(control.GetRGB(), RGBTriple{});
        QCOMPARE(sink.shown, QStringList{QStringLiteral("All values must be between 0 and 255.")});

        control.Warnings = false;
        host.Type(QStringLiteral("255,128,999"));
        QCOMPARE(control.Text(), QStringLiteral("255,128,999"));
        QCOMPARE(sink.shown.size(), 1);
        // SetColour writes the current mode's form.
        control.SetColour(0x00030201);
        QCOMPARE(control.Text(), QStringLiteral("1,2,3"));
    }

    // Focus by a click on the entry: keys then reach the combo box, which must
    // filter them as the text edit does.
    void typedDigitsThenACommaGoDecimal()
    {
        Host host;
        QVERIFY(host.Show());
        ClickAt(host.control->Entry()->lineEdit());
        TypeKeys(QStringLiteral("255,"));
        QCOMPARE(host.control->Text(), QStringLiteral("255,"));
        QCOMPARE(host.control->Mode(), EntryMode::Decimal);
        TypeKeys(QStringLiteral("128,0"));
        QCOMPARE(host.control->Color(), kOrange);
    }

    // Focus by Tab from the field before.
    void commaConvertsHexText()
    {
        Host host;
        QVERIFY(host.Show());
        ClickAt(host.before);
        PressKey(Qt::Key_Tab);
        QVERIFY(host.control->isAncestorOf(QApplication::focusWidget()));
        TypeKeys(QStringLiteral("FF80,"));
        QCOMPARE(host.control->Text(), QStringLiteral("255,128,"));
        TypeKeys(QStringLiteral("0"));
        QCOMPARE(host.control->Color(), kOrange);

        // A complete colour swallows the comma; focus by a click on the border.
        Host whole;
        QVERIFY(whole.Show());
        ClickAt(whole.control, QPoint(1, 1));
        QVERIFY(whole.control->isAncestorOf(QApplication::focusWidget()));
        TypeKeys(QStringLiteral("ff8000,"));
        QCOMPARE(whole.control->Text(), QStringLiteral("255,128,0"));
        QCOMPARE(whole.control->Mode(), EntryMode::Decimal);
        QCOMPARE(whole.control->Color(), kOrange);
    }

    void aLetterTurnsDecimalBackToHex()
    {
        Host host;
        QVERIFY(host.Show());
        ClickAt(host.control->Entry()->lineEdit());
        TypeKeys(QStringLiteral("12,34"));
        QCOMPARE(host.control->Mode(), EntryMode::Decimal);
        TypeKeys(QStringLiteral("a"));
        QCOMPARE(host.control->Text(), QStringLiteral("1234a"));
        QCOMPARE(host.control->Mode(), EntryMode::Hex);
    }

    void onlyAllowedCharactersAreTyped()
    {
        Host host;
        QVERIFY(host.Show());
        ClickAt(host.control->Entry()->lineEdit());
        TypeKeys(QStringLiteral("1g2z-3"));
        QCOMPARE(host.control->Text(), QStringLiteral("123"));
        TypeKeys(QStringLiteral("456789"));
        QCOMPARE(host.control->Text(), QStringLiteral("123456")); // six at most in hex mode
        for (int i = 0; i < 6; ++i)
            PressKey(Qt::Key_Backspace);
        QCOMPARE(host.control->Text(), QString());
        TypeKeys(QStringLiteral("1,2,3a"));
        QCOMPARE(host.control->Mode(), EntryMode::Hex); // the letter switched back
    }

    // Ctrl+V and the text edit's own menu take only what typing could make.
    void pastesPassTheSameRules()
    {
        RecordingSink sink;
        Host host;
        QVERIFY(host.Show());
        ClickAt(host.control->Entry()->lineEdit());
        QApplication::clipboard()->setText(QStringLiteral("zzzzzz"));
        PressKey(Qt::Key_V, Qt::ControlModifier);
        QCOMPARE(host.control->Text(), QString());
        QApplication::clipboard()->setText(QStringLiteral("FF80001"));
        PressKey(Qt::Key_V, Qt::ControlModifier);
        QCOMPARE(host.control->Text(), QString());
        QVERIFY(sink.shown.isEmpty());

        // Blanks around a code are dropped, the "#" as when it is set.
        QApplication::clipboard()->setText(QStringLiteral(" #ff8000\n"));
        PressKey(Qt::Key_V, Qt::ControlModifier);
        QCOMPARE(host.control->Text(), QStringLiteral("ff8000"));
        QCOMPARE(host.control->Color(), kOrange);

        // Over the whole text, a decimal code is taken in either mode, and a
        // hexadecimal one turns the mode back.
        QApplication::clipboard()->setText(QStringLiteral("1,2,3"));
        PressKey(Qt::Key_A, Qt::ControlModifier);
        PressKey(Qt::Key_V, Qt::ControlModifier);
        QCOMPARE(host.control->Text(), QStringLiteral("1,2,3"));
        QCOMPARE(host.control->Mode(), EntryMode::Decimal);
        QApplication::clipboard()->setText(QStringLiteral("1,2,x"));
        PressKey(Qt::Key_A, Qt::ControlModifier);
        PressKey(Qt::Key_V, Qt::ControlModifier);
        QCOMPARE(host.control->Text(), QStringLiteral("1,2,3"));
        QApplication::clipboard()->setText(QStringLiteral("0080FF"));
        PressKey(Qt::Key_A, Qt::ControlModifier);
        PressKey(Qt::Key_V, Qt::ControlModifier);
        QCOMPARE(host.control->Mode(), EntryMode::Hex);
        QCOMPARE(host.control->Color(), TColor(0xFF8000));

        // The context menu's Paste.
        QApplication::clipboard()->setText(QStringLiteral("gggggg"));
        PressKey(Qt::Key_A, Qt::ControlModifier);
        QVERIFY(PasteFromContextMenu(host.control->Entry()->lineEdit()));
        QCOMPARE(host.control->Text(), QStringLiteral("0080FF"));
        QApplication::clipboard()->setText(QStringLiteral("123456"));
        PressKey(Qt::Key_A, Qt::ControlModifier);
        QVERIFY(PasteFromContextMenu(host.control->Entry()->lineEdit()));
        QCOMPARE(host.control->Text(), QStringLiteral("123456"));
    }

    // The middle button pastes the selection where the platform has one.
    void theSelectionPastePassesTheSameRules()
    {
        if (!QApplication::clipboard()->supportsSelection())
            QSKIP("this platform has no selection to paste");
        Host host;
        QVERIFY(host.Show());
        QApplication::clipboard()->setText(QStringLiteral("xyzxyz"), QClipboard::Selection);
        ClickAt(host.control->Entry()->lineEdit(), host.control->Entry()->lineEdit()->rect().center(),
                Qt::MiddleButton);
        QCOMPARE(host.control->Text(), QString());
    }

    // The list is opened and chosen from with the mouse.
    void listOffersBothForms()
    {
        Host host;
        QVERIFY(host.Show());
        host.Type(QStringLiteral("FF8000"));
        QComboBox* entry = host.control->Entry();
        const QPoint arrow(entry->width() - 4, entry->height() / 2);
        ClickAt(entry, arrow);
        QTRY_VERIFY(entry->view()->isVisible());
        QCOMPARE(entry->count(), 2);
        QCOMPARE(entry->itemText(0), QStringLiteral("FF8000"));
        QCOMPARE(entry->itemText(1), QStringLiteral("255,128,0"));
        QCOMPARE(host.control->Text(), QStringLiteral("FF8000"));
        // The open list takes the keys: down to the second form, Enter.
        PressKey(Qt::Key_Down);
        PressKey(Qt::Key_Down);
        PressKey(Qt::Key_Return);
        QTRY_VERIFY(!entry->view()->isVisible());
        QCOMPARE(host.control->Mode(), EntryMode::Decimal);
        QCOMPARE(host.control->Text(), QStringLiteral("255,128,0"));
        QCOMPARE(host.control->Color(), kOrange);

        // No colour, no forms: the arrow opens nothing.
        host.Type(QStringLiteral("FF8"));
        ClickAt(entry, arrow);
        QCOMPARE(entry->count(), 0);
        QTest::qWait(50);
        QVERIFY(!entry->view()->isVisible());
        QCOMPARE(host.control->Text(), QStringLiteral("FF8"));
    }

    void cancellingThePickerChangesNothing()
    {
        Host host;
        QVERIFY(host.Show());
        host.Type(QStringLiteral("FF8000"));
        QSignalSpy clicks(host.control, &TOrvaColourPicker::Clicked);
        TColor startedWith = 0;
        AnswerNextDialog([&startedWith](QDialog* modal) {
            auto* picker = static_cast<TfrmColorPicker*>(modal);
            startedWith = picker->CurrentColour();
            TypeIntoField(picker, "txtHexRed", QStringLiteral("12"));
            ClickAt(picker->findChild<QPushButton*>(QStringLiteral("btnCancel")));
        }, TfrmColorPicker::staticMetaObject);
        ClickAt(host.control->PickerButton());
        QCOMPARE(startedWith, kOrange);
        QCOMPARE(host.control->Text(), QStringLiteral("FF8000"));
        QCOMPARE(host.control->Color(), kOrange);
        QCOMPARE(clicks.count(), 1);
    }

    void okWritesTheChosenColourAndCtrlEnterOpens()
    {
        Host host;
        QVERIFY(host.Show());
        host.Type(QStringLiteral("1,2,3"));
        bool opened = false;
        AnswerNextDialog([&opened](QDialog* modal) {
            auto* picker = static_cast<TfrmColorPicker*>(modal);
            opened = true;
            TypeIntoField(picker, "txtHexRed", QStringLiteral("56"));
            TypeIntoField(picker, "txtHexGreen", QStringLiteral("34"));
            TypeIntoField(picker, "txtHexBlue", QStringLiteral("12"));
            ClickAt(picker->findChild<QPushButton*>(QStringLiteral("btnOK")));
        }, TfrmColorPicker::staticMetaObject);
        ClickAt(host.control->Entry()->lineEdit());
        PressKey(Qt::Key_Return, Qt::ControlModifier);
        QVERIFY(opened);
        QCOMPARE(host.control->Text(), QStringLiteral("86,52,18")); // decimal mode stays
        QCOMPARE(host.control->Color(), TColor(0x00123456));
    }

    // From an empty entry the picker shows white, and OK returns what it shows.
    void okFromAnEmptyEntryReturnsTheColourShown()
    {
        Host host;
        QVERIFY(host.Show());
        TColor shown = 0x123456;
        AnswerNextDialog([&shown](QDialog* modal) {
            auto* picker = static_cast<TfrmColorPicker*>(modal);
            shown = picker->findChild<ColourSwatch*>(QStringLiteral("shColor"))->Colour();
            ClickAt(picker->findChild<QPushButton*>(QStringLiteral("btnOK")));
        }, TfrmColorPicker::staticMetaObject);
        ClickAt(host.control->PickerButton());
        QCOMPARE(shown, clWhite);
        QCOMPARE(host.control->Text(), QStringLiteral("FFFFFF"));
        QCOMPARE(host.control->Color(), clWhite);
    }

    // The longest text fits beside the button, on its own and on every
    // option page of the main window.
    void theLongestTextFitsBesideTheButton()
    {
        Host host;
        QVERIFY(host.Show());
        QVERIFY(WidestTextFits(host.control));

        TfrmPictaron window;
        window.resize(1000, 700);
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        const OptionPages& pages = window.Options();
        ClickOnPage(pages.rbGIF); // shows the transparency colour
        for (TOrvaColourPicker* control : {pages.ocpTransparentColour, pages.ocpCornerColour, pages.ocpButtonLine}) {
            ShowPageOf(control);
            QVERIFY2(control->isVisible(), qPrintable(control->objectName()));
            QVERIFY2(WidestTextFits(control), qPrintable(control->objectName()));
        }
    }
};

PICTARON_WINDOW_TEST_MAIN(ColourEntryTest)
#include "orvacolourpicker_test.moc"
