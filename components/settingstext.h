// Settings values kept as text, read defensively.
//
// Every value is written as text (booleans "0"/"1", integers in decimal) and
// read back by parsing that text. A missing value, a value of another type (an
// INI line with a comma comes back as a list) or text that is not a number in
// range gives the caller's default: a damaged settings file never crashes the
// program or wraps a number into something odd.
#pragma once

#include <QSettings>
#include <QString>

namespace pictaron {

QString ReadTextSetting(const QSettings& settings, const QString& key, const QString& fallback = {});
// Read back as an integer: non-zero is true.
bool ReadBoolSetting(const QSettings& settings, const QString& key, bool fallback);
// An integer from low to high inclusive, else fallback.
int ReadIntSetting(const QSettings& settings, const QString& key, int fallback, int low, int high);

void WriteBoolSetting(QSettings& settings, const QString& key, bool value);
void WriteIntSetting(QSettings& settings, const QString& key, int value);

} // namespace pictaron
