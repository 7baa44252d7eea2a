#include "components/settingstext.h"

#include <QVariant>

#include <optional>

namespace pictaron {

namespace {

// The stored text, or nothing when the value is missing or not plain text.
std::optional<QString> StoredText(const QSettings& settings, const QString& key)
{
    const QVariant value = settings.value(key);
    if (value.typeId() == QMetaType::QString)
        return value.toString();
    if (value.typeId() == QMetaType::QByteArray)
        return QString::fromUtf8(value.toByteArray());
    return std::nullopt;
}

std::optional<qlonglong> StoredInteger(const QSettings& settings, const QString& key)
{
    const std::optional<QString> text = StoredText(settings, key);
    if (!text)
        return std::nullopt;
    bool ok = false;
    const qlonglong value = text->trimmed().toLongLong(&ok, 10);
    if (!ok)
        return std::nullopt;
    return value;
}

} // namespace

QString ReadTextSetting(const QSettings& settings, const QString& key, const QString& fallback)
{
    return StoredText(settings, key).value_or(fallback);
}

bool ReadBoolSetting(const QSettings& settings, const QString& key, bool fallback)
{
    const std::optional<qlonglong> value = StoredInteger(settings, key);
    return value ? *value != 0 : fallback;
}

int ReadIntSetting(const QSettings& settings, const QString& key, int fallback, int low, int high)
{
    const std::optional<qlonglong> value = StoredInteger(settings, key);
    if (!value || *value < low || *value > high)
        return fallback;
    return static_cast<int>(*value);
}

void WriteBoolSetting(QSettings& settings, const QString& key, bool value)
{
    settings.setValue(key, value ? QStringLiteral("1") : QStringLiteral("0"));
}

void WriteIntSetting(QSettings& settings, const QString& key, int value)
{
    settings.setValue(key, QString::number(value));
}

} // namespace pictaron
