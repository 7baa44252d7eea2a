#include "mail/emaildialog.h"

#include "components/busy.h"
#include "components/textutils.h"
#include "mail/emailerrordialog.h"

#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPointer>
#include <QPushButton>
#include <QScreen>
#include <QVBoxLayout>
#include <QtConcurrent/QtConcurrentRun>

namespace pictaron {

QString InternalErrorText()
{
    return QStringLiteral(
        "Internal Error: All the customization fields must be supplied by the programmer !");
}

QString SentText()
{
    return QStringLiteral("The email was successfully sent.");
}

QString ClipboardText(const QString& productName)
{
    return QStringLiteral("The message about ") + productName
           + QStringLiteral(" has been placed in the clipboard.  You can now paste it into your "
                            "regular email software and send it to your friend.");
}

TfrmEmail::TfrmEmail(const FriendTexts& texts, const DeliverySettings& settings, QWidget* parent)
    : QDialog(parent), texts_(texts), settings_(settings)
{
    setObjectName(QStringLiteral("frmEmail"));
    setWindowTitle(QStringLiteral("Email apptitle to a Friend"));
    BuildControls();
    ReplaceAppTitle();
    setFixedSize(399, 434);
    if (const QScreen* shown = screen())
        move(shown->availableGeometry().center() - rect().center());
    connect(&delivery_, &QFutureWatcher<DeliveryResult>::finished, this,
            &TfrmEmail::DeliveryFinished);
}

TfrmEmail::~TfrmEmail()
{
    if (cancel_)
        cancel_->Cancel();
    EndSending();
}

int TfrmEmail::Open(QWidget* parent, const FriendTexts& texts)
{
    if (!texts.complete())
        QMessageBox::critical(parent, texts.productName, InternalErrorText());
    TfrmEmail dialog(texts, DeliverySettings(), parent);
    return dialog.exec();
}

void TfrmEmail::BuildControls()
{
    auto label = [this](const QString& name, const QString& text) {
        auto* l = new QLabel(text, this);
        l->setObjectName(name);
        l->setWordWrap(true);
        return l;
    };
    auto edit = [this](const QString& name) {
        auto* e = new QLineEdit(this);
        e->setObjectName(name);
        connect(e, &QLineEdit::textChanged, this, &TfrmEmail::EditChanged);
        return e;
    };

    lblHeading = label(QStringLiteral("lblHeading"),
                       QStringLiteral("Think your friends would like apptitle too? "));
    QFont bold = lblHeading->font();
    bold.setBold(true);
    lblHeading->setFont(bold);
    lblHeading2 = label(
        QStringLiteral("lblHeading2"),
        QStringLiteral("Simply fill in the form below and press Send. apptitle will send an email "
                       "to your friend which contains an HTML link to download apptitle. This "
                       "makes it easy for your friend to download and use apptitle."));
    txtName = edit(QStringLiteral("txtName"));
    txtYourEmail = edit(QStringLiteral("txtYourEmail"));
    txtFriendsName = edit(QStringLiteral("txtFriendsName"));
    txtAddress = edit(QStringLiteral("txtAddress"));
    lblHeading3 = label(QStringLiteral("lblHeading3"),
                        QStringLiteral("You can also add a personalized message to your friend "
                                       "about how cool apptitle is."));
    memText = new QPlainTextEdit(this);
    memText->setObjectName(QStringLiteral("memText"));
    memText->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    memText->setTabChangesFocus(true);
    chkHTML = new QCheckBox(QStringLiteral("Send Email as HTML"), this);
    chkHTML->setObjectName(QStringLiteral("chkHTML"));
    butSend = new QPushButton(QStringLiteral("&Send"), this);
    butSend->setObjectName(QStringLiteral("butSend"));
    butSend->setEnabled(false);
    butSend->setAutoDefault(false);
    butCancel = new QPushButton(QStringLiteral("&Cancel"), this);
    butCancel->setObjectName(QStringLiteral("butCancel"));
    butCancel->setDefault(true);
    lblStatus = label(QStringLiteral("lblStatus"), QString());
    lblStatus->setWordWrap(false);

    auto* form = new QFormLayout;
    form->addRow(QStringLiteral("Your Name:"), txtName);
    form->addRow(QStringLiteral("Your Email Address:"), txtYourEmail);
    form->addRow(QStringLiteral("Your Friends Name:"), txtFriendsName);
    form->addRow(QStringLiteral("Friend's Email Address:"), txtAddress);

    auto* buttons = new QHBoxLayout;
    buttons->addWidget(chkHTML);
    buttons->addStretch();
    buttons->addWidget(butSend);
    buttons->addWidget(butCancel);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(lblHeading);
    layout->addWidget(lblHeading2);
    layout->addLayout(form);
    layout->addWidget(lblHeading3);
    layout->addWidget(memText, 1);
    layout->addLayout(buttons);
    layout->addWidget(lblStatus);

    connect(butSend, &QPushButton::clicked, this, &TfrmEmail::butSendClick);
    connect(butCancel, &QPushButton::clicked, this, &TfrmEmail::reject);
}

void TfrmEmail::ReplaceAppTitle()
{
    auto replaced = [this](const QString& text) {
        return ReplaceAllText(text, QStringLiteral("apptitle"), texts_.productName, false);
    };
    setWindowTitle(replaced(windowTitle()));
    for (QLabel* label : {lblHeading, lblHeading2, lblHeading3})
        label->setText(replaced(label->text()));
}

void TfrmEmail::ShowEmailStatus(const QString& text)
{
    lblStatus->setText(text);
    lblStatus->repaint();
}

void TfrmEmail::EditChanged()
{
    butSend->setEnabled(!txtAddress->text().isEmpty() && !IsSending());
}

FriendInput TfrmEmail::CurrentInput() const
{
    return {txtName->text(), txtFriendsName->text(), memText->toPlainText(), chkHTML->isChecked()};
}

void TfrmEmail::butSendClick()
{
    if (IsSending())
        return;
    const MailMessage message =
        MakeFriendMail(texts_, CurrentInput(), txtYourEmail->text(), txtAddress->text());
    // Input that could end an address or add another one never reaches the
    // mail server: the user corrects it first.
    if (const QString problem = AddressProblem(message); !problem.isEmpty()) {
        QMessageBox::warning(this, windowTitle(), problem);
        return;
    }

    cancel_ = std::make_shared<CancelFlag>();
    butSend->setEnabled(false);
    BeginBusy();

    // The worker reports through a parentless object of this thread that it
    // keeps alive; the dialog may be gone when a report arrives.
    const std::shared_ptr<QObject> relay(new QObject, [](QObject* o) { o->deleteLater(); });
    const QPointer<TfrmEmail> dialog(this);
    const EmailStatus status = [relay, dialog](const QString& text) {
        QMetaObject::invokeMethod(
            relay.get(),
            [dialog, text] {
                if (dialog && dialog->IsSending())
                    dialog->ShowEmailStatus(text);
            },
            Qt::QueuedConnection);
    };
    delivery_.setFuture(QtConcurrent::run(
        [message, settings = settings_, cancel = cancel_, status] {
            return DeliverMail(message, settings, *cancel, status);
        }));
}

void TfrmEmail::EndSending()
{
    if (!cancel_)
        return;
    cancel_.reset();
    EndBusy();
}

void TfrmEmail::DeliveryFinished()
{
    if (!IsSending())
        return; // cancelled: the dialog has closed already
    const DeliveryResult result = delivery_.result();
    EndSending();
    ShowEmailStatus(QString());
    EditChanged();
    switch (result.outcome) {
    case DeliveryOutcome::Sent:
        QMessageBox::information(this, windowTitle(), SentText());
        accept();
        break;
    case DeliveryOutcome::Failed:
        ShowDeliveryError(result.errorText);
        break;
    case DeliveryOutcome::Cancelled:
        break;
    }
}

void TfrmEmail::ShowDeliveryError(const QString& errorText)
{
    EmailErrorDialog error(errorText, [this] { CopyToClipboard(); }, this);
    error.exec();
}

void TfrmEmail::CopyToClipboard()
{
    // The clipboard takes line ends of this platform; Qt turns LF into CR LF
    // where that is the rule.
    QString body = BuildFriendMessage(texts_, CurrentInput()).text;
    QApplication::clipboard()->setText(body.replace(QLatin1String("\r\n"), QLatin1String("\n")));
    QMessageBox::information(this, windowTitle(), ClipboardText(texts_.productName));
}

void TfrmEmail::reject()
{
    if (cancel_)
        cancel_->Cancel();
    EndSending();
    QDialog::reject();
}

} // namespace pictaron
