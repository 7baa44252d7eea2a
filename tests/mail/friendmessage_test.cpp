// The recommendation's texts, and the checks and encodings that stand between
// what the user typed and the headers of the message.
#include "mail/friendmessage.h"
#include "mail/mailmessage.h"
#include "mail/mimeencoding.h"
#include "printing.h"

#include <gtest/gtest.h>

#include <QTimeZone>

using namespace pictaron;

namespace {

FriendTexts Texts()
{
    return {QStringLiteral("Pictaron"), QStringLiteral("https://dl.example/p"),
            QStringLiteral("a tool for pictures."), QStringLiteral("It does things.")};
}

FriendInput Input(QString sender, QString friendName, QString message, bool html)
{
    return {std::move(sender), std::move(friendName), std::move(message), html};
}

} // namespace

TEST(FriendMessage, PlainTextWithAPersonalMessage)
{
    const FriendBody body =
        BuildFriendMessage(Texts(), Input("Ann", "Bob", "Line one\nLine two", false));
    EXPECT_EQ(body.contentType, "text/plain");
    EXPECT_EQ(body.text,
              "Hello Bob, \r\n"
              "Ann wanted to let you know about Pictaron, a tool for pictures.  It's available for "
              "downloading from Orvanti Software's Web Site.\r\n\r\n"
              "Just point your Web Browser to https://dl.example/p\r\n"
              "\r\nAnn also wanted to send you a special message: \r\n\r\nLine one\r\nLine two\r\n"
              "\r\nWhat is Pictaron?\r\n\r\nIt does things.\r\n\r\n");
}

TEST(FriendMessage, HtmlWithoutMessageHasNoPreBlock)
{
    const FriendBody body = BuildFriendMessage(Texts(), Input("Ann", "Bob", "", true));
    EXPECT_EQ(body.contentType, "text/HTML");
    EXPECT_EQ(body.text,
              "<HTML>\r\n<BODY>\r\n\r\n<P>Hello Bob, <BR>"
              "Ann wanted to let you know about Pictaron, a tool for pictures.  It's available for "
              "downloading from Orvanti Software's Web Site.<BR>\r\n\r\n"
              "<P><A HREF=\"https://dl.example/p\">Click here to download Pictaron</A><BR>\r\n"
              "or point your Web Browser to https://dl.example/p<BR>\r\n"
              "\r\n<P><H2>What is Pictaron?</H2>\r\n\r\nIt does things.\r\n\r\n</BODY>\r\n</HTML>");
}

TEST(FriendMessage, HtmlEscapesTheUsersTextsOnly)
{
    const FriendBody body = BuildFriendMessage(
        Texts(), Input("Ann <b>&", "<script>Bob", "5 < 6 & \"so\"\r\n</PRE>", true));
    EXPECT_TRUE(body.text.contains("<P>Hello &lt;script&gt;Bob, <BR>Ann &lt;b&gt;&amp; wanted"));
    EXPECT_TRUE(body.text.contains("<P>Ann &lt;b&gt;&amp; also wanted to send you a special "
                                   "message: <BR>\r\n\r\n<PRE>\r\n5 &lt; 6 &amp; &quot;so&quot;"
                                   "\r\n&lt;/PRE&gt;\r\n</PRE>\r\n"));
    // The same texts in the plain form stay as typed.
    const FriendBody plain =
        BuildFriendMessage(Texts(), Input("Ann <b>&", "<script>Bob", "5 < 6", false));
    EXPECT_TRUE(plain.text.startsWith("Hello <script>Bob, \r\nAnn <b>& wanted"));
}

TEST(FriendMessage, EmptyNameIsAFriendInTheBodyOnly)
{
    for (const bool html : {false, true}) {
        const FriendBody body = BuildFriendMessage(Texts(), Input("", "Bob", "Hi", html));
        EXPECT_TRUE(body.text.contains("A friend wanted to let you know about Pictaron, a tool"));
        EXPECT_TRUE(body.text.contains("A friend also wanted to send you a special message: "));
    }
    const MailMessage mail =
        MakeFriendMail(Texts(), Input("", "Bob", "", false), "me@x.test", "bob@y.test");
    EXPECT_EQ(mail.senderName, "");
    EXPECT_EQ(mail.subject, "Pictaron is available for you.");
}

TEST(FriendMessage, NamesStayOnOneLine)
{
    const MailMessage mail = MakeFriendMail(
        Texts(), Input("Ann\r\nBcc: evil@x.test", "Bob\nX", "", false), " me@x.test ", "\tbob@y.test");
    EXPECT_EQ(mail.senderName, "Ann  Bcc: evil@x.test");
    EXPECT_TRUE(mail.body.text.startsWith("Hello Bob X, \r\nAnn  Bcc: evil@x.test wanted"));
    EXPECT_EQ(mail.senderAddress, "me@x.test");
    EXPECT_EQ(mail.recipient, "bob@y.test");
}

TEST(FriendMessage, LongFieldsAreCut)
{
    const QString longName(300, QLatin1Char('n'));
    const QString longAddress = QString(300, QLatin1Char('a')) + "@x.test";
    const MailMessage mail =
        MakeFriendMail(Texts(), Input(longName, "Bob", "", false), longAddress, "b@y.test");
    EXPECT_EQ(mail.senderName, QString(255, QLatin1Char('n')));
    EXPECT_EQ(mail.senderAddress.size(), 255);
    // A character outside the basic plane is not cut in half.
    const QString emoji = QString(254, QLatin1Char('e')) + QString::fromUtf8("\U0001F600");
    EXPECT_EQ(MakeFriendMail(Texts(), Input(emoji, "B", "", false), "a@x.test", "b@y.test")
                  .senderName,
              QString(254, QLatin1Char('e')));
}

TEST(MailAddress, RefusesWhatCouldEndOrAddAnAddress)
{
    EXPECT_TRUE(IsUsableAddress("bob@example.test"));
    EXPECT_TRUE(IsUsableAddress("example.test"));
    EXPECT_TRUE(IsUsableAddress(QString::fromUtf8("zoë@exämple.test")));
    for (const char* bad : {"bob@x.test\r\nRCPT TO:<evil@x.test>", "bob@x.test\n", "bob @x.test",
                            "bob@x.test>", "<bob@x.test", "a@x.test,b@x.test", "a@x.test;b@x.test",
                            "a\t@x.test", "a\x7f@x.test"})
        EXPECT_FALSE(IsUsableAddress(QString::fromLatin1(bad))) << bad;
}

TEST(MailAddress, DomainIsAfterTheFirstAtOrTheWholeText)
{
    EXPECT_EQ(AddressDomain("me@pictaron.test"), "pictaron.test");
    EXPECT_EQ(AddressDomain("a@b@c.test"), "b@c.test");
    EXPECT_EQ(AddressDomain("pictaron.test"), "pictaron.test");
    EXPECT_EQ(AddressDomain("me@"), "");
}

TEST(MailHeaders, DateAndMessageId)
{
    const QDateTime when(QDate(2026, 12, 9), QTime(7, 42, 16), QTimeZone(3600));
    EXPECT_EQ(MailDate(when), "Wed, 09 Dec 2026 07:42:16 +0100");
    const QDateTime west(QDate(2026, 1, 2), QTime(23, 5, 0), QTimeZone(-(9 * 3600 + 1800)));
    EXPECT_EQ(MailDate(west), "Fri, 02 Jan 2026 23:05:00 -0930");

    const QString id = NewMessageId("me@pictaron.test");
    EXPECT_TRUE(id.startsWith('<') && id.endsWith("@pictaron.test>")) << id.toStdString();
    EXPECT_NE(id, NewMessageId("me@pictaron.test"));
    EXPECT_TRUE(NewMessageId("no-domain").endsWith("@pictaron.invalid>"));
}

TEST(MimeEncoding, HeaderTextStaysPlainWhenItCan)
{
    EXPECT_EQ(EncodeHeaderText("Pictaron is available for you."), "Pictaron is available for you.");
    EXPECT_EQ(EncodeDisplayName("Ann \"The\" O\\Neil"), "\"Ann \\\"The\\\" O\\\\Neil\"");
    EXPECT_TRUE(EncodeHeaderText("odd =?text").startsWith("=?UTF-8?B?"));
}

TEST(MimeEncoding, EncodedWordsAreShortAndWholeCharacters)
{
    // 40 three-byte characters and some four-byte ones: several words.
    const QString text = QString(40, QChar(0x20AC)) + QString::fromUtf8("\U0001F600\U0001F601 zoë");
    const QByteArray encoded = EncodeHeaderText(text);
    QByteArray decoded;
    for (const QByteArray& word : encoded.split('\n')) {
        QByteArray w = word.trimmed();
        ASSERT_LE(w.size(), 75);
        ASSERT_TRUE(w.startsWith("=?UTF-8?B?") && w.endsWith("?=")) << w.toStdString();
        const QByteArray bytes = QByteArray::fromBase64(w.mid(10, w.size() - 12));
        // Each word decodes to valid UTF-8 by itself.
        EXPECT_EQ(QString::fromUtf8(bytes).toUtf8(), bytes);
        EXPECT_FALSE(QString::fromUtf8(bytes).contains(QChar::ReplacementCharacter));
        decoded += bytes;
    }
    EXPECT_GT(encoded.count('\n'), 1);
    EXPECT_EQ(QString::fromUtf8(decoded), text);
}

TEST(MimeEncoding, QuotedPrintableKeepsLinesShortAndSevenBit)
{
    const QByteArray text = QByteArray(200, 'x') + " = \r\ntrailing \r\n\xc3\xa9t\xc3\xa9\tend\t";
    const QByteArray encoded = QuotedPrintable(text);
    for (const QByteArray& line : encoded.split('\n')) {
        EXPECT_LE(line.size(), 77) << line.toStdString(); // 76 and the CR
        for (const char c : line)
            EXPECT_TRUE(c == '\r' || c == '\t' || (c >= 32 && c < 127));
    }
    EXPECT_TRUE(encoded.contains(" =3D=20\r\ntrailing=20\r\n=C3=A9t=C3=A9\tend=09"))
        << encoded.toStdString();
}
