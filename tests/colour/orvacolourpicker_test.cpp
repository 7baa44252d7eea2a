// The colour entry control as a user types into it.
#include "colour/colorpicker.h"
#include "colour/orvacolourpicker.h"
#include "windowtestsupport.h"

#include <QComboBox>
#include <QLineEdit>
#include <QSignalSpy>

using namespace pictaron;

namespace {

const TColor kOrange = 0x0080FF; // 255,128,0
const QString kHexMessage = QStringLiteral("HTML colours must be entered using hexadecimal characters.  This "
                                           "includes the numbers from 0 to 9 and the letters from A to F.");

TColor ButtonFace() { return clBtnFace; }

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

    void hexInEitherCaseIsTheSameColour()
    {
        TOrvaColourPicker control;
        QSignalSpy changes(&control, &TOrvaColourPicker::OnChange);
        control.SetText(QStringLiteral("ff8000"));
        QCOMPARE(control.Color(), kOrange);
        QVERIFY(control.IsValid());
        control.SetText(QStringLiteral("FF8000"));
        QCOMPARE(control.Color(), kOrange);
        QCOMPARE(control.GetRGB(), (RGBTriple{0, 128, 255}));
        QCOMPARE(changes.count(), 2);

        control.SetColour(0x00CCBBAA);
        QCOMPARE(control.Text(), QStringLiteral("AABBCC"));
    }

    void shortHexIsNoColour()
    {
        TOrvaColourPicker control;
        control.SetText(QStringLiteral("FF80"));
        QVERIFY(!control.IsValid());
        QCOMPARE(control.Color(), ButtonFace());
        QCOMPARE(control.GetRGB(), RGBTriple{});
    }

    void leadingHashIsRemoved()
    {
        TOrvaColourPicker control;
        control.SetText(QStringLiteral("#FF8000"));
        QCOMPARE(control.Text(), QStringLiteral("FF8000"));
        QCOMPARE(control.Color(), kOrange);
    }

    void sixCharactersThatAreNotHexAreRefusedWithAMessage()
    {
        RecordingSink sink;
        TOrvaColourPicker control;
        control.SetText(QStringLiteral("FF.000"));
        QCOMPARE(sink.shown, QStringList{kHexMessage});
        QCOMPARE(control.Color(), ButtonFace());
        QVERIFY(!control.IsValid());
        QCOMPARE(control.GetRGB(), RGBTriple{});
    }

    void decimalColoursAndTheRangeMessage()
    {
        RecordingSink sink;
        TOrvaColourPicker control;
        control.Warnings = true;
        control.SetText(QStringLiteral("255,128,0"));
        QCOMPARE(control.Mode(), EntryMode::Decimal);
        QCOMPARE(control.Color(), kOrange);
        control.SetText(QStringLiteral("255,128,300"));
        QVERIFY(!control.IsValid());
        QCOMPARE(control.Color(), ButtonFace());
        QCOMPARE(control.GetRGB(), RGBTriple{});
        QCOMPARE(sink.shown, QStringList{QStringLiteral("All values must be between 0 and 255.")});

        control.Warnings = false;
        control.SetText(QStringLiteral("255,128,999"));
        QCOMPARE(sink.shown.size(), 1);
        // SetColour writes the current mode's form.
        control.SetColour(0x00030201);
        QCOMPARE(control.Text(), QStringLiteral("1,2,3"));
    }

    void typedDigitsThenACommaGoDecimal()
    {
        TOrvaColourPicker control;
        QLineEdit* edit = control.Entry()->lineEdit();
        QTest::keyClicks(edit, QStringLiteral("255"));
        QTest::keyClick(edit, Qt::Key_Comma);
        QCOMPARE(control.Text(), QStringLiteral("255,"));
        QCOMPARE(control.Mode(), EntryMode::Decimal);
        QTest::keyClicks(edit, QStringLiteral("128,0"));
        QCOMPARE(control.Color(), kOrange);
    }

    void commaConvertsHexText()
    {
        TOrvaColourPicker control;
        QLineEdit* edit = control.Entry()->lineEdit();
        QTest::keyClicks(edit, QStringLiteral("FF80"));
        QTest::keyClick(edit, Qt::Key_Comma);
        QCOMPARE(control.Text(), QStringLiteral("255,128,"));
        QTest::keyClicks(edit, QStringLiteral("0"));
        QCOMPARE(control.Color(), kOrange);

        // A complete colour swallows the comma.
        TOrvaColourPicker whole;
        QTest::keyClicks(whole.Entry()->lineEdit(), QStringLiteral("ff8000"));
        QTest::keyClick(whole.Entry()->lineEdit(), Qt::Key_Comma);
        QCOMPARE(whole.Text(), QStringLiteral("255,128,0"));
        QCOMPARE(whole.Mode(), EntryMode::Decimal);
        QCOMPARE(whole.Color(), kOrange);
    }

    void aLetterTurnsDecimalBackToHex()
    {
        TOrvaColourPicker control;
        QLineEdit* edit = control.Entry()->lineEdit();
        QTest::keyClicks(edit, QStringLiteral("12,34"));
        QCOMPARE(control.Mode(), EntryMode::Decimal);
        QTest::keyClick(edit, Qt::Key_A, Qt::NoModifier);
        QCOMPARE(control.Text(), QStringLiteral("1234a"));
        QCOMPARE(control.Mode(), EntryMode::Hex);
    }

    void onlyAllowedCharactersAreTyped()
    {
        TOrvaColourPicker control;
        QLineEdit* edit = control.Entry()->lineEdit();
        QTest::keyClicks(edit, QStringLiteral("1g2z-3"));
        QCOMPARE(control.Text(), QStringLiteral("123"));
        QTest::keyClicks(edit, QStringLiteral("456789"));
        QCOMPARE(control.Text(), QStringLiteral("123456")); // six at most in hex mode
        edit->clear();
        QTest::keyClicks(edit, QStringLiteral("1,2,3a"));
        QCOMPARE(control.Mode(), EntryMode::Hex); // the letter switched back
    }

    void listOffersBothForms()
    {
        TOrvaColourPicker control;
        control.SetText(QStringLiteral("FF8000"));
        control.Entry()->showPopup();
        QCOMPARE(control.Entry()->count(), 2);
        QCOMPARE(control.Entry()->itemText(0), QStringLiteral("FF8000"));
        QCOMPARE(control.Entry()->itemText(1), QStringLiteral("255,128,0"));
        QCOMPARE(control.Text(), QStringLiteral("FF8000"));
        control.Entry()->hidePopup();

        emit control.Entry()->activated(1);
        QCOMPARE(control.Mode(), EntryMode::Decimal);
        QCOMPARE(control.Color(), kOrange);
        emit control.Entry()->activated(0);
        QCOMPARE(control.Mode(), EntryMode::Hex);

        control.SetText(QStringLiteral("FF8"));
        control.Entry()->showPopup();
        QCOMPARE(control.Entry()->count(), 0);
        control.Entry()->hidePopup();
    }

    void cancellingThePickerChangesNothing()
    {
        TOrvaColourPicker control;
        control.SetText(QStringLiteral("FF8000"));
        QSignalSpy clicks(&control, &TOrvaColourPicker::Clicked);
        TColor startedWith = 0;
        OnNextModal([&startedWith](QWidget* modal) {
            auto* picker = qobject_cast<TfrmColorPicker*>(modal);
            QVERIFY(picker);
            startedWith = picker->CurrentColour();
            picker->SetCurrentColour(0x00123456);
            picker->reject();
        });
        control.ShowPicker();
        QCOMPARE(startedWith, kOrange);
        QCOMPARE(control.Text(), QStringLiteral("FF8000"));
        QCOMPARE(control.Color(), kOrange);
        QCOMPARE(clicks.count(), 1);
    }

    void okWritesTheChosenColourAndCtrlEnterOpens()
    {
        TOrvaColourPicker control;
        control.SetText(QStringLiteral("1,2,3"));
        OnNextModal([](QWidget* modal) {
            auto* picker = qobject_cast<TfrmColorPicker*>(modal);
            QVERIFY(picker);
            picker->SetCurrentColour(0x00123456);
            picker->accept();
        });
        QTest::keyClick(control.Entry()->lineEdit(), Qt::Key_Return, Qt::ControlModifier);
        QCOMPARE(control.Text(), QStringLiteral("86,52,18")); // decimal mode stays
        QCOMPARE(control.Color(), TColor(0x00123456));
    }
};

PICTARON_WINDOW_TEST_MAIN(ColourEntryTest)
#include "orvacolourpicker_test.moc"
