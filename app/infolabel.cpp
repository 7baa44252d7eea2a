#include "app/infolabel.h"

namespace pictaron {

namespace {

QString Shown(QString text)
{
    return text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
}

} // namespace

InfoLabel::InfoLabel(QWidget* parent) : QLabel(parent)
{
    setAutoFillBackground(true);
    QPalette colours = palette();
    colours.setColor(QPalette::Window, Qt::black);
    colours.setColor(QPalette::WindowText, Qt::white);
    setPalette(colours);
    QFont bold = font();
    bold.setBold(true);
    setFont(bold);
    setAlignment(Qt::AlignLeft | Qt::AlignTop);
    setTextFormat(Qt::PlainText);
    setWordWrap(false);
    // The caption is fitted to the label, never the label to the caption.
    setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Fixed);
    setMinimumWidth(1);
}

void InfoLabel::SetHint(const QString& hint)
{
    hint_ = hint;
    setToolTip(Shown(hint).trimmed().isEmpty() ? QString() : Shown(hint));
}

void InfoLabel::SetCaption(const QString& caption)
{
    caption_ = caption;
    setText(Shown(caption));
}

} // namespace pictaron
