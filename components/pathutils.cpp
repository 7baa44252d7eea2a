#include "components/pathutils.h"

#include <QFile>
#include <QStringList>

#include <sys/stat.h>

namespace pictaron {

namespace {

bool IsSeparator(QChar c) { return c == QLatin1Char('/') || c == QLatin1Char('\\'); }

} // namespace

QString JoinPath(const QString& folder, const QString& name)
{
    if (folder.isEmpty())
        return name;
    const QChar separator = folder.contains(QLatin1Char('\\')) ? QLatin1Char('\\') : QLatin1Char('/');
    qsizetype end = folder.size();
    while (end > 0 && IsSeparator(folder[end - 1]))
        --end;
    qsizetype start = 0;
    while (start < name.size() && IsSeparator(name[start]))
        ++start;
    return folder.left(end) + separator + name.mid(start);
}

QString FolderWithSeparator(const QString& filePath)
{
    qsizetype at = filePath.size();
    while (at > 0 && !IsSeparator(filePath[at - 1]))
        --at;
    return filePath.left(at);
}

QString ChangeFileExt(const QString& fileName, const QString& extension)
{
    for (qsizetype i = fileName.size() - 1; i >= 0 && !IsSeparator(fileName[i]); --i) {
        if (fileName[i] == QLatin1Char('.'))
            return fileName.left(i) + extension;
    }
    return fileName + extension;
}

QString QtFileFilter(const QString& pipeFilter)
{
    const QStringList parts = pipeFilter.split(QLatin1Char('|'));
    QStringList filters;
    for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
        QStringList written = parts[i + 1].split(QLatin1Char(';'), Qt::SkipEmptyParts);
        for (QString& pattern : written)
            pattern = pattern.trimmed();
        QStringList patterns = written;
        for (QString& pattern : patterns) {
            if (pattern == QLatin1String("*.*"))
                pattern = QStringLiteral("*");
        }
        // A description that already ends with its patterns shows them once.
        QString description = parts[i].trimmed();
        for (const QString& listed : {written.join(QLatin1Char(' ')), written.join(QLatin1Char(';')),
                                      written.join(QStringLiteral("; ")), written.join(QStringLiteral(", "))}) {
            const QString shown = QStringLiteral("(") + listed + QLatin1Char(')');
            if (description.size() > shown.size() && description.endsWith(shown)) {
                description = description.chopped(shown.size()).trimmed();
                break;
            }
        }
        filters << description + QStringLiteral(" (") + patterns.join(QLatin1Char(' ')) + QLatin1Char(')');
    }
    return filters.join(QStringLiteral(";;"));
}

FileIdentity IdentityOf(const struct stat& info)
{
    return FileIdentity{info.st_dev, info.st_ino};
}

std::optional<FileIdentity> IdentityOfPath(const QString& path)
{
    struct stat info {};
    if (path.isEmpty() || ::stat(QFile::encodeName(path).constData(), &info) != 0)
        return std::nullopt;
    return IdentityOf(info);
}

bool IsSameFile(const QString& a, const QString& b)
{
    const std::optional<FileIdentity> first = IdentityOfPath(a);
    return first && first == IdentityOfPath(b);
}

} // namespace pictaron
