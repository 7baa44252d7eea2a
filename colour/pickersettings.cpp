#include "colour/pickersettings.h"

#include "components/settingstext.h"
#include "components/textutils.h"

#include <QStringList>

#include <algorithm>
#include <cstdint>

namespace pictaron {

std::unique_ptr<QSettings> OpenPickerSettings()
{
    return std::make_unique<QSettings>(QStringLiteral("Orvanti"), QStringLiteral("Color Picker"));
}

bool ReadPickerBool(const QSettings& settings, const QString& key, bool fallback)
{
    if (!settings.contains(key))
        return fallback;
    return IsTrueText(ReadTextSetting(settings, key).trimmed());
}

void WritePickerBool(QSettings& settings, const QString& key, bool value)
{
    settings.setValue(key, value ? QStringLiteral("true") : QStringLiteral("false"));
}

qint64 ReadPickerInteger(const QSettings& settings, const QString& key, qint64 fallback)
{
    const QString text = ReadTextSetting(settings, key).trimmed();
    bool ok = false;
    const qint64 value = text.startsWith(QLatin1String("0x"), Qt::CaseInsensitive)
        ? text.mid(2).toLongLong(&ok, 16)
        : text.toLongLong(&ok, 10);
    if (!ok || value < INT32_MIN || value > UINT32_MAX || text.startsWith(QLatin1String("0x-"), Qt::CaseInsensitive))
        return fallback;
    return value;
}

QString SchemeGroup(const QString& scheme)
{
    return scheme == kDefaultScheme ? QStringLiteral("Custom Colours") : QStringLiteral("Custom Colours/") + scheme;
}

QStringList SchemeNames(QSettings& settings)
{
    settings.beginGroup(QStringLiteral("Custom Colours"));
    QStringList names = settings.childGroups();
    settings.endGroup();
    names.removeAll(kDefaultScheme);
    names << kDefaultScheme;
    SortSchemeNames(names);
    return names;
}

void SortSchemeNames(QStringList& names)
{
    std::sort(names.begin(), names.end(),
              [](const QString& a, const QString& b) { return a.compare(b, Qt::CaseInsensitive) < 0; });
}

CustomColours LoadCustomColours(QSettings& settings, const QString& scheme)
{
    CustomColours colours;
    colours.fill(clWhite);
    settings.beginGroup(SchemeGroup(scheme));
    const int stored = static_cast<int>(settings.childKeys().size());
    for (int i = 0; i < std::min(stored, kCustomColourCount); ++i) {
        const qint64 value = ReadPickerInteger(settings, QString::number(i), -1);
        if (value >= 0 && value <= 0xFFFFFF)
            colours[static_cast<std::size_t>(i)] = static_cast<TColor>(value);
    }
    settings.endGroup();
    return colours;
}

void SaveCustomColours(QSettings& settings, const QString& scheme, const CustomColours& colours)
{
    settings.beginGroup(SchemeGroup(scheme));
    for (int i = 0; i < kCustomColourCount; ++i)
        settings.setValue(QString::number(i), QString::number(colours[static_cast<std::size_t>(i)]));
    settings.endGroup();
}

void RemoveScheme(QSettings& settings, const QString& scheme)
{
    if (scheme != kDefaultScheme)
        settings.remove(SchemeGroup(scheme));
}

} // namespace pictaron
