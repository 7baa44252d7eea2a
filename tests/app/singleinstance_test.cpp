// A second start of the program reaching the first, and nobody else reaching
// either.
//
// The tests of another user run this executable again as "nobody" (a copy
// anyone may run), which then acts as a helper: it sends, writes raw bytes to
// or listens on a socket, see RunHelper. They need root to change user and are
// skipped otherwise.
#include "app/singleinstance.h"

#include <QFile>
#include <QProcess>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QtTest>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <optional>
#include <string>

#include <pwd.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

using namespace pictaron;

namespace {

// A local socket address, or nullopt when the path does not fit.
std::optional<sockaddr_un> Address(const QString& path)
{
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    const QByteArray native = QFile::encodeName(path);
    if (native.size() >= static_cast<qsizetype>(sizeof address.sun_path))
        return std::nullopt;
    std::memcpy(address.sun_path, native.constData(), static_cast<std::size_t>(native.size()));
    return address;
}

// Connects, writes the bytes and closes; false when nothing answers.
bool WriteRaw(const QString& path, const QByteArray& bytes)
{
    const std::optional<sockaddr_un> address = Address(path);
    const int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
    if (!address || fd < 0)
        return false;
    bool written = ::connect(fd, reinterpret_cast<const sockaddr*>(&*address), sizeof *address) == 0;
    for (qsizetype done = 0; written && done < bytes.size();) {
        const ssize_t n = ::write(fd, bytes.constData() + done, static_cast<std::size_t>(bytes.size() - done));
        written = n > 0;
        done += n;
    }
    ::close(fd);
    return written;
}

// Helper modes, each in the process of the user it runs as:
//   send PATH LINE    SendToRunningInstance; exit 0 when it says delivered
//   raw PATH LINE     connect and write the line without any check; exit 0
//                     when written, 3 when nothing answered
//   listen PATH       listen without any check, print "listening", then for
//                     each connection in turn "got N: BYTES" once it closes;
//                     ends after a connection that sent "quit"
//   whoami            print the user id
int RunHelper(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    const std::string mode = argv[2];
    if (mode == "whoami") {
        std::printf("%u\n", static_cast<unsigned>(::geteuid()));
        return 0;
    }
    if (argc < 4)
        return 2;
    const QString path = QFile::decodeName(argv[3]);
    const QByteArray line = argc > 4 ? QByteArray(argv[4]) : QByteArray();
    if (mode == "send")
        return SingleInstance::SendToRunningInstance({QString::fromUtf8(line)}, path) ? 0 : 1;
    if (mode == "raw")
        return WriteRaw(path, line + '\n') ? 0 : 3;
    if (mode == "listen") {
        const std::optional<sockaddr_un> address = Address(path);
        const int server = ::socket(AF_UNIX, SOCK_STREAM, 0);
        if (!address || server < 0 || ::bind(server, reinterpret_cast<const sockaddr*>(&*address), sizeof *address) != 0
            || ::chmod(address->sun_path, 0777) != 0 || ::listen(server, 8) != 0) {
            std::printf("cannot listen: %s\n", std::strerror(errno));
            return 4;
        }
        std::printf("listening\n");
        std::fflush(stdout);
        for (;;) {
            const int connection = ::accept(server, nullptr, nullptr);
            if (connection < 0)
                return 5;
            std::string received;
            char buffer[4096];
            for (ssize_t n; (n = ::read(connection, buffer, sizeof buffer)) > 0;)
                received.append(buffer, static_cast<std::size_t>(n));
            ::close(connection);
            std::printf("got %zu: %s\n", received.size(), received.c_str());
            std::fflush(stdout);
            if (received == "quit\n")
                return 0;
        }
    }
    return 2;
}

// Sets an environment variable for one scope.
class EnvironmentVariable {
public:
    EnvironmentVariable(const char* name, const QByteArray& value)
        : name_(name), had_(qEnvironmentVariableIsSet(name)), old_(qgetenv(name))
    {
        qputenv(name, value);
    }
    ~EnvironmentVariable()
    {
        if (had_)
            qputenv(name_, old_);
        else
            qunsetenv(name_);
    }

private:
    const char* name_;
    bool had_;
    QByteArray old_;
};

bool MakeFolder(const QString& path, mode_t mode)
{
    const QByteArray native = QFile::encodeName(path);
    return ::mkdir(native.constData(), 0700) == 0 && ::chmod(native.constData(), mode) == 0;
}

bool SetMode(const QString& path, mode_t mode)
{
    return ::chmod(QFile::encodeName(path).constData(), mode) == 0;
}

bool GiveTo(const QString& path, uid_t user, gid_t group)
{
    return ::chown(QFile::encodeName(path).constData(), user, group) == 0;
}

} // namespace

class SingleInstanceTest : public QObject {
    Q_OBJECT
private slots:
    void init();
    void requestReachesTheFirstInstance();
    void nobodyListeningMeansStartNormally();
    void emptyRequestAndOversizedRequest();
    void staleSocketFileDoesNotBlockListening();
    void somethingElseAtTheSocketsNameIsLeftAlone();
    void onlyAPrivateFolderOfThisUserIsUsed();
    void runtimeFolderFallsBackToAPrivateFolderOfOurOwn();
    void anotherUserCannotDeliverARequest();
    void anotherUserCannotReceiveARequest();

private:
    // The private folder of one test, and the socket in it.
    QString Folder() const { return root_->path() + QStringLiteral("/private"); }
    QString Socket() const { return Folder() + QStringLiteral("/instance"); }

    // The command line that runs the helper as "nobody"; QSKIP when this
    // process cannot change user.
    bool PrepareOtherUser();
    QProcess* StartHelper(const QStringList& arguments);
    int RunHelperAsOtherUser(const QStringList& arguments, QByteArray* output = nullptr);

    std::optional<QTemporaryDir> root_;
    QStringList runAsOther_;  // program and arguments before the helper's own
    QString helper_;
    uid_t otherUser_ = 0;
    gid_t otherGroup_ = 0;
};

void SingleInstanceTest::init()
{
    // Each test in a fresh folder of its own, never where a running Pictaron
    // listens. Others may pass through the root (for the helper) but not list it.
    root_.emplace(QDir::tempPath() + QStringLiteral("/singleinstance_test-XXXXXX"));
    QVERIFY(root_->isValid());
    QVERIFY(SetMode(root_->path(), 0711));
    QVERIFY(MakeFolder(Folder(), 0700));
}

void SingleInstanceTest::requestReachesTheFirstInstance()
{
    SingleInstance first(Socket());
    QVERIFY(first.Listen());
    struct stat status {};
    QCOMPARE(::lstat(QFile::encodeName(Socket()).constData(), &status), 0);
    QVERIFY(S_ISSOCK(status.st_mode));
    QCOMPARE(status.st_mode & 0777, 0700u);  // for this user only
    QSignalSpy received(&first, &SingleInstance::RequestReceived);
    SingleInstance second(Socket());
    QVERIFY(!second.Listen());  // the name is taken; looking is no request

    QVERIFY(SingleInstance::SendToRunningInstance({QStringLiteral("[open]"), QStringLiteral("/pics/a b/ü.gif")}, Socket()));
    QVERIFY(received.wait(5000));
    QCOMPARE(received.size(), 1);
    QCOMPARE(received.first().first().toStringList(),
             (QStringList{QStringLiteral("[open]"), QStringLiteral("/pics/a b/ü.gif")}));
    QVERIFY(first.Listen());  // still the one listening
}

void SingleInstanceTest::nobodyListeningMeansStartNormally()
{
    QVERIFY(!SingleInstance::SendToRunningInstance({QStringLiteral("/x.gif")}, Socket(), 200));
    QVERIFY(!SingleInstance::SendToRunningInstance({QStringLiteral("/x.gif")}, QString(), 200));
}

void SingleInstanceTest::emptyRequestAndOversizedRequest()
{
    SingleInstance first(Socket());
    QVERIFY(first.Listen());
    QSignalSpy received(&first, &SingleInstance::RequestReceived);
    QVERIFY(SingleInstance::SendToRunningInstance({}, Socket()));
    QVERIFY(received.wait(5000));
    QVERIFY(received.first().first().toStringList().isEmpty());  // bring the window forward only

    // Not a request of ours: dropped without a word, while the one after it
    // comes through.
    received.clear();
    QVERIFY(SingleInstance::SendToRunningInstance({QString(100000, QLatin1Char('x'))}, Socket()));
    QVERIFY(SingleInstance::SendToRunningInstance({QStringLiteral("/after.gif")}, Socket()));
    QVERIFY(received.wait(5000));
    QCOMPARE(received.size(), 1);
    QCOMPARE(received.first().first().toStringList(), QStringList{QStringLiteral("/after.gif")});
}

void SingleInstanceTest::staleSocketFileDoesNotBlockListening()
{
    // What a program that crashed leaves: a socket file nobody listens on.
    {
        const std::optional<sockaddr_un> address = Address(Socket());
        QVERIFY(address);
        const int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
        QVERIFY(fd >= 0);
        QCOMPARE(::bind(fd, reinterpret_cast<const sockaddr*>(&*address), sizeof *address), 0);
        ::close(fd);
    }
    QVERIFY(QFileInfo::exists(Socket()));
    QVERIFY(!SingleInstance::SendToRunningInstance({QStringLiteral("/x.gif")}, Socket(), 200));

    SingleInstance first(Socket());
    QVERIFY(first.Listen());
    QSignalSpy received(&first, &SingleInstance::RequestReceived);
    QVERIFY(SingleInstance::SendToRunningInstance({QStringLiteral("/x.gif")}, Socket()));
    QVERIFY(received.wait(5000));
    QCOMPARE(received.first().first().toStringList(), QStringList{QStringLiteral("/x.gif")});
}

void SingleInstanceTest::somethingElseAtTheSocketsNameIsLeftAlone()
{
    QFile file(Socket());
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write("keep");
    file.close();
    SingleInstance first(Socket());
    QVERIFY(!first.Listen());
    QVERIFY(file.open(QIODevice::ReadOnly));
    QCOMPARE(file.readAll(), QByteArray("keep"));
}

void SingleInstanceTest::onlyAPrivateFolderOfThisUserIsUsed()
{
    QString problem;
    QVERIFY2(SingleInstance::IsPrivateFolder(Folder(), false, &problem), qPrintable(problem));

    const QString open = root_->path() + QStringLiteral("/open");
    QVERIFY(MakeFolder(open, 0777));
    QVERIFY(!SingleInstance::IsPrivateFolder(open, false, &problem));
    QVERIFY(problem.contains(QStringLiteral("777")));
    QVERIFY(SetMode(open, 0755));  // readable is not private either
    QVERIFY(!SingleInstance::IsPrivateFolder(open, true));
    QVERIFY(SetMode(open, 0777));

    // Neither end uses a socket in such a folder.
    SingleInstance first(open + QStringLiteral("/instance"));
    QVERIFY(!first.Listen());
    QVERIFY(!QFileInfo::exists(open + QStringLiteral("/instance")));
    {
        SingleInstance inPrivate(Socket());
        QVERIFY(inPrivate.Listen());
        QVERIFY(SetMode(Folder(), 0777));  // opened after the start
        QVERIFY(!SingleInstance::SendToRunningInstance({QStringLiteral("/x.gif")}, Socket()));
        QVERIFY(SetMode(Folder(), 0700));
        QVERIFY(SingleInstance::SendToRunningInstance({QStringLiteral("/x.gif")}, Socket()));
    }

    // A link to a private folder is not the folder.
    const QString link = root_->path() + QStringLiteral("/link");
    QVERIFY(QFile::link(Folder(), link));
    QVERIFY(!SingleInstance::IsPrivateFolder(link, false));
    QVERIFY(!SingleInstance::IsPrivateFolder(link, true));

    // A missing folder is made private; a file is no folder.
    const QString made = root_->path() + QStringLiteral("/made");
    QVERIFY(!SingleInstance::IsPrivateFolder(made, false));
    QVERIFY(SingleInstance::IsPrivateFolder(made, true));
    struct stat status {};
    QCOMPARE(::stat(QFile::encodeName(made).constData(), &status), 0);
    QCOMPARE(status.st_mode & 0777, 0700u);
    QFile file(root_->path() + QStringLiteral("/file"));
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.close();
    QVERIFY(SetMode(file.fileName(), 0700));
    QVERIFY(!SingleInstance::IsPrivateFolder(file.fileName(), true));

    if (::geteuid() == 0) {
        // Someone else's folder, however private.
        const passwd* nobody = ::getpwnam("nobody");
        QVERIFY(nobody);
        const QString theirs = root_->path() + QStringLiteral("/theirs");
        QVERIFY(MakeFolder(theirs, 0700));
        QVERIFY(GiveTo(theirs, nobody->pw_uid, nobody->pw_gid));
        QVERIFY(!SingleInstance::IsPrivateFolder(theirs, true, &problem));
        QVERIFY(problem.contains(QString::number(nobody->pw_uid)));
    }
}

void SingleInstanceTest::runtimeFolderFallsBackToAPrivateFolderOfOurOwn()
{
    // $XDG_RUNTIME_DIR when it is private ...
    {
        EnvironmentVariable runtime("XDG_RUNTIME_DIR", QFile::encodeName(Folder()));
        QCOMPARE(SingleInstance::RuntimeFolder(), Folder());
        QCOMPARE(SingleInstance::DefaultSocketPath(), Folder() + QStringLiteral("/webpictaron-PICTARON"));
    }
    // ... else a folder of our own in the temporary folder, made private ...
    const QString open = root_->path() + QStringLiteral("/open");
    QVERIFY(MakeFolder(open, 0777));
    const QString temporary = root_->path() + QStringLiteral("/tmp");
    QVERIFY(MakeFolder(temporary, 01777));
    const QString fallback = temporary + QStringLiteral("/pictaron-%1").arg(::geteuid());
    EnvironmentVariable tmpdir("TMPDIR", QFile::encodeName(temporary));
    for (const QByteArray& runtime : {QFile::encodeName(open), QByteArray(), QByteArray("relative")}) {
        EnvironmentVariable variable("XDG_RUNTIME_DIR", runtime);
        QCOMPARE(SingleInstance::RuntimeFolder(), fallback);
        QVERIFY(SingleInstance::IsPrivateFolder(fallback, false));
    }

    // ... and none at all when that one is not private: no channel then.
    EnvironmentVariable runtime("XDG_RUNTIME_DIR", QFile::encodeName(open));
    QVERIFY(SetMode(fallback, 0777));
    QString problem;
    QVERIFY(SingleInstance::RuntimeFolder(&problem).isEmpty());
    QVERIFY(problem.contains(fallback));
    QVERIFY(SingleInstance::DefaultSocketPath().isEmpty());
    SingleInstance instance;
    QVERIFY(!instance.Listen());
    QVERIFY(!SingleInstance::SendToRunningInstance({QStringLiteral("/x.gif")}));
    QVERIFY(SetMode(fallback, 0700));
    QCOMPARE(SingleInstance::RuntimeFolder(), fallback);
}

bool SingleInstanceTest::PrepareOtherUser()
{
    if (::geteuid() != 0)
        return false;
    const passwd* nobody = ::getpwnam("nobody");
    if (!nobody)
        return false;
    otherUser_ = nobody->pw_uid;
    otherGroup_ = nobody->pw_gid;
    // A copy of this executable that the other user may run.
    const QString folder = root_->path() + QStringLiteral("/helper");
    helper_ = folder + QStringLiteral("/singleinstance_helper");
    if (!MakeFolder(folder, 0755) || !QFile::copy(QCoreApplication::applicationFilePath(), helper_)
        || !SetMode(helper_, 0755))
        return false;
    const QList<QStringList> ways = {
        {QStringLiteral("setpriv"), QStringLiteral("--reuid=nobody"), QStringLiteral("--regid=nogroup"),
         QStringLiteral("--clear-groups")},
        {QStringLiteral("runuser"), QStringLiteral("-u"), QStringLiteral("nobody"), QStringLiteral("--")},
    };
    for (const QStringList& way : ways) {
        runAsOther_ = way;
        QByteArray output;
        if (RunHelperAsOtherUser({QStringLiteral("whoami")}, &output) == 0
            && output.trimmed() == QByteArray::number(otherUser_))
            return true;
    }
    return false;
}

QProcess* SingleInstanceTest::StartHelper(const QStringList& arguments)
{
    auto* process = new QProcess(this);
    process->setProcessChannelMode(QProcess::ForwardedErrorChannel);
    process->start(runAsOther_.first(),
                   runAsOther_.mid(1) + QStringList{helper_, QStringLiteral("--helper")} + arguments);
    return process;
}

int SingleInstanceTest::RunHelperAsOtherUser(const QStringList& arguments, QByteArray* output)
{
    QProcess* process = StartHelper(arguments);
    const bool finished = process->waitForFinished(30000);
    if (output)
        *output = process->readAllStandardOutput();
    const int code = finished && process->exitStatus() == QProcess::NormalExit ? process->exitCode() : -1;
    delete process;
    return code;
}

void SingleInstanceTest::anotherUserCannotDeliverARequest()
{
    if (!PrepareOtherUser())
        QSKIP("needs root and setpriv or runuser to run a helper as nobody");

    SingleInstance first(Socket());
    QVERIFY(first.Listen());
    QSignalSpy received(&first, &SingleInstance::RequestReceived);

    // The private folder keeps the other user from the socket altogether ...
    QCOMPARE(RunHelperAsOtherUser({QStringLiteral("send"), Socket(), QStringLiteral("/theirs/1.gif")}), 1);
    QCOMPARE(RunHelperAsOtherUser({QStringLiteral("raw"), Socket(), QStringLiteral("/theirs/2.gif")}), 3);

    // ... and were the folder opened, the listener drops what they send.
    QVERIFY(SetMode(Folder(), 0755));
    QVERIFY(SetMode(Socket(), 0777));
    QCOMPARE(RunHelperAsOtherUser({QStringLiteral("raw"), Socket(), QStringLiteral("/theirs/3.gif")}), 0);
    QCOMPARE(RunHelperAsOtherUser({QStringLiteral("send"), Socket(), QStringLiteral("/theirs/4.gif")}), 1);

    // Our own request, made after theirs, is the only one that arrives.
    QVERIFY(SetMode(Folder(), 0700));
    QVERIFY(SingleInstance::SendToRunningInstance({QStringLiteral("/ours.gif")}, Socket()));
    QVERIFY(received.wait(5000));
    QCOMPARE(received.size(), 1);
    QCOMPARE(received.first().first().toStringList(), QStringList{QStringLiteral("/ours.gif")});
}

void SingleInstanceTest::anotherUserCannotReceiveARequest()
{
    if (!PrepareOtherUser())
        QSKIP("needs root and setpriv or runuser to run a helper as nobody");

    // Ends the helper and returns what it heard.
    const auto finish = [](QProcess* helper, const QString& socket) {
        WriteRaw(socket, "quit\n");
        helper->waitForFinished(30000);
        QByteArray heard = helper->readAllStandardOutput();
        delete helper;
        return heard;
    };

    // The other user takes the fallback folder's name first and listens there:
    // no start of ours uses that folder, nor sends anything.
    const QString temporary = root_->path() + QStringLiteral("/tmp");
    QVERIFY(MakeFolder(temporary, 01777));
    const QString squatted = temporary + QStringLiteral("/pictaron-%1").arg(::geteuid());
    QVERIFY(MakeFolder(squatted, 0777));
    QVERIFY(GiveTo(squatted, otherUser_, otherGroup_));
    const QString theirSocket = squatted + QStringLiteral("/webpictaron-PICTARON");
    QProcess* helper = StartHelper({QStringLiteral("listen"), theirSocket});
    QVERIFY(helper->waitForReadyRead(30000));
    QCOMPARE(helper->readLine(), QByteArray("listening\n"));
    {
        EnvironmentVariable tmpdir("TMPDIR", QFile::encodeName(temporary));
        EnvironmentVariable runtime("XDG_RUNTIME_DIR", QByteArray());
        QVERIFY(SingleInstance::DefaultSocketPath().isEmpty());
        QVERIFY(!SingleInstance::SendToRunningInstance({QStringLiteral("/secret/1.gif")}));
        SingleInstance instance;
        QVERIFY(!instance.Listen());
    }
    QVERIFY(!SingleInstance::SendToRunningInstance({QStringLiteral("/secret/2.gif")}, theirSocket));
    QCOMPARE(finish(helper, theirSocket), QByteArray("got 5: quit\n\n"));

    // A listener of the other user inside our own private folder (it got in
    // while the folder was open) is reached but told nothing.
    QVERIFY(SetMode(Folder(), 0777));
    helper = StartHelper({QStringLiteral("listen"), Socket()});
    QVERIFY(helper->waitForReadyRead(30000));
    QCOMPARE(helper->readLine(), QByteArray("listening\n"));
    QVERIFY(SetMode(Folder(), 0700));
    QVERIFY(SingleInstance::IsPrivateFolder(Folder(), false));
    QVERIFY(!SingleInstance::SendToRunningInstance({QStringLiteral("/secret/3.gif")}, Socket()));
    // Nor does a start of ours take its place: someone answers there.
    SingleInstance instance(Socket());
    QVERIFY(!instance.Listen());
    QCOMPARE(finish(helper, Socket()), QByteArray("got 0: \ngot 0: \ngot 5: quit\n\n"));
}

int main(int argc, char* argv[])
{
    if (argc >= 3 && std::strcmp(argv[1], "--helper") == 0)
        return RunHelper(argc, argv);
    QCoreApplication app(argc, argv);
    SingleInstanceTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "singleinstance_test.moc"
