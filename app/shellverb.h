// "Open With Pictaron" in the Windows shell.
//
// A file type's commands live under its class key: the default value of
// ".gif" names the class (for example "giffile"), and
// "giffile\shell\<verb>\command" holds the command line the shell runs. The
// class is read from the merged classes root, and the verb is written into the
// user's own classes, which the merged root shows as well and which need no
// administrator rights.
//
// Both stores are QSettings, so the same code is exercised on any system with
// INI files standing in for the registry.
#pragma once

#include <QString>
#include <QStringList>

class QSettings;

namespace pictaron {

inline const QString kShellVerb = QStringLiteral("Open With Pictaron");

// The extensions of an association choice, in the order they are registered:
// "GIF", "JPEG" (".jpg" and then ".jpeg") or "BMP"; empty for anything else.
QStringList ShellExtensionsOf(const QString& association);

// The command line that starts the program with the clicked file: the path in
// its own letter case, and both it and the file quoted, so spaces survive.
QString ShellOpenCommand(const QString& programPath);

// Writes the verb for the extension's file type. Returns false, having written
// nothing, when the extension has no registered type or the store fails.
bool RegisterShellVerb(const QSettings& classesRoot, QSettings& userClasses, const QString& extension,
                       const QString& programPath);

} // namespace pictaron
