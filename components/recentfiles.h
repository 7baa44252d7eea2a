// The list behind the recent-files entries of the File menu: at most five
// paths, most recent first, stored in the settings group "Recent Files".
#pragma once

#include <QSettings>
#include <QStringList>

namespace pictaron {

class RecentFilesList {
public:
    static constexpr int kMaxFiles = 5;

    // An unknown path (letter case ignored) goes to the front, dropping the
    // oldest when the list is full; a known one moves to the front.
    void Add(const QString& path);
    const QStringList& Paths() const { return paths_; }

    // Adds the stored paths from the last to the first, so the stored first
    // entry ends up first.
    void Load(const QSettings& settings);
    // Replaces the stored group with the list, top to bottom. Paths are values
    // "1" to "5" (a path cannot be a settings key: "/" separates groups).
    void Save(QSettings& settings) const;

private:
    QStringList paths_;
};

} // namespace pictaron
