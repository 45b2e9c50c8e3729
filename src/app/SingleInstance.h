// One running copy of Tolvane per data folder. The first copy holds a lock on a file in the data
// folder and listens on a local socket that only the same user may use; a later copy finds the
// lock taken, asks the first copy over the socket to come to the front, and ends.
#pragma once

#include <QObject>
#include <QString>

class QLocalServer;

namespace tolvane {

class TSingleInstance : public QObject {
    Q_OBJECT
public:
    explicit TSingleInstance(const QString& dataFolder, QObject* parent = nullptr);
    ~TSingleInstance() override;

    // Takes the lock and starts listening. False when another copy holds the lock.
    bool TryBecomeFirst();
    // Asks the running copy to come to the front; waits up to timeoutMs for its answer (the copy
    // may still be starting). True when it answered.
    bool ActivateRunningCopy(int timeoutMs = 3000);

    // The socket's name for a data folder (the same user and folder give the same name).
    static QString ServerName(const QString& dataFolder);
    // The path of the socket this copy listens on (empty when it does not listen).
    QString ListeningPath() const;

signals:
    // A later copy asked this one to come to the front.
    void ActivationRequested();

private:
    void OnNewConnection();

    QString folder_;
    int lockFd_ = -1;
    QLocalServer* server_ = nullptr;
};

// Brings a window to the front, restoring it when it is minimised.
void BringToFront(QWidget& window);

} // namespace tolvane
