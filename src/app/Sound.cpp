#include "app/Sound.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QSoundEffect>
#include <QUrl>

namespace tolvane {

bool PlayWaveFile(const QString& fileName) {
    if (fileName.isEmpty() || !QFileInfo(fileName).isFile()) {
        return false;
    }
    // One player for the program, made on first use: creating it opens the audio system.
    static QSoundEffect* effect = new QSoundEffect(QCoreApplication::instance());
    effect->stop();
    effect->setSource(QUrl::fromLocalFile(QFileInfo(fileName).absoluteFilePath()));
    effect->play();
    return true;
}

} // namespace tolvane
