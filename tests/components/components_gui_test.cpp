// The recent-files menu, saved window positions and the control helpers.
#include "components/controlhelpers.h"
#include "components/formposition.h"
#include "components/recentfilesmenu.h"

#include <QCheckBox>
#include <QGroupBox>
#include <QLineEdit>
#include <QMenu>
#include <QTemporaryDir>
#include <QVBoxLayout>
#include <QGuiApplication>
#include <QScreen>
#include <QtTest>

using namespace pictaron;

class ComponentsGuiTest : public QObject {
    Q_OBJECT
private slots:
    void recentEntriesAreNumberedInListOrder();
    void sixthFileDropsTheOldest();
    void reAddingMovesToTheFirstEntry();
    void entriesOpenTheirPath();
    void recentFilesRoundTripThroughSettings();
    void formPositionRestoresWhatWasSaved();
    void formPositionWithNothingStoredLeavesTheWindow();
    void formPositionOffEveryScreenComesBackOntoOne();
    void enableChildrenReachesNestedControls();
    void centreInParent();
};

namespace {

// A File menu laid out like the main window's.
struct FileMenu {
    QMenu menu;
    QAction* open = menu.addAction(QStringLiteral("&Open"));
    QAction* before = menu.addSeparator();
    QAction* after = menu.addSeparator();
    QAction* exit = menu.addAction(QStringLiteral("Exit"));
    QStringList opened;
    RecentFilesMenu recent{&menu, before, after, [this](const QString& path) { opened << path; }};

    QStringList Captions() const
    {
        QStringList captions;
        for (QAction* action : menu.actions())
            captions << (action->isSeparator() ? (action->isVisible() ? QStringLiteral("-") : QStringLiteral("(-)"))
                                               : action->text());
        return captions;
    }
};

} // namespace

void ComponentsGuiTest::recentEntriesAreNumberedInListOrder()
{
    FileMenu file;
    QCOMPARE(file.Captions(), (QStringList{"&Open", "(-)", "(-)", "Exit"}));
    file.recent.AddRecentFile(QStringLiteral("/p/a.jpg"));
    file.recent.AddRecentFile(QStringLiteral("/p/b & c.gif"));
    QCOMPARE(file.Captions(), (QStringList{"&Open", "-", "&1 /p/b && c.gif", "&2 /p/a.jpg", "-", "Exit"}));
}

void ComponentsGuiTest::sixthFileDropsTheOldest()
{
    FileMenu file;
    for (int i = 1; i <= 6; ++i)
        file.recent.AddRecentFile(QStringLiteral("/p/%1.jpg").arg(i));
    QCOMPARE(file.Captions(), (QStringList{"&Open", "-", "&1 /p/6.jpg", "&2 /p/5.jpg", "&3 /p/4.jpg", "&4 /p/3.jpg",
                                           "&5 /p/2.jpg", "-", "Exit"}));
}

void ComponentsGuiTest::reAddingMovesToTheFirstEntry()
{
    FileMenu file;
    for (int i = 1; i <= 4; ++i)
        file.recent.AddRecentFile(QStringLiteral("/p/%1.jpg").arg(i));
    file.recent.AddRecentFile(QStringLiteral("/p/2.jpg"));
    QCOMPARE(file.Captions(), (QStringList{"&Open", "-", "&1 /p/2.jpg", "&2 /p/4.jpg", "&3 /p/3.jpg", "&4 /p/1.jpg", "-",
                                           "Exit"}));
    // Letter case tells two files apart on this system: both are listed.
    file.recent.AddRecentFile(QStringLiteral("/P/2.JPG"));
    QCOMPARE(file.Captions(), (QStringList{"&Open", "-", "&1 /P/2.JPG", "&2 /p/2.jpg", "&3 /p/4.jpg", "&4 /p/3.jpg",
                                           "&5 /p/1.jpg", "-", "Exit"}));
}

void ComponentsGuiTest::entriesOpenTheirPath()
{
    FileMenu file;
    file.recent.AddRecentFile(QStringLiteral("/p/a & b.jpg"));
    file.recent.AddRecentFile(QStringLiteral("/p/c.jpg"));
    // The menu open, and the entry clicked: a press and a release at it.
    file.menu.popup(QPoint(100, 100));
    QVERIFY(QTest::qWaitForWindowExposed(&file.menu));
    QAction* entry = file.recent.Entries().at(1);
    QTest::mouseClick(file.menu.windowHandle(), Qt::LeftButton, {}, file.menu.actionGeometry(entry).center());
    QTRY_COMPARE(file.opened, QStringList{QStringLiteral("/p/a & b.jpg")});
    QVERIFY(!file.menu.isVisible());
}

void ComponentsGuiTest::recentFilesRoundTripThroughSettings()
{
    QTemporaryDir folder;
    QSettings settings(folder.filePath(QStringLiteral("s.conf")), QSettings::IniFormat);
    {
        FileMenu file;
        for (int i = 1; i <= 3; ++i)
            file.recent.AddRecentFile(QStringLiteral("/p/%1.jpg").arg(i));
        file.recent.SaveRecentFiles(settings);
    }
    FileMenu file;
    file.recent.LoadRecentFiles(settings);
    QCOMPARE(file.recent.Paths(), (QStringList{"/p/3.jpg", "/p/2.jpg", "/p/1.jpg"}));
    QCOMPARE(file.Captions().at(2), QStringLiteral("&1 /p/3.jpg"));
}

void ComponentsGuiTest::formPositionRestoresWhatWasSaved()
{
    QTemporaryDir folder;
    QSettings settings(folder.filePath(QStringLiteral("s.conf")), QSettings::IniFormat);
    QWidget window;
    window.setGeometry(40, 50, 300, 200);
    QVERIFY(SaveFormPosition(settings, &window, QStringLiteral("Color Picker Zoom")));
    QCOMPARE(settings.value(QStringLiteral("Form Positions/Color Picker Zoom/Width")).toString(), QStringLiteral("300"));
    QCOMPARE(settings.value(QStringLiteral("Form Positions/Color Picker Zoom/Window State")).toString(),
             QStringLiteral("Normal"));

    QWidget restored;
    restored.setGeometry(0, 0, 100, 100);
    QVERIFY(LoadFormPosition(settings, &restored, QStringLiteral("Color Picker Zoom")));
    QCOMPARE(restored.geometry(), QRect(40, 50, 300, 200));

    // A damaged value is treated as missing: the others still apply.
    settings.setValue(QStringLiteral("Form Positions/Color Picker Zoom/Width"), QStringLiteral("wide"));
    QWidget partly;
    partly.setGeometry(0, 0, 120, 100);
    QVERIFY(LoadFormPosition(settings, &partly, QStringLiteral("Color Picker Zoom")));
    QCOMPARE(partly.geometry(), QRect(40, 50, 120, 200));
}

void ComponentsGuiTest::formPositionOffEveryScreenComesBackOntoOne()
{
    QTemporaryDir folder;
    QSettings settings(folder.filePath(QStringLiteral("s.conf")), QSettings::IniFormat);
    const QRect screen = QGuiApplication::primaryScreen()->availableGeometry();
    // Saved on a second monitor, far right, since unplugged.
    settings.setValue(QStringLiteral("Form Positions/Zoom/Left"), QString::number(screen.right() + 2000));
    settings.setValue(QStringLiteral("Form Positions/Zoom/Top"), QStringLiteral("-5000"));
    settings.setValue(QStringLiteral("Form Positions/Zoom/Width"), QStringLiteral("300"));
    settings.setValue(QStringLiteral("Form Positions/Zoom/Height"), QString::number(screen.height() + 500));
    QWidget window;
    QVERIFY(LoadFormPosition(settings, &window, QStringLiteral("Zoom")));
    QVERIFY2(screen.contains(window.geometry()), qPrintable(QStringLiteral("%1,%2 %3x%4")
                                                                 .arg(window.x()).arg(window.y())
                                                                 .arg(window.width()).arg(window.height())));
    QCOMPARE(window.width(), 300);
    QCOMPARE(window.height(), screen.height());

    // Partly on the screen, with enough to grab: left where it was put.
    settings.setValue(QStringLiteral("Form Positions/Zoom/Left"), QString::number(screen.right() - 100));
    settings.setValue(QStringLiteral("Form Positions/Zoom/Top"), QString::number(screen.top() + 10));
    settings.setValue(QStringLiteral("Form Positions/Zoom/Height"), QStringLiteral("200"));
    QVERIFY(LoadFormPosition(settings, &window, QStringLiteral("Zoom")));
    QCOMPARE(window.geometry(), QRect(screen.right() - 100, screen.top() + 10, 300, 200));
}

void ComponentsGuiTest::formPositionWithNothingStoredLeavesTheWindow()
{
    QTemporaryDir folder;
    QSettings settings(folder.filePath(QStringLiteral("s.conf")), QSettings::IniFormat);
    QWidget window;
    window.setGeometry(10, 20, 130, 140);
    QVERIFY(!LoadFormPosition(settings, &window, QStringLiteral("Nothing")));
    QCOMPARE(window.geometry(), QRect(10, 20, 130, 140));
}

void ComponentsGuiTest::enableChildrenReachesNestedControls()
{
    QGroupBox frame;
    auto* edit = new QLineEdit(&frame);
    auto* inner = new QWidget(&frame);
    auto* nested = new QCheckBox(inner);
    EnableChildren(&frame, false);
    QVERIFY(frame.isEnabled());
    QVERIFY(!edit->isEnabled());
    QVERIFY(!inner->isEnabled());
    QVERIFY(!nested->isEnabled());
    EnableChildren(&frame, true);
    QVERIFY(edit->isEnabled() && nested->isEnabled());
}

void ComponentsGuiTest::centreInParent()
{
    QWidget parent;
    parent.resize(301, 200);
    auto* child = new QWidget(&parent);
    child->setGeometry(7, 9, 100, 51);
    CentreInParent(child, Centre::Horizontally);
    QCOMPARE(child->pos(), QPoint(100, 9));
    CentreInParent(child, Centre::Vertically);
    QCOMPARE(child->pos(), QPoint(100, 75));
    child->resize(400, 300);  // larger than the parent: pinned at 0
    CentreInParent(child, Centre::Both);
    QCOMPARE(child->pos(), QPoint(0, 0));
}

QTEST_MAIN(ComponentsGuiTest)
#include "components_gui_test.moc"
