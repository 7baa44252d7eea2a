#include "windowtestsupport.h"

#include "colour/pickersettings.h"

#include <QDir>
#include <QTemporaryDir>

#include <cstdlib>

namespace pictaron {

void PrepareWindowTestEnvironment()
{
    static QTemporaryDir root;
    QDir(root.path()).mkpath(QStringLiteral("config"));
    QDir(root.path()).mkpath(QStringLiteral("tmp"));
    ::setenv("XDG_CONFIG_HOME", QFile::encodeName(root.filePath(QStringLiteral("config"))).constData(), 1);
    ::setenv("TMPDIR", QFile::encodeName(root.filePath(QStringLiteral("tmp"))).constData(), 1);
}

void ClearPickerSettings()
{
    OpenPickerSettings()->clear();
}

QRgb FakeScreenRgb(int x, int y)
{
    return qRgb(x & 255, y & 255, 16 * (x >> 8) + (y >> 8));
}

FakeScreen::FakeScreen()
    : screen_(1280, 800, QImage::Format_RGB32)
{
    for (int y = 0; y < screen_.height(); ++y)
        for (int x = 0; x < screen_.width(); ++x)
            screen_.setPixel(x, y, FakeScreenRgb(x, y));
    SetScreenSource(this);
}

std::optional<QImage> FakeScreen::Grab(const QRect& area)
{
    if (refuse)
        return std::nullopt;
    return screen_.copy(area);
}

} // namespace pictaron
