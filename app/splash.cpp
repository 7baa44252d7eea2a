#include "app/splash.h"

#include "app/splashpicture.h"
#include "components/controlhelpers.h"
#include "mail/emaildialog.h"

#include <QGuiApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QPainter>
#include <QPainterPath>
#include <QScreen>
#include <QTimer>

#include <cmath>

namespace pictaron {

// The caption shows the program's one version number (project() in the top
// CMakeLists.txt), the one pictaron-cli --version prints.
const QString TfrmSplash::kVersionText = QStringLiteral("Version " PICTARON_VERSION);

EmailAnimation::EmailAnimation(QWidget* parent) : QWidget(parent), frames_(new QTimer(this))
{
    setObjectName(QStringLiteral("aniEmailAFriend"));
    setFixedSize(86, 29);
    setCursor(Qt::PointingHandCursor);
    setToolTip(QStringLiteral("Email a friend about this program"));
    frames_->setInterval(70);
    connect(frames_, &QTimer::timeout, this, [this] {
        frame_ = (frame_ + 1) % 48;
        update();
    });
}

void EmailAnimation::SetActive(bool active)
{
    if (active)
        frames_->start();
    else
        frames_->stop();
}

bool EmailAnimation::IsActive() const
{
    return frames_->isActive();
}

void EmailAnimation::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(255, 255, 255, 40));
    p.drawRoundedRect(rect().adjusted(0, 0, -1, -1), 6, 6);

    // The envelope flies from left to right on a gentle wave, leaving dots.
    const double phase = frame_ / 48.0;
    const double x = 4 + phase * 60;
    const double y = 9 + 3 * std::sin(phase * 6.2832 * 2);
    p.setBrush(QColor(255, 255, 255, 120));
    for (int i = 1; i <= 4; ++i) {
        const double tx = x - i * 6;
        if (tx > 2)
            p.drawEllipse(QPointF(tx, y + 6 + 2 * std::sin((phase - i * 0.02) * 6.2832 * 2)), 1.2, 1.2);
    }
    const QRectF envelope(x, y, 18, 12);
    p.setPen(QPen(QColor(0x1f, 0x3a, 0x6b), 1));
    p.setBrush(QColor(0xff, 0xfb, 0xef));
    p.drawRect(envelope);
    QPainterPath flap;
    flap.moveTo(envelope.topLeft());
    flap.lineTo(envelope.center().x(), envelope.top() + 7);
    flap.lineTo(envelope.topRight());
    p.setBrush(Qt::NoBrush);
    p.drawPath(flap);
    p.setPen(QColor(255, 255, 255));
    QFont small = font();
    small.setPixelSize(9);
    small.setBold(true);
    p.setFont(small);
    p.drawText(QRectF(0, 0, width() - 3, height() - 1), Qt::AlignRight | Qt::AlignBottom, QStringLiteral("tell a friend"));
}

void EmailAnimation::mousePressEvent(QMouseEvent* event)
{
    // Taken here, so the press does not reach the About box, which closes on
    // a click of its own.
    event->accept();
}

void EmailAnimation::mouseReleaseEvent(QMouseEvent* event)
{
    // A click is a press and a release over the animation: moving off it
    // before letting go changes one's mind.
    const bool asking = event->button() == Qt::LeftButton || event->button() == Qt::RightButton;
    if (asking && rect().contains(event->position().toPoint()))
        emit EmailAFriendRequested();
}

TfrmSplash::TfrmSplash(QWidget* parent)
    : QDialog(parent, Qt::FramelessWindowHint | Qt::Dialog), Image1(SplashPicture(QSize(472, 286)))
{
    setObjectName(QStringLiteral("TfrmSplash"));
    setWindowTitle(QStringLiteral("Pictaron"));
    setFixedSize(472, 286);

    lblVersion = new QLabel(this);
    lblVersion->setObjectName(QStringLiteral("lblVersion"));
    lblVersion->setGeometry(238, 130, 137, 18);
    lblVersion->setAlignment(Qt::AlignCenter);
    QFont versionFont(QStringLiteral("Arial"));
    versionFont.setPixelSize(13);
    versionFont.setBold(true);
    lblVersion->setFont(versionFont);
    lblVersion->setStyleSheet(QStringLiteral("color: navy;"));
    lblVersion->setText(kVersionText);

    lblNotice = new QLabel(this);
    lblNotice->setObjectName(QStringLiteral("lblNotice"));
    lblNotice->setText(QStringLiteral("Copyright \u00A9 Orvanti.  Pictures made small for the web."));
    lblNotice->setStyleSheet(QStringLiteral("color: #dfe7f2;"));
    lblNotice->adjustSize();
    lblNotice->move(0, 260);
    CentreInParent(lblNotice, Centre::Horizontally);

    aniEmailAFriend = new EmailAnimation(this);
    aniEmailAFriend->move(367, 15);
    aniEmailAFriend->hide();

    if (const QScreen* screen = QGuiApplication::primaryScreen())
        move(screen->geometry().center() - rect().center());
}

void TfrmSplash::ShowAtStart(std::function<void()> then)
{
    auto* splash = new TfrmSplash;
    splash->setAttribute(Qt::WA_DeleteOnClose);
    // Closing it must not end the program: the main window is still to come.
    splash->setAttribute(Qt::WA_QuitOnClose, false);
    splash->show();
    splash->repaint();
    // Whichever way the splash goes (the pause ends, the window manager
    // closes it), the program carries on once it is gone.
    QObject::connect(splash, &QObject::destroyed, [then = std::move(then)] { then(); });
    // A coarse timer may fire up to 5 % early; the pause is at least its length.
    QTimer::singleShot(kStartPauseMs, Qt::PreciseTimer, splash, [splash] { splash->close(); });
}

void TfrmSplash::ShowAbout(QWidget* parent)
{
    TfrmSplash about(parent);
    connect(about.aniEmailAFriend, &EmailAnimation::EmailAFriendRequested, &about,
            [&about] { TfrmEmail::Open(&about, PictaronFriendTexts()); });
    about.aniEmailAFriend->SetActive(true);
    about.aniEmailAFriend->show();
    about.exec();
}

void TfrmSplash::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.drawPixmap(0, 0, Image1);
}

void TfrmSplash::mousePressEvent(QMouseEvent* event)
{
    // In the About box a click on the picture closes it.
    if (aniEmailAFriend->isVisible())
        accept();
    QDialog::mousePressEvent(event);
}

void TfrmSplash::keyPressEvent(QKeyEvent* event)
{
    // Escape closes the About box; the start-up splash ignores it.
    if (event->key() == Qt::Key_Escape && !aniEmailAFriend->isVisible()) {
        event->accept();
        return;
    }
    QDialog::keyPressEvent(event);
}

} // namespace pictaron
