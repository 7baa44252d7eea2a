// What pictaron-cli prints about one converted picture.
#pragma once

#include <QByteArray>
#include <QImage>
#include <QString>

namespace pictaron {

struct CliPictureReport {
    QString input;
    QString output;
    QString format;      // "jpeg" or "gif"
    qint64 originalSize = 0;
    QImage original;
    qint64 resultSize = 0;  // of the written file
    QImage result;          // the picture as shown
    int colours = 0;        // GIF palette entries
};

// The window's texts: source info, result info and the download-time list.
QString ReportText(const CliPictureReport& report);
// One JSON object on one line.
QByteArray JsonLine(const CliPictureReport& report);

} // namespace pictaron
