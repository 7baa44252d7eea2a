// The email dialog as a person uses it: typing, Send, the answers shown in
// message boxes, To Clipboard and Cancel, with the real servers of peers.h
// on loopback.
#include "app/splash.h"
#include "mail/emaildialog.h"
#include "mail/emailerrordialog.h"
#include "peers.h"

#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTimer>
#include <QtTest>

using namespace pictaron;
using namespace pictaron::test;

namespace {

FriendTexts Texts()
{
    return {QStringLiteral("Zedly"), QStringLiteral("https://dl.example/z"),
            QStringLiteral("a tool."), QStringLiteral("It works.")};
}

// Answers the modal windows the dialog opens: message boxes are read and
// closed with their default button; the error dialog is read and answered
// with "To Clipboard" or "Close" as chosen.
class ModalAnswerer : public QObject {
public:
    explicit ModalAnswerer(bool clipboardOnError = false) : clipboardOnError_(clipboardOnError)
    {
        connect(&timer_, &QTimer::timeout, this, &ModalAnswerer::Answer);
        timer_.start(20);
    }

    QStringList texts; // in the order shown

private:
    // The answer is queued, not given here: a button may open the next modal
    // window, and this timer does not fire again while its own slot runs.
    void Answer()
    {
        QWidget* modal = QApplication::activeModalWidget();
        if (!modal || modal == answered_)
            return;
        if (auto* box = qobject_cast<QMessageBox*>(modal)) {
            texts << box->text();
            QMetaObject::invokeMethod(box, "accept", Qt::QueuedConnection);
        } else if (auto* error = qobject_cast<EmailErrorDialog*>(modal)) {
            texts << error->Message()->text();
            if (clipboardOnError_)
                QMetaObject::invokeMethod(error->ClipboardButton(), "click", Qt::QueuedConnection);
            else
                QMetaObject::invokeMethod(error, "reject", Qt::QueuedConnection);
        } else {
            return;
        }
        answered_ = modal;
    }

    QPointer<QWidget> answered_;

    bool clipboardOnError_;
    QTimer timer_;
};

} // namespace

class EmailDialogTest : public QObject {
    Q_OBJECT

private:
    template <typename T>
    static T* Find(const TfrmEmail& dialog, const char* name)
    {
        return dialog.findChild<T*>(QString::fromLatin1(name));
    }

    static void Fill(TfrmEmail& dialog, const QString& yourEmail, const QString& address)
    {
        QTest::keyClicks(Find<QLineEdit>(dialog, "txtName"), "Ann");
        QTest::keyClicks(Find<QLineEdit>(dialog, "txtYourEmail"), yourEmail);
        QTest::keyClicks(Find<QLineEdit>(dialog, "txtFriendsName"), "Bob");
        Find<QLineEdit>(dialog, "txtAddress")->setText(address);
    }

    // Loopback servers: the DNS server list on http.server, the mail servers
    // mx5 and mx20 of pictaron.test on dnsmasq, both led to one aiosmtpd.
    bool StartServers(const QString& smtpMode)
    {
        if (DnsPeer::Program().isEmpty() || !SmtpPeer::Available())
            return false;
        dns = std::make_unique<DnsPeer>();
        http = std::make_unique<HttpPeer>();
        smtp = std::make_unique<SmtpPeer>();
        if (!dns->Start() || !http->Start() || !smtp->Start(smtpMode))
            return false;
        http->Put("dnsip/dnsip.dat", dns->address().toUtf8());
        settings.dnsServers.resolverConfig = "/nonexistent/resolv.conf";
        settings.dnsServers.serverListUrl = http->Url("dnsip/dnsip.dat");
        settings.smtp.connectTo = {smtp->ConnectTo("mx5.pictaron.test"),
                                   smtp->ConnectTo("mx20.pictaron.test")};
        return true;
    }

    std::unique_ptr<DnsPeer> dns;
    std::unique_ptr<HttpPeer> http;
    std::unique_ptr<SmtpPeer> smtp;
    DeliverySettings settings;

private slots:
    void cleanup()
    {
        smtp.reset();
        http.reset();
        dns.reset();
        settings = DeliverySettings();
    }

    void textsNameTheProduct()
    {
        TfrmEmail dialog(Texts());
        QCOMPARE(dialog.windowTitle(), QStringLiteral("Email Zedly to a Friend"));
        QCOMPARE(Find<QLabel>(dialog, "lblHeading")->text(),
                 QStringLiteral("Think your friends would like Zedly too? "));
        QCOMPARE(Find<QLabel>(dialog, "lblHeading2")->text(),
                 QStringLiteral("Simply fill in the form below and press Send. Zedly will send an "
                                "email to your friend which contains an HTML link to download "
                                "Zedly. This makes it easy for your friend to download and use "
                                "Zedly."));
        QCOMPARE(Find<QLabel>(dialog, "lblHeading3")->text(),
                 QStringLiteral("You can also add a personalized message to your friend about how "
                                "cool Zedly is."));
        QCOMPARE(dialog.size(), QSize(399, 434));
        QVERIFY(!Find<QCheckBox>(dialog, "chkHTML")->isChecked());
        QVERIFY(Find<QPushButton>(dialog, "butCancel")->isDefault());
    }

    void sendNeedsAFriendsAddress()
    {
        TfrmEmail dialog(Texts());
        auto* send = Find<QPushButton>(dialog, "butSend");
        QVERIFY(!send->isEnabled());
        QTest::keyClicks(Find<QLineEdit>(dialog, "txtName"), "Ann");
        QTest::keyClicks(Find<QLineEdit>(dialog, "txtYourEmail"), "ann@x.test");
        QVERIFY(!send->isEnabled());
        QTest::keyClicks(Find<QLineEdit>(dialog, "txtAddress"), "b");
        QVERIFY(send->isEnabled());
        QTest::keyClick(Find<QLineEdit>(dialog, "txtAddress"), Qt::Key_Backspace);
        QVERIFY(!send->isEnabled());
    }

    void unusableAddressIsRefusedBeforeSending()
    {
        TfrmEmail dialog(Texts());
        dialog.show();
        Fill(dialog, "ann@x.test", "bob@y.test, eve@z.test");
        ModalAnswerer answerer;
        Find<QPushButton>(dialog, "butSend")->click();
        QCOMPARE(answerer.texts, QStringList({RecipientAddressProblemText()}));
        QVERIFY(!dialog.IsSending());
        QVERIFY(dialog.isVisible());
    }

    void sentThroughTheMailServer()
    {
        if (!StartServers("accept"))
            QSKIP("dnsmasq (dnsmasq-base) or aiosmtpd (python3-aiosmtpd) is missing or did not start");
        TfrmEmail dialog(Texts(), settings);
        dialog.show();
        Fill(dialog, "ann@pictaron.test", "bob@friend.test");
        Find<QPlainTextEdit>(dialog, "memText")->setPlainText("See you!");
        Find<QCheckBox>(dialog, "chkHTML")->setChecked(true);
        ModalAnswerer answerer;
        Find<QPushButton>(dialog, "butSend")->click();
        QVERIFY(dialog.IsSending());
        QTRY_VERIFY_WITH_TIMEOUT(!dialog.isVisible(), 30000);
        QCOMPARE(dialog.result(), int(QDialog::Accepted));
        QCOMPARE(answerer.texts, QStringList({"The email was successfully sent."}));
        const QStringList received = smtp->Received();
        QCOMPARE(received.size(), 1);
        QVERIFY(received.first().contains("<PRE>"));
        QVERIFY(received.first().contains("See you!"));
    }

    void failureOffersTheClipboard()
    {
        if (!StartServers("accept"))
            QSKIP("dnsmasq (dnsmasq-base) or aiosmtpd (python3-aiosmtpd) is missing or did not start");
        QApplication::clipboard()->clear();
        TfrmEmail dialog(Texts(), settings);
        dialog.show();
        Fill(dialog, "ann@nomx.test", "bob@friend.test");
        Find<QLineEdit>(dialog, "txtName")->clear();
        ModalAnswerer answerer(true);
        Find<QPushButton>(dialog, "butSend")->click();
        QTRY_COMPARE_WITH_TIMEOUT(answerer.texts.size(), 2, 30000);
        QCOMPARE(answerer.texts.at(0), DnsServerMessage());
        QCOMPARE(answerer.texts.at(1),
                 QStringLiteral("The message about Zedly has been placed in the clipboard.  You can "
                                "now paste it into your regular email software and send it to your "
                                "friend."));
        const QString copied = QApplication::clipboard()->text();
        QVERIFY(copied.startsWith("Hello Bob, \nA friend wanted to let you know about Zedly, a tool."));
        // The email dialog stays open, ready to try again.
        QTRY_VERIFY(!dialog.IsSending());
        QVERIFY(dialog.isVisible());
        QVERIFY(Find<QPushButton>(dialog, "butSend")->isEnabled());
        QCOMPARE(Find<QLabel>(dialog, "lblStatus")->text(), QString());
        QVERIFY(smtp->Received().isEmpty());
    }

    void aboutBoxAnimationOpensTheDialog()
    {
        // Each step is queued: the next modal window opens inside it.
        QStringList seen;
        QTimer timer;
        connect(&timer, &QTimer::timeout, this, [&seen] {
            QWidget* modal = QApplication::activeModalWidget();
            if (auto* about = qobject_cast<TfrmSplash*>(modal)) {
                if (seen.isEmpty()) {
                    seen << "About";
                    QMetaObject::invokeMethod(about, [about] {
                        QTest::mouseRelease(about->Animation(), Qt::RightButton, {}, QPoint(5, 5));
                    }, Qt::QueuedConnection);
                } else if (seen.size() == 2) {
                    seen << "About closed";
                    QMetaObject::invokeMethod(about, "reject", Qt::QueuedConnection);
                }
            } else if (auto* email = qobject_cast<TfrmEmail*>(modal); email && seen.size() == 1) {
                seen << email->windowTitle();
                QMetaObject::invokeMethod(email, "reject", Qt::QueuedConnection);
            }
        });
        timer.start(20);
        TfrmSplash::ShowAbout(nullptr);
        QCOMPARE(seen, QStringList({"About", "Email Pictaron to a Friend", "About closed"}));
    }

    void cancelClosesDuringASlowConversation()
    {
        if (!StartServers("slow"))
            QSKIP("dnsmasq (dnsmasq-base) or aiosmtpd (python3-aiosmtpd) is missing or did not start");
        TfrmEmail dialog(Texts(), settings);
        dialog.show();
        Fill(dialog, "ann@pictaron.test", "bob@friend.test");
        ModalAnswerer answerer;
        Find<QPushButton>(dialog, "butSend")->click();
        // The window keeps answering while the server keeps us waiting.
        QTRY_VERIFY_WITH_TIMEOUT(QFile::exists(smtp->Folder() + "/waiting"), 30000);
        QTRY_COMPARE(Find<QLabel>(dialog, "lblStatus")->text(),
                     QStringLiteral("Sending through mx5.pictaron.test"));
        Find<QPushButton>(dialog, "butCancel")->click();
        QVERIFY(!dialog.isVisible());
        QCOMPARE(dialog.result(), int(QDialog::Rejected));
        QVERIFY(!dialog.IsSending());
        QVERIFY(answerer.texts.isEmpty());
        QVERIFY(!smtp->Answered());
    }
};

QTEST_MAIN(EmailDialogTest)
#include "emaildialog_test.moc"
