// What pictaron-cli prints about one converted picture.
#pragma once

#include "formats/sourcetags.h"

#include <QByteArray>
#include <QSize>
#include <QString>
#include <QStringList>

#include <optional>

namespace pictaron {

struct CliPictureReport {
    QString input;
    QString output;
    QString format;      // the format's key: "jpeg", "gif", "png", "webp", "avif"
    qint64 originalSize = 0;   // bytes
    QSize originalDimensions;  // pixels
    qint64 resultSize = 0;     // bytes of the written file
    QSize resultDimensions;    // pixels
    bool indexed = false;      // a GIF or an indexed PNG
    int colours = 0;           // its palette entries
    QStringList warnings;      // one line each, naming the file (a picture read only in part)
    SourceTags source;         // what the loader did with the source's orientation and profile
    QStringList metadata;      // the source's metadata the result holds: "exif", "xmp"
    std::optional<double> similarity;  // the result's SSIM, when the run scored it
    // When a target chose the quality (or colour count): the choice, the
    // encodes it took and the targets, each 0 when not set.
    struct Search {
        int setting = 0;
        int trials = 0;
        qint64 maxBytes = 0;
        double minSimilarity = 0;
    };
    std::optional<Search> search;
};

// The window's texts: source info, result info and the download-time list.
QString ReportText(const CliPictureReport& report);
// One JSON object on one line.
QByteArray JsonLine(const CliPictureReport& report);

} // namespace pictaron
