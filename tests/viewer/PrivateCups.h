// A CUPS server of the test's own: cupsd on a private socket with its own configuration, spool
// and log folders, and a PDF queue through cups-pdf whose output goes to a folder of the test.
// cups-pdf reads its per-queue settings only from the system's CUPS folder, so the queue's small
// settings file is placed there under a unique name and removed again.
#pragma once

#include <cups/cups.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QByteArray>
#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QString>
#include <QTemporaryDir>
#include <QThread>

namespace tolvane::test {

class PrivateCups {
public:
    static constexpr const char* kQueue = "TolvanePDF";

    ~PrivateCups() { Stop(); }

    // Starts the server and adds the queue as its default; false with the reason when this
    // machine cannot run it.
    bool Start(QString& reason) {
        const QString cupsd = QStringLiteral("/usr/sbin/cupsd");
        const QString backend = QStringLiteral("/usr/lib/cups/backend/cups-pdf");
        const QString ppd = QStringLiteral("/usr/share/ppd/cups-pdf/CUPS-PDF_opt.ppd");
        for (const QString& needed : {cupsd, backend, ppd, QStringLiteral("/usr/sbin/lpadmin")}) {
            if (!QFileInfo::exists(needed)) {
                reason = needed + QStringLiteral(" is not installed (scripts/install-deps installs it)");
                return false;
            }
        }
        if (::geteuid() != 0) {
            reason = QStringLiteral("cups-pdf runs only under a CUPS server started as root");
            return false;
        }
        if (!root_.isValid()) {
            reason = QStringLiteral("no temporary folder");
            return false;
        }
        const QString t = root_.path();
        // The filters run as the server's unprivileged user: the folders must be reachable.
        QFile::setPermissions(t, QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner |
                                     QFileDevice::ReadGroup | QFileDevice::ExeGroup | QFileDevice::ReadOther |
                                     QFileDevice::ExeOther);
        for (const char* sub : {"etc", "spool", "tmp", "cache", "state", "log", "out"}) {
            QDir(t).mkpath(QLatin1String(sub));
        }
        for (const char* open : {"tmp", "out"}) {
            ::chmod(QFile::encodeName(t + QLatin1Char('/') + QLatin1String(open)).constData(), 01777);
        }
        socket_ = t + QStringLiteral("/cups.sock");
        Write(t + QStringLiteral("/etc/cupsd.conf"),
              QStringLiteral("Listen %1\nLogLevel info\nBrowsing No\n"
                             "WebInterface No\nDefaultAuthType None\n"
                             "<Location />\n  Order allow,deny\n  Allow all\n"
                             "</Location>\n<Policy default>\n  <Limit All>\n"
                             "    Order deny,allow\n  </Limit>\n</Policy>\n")
                  .arg(socket_));
        Write(t + QStringLiteral("/etc/cups-files.conf"),
              QStringLiteral("ServerRoot %1/etc\nRequestRoot %1/spool\nTempDir %1/tmp\nCacheDir %1/cache\n"
                             "StateDir %1/state\nAccessLog %1/log/access_log\nErrorLog %1/log/error_log\n"
                             "PageLog %1/log/page_log\nPrintcap %1/printcap\nServerBin /usr/lib/cups\n"
                             "DataDir /usr/share/cups\nSandboxing Relaxed\n")
                  .arg(t));
        instance_ = QStringLiteral("tolvane-test-%1").arg(QCoreApplication::applicationPid());
        instanceConfig_ = QStringLiteral("/etc/cups/cups-pdf-%1.conf").arg(instance_);
        if (!Write(instanceConfig_,
                   QStringLiteral("Out %1/out\nAnonDirName %1/out\nLog %1/log\nGrp root\n").arg(t))) {
            reason = QStringLiteral("cannot write ") + instanceConfig_;
            instanceConfig_.clear();
            return false;
        }
        server_.setProgram(cupsd);
        server_.setArguments({QStringLiteral("-f"), QStringLiteral("-c"),
                              t + QStringLiteral("/etc/cupsd.conf"), QStringLiteral("-s"),
                              t + QStringLiteral("/etc/cups-files.conf")});
        server_.setProcessChannelMode(QProcess::MergedChannels);
        server_.start();
        QElapsedTimer clock;
        clock.start();
        while (!QFileInfo::exists(socket_) && clock.elapsed() < 10000 &&
               server_.state() != QProcess::NotRunning) {
            QThread::msleep(20);
        }
        if (!QFileInfo::exists(socket_)) {
            server_.waitForFinished(100);
            reason = QStringLiteral("cupsd did not start: ") + QString::fromLocal8Bit(server_.readAll()) +
                     ErrorLog();
            return false;
        }
        if (!Admin({QStringLiteral("-p"), QLatin1String(kQueue), QStringLiteral("-E"), QStringLiteral("-v"),
                    QStringLiteral("cups-pdf:/") + instance_, QStringLiteral("-P"), ppd, QStringLiteral("-o"),
                    // poppler's cairo renderer keeps the text of the job findable in the output
                    QStringLiteral("pdftops-renderer-default=pdftocairo")},
                   reason) ||
            !Admin({QStringLiteral("-d"), QLatin1String(kQueue)}, reason)) {
            return false;
        }
        return true;
    }

    const QString& Socket() const { return socket_; }
    QString OutputFolder() const { return root_.path() + QStringLiteral("/out"); }
    QString ErrorLog() const {
        QFile log(root_.path() + QStringLiteral("/log/error_log"));
        return log.open(QIODevice::ReadOnly) ? QString::fromLocal8Bit(log.readAll().right(4000)) : QString();
    }

    // The PDF cups-pdf made, once the queue has no active job left, or empty after the
    // time-out. Asks the server of CUPS_SERVER.
    QString WaitForOutput(int milliseconds) const {
        QElapsedTimer clock;
        clock.start();
        while (clock.elapsed() < milliseconds) {
            cups_job_t* jobs = nullptr;
            const int active = cupsGetJobs2(CUPS_HTTP_DEFAULT, &jobs, kQueue, 0, CUPS_WHICHJOBS_ACTIVE);
            cupsFreeJobs(active > 0 ? active : 0, jobs);
            const QFileInfoList files =
                QDir(OutputFolder()).entryInfoList({QStringLiteral("*.pdf")}, QDir::Files);
            if (active == 0 && !files.isEmpty() && files.first().size() > 0) {
                return files.first().filePath();
            }
            QThread::msleep(100);
        }
        return {};
    }

    void Stop() {
        if (server_.state() != QProcess::NotRunning) {
            server_.terminate();
            if (!server_.waitForFinished(5000)) {
                server_.kill();
                server_.waitForFinished(2000);
            }
        }
        if (!instanceConfig_.isEmpty()) {
            QFile::remove(instanceConfig_);
            instanceConfig_.clear();
        }
    }

private:
    static bool Write(const QString& name, const QString& text) {
        QFile file(name);
        return file.open(QIODevice::WriteOnly | QIODevice::Truncate) && file.write(text.toUtf8()) >= 0;
    }

    bool Admin(const QStringList& arguments, QString& reason) {
        QProcess admin;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("CUPS_SERVER"), socket_);
        admin.setProcessEnvironment(env);
        admin.setProcessChannelMode(QProcess::MergedChannels);
        admin.start(QStringLiteral("/usr/sbin/lpadmin"), arguments);
        if (!admin.waitForFinished(20000) || admin.exitCode() != 0) {
            reason = QStringLiteral("lpadmin failed: ") + QString::fromLocal8Bit(admin.readAll());
            return false;
        }
        return true;
    }

    QTemporaryDir root_{QDir::tempPath() + QStringLiteral("/tolvane-cups-XXXXXX")};
    QProcess server_;
    QString socket_;
    QString instance_;
    QString instanceConfig_;
};

} // namespace tolvane::test
