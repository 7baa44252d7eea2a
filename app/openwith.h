// "Open With Pictaron" for file managers.
//
// On a freedesktop system an application offers itself for file types through
// a desktop entry listing their MIME types. Pictaron keeps one such entry,
// "Open With Pictaron", in the user's applications folder; registering a type
// adds it to that entry's list, and a type registered once stays registered.
#pragma once

#include <QString>
#include <QStringList>

namespace pictaron {

inline const QString kOpenWithEntryName = QStringLiteral("pictaron-open-with.desktop");

// The MIME types of an association choice: "GIF", "JPEG" (both .jpg and
// .jpeg) or "BMP"; empty for anything else.
QStringList MimeTypesOf(const QString& association);

// The Exec value that starts the program with one file: the path quoted and
// escaped as desktop entries require.
QString OpenWithExec(const QString& programPath);

// The whole entry for these types.
QString OpenWithEntry(const QString& programPath, const QStringList& mimeTypes);

// Adds the types to the entry in folder (created as needed), keeping those it
// already lists. Throws PictaronError naming the file when it cannot write.
void RegisterOpenWith(const QStringList& mimeTypes, const QString& programPath, const QString& folder);

// Offers the program for the chosen associations ("GIF", "JPEG", "BMP") where
// this system's file manager looks: the shell verbs of the Windows registry
// (see shellverb.h; failures skip that type quietly), elsewhere the desktop
// entry in the user's applications folder, whose failure throws.
void OfferOpenWith(const QStringList& associations, const QString& programPath);

} // namespace pictaron
