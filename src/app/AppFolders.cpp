#include "app/AppFolders.h"

#include <sys/stat.h>
#include <unistd.h>

#include <QDir>
#include <QFileInfo>

namespace tolvane {
namespace {

QString& Folder() {
    static QString folder;
    return folder;
}

QString WithSlash(const QString& folder) {
    return folder.endsWith(QLatin1Char('/')) ? folder : folder + QLatin1Char('/');
}

} // namespace

QString ProgramFolder() {
    return Folder();
}

void SetProgramFolder(const QString& folder) {
    Folder() = WithSlash(folder);
}

QString ChooseDataFolder(const QString& programFileFolder, const QString& userDataHome) {
    const QByteArray native = QFile::encodeName(programFileFolder);
    if (!programFileFolder.isEmpty() && ::access(native.constData(), W_OK | X_OK) == 0) {
        return WithSlash(QDir::cleanPath(programFileFolder));
    }
    return WithSlash(QDir::cleanPath(userDataHome + QStringLiteral("/Tolvane")));
}

bool EnsurePrivateFolder(const QString& folder) {
    const QString clean = QDir::cleanPath(folder);
    if (QFileInfo(clean).isDir()) {
        return true;
    }
    const QString parent = QFileInfo(clean).path();
    if (!QFileInfo(parent).isDir() && !QDir().mkpath(parent)) {
        return false;
    }
    return ::mkdir(QFile::encodeName(clean).constData(), 0700) == 0 || QFileInfo(clean).isDir();
}

} // namespace tolvane
