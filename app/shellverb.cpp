#include "app/shellverb.h"

#include <QDir>
#include <QSettings>

namespace pictaron {

namespace {

// A key's unnamed value; the native Windows format maps "Default" onto it.
QString DefaultValueOf(const QString& key)
{
    return key + QStringLiteral("/Default");
}

} // namespace

QStringList ShellExtensionsOf(const QString& association)
{
    if (association == QLatin1String("GIF"))
        return {QStringLiteral("GIF")};
    if (association == QLatin1String("JPEG"))
        return {QStringLiteral("JPG"), QStringLiteral("JPEG")};
    if (association == QLatin1String("BMP"))
        return {QStringLiteral("BMP")};
    return {};
}

QString ShellOpenCommand(const QString& programPath)
{
    return QLatin1Char('"') + QDir::toNativeSeparators(programPath) + QStringLiteral("\" \"%1\"");
}

bool RegisterShellVerb(const QSettings& classesRoot, QSettings& userClasses, const QString& extension,
                       const QString& programPath)
{
    if (classesRoot.status() != QSettings::NoError)
        return false;
    const QString type = classesRoot.value(DefaultValueOf(QLatin1Char('.') + extension.toLower())).toString();
    if (type.isEmpty())
        return false;
    // The program is started with the file; a second start hands it to the
    // running window. No DDE entries: nothing here answers DDE, and the shell
    // reports an error when a conversation it was told to expect never comes.
    userClasses.setValue(DefaultValueOf(type + QStringLiteral("/shell/") + kShellVerb + QStringLiteral("/command")),
                         ShellOpenCommand(programPath));
    userClasses.sync();
    return userClasses.status() == QSettings::NoError;
}

} // namespace pictaron
