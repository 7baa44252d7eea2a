// The email-a-friend dialog: the user names a friend, the dialog builds the
// recommendation and delivers it itself, or puts it on the clipboard when
// delivery fails.
//
// Delivery runs on a worker thread (DeliverMail); the worker never touches a
// widget: its progress texts come back as queued calls. Cancel sets the
// worker's cancel flag and closes the dialog at once; the worker winds down
// on its own copies of everything it uses.
#pragma once

#include "app/progress.h"
#include "mail/delivery.h"
#include "mail/friendmessage.h"

#include <QDialog>
#include <QFutureWatcher>

#include <memory>

class QCheckBox;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;

namespace pictaron {

class TfrmEmail : public QDialog {
    Q_OBJECT
public:
    explicit TfrmEmail(const FriendTexts& texts, const DeliverySettings& settings = {},
                       QWidget* parent = nullptr);
    ~TfrmEmail() override;

    // Creates the dialog with the four texts and shows it modally; tells the
    // programmer first when a text is missing. Accepted after a delivery.
    static int Open(QWidget* parent, const FriendTexts& texts);

    void ShowEmailStatus(const QString& text);
    bool IsSending() const { return cancel_ != nullptr; }

    // Cancel, Escape and closing the window: abort a delivery and close.
    void reject() override;

private:
    void BuildControls();
    void ReplaceAppTitle();
    void EditChanged();
    void butSendClick();
    void DeliveryFinished();
    void EndSending();
    void ShowDeliveryError(const QString& errorText);
    void CopyToClipboard();
    FriendInput CurrentInput() const;

    const FriendTexts texts_;
    const DeliverySettings settings_;

    QLabel* lblHeading = nullptr;
    QLabel* lblHeading2 = nullptr;
    QLineEdit* txtName = nullptr;
    QLineEdit* txtYourEmail = nullptr;
    QLineEdit* txtFriendsName = nullptr;
    QLineEdit* txtAddress = nullptr;
    QLabel* lblHeading3 = nullptr;
    QPlainTextEdit* memText = nullptr;
    QCheckBox* chkHTML = nullptr;
    QPushButton* butSend = nullptr;
    QPushButton* butCancel = nullptr;
    QLabel* lblStatus = nullptr;

    // Set while a delivery runs; shared with the worker, which may outlive
    // the dialog by the moment it needs to notice the flag.
    std::shared_ptr<CancelFlag> cancel_;
    QFutureWatcher<DeliveryResult> delivery_;
};

// The texts of the email dialog's messages.
QString InternalErrorText();
QString SentText();
QString ClipboardText(const QString& productName);

} // namespace pictaron
