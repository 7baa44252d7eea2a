#include "components/formposition.h"

#include "components/settingstext.h"

#include <QWidget>

namespace pictaron {

namespace {

constexpr int kMissing = -999;

QString GroupOf(const QString& name) { return QStringLiteral("Form Positions/") + name; }

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
    window->setGeometry(bounds);
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
