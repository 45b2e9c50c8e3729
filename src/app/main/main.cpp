// Tolvane: one copy per data folder, the main window, the message loop.
#include "app/AppFolders.h"
#include "app/Application.h"
#include "app/MainScreen.h"
#include "app/MessageBoxes.h"
#include "app/SingleInstance.h"

#include <sys/stat.h>

#include <QApplication>
#include <QStandardPaths>

int main(int argc, char** argv) {
    // Faxes and records are personal: files Tolvane makes are for the user alone.
    ::umask(077);
    QApplication app(argc, argv);
    const QString folder =
        tolvane::ChooseDataFolder(QApplication::applicationDirPath(),
                                  QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation));
    if (!tolvane::EnsurePrivateFolder(folder)) {
        tolvane::SetUpApplication();
        tolvane::InformUser(
            QStringLiteral("Unable to create the data folder %1 - closing program").arg(folder));
        return 1;
    }
    tolvane::SetProgramFolder(folder);

    tolvane::TSingleInstance guard(folder);
    if (!guard.TryBecomeFirst()) {
        guard.ActivateRunningCopy();
        return 0;
    }
    QApplication::processEvents();
    tolvane::SetUpApplication();
    tolvane::TMainScreen mainScreen;
    QObject::connect(&guard, &tolvane::TSingleInstance::ActivationRequested, &mainScreen,
                     [&mainScreen] { tolvane::BringToFront(mainScreen); });
    mainScreen.show();
    return QApplication::exec();
}
