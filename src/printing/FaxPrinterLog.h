// TFaxPrinterLog: appends one entry per print event of its printer to a text file.
#pragma once

#include "imaging/errors/Component.h"
#include "printing/FaxPrinter.h"

#include <QObject>
#include <QPointer>
#include <QString>

namespace tolvane {

class TFaxPrinterLog : public QObject, public TComponent {
    Q_OBJECT
public:
    // Printers of the owner without a log take this one.
    explicit TFaxPrinterLog(QObject* owner = nullptr);
    ~TFaxPrinterLog() override;

    // Empty: nothing is logged.
    QString LogFileName() const { return logFileName_; }
    void SetLogFileName(const QString& name) { logFileName_ = name; }
    TCustomFaxPrinter* FaxPrinter() const { return printer_.data(); }
    void SetFaxPrinter(TCustomFaxPrinter* printer) { printer_ = printer; }

    // Appends the entry for code, creating the file when it does not exist; other failures to
    // open or write it raise EInOutError.
    void UpdateLog(TFaxPLCode code);

private:
    QString logFileName_ = QStringLiteral("FAXPRINT.LOG");
    QPointer<TCustomFaxPrinter> printer_;
};

} // namespace tolvane
