// The edit box's key filter, its minimum on leaving, and its browse button,
// with keys and clicks sent to the window as a person's are
// (tests/app/windowtesting).
#include "components/clampingspinbox.h"
#include "components/orvaedit.h"
#include "windowtesting.h"

#include <QClipboard>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QLineEdit>
#include <QWindow>
#include <QSettings>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QToolButton>
#include <QtTest>

using pictaron::TOrvaEdit;
using pictaron::testing::ClickAt;
using pictaron::testing::PressKey;
using pictaron::testing::TypeInto;
using pictaron::testing::TypeIntoNextFileDialog;
using pictaron::testing::TypeKeys;

class OrvaEditTest : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() { QStandardPaths::setTestModeEnabled(true); }
    void maxRefusesKeysThatWouldExceedIt();
    void digitOverSelectionReplacesTheWholeText();
    void numericEditsTakeDigitsOnly();
    void allowedCharactersOnlyAndNoClipboardKeys();
    void blockedCharacters();
    void minRaisesTheValueOnLeaving();
    void leavingTheWindowLeavesTheTextAlone();
    void pastedTextObeysTheRules();
    void aTypedNumberAboveTheSpinRangeBecomesItsMaximum();
    void intValueIsZeroForBadText();
    void browseButtonFollowsTheEdit();
    void browseFolderComesFromTextOrSettings();
};

namespace {

void ShowActive(QWidget& form)
{
    form.resize(form.size().expandedTo(QSize(240, 120)));
    form.show();
    form.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&form));
}

// An edit of the rotate angle: digits only, at most 359.
std::unique_ptr<TOrvaEdit> AngleEdit(QWidget* parent)
{
    auto edit = std::make_unique<TOrvaEdit>(parent);
    edit->NumericOnly = true;
    edit->Max = 359;
    return edit;
}

} // namespace

void OrvaEditTest::maxRefusesKeysThatWouldExceedIt()
{
    QWidget form;
    auto edit = AngleEdit(&form);
    ShowActive(form);
    TypeInto(edit.get(), QStringLiteral("36"));
    TypeKeys(QStringLiteral("0"));
    QCOMPARE(edit->text(), QStringLiteral("36"));  // 360 exceeds 359
    TypeInto(edit.get(), QStringLiteral("35"));
    TypeKeys(QStringLiteral("0"));
    QCOMPARE(edit->text(), QStringLiteral("350"));
    // Backspace always passes, also at the limit.
    PressKey(Qt::Key_Backspace);
    QCOMPARE(edit->text(), QStringLiteral("35"));
}

void OrvaEditTest::digitOverSelectionReplacesTheWholeText()
{
    QWidget form;
    auto edit = AngleEdit(&form);
    ShowActive(form);
    TypeInto(edit.get(), QStringLiteral("35"));
    PressKey(Qt::Key_Home, Qt::ShiftModifier);  // all of it selected
    TypeKeys(QStringLiteral("4"));
    QCOMPARE(edit->text(), QStringLiteral("4"));
    // Even a partial selection clears the whole text first.
    TypeInto(edit.get(), QStringLiteral("123"));
    PressKey(Qt::Key_Home);
    PressKey(Qt::Key_Right, Qt::ShiftModifier);  // the "1" selected
    QCOMPARE(edit->selectedText(), QStringLiteral("1"));
    TypeKeys(QStringLiteral("9"));
    QCOMPARE(edit->text(), QStringLiteral("9"));
}

void OrvaEditTest::numericEditsTakeDigitsOnly()
{
    QWidget form;
    TOrvaEdit edit(&form);
    edit.NumericOnly = true;
    TOrvaEdit decimal(&form);
    decimal.NumericOnly = true;
    decimal.AllowDecimal = true;
    decimal.move(0, 40);
    ShowActive(form);
    TypeInto(&edit, QStringLiteral("1a-2.3 4"));
    QCOMPARE(edit.text(), QStringLiteral("1234"));  // "-" too: no negative numbers
    TypeInto(&decimal, QStringLiteral("1.5.2"));
    QCOMPARE(decimal.text(), QStringLiteral("1.52"));  // one "." only
}

void OrvaEditTest::allowedCharactersOnlyAndNoClipboardKeys()
{
    QWidget form;
    TOrvaEdit contrast(&form);
    contrast.AllowChars = QStringLiteral("1234567890-");
    TOrvaEdit numeric(&form);
    numeric.NumericOnly = true;
    numeric.move(0, 40);
    ShowActive(form);
    TypeInto(&contrast, QStringLiteral("-1x2+"));
    QCOMPARE(contrast.text(), QStringLiteral("-12"));
    // Copy, paste and cut are not among the allowed characters.
    QApplication::clipboard()->setText(QStringLiteral("99"));
    PressKey(Qt::Key_V, Qt::ControlModifier);
    QCOMPARE(contrast.text(), QStringLiteral("-12"));

    ClickAt(&numeric);
    PressKey(Qt::Key_V, Qt::ControlModifier);
    QCOMPARE(numeric.text(), QStringLiteral("99"));  // a numeric edit lets paste through
}

void OrvaEditTest::blockedCharacters()
{
    QWidget form;
    TOrvaEdit edit(&form);
    edit.BlockChars = QStringLiteral("/\\");
    ShowActive(form);
    TypeInto(&edit, QStringLiteral("a/b\\c"));
    QCOMPARE(edit.text(), QStringLiteral("abc"));
}

void OrvaEditTest::minRaisesTheValueOnLeaving()
{
    QWidget form;
    auto* colours = new TOrvaEdit(&form);
    colours->NumericOnly = true;
    colours->Min = 2;
    colours->Max = 256;
    auto* other = new QLineEdit(&form);
    other->move(0, 40);
    ShowActive(form);

    // Typed, then left with a click on the other field.
    TypeInto(colours, QStringLiteral("1"));
    ClickAt(other);
    QCOMPARE(colours->text(), QStringLiteral("2"));

    TypeInto(colours, QStringLiteral("17"));
    ClickAt(other);
    QCOMPARE(colours->text(), QStringLiteral("17"));

    // Empty text stays empty; text that is no number becomes the minimum
    // (no key makes it here: the program may set it).
    TypeInto(colours, QString());
    ClickAt(other);
    QCOMPARE(colours->text(), QString());
    ClickAt(colours);
    colours->setText(QStringLiteral("abc"));
    ClickAt(other);
    QCOMPARE(colours->text(), QStringLiteral("2"));
}

namespace {

} // namespace

void OrvaEditTest::leavingTheWindowLeavesTheTextAlone()
{
    QWidget form;
    auto* colours = new TOrvaEdit(&form);
    colours->NumericOnly = true;
    colours->Min = 2;
    auto* other = new QLineEdit(&form);
    other->move(0, 40);
    ShowActive(form);
    ClickAt(colours);
    QTest::keyClick(form.windowHandle(), Qt::Key_1);
    QCOMPARE(colours->text(), QStringLiteral("1"));

    // Another window comes to the front: the user has not left the edit.
    QWidget elsewhere;
    ShowActive(elsewhere);
    QCOMPARE(colours->text(), QStringLiteral("1"));
    ShowActive(form);
    QCOMPARE(QApplication::focusWidget(), colours);

    // Tab to the next control does leave it.
    QTest::keyClick(form.windowHandle(), Qt::Key_Tab);
    QCOMPARE(QApplication::focusWidget(), other);
    QCOMPARE(colours->text(), QStringLiteral("2"));
}

void OrvaEditTest::pastedTextObeysTheRules()
{
    QWidget form;
    auto edit = AngleEdit(&form);
    ShowActive(form);
    ClickAt(edit.get());

    // Ctrl+V types the clipboard's text: letters dropped, and the digit that
    // would pass 359 refused.
    QApplication::clipboard()->setText(QStringLiteral("3x6\n9"));
    QTest::keyClick(form.windowHandle(), Qt::Key_V, Qt::ControlModifier);
    QCOMPARE(edit->text(), QStringLiteral("36"));

    // The desktop's selection, pasted with the middle button, where
    // the platform has one.
    if (QApplication::clipboard()->supportsSelection()) {
        edit->clear();
        QApplication::clipboard()->setText(QStringLiteral("4z5"), QClipboard::Selection);
        QTest::mouseClick(form.windowHandle(), Qt::MiddleButton, {}, edit->geometry().center());
        QCOMPARE(edit->text(), QStringLiteral("45"));
    }
}

void OrvaEditTest::aTypedNumberAboveTheSpinRangeBecomesItsMaximum()
{
    QWidget form;
    auto* width = new pictaron::ClampingSpinBox(&form);
    width->setRange(0, 100);
    width->setValue(5);
    auto* other = new QLineEdit(&form);
    other->move(0, 40);
    ShowActive(form);
    ClickAt(width);
    QTest::keyClick(form.windowHandle(), Qt::Key_A, Qt::ControlModifier);
    for (const char digit : {'1', '5', '0'})
        QTest::keyClick(form.windowHandle(), digit);
    QCOMPARE(width->text(), QStringLiteral("150"));
    QTest::keyClick(form.windowHandle(), Qt::Key_Tab);
    QCOMPARE(width->value(), 100);
    QCOMPARE(width->text(), QStringLiteral("100"));

    // Letters are no number at all, and an emptied box comes back at its least.
    ClickAt(width);
    QTest::keyClick(form.windowHandle(), Qt::Key_A, Qt::ControlModifier);
    QTest::keyClick(form.windowHandle(), 'x');
    QTest::keyClick(form.windowHandle(), Qt::Key_Backspace);
    QTest::keyClick(form.windowHandle(), Qt::Key_Return);
    QCOMPARE(width->value(), 0);
}

void OrvaEditTest::intValueIsZeroForBadText()
{
    TOrvaEdit edit;
    QCOMPARE(edit.IntValue(), 0);
    edit.setText(QStringLiteral("-"));
    QCOMPARE(edit.IntValue(), 0);
    edit.setText(QStringLiteral("-17"));
    QCOMPARE(edit.IntValue(), -17);
    edit.setText(QStringLiteral("99999999999"));
    QCOMPARE(edit.IntValue(), 0);
}

void OrvaEditTest::browseButtonFollowsTheEdit()
{
    QWidget form;
    auto* edit = new TOrvaEdit(&form);
    edit->setGeometry(10, 20, 150, 22);
    edit->SetFileBrowser(true);
    QToolButton* button = edit->BrowseButton();
    QVERIFY(button);
    QCOMPARE(button->parentWidget(), &form);
    QCOMPARE(button->geometry(), QRect(160, 20, 24, 22));
    form.show();
    QVERIFY(QTest::qWaitForWindowExposed(&form));
    QVERIFY(button->isVisible());
    edit->move(30, 40);
    edit->resize(100, 25);
    QCOMPARE(button->geometry(), QRect(130, 40, 24, 25));
    edit->setEnabled(false);
    QVERIFY(!button->isEnabled());
    edit->setEnabled(true);
    QVERIFY(button->isEnabled());
    edit->hide();
    QVERIFY(!button->isVisible());
}

// The browse button opens the dialog in the folder of the typed path, else
// in the remembered one; only a file chosen from the remembered folder
// moves what is remembered.
void OrvaEditTest::browseFolderComesFromTextOrSettings()
{
    QTemporaryDir pictures;
    QTemporaryDir remembered;
    QTemporaryDir elsewhere;
    const QString chosen = pictures.filePath(QStringLiteral("chosen.png"));
    const QString picked = elsewhere.filePath(QStringLiteral("new.png"));
    for (const QString& file : {chosen, picked})
        QVERIFY(QFile(file).open(QIODevice::WriteOnly));
    {
        QSettings settings(QStringLiteral("OrvaEditTest"), QStringLiteral("Browse"));
        settings.setValue(QStringLiteral("Blend Image Dir"), remembered.path() + QLatin1Char('/'));
    }
    const auto rememberedFolder = [] {
        return QSettings(QStringLiteral("OrvaEditTest"), QStringLiteral("Browse"))
            .value(QStringLiteral("Blend Image Dir"))
            .toString();
    };
    QWidget form;
    auto* edit = new TOrvaEdit(&form);
    edit->setGeometry(10, 20, 180, 22);
    edit->SetFileBrowser(true);
    edit->FileBrowserInitDirRegPath = QStringLiteral("OrvaEditTest/Browse");
    edit->FileBrowserInitDirRegValue = QStringLiteral("Blend Image Dir");
    ShowActive(form);
    QString shown;
    const auto readFolder = [&shown](QFileDialog* dialog) { shown = dialog->directory().absolutePath(); };

    TypeInto(edit, pictures.filePath(QStringLiteral("texture.png")));
    TypeIntoNextFileDialog(picked, readFolder);
    ClickAt(edit->BrowseButton());
    QCOMPARE(shown, pictures.path());
    QCOMPARE(edit->text(), QDir::toNativeSeparators(picked));
    QCOMPARE(rememberedFolder(), remembered.path() + QLatin1Char('/'));

    TypeInto(edit, QStringLiteral("/no/such/folder/x.png"));
    TypeIntoNextFileDialog(chosen, readFolder);
    ClickAt(edit->BrowseButton());
    QCOMPARE(shown, remembered.path());
    QCOMPARE(edit->text(), QDir::toNativeSeparators(chosen));
    QCOMPARE(rememberedFolder(), pictures.path() + QLatin1Char('/'));
}

QTEST_MAIN(OrvaEditTest)
#include "orvaedit_test.moc"
