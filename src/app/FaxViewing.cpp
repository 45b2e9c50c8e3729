// The View/Print command: the selected record's fax in the viewer window.
#include "app/FaxViewing.h"

#include "app/AppFolders.h"
#include "app/HelpWindow.h"
#include "app/MainScreen.h"
#include "app/MessageBoxes.h"
#include "app/RecordTables.h"
#include "app/StatusLine.h"
#include "app/WindowPlacement.h"
#include "viewer/ViewFax.h"
#include "viewer/ViewerHooks.h"

#include <QApplication>

namespace tolvane {

void InstallViewerHooks() {
    TViewerWindowHooks& hooks = ViewerWindowHooks();
    hooks.RegisterStatusLine = [](QWidget& window, QLabel& status) { RegisterStatusLine(window, status); };
    hooks.CenterOverMainWindow = [](QWidget& window) { CenterOverMainWindow(window); };
    hooks.FitMaximizedForm = [](QWidget& window) { FitMaximizedForm(window); };
    hooks.RestorePlacement = [](QWidget& window, const QString& className) {
        RestoreWindowPlacement(window, className);
    };
    hooks.SavePlacement = [](const QWidget& window, const QString& className) {
        SaveWindowPlacement(window, className);
    };
    hooks.ShowHelpTopic = [](int topic) { ShowHelpTopic(topic); };
    hooks.Beep = [] { Beep(); };
}

void TMainScreen::mnuViewPrintClick() {
    XbTable& table = SentPageShown() ? faxTable_ : recTable_;
    bool current = false;
    try {
        current = table.IsOpen() && table.QueryCount() > 0 && table.HasCurrentRecord();
    } catch (const Exception&) {
        current = false;
    }
    if (!current) {
        Beep();
        return;
    }
    if (SentPageShown()) {
        // A sent job is first rendered into a temporary fax file (CreateFaxFile), shown with
        // ShowFaxViewer(this, file, SentFaxHeader(RECIPIENT, SUBJECT)) and deleted afterwards;
        // the rendering is not part of this version yet.
        NotAvailableYet(QStringLiteral("Viewing sent faxes"));
        return;
    }
    QString faxFile;
    QString header;
    try {
        const uint8_t codePage = recTable_.CodePage();
        const auto text = [&](int field) {
            return FromTableText(recTable_.GetString(field), codePage).trimmed();
        };
        const QString folder = ProgramFolder() + QStringLiteral("receive");
        const QString name = text(rec::FAXFILE);
        const QString found = FindFileNoCase(folder, name);
        // A missing file goes to the viewer all the same, which reports it.
        faxFile = found.isEmpty() ? folder + QLatin1Char('/') + name : found;
        header = ReceivedFaxHeader(text(rec::FROM), text(rec::NOTES));
    } catch (const Exception& e) {
        ShowApplicationError(QString::fromStdString(e.Message()));
        return;
    }
    while (QApplication::overrideCursor()) {
        QApplication::restoreOverrideCursor();
    }
    SetButtons();
    ShowFaxViewer(this, faxFile, header);
}

} // namespace tolvane
