// The colour picker's settings group "Color Picker": every value is text,
// booleans "true"/"false", integers in decimal. Reading is forgiving in the way
// the values have always been read ("yes", "true" or "1" are true; integers
// may also be written 0x followed by hexadecimal digits) and anything else
// gives the default.
#pragma once

#include "effects/pixels.h"

#include <QSettings>
#include <QString>

#include <array>
#include <memory>

namespace pictaron {

// QSettings("Orvanti", "Color Picker").
std::unique_ptr<QSettings> OpenPickerSettings();

bool ReadPickerBool(const QSettings& settings, const QString& key, bool fallback);
void WritePickerBool(QSettings& settings, const QString& key, bool value);
// Decimal or 0x-hexadecimal text that fits 32 bits, else fallback.
qint64 ReadPickerInteger(const QSettings& settings, const QString& key, qint64 fallback);

inline constexpr int kCustomColourCount = 16;
inline const QString kDefaultScheme = QStringLiteral("[Default]");
using CustomColours = std::array<TColor, kCustomColourCount>;

// The group of a scheme: "Custom Colours" for [Default], else
// "Custom Colours/<name>".
QString SchemeGroup(const QString& scheme);
// The [Default] scheme and the stored schemes, sorted.
QStringList SchemeNames(QSettings& settings);
// The order of the scheme list: letter case ignored, so "[Default]" leads.
void SortSchemeNames(QStringList& names);
// Colour i comes from value "i" when i is below the number of values stored
// for the scheme; anything unreadable is white.
CustomColours LoadCustomColours(QSettings& settings, const QString& scheme);
void SaveCustomColours(QSettings& settings, const QString& scheme, const CustomColours& colours);
void RemoveScheme(QSettings& settings, const QString& scheme);

} // namespace pictaron
