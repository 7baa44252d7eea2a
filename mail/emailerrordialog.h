// "An error has occurred": why the recommendation could not be delivered,
// with a way to put it on the clipboard instead.
#pragma once

#include <QDialog>

#include <functional>

class QLabel;
class QPushButton;

namespace pictaron {

class EmailErrorDialog : public QDialog {
    Q_OBJECT
public:
    // toClipboard runs when "To Clipboard" is pressed; the dialog then closes.
    EmailErrorDialog(const QString& errorText, std::function<void()> toClipboard,
                     QWidget* parent = nullptr);

    QLabel* Message() const { return lblMessage; }
    QPushButton* ClipboardButton() const { return btnClipboard; }

private:
    QLabel* lblMessage;
    QPushButton* btnClipboard;
    QPushButton* btnClose;
};

} // namespace pictaron
