// Showing a fax file in the viewer window: what the main window's View/Print command calls.
#pragma once

#include <QString>

class QWidget;

namespace tolvane {

// The printed header line of a received fax: the sender, and " - " and the notes when there
// are notes.
QString ReceivedFaxHeader(const QString& from, const QString& notes);
// The printed header line of a sent fax job: the recipient, " - " and the subject.
QString SentFaxHeader(const QString& recipient, const QString& subject);

// Shows the fax file in a modal viewer window whose printer prints `header` at the top of
// every page, and discards the window when the user closes it. A file that cannot be shown is
// reported by the window itself.
void ShowFaxViewer(QWidget* parent, const QString& faxFile, const QString& header);

} // namespace tolvane
