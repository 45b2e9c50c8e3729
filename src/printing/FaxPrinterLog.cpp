#include "printing/FaxPrinterLog.h"

#include "imaging/errors/Exceptions.h"
#include "imaging/errors/IoError.h"
#include "imaging/errors/StringTable.h"

#include <QDateTime>
#include <QFile>
#include <cerrno>
#include <cstdio>

namespace tolvane {
namespace {

[[noreturn]] void RaiseIoError(int err, IoOperation op) {
    const int code = IoErrorFromErrno(err, op);
    throw EInOutError(ErrorMessage(code), -code);
}

} // namespace

TFaxPrinterLog::TFaxPrinterLog(QObject* owner) : QObject(owner) {
    TCustomFaxPrinter::ComponentInserted(owner, this);
}

TFaxPrinterLog::~TFaxPrinterLog() {
    if (auto* printer = printer_.data()) {
        printer->ComponentRemoved(this);
    }
}

void TFaxPrinterLog::UpdateLog(TFaxPLCode code) {
    if (logFileName_.isEmpty()) {
        return;
    }
    const auto* printer = printer_.data();
    const QString file = printer ? printer->FileName() : QString();
    const QString when = DateTimeText(QDateTime::currentDateTime());
    QString entry;
    switch (code) {
    case TFaxPLCode::lcStart:
        entry = QStringLiteral("Printing %1 started at %2\n").arg(file, when);
        break;
    case TFaxPLCode::lcFinish:
        entry = QStringLiteral("Printing %1 finished at %2\n\n").arg(file, when);
        break;
    case TFaxPLCode::lcAbort:
        entry = QStringLiteral("Printing %1 aborted at %2\n\n").arg(file, when);
        break;
    case TFaxPLCode::lcFail:
        entry = QStringLiteral("Printing %1 failed at %2\n\n").arg(file, when);
        break;
    }
    // Appending creates a missing file; any other failure is the caller's to see.
    FILE* out = std::fopen(QFile::encodeName(logFileName_).constData(), "a");
    if (!out) {
        RaiseIoError(errno, IoOperation::Open);
    }
    const QByteArray bytes = entry.toUtf8();
    const bool written = std::fwrite(bytes.constData(), 1, static_cast<size_t>(bytes.size()), out) ==
                         static_cast<size_t>(bytes.size());
    const int writeErr = errno;
    if (std::fclose(out) != 0 || !written) {
        RaiseIoError(written ? errno : writeErr, IoOperation::Write);
    }
}

} // namespace tolvane
