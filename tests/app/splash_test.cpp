// The splash window and About box, and the drawing of the download-time list.
#include "app/downloadtimelist.h"
#include "app/splash.h"
#include "windowtesting.h"

#include <QElapsedTimer>
#include <QLabel>
#include <QPainter>
#include <QSignalSpy>
#include <QWindow>
#include <QtTest>

using namespace pictaron;
using pictaron::testing::AnswerNextDialog;
using pictaron::testing::PressKey;

class SplashTest : public QObject {
    Q_OBJECT
private slots:
    void splashShowsTheVersion();
    void startPauseKeepsTheEventLoopRunning();
    void aboutBoxClosesOnEscapeAndPlaysItsAnimation();
    void startSplashIgnoresEscape();
    void animationAsksForTheEmailDialog();
    void downloadItemsAreDrawnInColumns();
};

void SplashTest::splashShowsTheVersion()
{
    TfrmSplash splash;
    QCOMPARE(splash.size(), QSize(472, 286));
    auto* version = splash.findChild<QLabel*>(QStringLiteral("lblVersion"));
    QCOMPARE(version->text(), QStringLiteral("Version 1.01"));
    QCOMPARE(version->geometry(), QRect(238, 130, 137, version->height()));
    auto* notice = splash.findChild<QLabel*>(QStringLiteral("lblNotice"));
    QCOMPARE(notice->y(), 260);
    QVERIFY(std::abs(notice->x() + notice->width() / 2 - 236) <= 1);
    QCOMPARE(splash.Animation()->geometry(), QRect(367, 15, 86, 29));
    QVERIFY(!splash.Animation()->IsActive());
}

void SplashTest::startPauseKeepsTheEventLoopRunning()
{
    QWidget visible;  // a window already on screen
    visible.show();
    bool ticked = false;
    bool started = false;
    QElapsedTimer clock;
    clock.start();
    QTimer::singleShot(100, &visible, [&] { ticked = true; });
    TfrmSplash::ShowAtStart([&] { started = true; });
    QVERIFY(!started);
    QTRY_VERIFY(ticked);
    QVERIFY(!started);  // the other window's timer ran during the pause
    QTRY_VERIFY_WITH_TIMEOUT(started, 10000);
    QVERIFY(clock.elapsed() >= TfrmSplash::kStartPauseMs - 1);
    for (QWidget* widget : QApplication::topLevelWidgets())
        QVERIFY(!qobject_cast<TfrmSplash*>(widget) || !widget->isVisible());
}

void SplashTest::aboutBoxClosesOnEscapeAndPlaysItsAnimation()
{
    bool animating = false;
    AnswerNextDialog(
        [&](QDialog* about) {
            const EmailAnimation* animation = static_cast<TfrmSplash*>(about)->Animation();
            animating = animation->IsActive() && animation->isVisible();
            PressKey(Qt::Key_Escape);
        },
        TfrmSplash::staticMetaObject);
    TfrmSplash::ShowAbout(nullptr);  // returns once Escape has closed it
    QVERIFY(animating);

    // A click on the picture closes it too (Escape only if it did not, so
    // that the test ends).
    bool closedByClick = false;
    AnswerNextDialog(
        [&](QDialog* about) {
            QTest::mouseClick(about->windowHandle(), Qt::LeftButton, {}, QPoint(100, 100));
            closedByClick = QTest::qWaitFor([about] { return !about->isVisible(); }, 2000);
            if (!closedByClick)
                PressKey(Qt::Key_Escape);
        },
        TfrmSplash::staticMetaObject);
    TfrmSplash::ShowAbout(nullptr);
    QVERIFY(closedByClick);
}

void SplashTest::startSplashIgnoresEscape()
{
    TfrmSplash splash;
    splash.show();
    QVERIFY(QTest::qWaitForWindowExposed(&splash));
    QTest::keyClick(splash.windowHandle(), Qt::Key_Escape);
    QTest::mouseClick(splash.windowHandle(), Qt::LeftButton, {}, QPoint(100, 100));
    QVERIFY(splash.isVisible());
}

void SplashTest::animationAsksForTheEmailDialog()
{
    // In the About box, as a person clicks: a press and a release at a point
    // of the box, which hands them to the animation lying there.
    QString reached;
    bool aboutStillOpen = false;
    AnswerNextDialog(
        [&](QDialog* about) {
            AnswerNextDialog([&](QDialog* email) {
                reached = email->metaObject()->className();
                PressKey(Qt::Key_Escape);
            });
            // Returns once the e-mail dialog it opens is closed.
            QTest::mouseClick(about->windowHandle(), Qt::LeftButton, {},
                              static_cast<TfrmSplash*>(about)->Animation()->geometry().center());
            aboutStillOpen = about->isVisible();
            PressKey(Qt::Key_Escape);
        },
        TfrmSplash::staticMetaObject);
    TfrmSplash::ShowAbout(nullptr);
    QCOMPARE(reached, QStringLiteral("pictaron::TfrmEmail"));
    QVERIFY(aboutStillOpen);

    // The right button asks too, the middle one does not, and a press that
    // leaves the animation before its release is no click on it.
    EmailAnimation animation;
    animation.show();
    QVERIFY(QTest::qWaitForWindowExposed(&animation));
    QSignalSpy asked(&animation, &EmailAnimation::EmailAFriendRequested);
    QTest::mouseClick(animation.windowHandle(), Qt::RightButton, {}, QPoint(10, 10));
    QTest::mouseClick(animation.windowHandle(), Qt::MiddleButton, {}, QPoint(10, 10));
    QTest::mousePress(animation.windowHandle(), Qt::LeftButton, {}, QPoint(10, 10));
    QTest::mouseMove(animation.windowHandle(), QPoint(200, 10));
    QTest::mouseRelease(animation.windowHandle(), Qt::LeftButton, {}, QPoint(200, 10));
    QCOMPARE(asked.count(), 1);
    QCOMPARE(animation.toolTip(), QStringLiteral("Email a friend about this program"));
}

namespace {

// The columns of an item drawn in black on white: for each pixel column,
// whether any pixel in it is dark.
QVector<bool> InkColumns(const QString& item, int pixelSize = 10)
{
    QImage canvas(400, 13 + pixelSize, QImage::Format_RGB32);
    canvas.fill(Qt::white);
    QPainter painter(&canvas);
    painter.setPen(Qt::black);
    QFont font(QStringLiteral("DejaVu Sans"));
    font.setPixelSize(pixelSize);
    DownloadTimeList::cmbDownloadTimeDrawItem(painter, canvas.rect(), item, font);
    painter.end();
    QVector<bool> ink(canvas.width(), false);
    for (int x = 0; x < canvas.width(); ++x)
        for (int y = 0; y < canvas.height(); ++y)
            ink[x] = ink[x] || qGray(canvas.pixel(x, y)) < 128;
    return ink;
}

bool AnyInk(const QVector<bool>& ink, int from, int to)
{
    return std::any_of(ink.begin() + from, ink.begin() + to, [](bool dark) { return dark; });
}

} // namespace

void SplashTest::downloadItemsAreDrawnInColumns()
{
    // Each field starts at its column: 2, 45 and 95 in a font as narrow as
    // the one those places were made for, further right in a wider one.
    QFont narrow(QStringLiteral("DejaVu Sans"));
    narrow.setPixelSize(6);
    QCOMPARE(DownloadTimeList::ColumnsFor(narrow).current, 45);
    QCOMPARE(DownloadTimeList::ColumnsFor(narrow).fresh, 95);
    QFont font(QStringLiteral("DejaVu Sans"));
    font.setPixelSize(10);
    const DownloadTimeList::Columns columns = DownloadTimeList::ColumnsFor(font);
    QVERIFY(columns.current >= 45 && columns.fresh >= 95);
    const QVector<bool> row = InkColumns(QStringLiteral("T1|(0.2 sec)|0.0 sec"));
    QVERIFY(!AnyInk(row, 0, 2));
    QVERIFY(AnyInk(row, 2, 12));
    QVERIFY(!AnyInk(row, 30, columns.current));
    QVERIFY(AnyInk(row, columns.current, columns.current + 10));
    QVERIFY(AnyInk(row, columns.fresh, columns.fresh + 10));
    // Two fields: nothing in the third column.
    QVERIFY(!AnyInk(InkColumns(QStringLiteral("T1|(0.2 sec)")), columns.fresh, 400));
    // One field draws "Download Time", whatever the item says.
    QCOMPARE(InkColumns(QStringLiteral("Download Time (secs):")), InkColumns(QStringLiteral("anything")));
    QVERIFY(AnyInk(InkColumns(QStringLiteral("anything")), 2, 60));

    // In a wider font the columns move apart and never run into each other:
    // the widest speed ends before the second field, the longest current time
    // before the third.
    const auto lastInk = [](const QVector<bool>& ink) { return int(ink.lastIndexOf(true)); };
    const auto firstInk = [](const QVector<bool>& ink) { return int(ink.indexOf(true)); };
    for (const int size : {10, 13, 16}) {
        const int speedEnds = lastInk(InkColumns(QStringLiteral("28.8k| "), size));
        const int currentStarts = firstInk(InkColumns(QStringLiteral("|(0.0 sec)"), size));
        const int currentEnds = lastInk(InkColumns(QStringLiteral("|(87381 sec)"), size));
        const int newStarts = firstInk(InkColumns(QStringLiteral("||2.6 sec"), size));
        QVERIFY2(speedEnds + 3 < currentStarts, qPrintable(QString::number(size)));
        QVERIFY2(currentEnds + 3 < newStarts, qPrintable(QString::number(size)));
    }

    // The list is wide enough for its columns beside its arrow.
    DownloadTimeList list;
    QFont wide(QStringLiteral("DejaVu Sans"));
    wide.setPixelSize(16);
    list.setFont(wide);
    QVERIFY(list.width() >= DownloadTimeList::ColumnsFor(wide).width);
    QFont small(QStringLiteral("DejaVu Sans"));
    small.setPixelSize(6);
    list.setFont(small);
    QCOMPARE(list.width(), DownloadTimeList::kWidth);
}

QTEST_MAIN(SplashTest)
#include "splash_test.moc"
