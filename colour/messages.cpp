#include "colour/messages.h"

#include <QApplication>
#include <QInputDialog>
#include <QMessageBox>

namespace pictaron {

namespace {

class MessageBoxes : public MessageSink {
public:
    void Show(QWidget* parent, const QString& text) override
    {
        QMessageBox::information(parent, QApplication::applicationDisplayName(), text);
    }
    bool Confirm(QWidget* parent, const QString& text) override
    {
        return QMessageBox::question(parent, QApplication::applicationDisplayName(), text,
                                     QMessageBox::Yes | QMessageBox::No)
            == QMessageBox::Yes;
    }
    std::optional<QString> AskText(QWidget* parent, const QString& title, const QString& prompt) override
    {
        bool ok = false;
        const QString text = QInputDialog::getText(parent, title, prompt, QLineEdit::Normal, QString(), &ok);
        if (!ok)
            return std::nullopt;
        return text;
    }
};

MessageBoxes gBoxes;
MessageSink* gSink = nullptr;

} // namespace

MessageSink& Messages()
{
    return gSink ? *gSink : gBoxes;
}

void SetMessageSink(MessageSink* sink)
{
    gSink = sink;
}

} // namespace pictaron
