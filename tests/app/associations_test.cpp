// Options > File Associations: the choice is kept in the settings and offered
// to file managers through the "Open With Pictaron" desktop entry.
#include "app/associatedialog.h"
#include "app/mainwindow.h"
#include "app/openwith.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QFile>
#include <QSettings>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest>

using namespace pictaron;

class AssociationsTest : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void chosenTypesAreOfferedAndNeverWithdrawn();

private:
    // Answers the dialog when it opens: the given boxes checked, then OK.
    static void AnswerDialog(bool gif, bool jpeg, bool bmp, bool accept);
    QString EntryText() const;

    QTemporaryDir home_;
};

void AssociationsTest::initTestCase()
{
    qputenv("XDG_DATA_HOME", QFile::encodeName(home_.filePath(QStringLiteral("data"))));
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(home_.filePath(QStringLiteral("config"))));
}

void AssociationsTest::AnswerDialog(bool gif, bool jpeg, bool bmp, bool accept)
{
    QTimer::singleShot(0, [=] {
        auto* dialog = qobject_cast<TfrmAssociate*>(QApplication::activeModalWidget());
        QVERIFY(dialog);
        QCOMPARE(dialog->windowTitle(), QStringLiteral("Context Menus"));
        dialog->chkGIF->setChecked(gif);
        dialog->chkJPEG->setChecked(jpeg);
        dialog->chkBMP->setChecked(bmp);
        accept ? dialog->accept() : dialog->reject();
    });
}

QString AssociationsTest::EntryText() const
{
    QFile entry(home_.filePath(QStringLiteral("data/applications/")) + kOpenWithEntryName);
    return entry.open(QIODevice::ReadOnly) ? QString::fromUtf8(entry.readAll()) : QString();
}

void AssociationsTest::chosenTypesAreOfferedAndNeverWithdrawn()
{
    TfrmPictaron window;
    auto* menuItem = window.findChild<QAction*>(QStringLiteral("mnuOptionsFile"));
    QVERIFY(menuItem);

    // Cancel changes nothing.
    AnswerDialog(true, true, true, false);
    menuItem->trigger();
    QVERIFY(EntryText().isEmpty());

    AnswerDialog(true, true, false, true);
    menuItem->trigger();
    QVERIFY(EntryText().contains(QStringLiteral("\nMimeType=image/gif;image/jpeg;\n")));
    QVERIFY(EntryText().contains(QStringLiteral("\nExec=\"%1\" %f\n").arg(QCoreApplication::applicationFilePath())));
    QSettings settings(QStringLiteral("Orvanti"), QStringLiteral("Pictaron"));
    QCOMPARE(settings.value(QStringLiteral("Associations/GIF")).toString(), QStringLiteral("1"));
    QCOMPARE(settings.value(QStringLiteral("Associations/BMP")).toString(), QStringLiteral("0"));

    // Unchecking keeps what was offered; a new type is added.
    AnswerDialog(false, false, true, true);
    menuItem->trigger();
    QVERIFY(EntryText().contains(QStringLiteral("\nMimeType=image/gif;image/jpeg;image/bmp;\n")));
}

QTEST_MAIN(AssociationsTest)
#include "associations_test.moc"
