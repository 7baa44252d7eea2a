#include "components/formposition.h"

#include "components/settingstext.h"

#include <QGuiApplication>
#include <QScreen>
#include <QWidget>

#include <algorithm>

namespace pictaron {

namespace {

constexpr int kMissing = -999;

QString GroupOf(const QString& name) { return QStringLiteral("Form Positions/") + name; }

// A stored place can lie off every screen today (a monitor since unplugged, a
// smaller display): such a window, often modal, could not be seen or moved.
// Unless enough of it to grab lies on a screen, it is brought onto the screen
// nearest to it, and made no larger than that screen.
QRect OnScreen(QRect bounds)
{
    constexpr int kGrip = 40;
    const QList<QScreen*> screens = QGuiApplication::screens();
    if (screens.isEmpty())
        return bounds;
    const QScreen* nearest = screens.first();
    qint64 nearestDistance = -1;
    for (const QScreen* screen : screens) {
        const QRect area = screen->availableGeometry();
        const QRect seen = area.intersected(bounds);
        if (seen.width() >= kGrip && seen.height() >= kGrip)
            return bounds;
        const QPoint offset = area.center() - bounds.center();
        const qint64 distance = qint64(offset.x()) * offset.x() + qint64(offset.y()) * offset.y();
        if (nearestDistance < 0 || distance < nearestDistance) {
            nearest = screen;
            nearestDistance = distance;
        }
    }
    const QRect area = nearest->availableGeometry();
    bounds.setSize(bounds.size().boundedTo(area.size()));
    bounds.moveLeft(std::clamp(bounds.left(), area.left(), area.right() + 1 - bounds.width()));
    bounds.moveTop(std::clamp(bounds.top(), area.top(), area.bottom() + 1 - bounds.height()));
    return bounds;
}

} // namespace

bool LoadFormPosition(QSettings& settings, QWidget* window, const QString& name)
{
    settings.beginGroup(GroupOf(name));
    const auto read = [&settings](const char* key) {
        return ReadIntSetting(settings, QString::fromLatin1(key), kMissing, -1'000'000, 1'000'000);
    };
    const int top = read("Top");
    const int left = read("Left");
    const int width = read("Width");
    const int height = read("Height");
    const QString state = ReadTextSetting(settings, QStringLiteral("Window State"));
    settings.endGroup();

    bool restored = false;
    if (state.compare(QLatin1String("Max"), Qt::CaseInsensitive) == 0) {
        window->setWindowState(Qt::WindowMaximized);
        restored = true;
    } else if (state.compare(QLatin1String("Min"), Qt::CaseInsensitive) == 0) {
        window->setWindowState(Qt::WindowMinimized);
        restored = true;
    } else if (state.compare(QLatin1String("Normal"), Qt::CaseInsensitive) == 0) {
        window->setWindowState(Qt::WindowNoState);
        restored = true;
    }
    if (window->windowState() & (Qt::WindowMaximized | Qt::WindowMinimized))
        return restored;
    if (top == kMissing)
        return false;

    QRect bounds = window->geometry();
    bounds.moveTop(top);
    if (left != kMissing)
        bounds.moveLeft(left);
    if (width != kMissing && width > 0)
        bounds.setWidth(width);
    if (height != kMissing && height > 0)
        bounds.setHeight(height);
    window->setGeometry(OnScreen(bounds));
    return true;
}

bool SaveFormPosition(QSettings& settings, const QWidget* window, const QString& name)
{
    settings.beginGroup(GroupOf(name));
    const QRect bounds = window->geometry();
    WriteIntSetting(settings, QStringLiteral("Top"), bounds.top());
    WriteIntSetting(settings, QStringLiteral("Left"), bounds.left());
    WriteIntSetting(settings, QStringLiteral("Width"), bounds.width());
    WriteIntSetting(settings, QStringLiteral("Height"), bounds.height());
    const Qt::WindowStates state = window->windowState();
    settings.setValue(QStringLiteral("Window State"),
                      state & Qt::WindowMinimized   ? QStringLiteral("Min")
                          : state & Qt::WindowMaximized ? QStringLiteral("Max")
                                                        : QStringLiteral("Normal"));
    settings.endGroup();
    settings.sync();
    return settings.status() == QSettings::NoError;
}

} // namespace pictaron
