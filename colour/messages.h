// How the colour windows talk to the user: message boxes by default, or a
// sink installed in their place (the tests record what would have been shown
// and answer the questions).
#pragma once

#include <QString>

#include <optional>

class QWidget;

namespace pictaron {

class MessageSink {
public:
    virtual ~MessageSink() = default;
    virtual void Show(QWidget* parent, const QString& text) = 0;
    // Yes/No question; true for Yes.
    virtual bool Confirm(QWidget* parent, const QString& text) = 0;
    // A line of text, or nothing when cancelled.
    virtual std::optional<QString> AskText(QWidget* parent, const QString& title, const QString& prompt) = 0;
};

// The sink in use; message boxes unless another was installed.
MessageSink& Messages();
// Installs a sink (owned by the caller); nullptr goes back to message boxes.
void SetMessageSink(MessageSink* sink);

} // namespace pictaron
