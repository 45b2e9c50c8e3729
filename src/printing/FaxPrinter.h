// TFaxPrinter: prints the pages of an APF fax file, one fax page per sheet or four (portrait)
// or two (landscape) per sheet, each under a header line and above a footer line whose
// $-tokens are expanded per page. Pages are unpacked with the printer's own TFaxUnpacker; while
// printing, pending events are processed between the steps and inside the unpacker, so that a
// status window's Abort button can end the job (CancelPrint).
//
// The printer settings (queue or PDF file, page size, orientation, copies) are a QPrinter that
// the print dialog edits; the job title is Caption.
#pragma once

#include "imaging/errors/Component.h"
#include "imaging/unpack/FaxUnpacker.h"
#include "printing/FaxPrintLayout.h"

#include <QFont>
#include <QObject>
#include <QPointer>
#include <QPrinter>
#include <QString>
#include <cstdint>
#include <functional>
#include <memory>

class QWidget;

namespace tolvane {

class TFaxPrintJob;
class TFaxPrinterLog;
class TAbstractFaxPrinterStatus;

enum class TFaxPLCode : uint8_t {
    lcStart = 0,  // print started
    lcFinish = 1, // print finished
    lcAbort = 2,  // print aborted
    lcFail = 3,   // a page could not be made
};

enum class TFaxPrintProgress : uint8_t {
    ppIdle = 0,       // "Idle"
    ppComposing = 1,  // "Composing"
    ppRendering = 2,  // "Rendering"
    ppSubmitting = 3, // "Submitting"
    ppConverting = 4, // "Converting"
};

QString FaxPrintProgressText(TFaxPrintProgress progress);

// A header or footer line.
class TFaxPrinterMargin {
public:
    TFaxPrinterMargin(QString caption, bool enabled);

    QString Caption;
    bool Enabled;
    QFont Font;
    // Height of the text of the last drawing, in printer pixels.
    int TextHeight = 0;
};

class TCustomFaxPrinter;

using TFaxPrnNextPageEvent =
    std::function<void(TCustomFaxPrinter& sender, uint16_t currentPage, uint16_t totalPages)>;
using TFaxPLEvent = std::function<void(TCustomFaxPrinter& sender, TFaxPLCode code)>;
using TFaxPrintStatusEvent = std::function<void(TCustomFaxPrinter& sender, TFaxPrintProgress progress)>;

class TCustomFaxPrinter : public QObject, public TComponent {
    Q_OBJECT
public:
    // Takes the first print log and the first status display found among owner's descendants.
    explicit TCustomFaxPrinter(QObject* owner = nullptr);
    ~TCustomFaxPrinter() override;

    // The job title.
    QString Caption() const { return caption_; }
    void SetCaption(const QString& caption) { caption_ = caption; }
    TFaxPrinterMargin& FaxHeader() { return header_; }
    TFaxPrinterMargin& FaxFooter() { return footer_; }
    TFaxPrinterLog* FaxPrinterLog() const;
    // Also gives the log a reference back to this printer.
    void SetFaxPrinterLog(TFaxPrinterLog* log);
    TAbstractFaxPrinterStatus* StatusDisplay() const;
    void SetStatusDisplay(TAbstractFaxPrinterStatus* status);

    QString FileName() const { return fileName_; }
    // Reads the file's page count and first-page flags; the pages to print become all of them
    // (or the range chosen in the print dialog, within them).
    void SetFileName(const QString& name);
    bool MultiPage() const { return multiPage_; }
    void SetMultiPage(bool on) { multiPage_ = on; }
    TFaxPrintScale PrintScale() const { return printScale_; }
    void SetPrintScale(TFaxPrintScale scale) { printScale_ = scale; }

    // Prints the pages from FirstPageToPrint to LastPageToPrint; nothing without pages. Errors
    // of the unpacker and of the printer are raised.
    void PrintPages();
    // Ends the job being printed (the status window's Abort button).
    void CancelPrint();
    // The print dialog over the printer settings, limited to the file's pages; true when
    // accepted (a chosen page range then applies to the next print).
    bool ExecutePrintDialog(QWidget* parent);

    // State read by the status display.
    uint16_t TotalPages() const { return totalPages_; }
    uint16_t CurrentPage() const { return currentPage_; }
    uint16_t FirstPageToPrint() const { return firstPage_; }
    uint16_t LastPageToPrint() const { return lastPage_; }
    bool FirstPageFine() const { return firstPageFine_; }
    bool FirstPageWide() const { return firstPageWide_; }
    TFaxPrintProgress Progress() const { return progress_; }
    bool Printing() const;
    TFaxUnpacker& Unpacker() { return unpacker_; }
    // The printer settings.
    QPrinter& Printer() { return printer_; }

    TFaxPrnNextPageEvent OnNextPage;
    TFaxPLEvent OnFaxPrintLog;
    TFaxPrintStatusEvent OnFaxPrintStatus;

    // A log or status display made with owner: printers of that owner without one take it.
    static void ComponentInserted(QObject* owner, TFaxPrinterLog* log);
    static void ComponentInserted(QObject* owner, TAbstractFaxPrinterStatus* status);
    // A log or status display going away: printers referring to it let it go.
    void ComponentRemoved(const QObject* component);

protected:
    virtual void DoNextPage(uint16_t currentPage, uint16_t totalPages);
    virtual void DoFaxPrintLog(TFaxPLCode code);
    virtual void DoFaxPrintStatus(TFaxPrintProgress progress);

private:
    void SetProgress(TFaxPrintProgress progress);
    void SetProgressQuietly(TFaxPrintProgress progress) { progress_ = progress; }
    void PrintPage(uint16_t page);
    void DrawHeader(TPrintArea& area);
    void DrawFooter(TPrintArea& area);
    void UseMarginFont(const TFaxPrinterMargin& margin);
    void ApplyDialogRange();
    static void ProcessEvents();

    QString caption_ = QStringLiteral("DEro Fax Printer");
    TFaxPrinterMargin header_;
    TFaxPrinterMargin footer_;
    QPointer<TFaxPrinterLog> log_;
    QPointer<TAbstractFaxPrinterStatus> status_;
    QString fileName_;
    bool multiPage_ = false;
    TFaxPrintScale printScale_ = TFaxPrintScale::psFitToPage;
    uint16_t totalPages_ = 0;
    uint16_t currentPage_ = 0;
    uint16_t firstPage_ = 0;
    uint16_t lastPage_ = 0;
    bool firstPageFine_ = false;
    bool firstPageWide_ = false;
    TFaxPrintProgress progress_ = TFaxPrintProgress::ppIdle;
    TFaxUnpacker unpacker_;
    QPrinter printer_{QPrinter::HighResolution};
    std::unique_ptr<TFaxPrintJob> job_;
    bool inPrintPages_ = false;
};

class TFaxPrinter : public TCustomFaxPrinter {
    Q_OBJECT
public:
    using TCustomFaxPrinter::TCustomFaxPrinter;
};

} // namespace tolvane
