// The black info label above each picture view: white bold text, two lines.
//
// The hint holds the full two-line text ("\r\n" between the lines) and is shown
// on hover; the caption shows the same lines, each shortened to fit (the
// window's FitInfoLabel decides the widths).
#pragma once

#include <QLabel>

namespace pictaron {

class InfoLabel : public QLabel {
    Q_OBJECT
public:
    explicit InfoLabel(QWidget* parent = nullptr);

    const QString& Hint() const { return hint_; }
    void SetHint(const QString& hint);
    // The caption as two lines joined by "\r\n".
    QString Caption() const { return caption_; }
    void SetCaption(const QString& caption);

private:
    QString hint_;
    QString caption_;
};

} // namespace pictaron
