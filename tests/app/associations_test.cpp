// Options > File Associations: the choice is kept in the settings and offered
// to file managers through the "Open With Pictaron" desktop entry.
#include "app/associatedialog.h"
#include "app/mainwindow.h"
#include "app/openwith.h"
#include "windowtesting.h"

#include <QApplication>
#include <QCheckBox>
#include <QFile>
#include <QPushButton>
#include <QSettings>
#include <QTemporaryDir>
#include <QtTest>

#include <memory>

using namespace pictaron;
using pictaron::testing::AnswerNextDialog;
using pictaron::testing::ChooseMenuItem;
using pictaron::testing::ClickAt;
using pictaron::testing::PressKey;

namespace {

// How the dialog is left.
enum class Answer { Ok, CancelButton, Escape };

// The dialog's push button of that text.
QPushButton* Button(QDialog* dialog, const QString& text)
{
    for (auto* button : dialog->findChildren<QPushButton*>())
        if (button->text() == text)
            return button;
    return nullptr;
}

} // namespace

class AssociationsTest : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void chosenTypesAreOfferedAndNeverWithdrawn();

private:
    // Chooses Options > File Associations and answers the dialog as a person
    // does: a click on each box that is not yet as wanted, then the answer.
    // Returns the dialog's title, empty when it never opened.
    QString ChooseTypes(bool gif, bool jpeg, bool bmp, Answer answer);
    QString EntryText() const;

    QTemporaryDir home_;
    std::unique_ptr<TfrmPictaron> window_;
};

void AssociationsTest::initTestCase()
{
    qputenv("XDG_DATA_HOME", QFile::encodeName(home_.filePath(QStringLiteral("data"))));
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(home_.filePath(QStringLiteral("config"))));
}

QString AssociationsTest::ChooseTypes(bool gif, bool jpeg, bool bmp, Answer answer)
{
    // Kept apart from this call: were the dialog not to open, the answer
    // would wait on after it returns.
    auto title = std::make_shared<QString>();
    AnswerNextDialog(
        [=](QDialog* modal) {
            auto* dialog = static_cast<TfrmAssociate*>(modal);
            *title = dialog->windowTitle();
            for (auto [box, wanted] : {std::pair{dialog->chkGIF, gif}, {dialog->chkJPEG, jpeg}, {dialog->chkBMP, bmp}})
                if (box->isChecked() != wanted)
                    ClickAt(box);
            QPushButton* ok = Button(dialog, QStringLiteral("&OK"));
            QPushButton* cancel = Button(dialog, QStringLiteral("Cancel"));
            if (answer == Answer::Ok && ok)
                ClickAt(ok);
            else if (answer == Answer::CancelButton && cancel)
                ClickAt(cancel);
            else
                PressKey(Qt::Key_Escape);
        },
        TfrmAssociate::staticMetaObject);
    if (!ChooseMenuItem(*window_, QStringLiteral("&Options"), "mnuOptionsFile"))
        return QString();
    return *title;
}

QString AssociationsTest::EntryText() const
{
    QFile entry(home_.filePath(QStringLiteral("data/applications/")) + kOpenWithEntryName);
    return entry.open(QIODevice::ReadOnly) ? QString::fromUtf8(entry.readAll()) : QString();
}

void AssociationsTest::chosenTypesAreOfferedAndNeverWithdrawn()
{
    window_ = std::make_unique<TfrmPictaron>();
    window_->show();
    window_->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(window_.get()));
    const QString title = QStringLiteral("Context Menus");

    // Cancel, with its button or with Escape, changes nothing.
    QCOMPARE(ChooseTypes(true, true, true, Answer::CancelButton), title);
    QVERIFY(EntryText().isEmpty());
    QCOMPARE(ChooseTypes(true, false, true, Answer::Escape), title);
    QVERIFY(EntryText().isEmpty());

    QCOMPARE(ChooseTypes(true, true, false, Answer::Ok), title);
    QVERIFY(EntryText().contains(QStringLiteral("\nMimeType=image/gif;image/jpeg;\n")));
    QVERIFY(EntryText().contains(QStringLiteral("\nExec=\"%1\" %f\n").arg(QCoreApplication::applicationFilePath())));
    QSettings settings(QStringLiteral("Orvanti"), QStringLiteral("Pictaron"));
    QCOMPARE(settings.value(QStringLiteral("Associations/GIF")).toString(), QStringLiteral("1"));
    QCOMPARE(settings.value(QStringLiteral("Associations/BMP")).toString(), QStringLiteral("0"));

    // Unchecking keeps what was offered; a new type is added.
    QCOMPARE(ChooseTypes(false, false, true, Answer::Ok), title);
    QVERIFY(EntryText().contains(QStringLiteral("\nMimeType=image/gif;image/jpeg;image/bmp;\n")));
    window_.reset();
}

QTEST_MAIN(AssociationsTest)
#include "associations_test.moc"
