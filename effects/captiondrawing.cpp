#include "effects/captiondrawing.h"

#include <QFont>

#include "components/errors.h"
#include "components/qimagebridge.h"
#include "components/qtbridge.h"

#include <QFontMetrics>
#include <QGuiApplication>
#include <QPainter>

#include <algorithm>
#include <cstring>

namespace pictaron {

QFont CaptionQFont(const CaptionFont& font)
{
    QFont qfont(ToQString(font.family));
    qfont.setPixelSize(std::max(1, font.pixelHeight));
    qfont.setBold(font.bold);
    qfont.setItalic(font.italic);
    qfont.setUnderline(font.underline);
    qfont.setStrikeOut(font.strikeOut);
    qfont.setStyleStrategy(QFont::NoAntialias);
    return qfont;
}

Bitmap DrawCaption(const Bitmap& source, const QString& text, const CaptionFont& font, RGBTriple colour,
                   CaptionLocation location)
{
    if (!qobject_cast<QGuiApplication*>(QCoreApplication::instance()))
        throw PictaronError(std::string("Captions cannot be drawn without the program's graphics support."));

    const int width = source.width();
    const int height = source.height();
    const QFont qfont = CaptionQFont(font);
    const QFontMetrics metrics(qfont);
    const int th = metrics.height();
    const int tw = metrics.horizontalAdvance(text);

    // Negative when the text is wider than the picture: it is cut at both sides.
    const int x = width / 2 - tw / 2;
    int y = 2;
    int strip = 0;
    switch (location) {
    case CaptionLocation::Center:
        y = height / 2 - th / 2;
        break;
    case CaptionLocation::Bottom:
        y = height - th - 4;
        break;
    case CaptionLocation::Caption:
        // A white strip below the picture; the text's opaque white background
        // would fall inside it, so the text needs no background of its own.
        y = height + 2;
        strip = th + 4;
        break;
    case CaptionLocation::Top:
    case CaptionLocation::NotSelected:
        break;
    }

    Bitmap captioned(width, height + strip, Bitmap::Format_BGR888);
    if (captioned.isNull())
        ThrowOutOfMemory(width, height + strip);
    for (int row = 0; row < height; ++row)
        std::memcpy(RowPixels(captioned, row), RowPixels(source, row), sizeof(RGBTriple) * width);
    for (int row = height; row < height + strip; ++row)
        std::fill_n(RowPixels(captioned, row), width, RGBTriple{255, 255, 255});

    QImage canvas = PaintableView(captioned);
    QPainter painter(&canvas);
    painter.setFont(qfont);
    painter.setPen(QColor(colour.red, colour.green, colour.blue));
    painter.drawText(x, y + metrics.ascent(), text);
    painter.end();
    return captioned;
}

} // namespace pictaron

namespace {

pictaron::ToolkitMessageHandler toolkitMessageHandler = nullptr;

void PassOnToolkitMessage(QtMsgType type, const QMessageLogContext&, const QString& message)
{
    if (type == QtCriticalMsg || type == QtFatalMsg)
        toolkitMessageHandler(message.toStdString(), type == QtFatalMsg);
}

} // namespace

extern "C" {

Q_DECL_EXPORT void PictaronDrawCaption(const pictaron::Bitmap* source, const std::string* text,
                                       const pictaron::CaptionFont* font, pictaron::RGBTriple colour, int location,
                                       pictaron::Bitmap* captioned)
{
    *captioned = pictaron::DrawCaption(*source, pictaron::ToQString(*text), *font, colour, static_cast<pictaron::CaptionLocation>(location));
}

Q_DECL_EXPORT void* PictaronMakeCaptionApplication(int* argc, char** argv, pictaron::ToolkitMessageHandler onMessage)
{
    toolkitMessageHandler = onMessage;
    qInstallMessageHandler(PassOnToolkitMessage);
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    return new QGuiApplication(*argc, argv);
}

Q_DECL_EXPORT void PictaronEndCaptionApplication(void* application)
{
    delete static_cast<QGuiApplication*>(application);
}

}
