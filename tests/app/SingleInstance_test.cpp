// One copy per data folder: a later copy brings the running one to the front and ends before it
// shows anything; the socket answers only the same user.
#include "AppTestSupport.h"
#include "app/SingleInstance.h"

#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QElapsedTimer>
#include <QFileInfo>
#include <QProcess>
#include <QSignalSpy>
#include <QTest>
#include <cstring>
#include <future>

using namespace tolvane;
using namespace tolvane::test;

namespace {

// Connects as another user and asks for the front; the exit code says whether an answer came.
int AskAsOtherUser(const QString& socketPath) {
    const QByteArray path = QFile::encodeName(socketPath);
    const pid_t child = ::fork();
    if (child == 0) {
        if (::setgid(65534) != 0 || ::setuid(65534) != 0) {
            ::_exit(3);
        }
        const int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
        sockaddr_un addr{};
        addr.sun_family = AF_UNIX;
        std::strncpy(addr.sun_path, path.constData(), sizeof addr.sun_path - 1);
        if (::connect(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr) != 0) {
            ::_exit(1);
        }
        const char request[] = "activate\n";
        if (::write(fd, request, sizeof request - 1) < 0) {
            ::_exit(1);
        }
        char answer[8] = {};
        ::alarm(5);
        const ssize_t n = ::read(fd, answer, sizeof answer);
        ::_exit(n > 0 ? 0 : 1);
    }
    int status = 0;
    const auto waited = std::async(std::launch::async, [&] { return ::waitpid(child, &status, 0); });
    while (waited.wait_for(std::chrono::milliseconds(10)) != std::future_status::ready) {
        QCoreApplication::processEvents();
    }
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

QString ProgramCopy(const DataFolder& data) {
    const QString copy = data.File("tolvane");
    QFile::copy(QStringLiteral(TOLVANE_BINARY_DIR "/src/app/tolvane"), copy);
    return copy;
}

} // namespace

class SingleInstanceTest : public QObject {
    Q_OBJECT
private slots:
    void aSecondCopyAsksTheFirstAndIsRefused() {
        DataFolder data;
        TSingleInstance first(data.Folder());
        QVERIFY(first.TryBecomeFirst());
        QVERIFY(!first.ListeningPath().isEmpty());
        QSignalSpy raised(&first, &TSingleInstance::ActivationRequested);

        TSingleInstance second(data.Folder());
        QVERIFY(!second.TryBecomeFirst());
        auto answered = std::async(std::launch::async, [&second] { return second.ActivateRunningCopy(); });
        QTRY_COMPARE(raised.count(), 1);
        while (answered.wait_for(std::chrono::milliseconds(10)) != std::future_status::ready) {
            QCoreApplication::processEvents();
        }
        QVERIFY(answered.get());

        // Another data folder is another copy.
        DataFolder other;
        TSingleInstance third(other.Folder());
        QVERIFY(third.TryBecomeFirst());
    }

    void theGuardIsFreeAgainWhenTheFirstCopyEnds() {
        DataFolder data;
        {
            TSingleInstance first(data.Folder());
            QVERIFY(first.TryBecomeFirst());
        }
        TSingleInstance next(data.Folder());
        QVERIFY(next.TryBecomeFirst());
        TSingleInstance later(data.Folder());
        QVERIFY(!later.TryBecomeFirst());
    }

    void askingWhenNoCopyListensGivesUp() {
        DataFolder data;
        TSingleInstance lone(data.Folder());
        QElapsedTimer timer;
        timer.start();
        QVERIFY(!lone.ActivateRunningCopy(300));
        QVERIFY(timer.elapsed() < 3000);
    }

    void anotherUserGetsNoAnswer() {
        if (::geteuid() != 0) {
            QSKIP("needs root to act as another user");
        }
        DataFolder data;
        TSingleInstance first(data.Folder());
        QVERIFY(first.TryBecomeFirst());
        QSignalSpy raised(&first, &TSingleInstance::ActivationRequested);
        QVERIFY(AskAsOtherUser(first.ListeningPath()) != 0);
        QTest::qWait(50);
        QCOMPARE(raised.count(), 0);
    }

    // The program itself: its folder is its data folder; a second start ends at once.
    void theProgramRunsOncePerDataFolder() {
        DataFolder data;
        WriteConfiguredSettings(data);
        const QString program = ProgramCopy(data);
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
        QProcess first;
        first.setProcessEnvironment(env);
        first.start(program, {});
        QVERIFY(first.waitForStarted());
        // Running once its tables exist.
        QTRY_VERIFY_WITH_TIMEOUT(QFile::exists(data.File("QOBREC.CDX")), 10000);

        QProcess second;
        second.setProcessEnvironment(env);
        second.start(program, {});
        QVERIFY(second.waitForFinished(10000));
        QCOMPARE(second.exitStatus(), QProcess::NormalExit);
        QCOMPARE(second.exitCode(), 0);
        QCOMPARE(first.state(), QProcess::Running);

        // What the program made is private to the user.
        for (const char* file :
             {"QOB.DBF", "QOB.CDX", "QOB.FPT", "QOBREC.DBF", "QOBREC.CDX", "tolvane.lock"}) {
            struct stat st {};
            QCOMPARE(::stat(QFile::encodeName(data.File(file)).constData(), &st), 0);
            QVERIFY2((st.st_mode & 0077) == 0, file);
        }
        struct stat st {};
        QCOMPARE(::stat(QFile::encodeName(data.File("receive")).constData(), &st), 0);
        QCOMPARE(st.st_mode & 0777, 0700u);

        first.terminate();
        QVERIFY(first.waitForFinished(10000));
    }
};

QTEST_MAIN(SingleInstanceTest)
#include "SingleInstance_test.moc"
