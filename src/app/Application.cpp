#include "app/Application.h"

#include "app/MessageBoxes.h"
#include "app/Resources.h"
#include "app/StatusLine.h"

#include <QApplication>
#include <QFont>

namespace tolvane {

void SetUpApplication() {
    InitAppResources();
    QApplication::setApplicationName(ApplicationTitle());
    QApplication::setWindowIcon(ProgramIcon());
    QFont font(QStringLiteral("Arial"));
    font.setPointSize(8);
    QApplication::setFont(font);
    InstallHintHandler();
}

} // namespace tolvane
