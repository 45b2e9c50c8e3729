// The printer object of one print job. The job is drawn into a temporary PDF with the page
// layout, resolution and job title of the printer settings; ending the job hands the PDF to the
// CUPS queue the settings name, or moves it to the PDF file they name. Aborting discards it, so
// an aborted job reaches no queue and leaves no half-written file (Qt's own CUPS engine would
// submit whatever was drawn when its painter ends).
#pragma once

#include "printing/FaxPrintLayout.h"

#include <QPainter>
#include <QPrinter>
#include <QSize>
#include <QString>
#include <memory>

class QTemporaryFile;

namespace tolvane {

class TFaxPrintJob {
public:
    TFaxPrintJob();
    ~TFaxPrintJob();
    TFaxPrintJob(const TFaxPrintJob&) = delete;
    TFaxPrintJob& operator=(const TFaxPrintJob&) = delete;

    // Begins a job on the printer the settings select; false with a message when it cannot.
    bool Begin(const QPrinter& settings, const QString& title, QString& error);
    bool Printing() const { return printing_; }
    void NewPage();
    // Ends the job and discards what was drawn.
    void Abort();
    // Ends the job and delivers it; false with a message when the queue refuses it or the file
    // cannot be written.
    bool End(QString& error);

    QPainter& Canvas() { return painter_; }
    // The printable area in printer pixels.
    QSize PageSize() const { return pageSize_; }
    TSheetOrientation Orientation() const { return orientation_; }
    int Resolution() const { return resolution_; }

private:
    void Discard();

    QPrinter drawing_{QPrinter::HighResolution};
    QPainter painter_;
    std::unique_ptr<QTemporaryFile> temp_;
    QString queue_;      // CUPS destination, or empty for a PDF file
    QString outputFile_; // the PDF file to make
    QString title_;
    int copies_ = 1;
    bool collate_ = false;
    QPrinter::DuplexMode duplex_ = QPrinter::DuplexNone;
    QStringList cupsOptions_; // name, value, name, value... as the print dialog set them
    QSize pageSize_;
    TSheetOrientation orientation_ = TSheetOrientation::Portrait;
    int resolution_ = 0;
    bool printing_ = false;
};

} // namespace tolvane
