#include "components/recentfiles.h"

#include "components/pathutils.h"
#include "components/settingstext.h"

#include <algorithm>

namespace pictaron {

namespace {
const QString kGroup = QStringLiteral("Recent Files");
}

void RecentFilesList::Add(const QString& path)
{
    const auto known = std::find_if(paths_.begin(), paths_.end(), [&path](const QString& listed) {
        return listed.compare(path, kFileNamesIgnoreCase ? Qt::CaseInsensitive : Qt::CaseSensitive) == 0;
    });
    if (known == paths_.end()) {
        if (paths_.size() >= kMaxFiles)
            paths_.removeLast();
        paths_.prepend(path);
    } else if (known != paths_.begin()) {
        const QString listed = *known;
        paths_.erase(known);
        paths_.prepend(listed);
    }
}

void RecentFilesList::Load(const QSettings& settings)
{
    // QSettings cannot enter a group of a const object; read the keys by path.
    QStringList stored;
    for (int i = 1; i <= kMaxFiles; ++i) {
        const QString path = ReadTextSetting(settings, kGroup + QLatin1Char('/') + QString::number(i));
        if (!path.isEmpty())
            stored << path;
    }
    for (auto it = stored.crbegin(); it != stored.crend(); ++it)
        Add(*it);
}

void RecentFilesList::Save(QSettings& settings) const
{
    settings.remove(kGroup);
    for (int i = 0; i < paths_.size(); ++i)
        settings.setValue(kGroup + QLatin1Char('/') + QString::number(i + 1), paths_[i]);
}

} // namespace pictaron
