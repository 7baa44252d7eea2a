#include "app/openwith.h"

#include "app/shellverb.h"
#include "components/atomicfile.h"
#include "components/qtbridge.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QSettings>
#include <QStandardPaths>

#ifdef Q_OS_WIN
#include <shlobj.h>
#endif

namespace pictaron {

QStringList MimeTypesOf(const QString& association)
{
    if (association == QLatin1String("GIF"))
        return {QStringLiteral("image/gif")};
    if (association == QLatin1String("JPEG"))
        return {QStringLiteral("image/jpeg")};
    if (association == QLatin1String("BMP"))
        return {QStringLiteral("image/bmp")};
    return {};
}

QString OpenWithExec(const QString& programPath)
{
    // Inside a quoted argument ", `, $ and \ take a backslash; the value as a
    // whole is a string in which every backslash is doubled; % is doubled so
    // that no part of the path reads as a field code.
    QString quoted;
    for (const QChar c : programPath) {
        if (c == QLatin1Char('"') || c == QLatin1Char('`') || c == QLatin1Char('$') || c == QLatin1Char('\\'))
            quoted += QLatin1Char('\\');
        quoted += c;
    }
    quoted.replace(QLatin1Char('\\'), QStringLiteral("\\\\"));
    quoted.replace(QLatin1Char('%'), QStringLiteral("%%"));
    return QLatin1Char('"') + quoted + QStringLiteral("\" %f");
}

QString OpenWithEntry(const QString& programPath, const QStringList& mimeTypes)
{
    return QStringLiteral("[Desktop Entry]\n"
                          "Type=Application\n"
                          "Name=Open With Pictaron\n"
                          "Comment=Prepare this picture for a web page\n"
                          "Exec=%1\n"
                          "Icon=pictaron\n"
                          "MimeType=%2;\n"
                          "NoDisplay=true\n"
                          "Terminal=false\n")
        .arg(OpenWithExec(programPath), mimeTypes.join(QLatin1Char(';')));
}

void RegisterOpenWith(const QStringList& mimeTypes, const QString& programPath, const QString& folder)
{
    const QString path = QDir(folder).filePath(kOpenWithEntryName);
    QStringList types;
    QFile existing(path);
    if (existing.open(QIODevice::ReadOnly | QIODevice::Text)) {
        const QString text = QString::fromUtf8(existing.readAll());
        const QRegularExpressionMatch line =
            QRegularExpression(QStringLiteral("^MimeType=(.*)$"), QRegularExpression::MultilineOption).match(text);
        if (line.hasMatch())
            types = line.captured(1).split(QLatin1Char(';'), Qt::SkipEmptyParts);
    }
    for (const QString& type : mimeTypes)
        if (!types.contains(type))
            types << type;
    QDir().mkpath(folder);
    WriteFileAtomically(ToUtf8(path), ToUtf8(OpenWithEntry(programPath, types)));
}

void OfferOpenWith(const QStringList& associations, const QString& programPath)
{
#ifdef Q_OS_WIN
    const QSettings classesRoot(QStringLiteral("HKEY_CLASSES_ROOT"), QSettings::NativeFormat);
    QSettings userClasses(QStringLiteral("HKEY_CURRENT_USER\\Software\\Classes"), QSettings::NativeFormat);
    for (const QString& association : associations)
        for (const QString& extension : ShellExtensionsOf(association))
            RegisterShellVerb(classesRoot, userClasses, extension, programPath);
    // Explorer keeps the verbs it has read until it is told they changed.
    SHChangeNotify(SHCNE_ASSOCCHANGED, SHCNF_IDLIST, nullptr, nullptr);
#else
    QStringList mimeTypes;
    for (const QString& association : associations)
        mimeTypes << MimeTypesOf(association);
    if (mimeTypes.isEmpty())
        return;
    const QString folder = QStandardPaths::writableLocation(QStandardPaths::ApplicationsLocation);
    RegisterOpenWith(mimeTypes, programPath, folder);
    // File managers read a cache of the types; refresh it where the tool exists.
    QProcess::startDetached(QStringLiteral("update-desktop-database"), {folder});
#endif
}

} // namespace pictaron
