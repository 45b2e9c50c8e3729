#include "viewer/ViewFax.h"

#include "viewer/FaxViewer.h"

namespace tolvane {

QString ReceivedFaxHeader(const QString& from, const QString& notes) {
    return notes.isEmpty() ? from : from + QStringLiteral(" - ") + notes;
}

QString SentFaxHeader(const QString& recipient, const QString& subject) {
    return recipient + QStringLiteral(" - ") + subject;
}

void ShowFaxViewer(QWidget* parent, const QString& faxFile, const QString& header) {
    TFaxViewer viewer(parent);
    viewer.SetFileToShow(faxFile);
    viewer.FaxPrinter()->FaxHeader().Caption = header;
    viewer.exec();
}

} // namespace tolvane
