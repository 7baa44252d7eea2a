// What pictaron-cli prints about the variants of one picture: a <picture>
// element (--html) or one JSON object (--json).
#pragma once

#include "cli/variantrun.h"

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>

namespace pictaron {

// One <source> per format in the order made, every width in its srcset, and
// the last format as the <img> with the size of its largest variant. Paths
// are the output names as written, made into URLs (a space becomes %20).
QByteArray PictureElement(const QList<MadeVariant>& made, const QString& sizes);

// One line: the input, its bytes, every variant and the warnings.
QByteArray VariantJsonLine(const QString& input, qint64 originalBytes, const QList<MadeVariant>& made,
                           const QStringList& warnings);

} // namespace pictaron
