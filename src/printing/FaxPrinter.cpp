#include "printing/FaxPrinter.h"

#include "imaging/errors/Exceptions.h"
#include "printing/FaxPrintJob.h"
#include "printing/FaxPrinterLog.h"
#include "printing/FaxPrinterStatus.h"

#include <QCoreApplication>
#include <QFile>
#include <QImage>
#include <QPrintDialog>
#include <algorithm>
#include <cstring>

namespace tolvane {
namespace {

// The page bitmap as an image: 0 bits black, 1 bits white.
QImage PageImage(const MonoBitmap& bitmap) {
    QImage image(bitmap.Width(), bitmap.Height(), QImage::Format_Mono);
    image.setColorTable({qRgb(0, 0, 0), qRgb(255, 255, 255)});
    const auto bytes = static_cast<size_t>(std::min<qsizetype>(image.bytesPerLine(), bitmap.RowBytes()));
    for (int y = 0; y < bitmap.Height(); ++y) {
        std::memcpy(image.scanLine(y), bitmap.Row(y), bytes);
    }
    return image;
}

// Restores a flag when a scope is left, also by an exception.
class FlagScope {
public:
    explicit FlagScope(bool& flag) : flag_(flag) { flag_ = true; }
    ~FlagScope() { flag_ = false; }
    FlagScope(const FlagScope&) = delete;
    FlagScope& operator=(const FlagScope&) = delete;

private:
    bool& flag_;
};

} // namespace

QString FaxPrintProgressText(TFaxPrintProgress progress) {
    switch (progress) {
    case TFaxPrintProgress::ppIdle:
        return QStringLiteral("Idle");
    case TFaxPrintProgress::ppComposing:
        return QStringLiteral("Composing");
    case TFaxPrintProgress::ppRendering:
        return QStringLiteral("Rendering");
    case TFaxPrintProgress::ppSubmitting:
        return QStringLiteral("Submitting");
    case TFaxPrintProgress::ppConverting:
        return QStringLiteral("Converting");
    }
    return {};
}

TFaxPrinterMargin::TFaxPrinterMargin(QString caption, bool enabled)
    : Caption(std::move(caption)), Enabled(enabled), Font(QStringLiteral("Arial"), 8) {}

TCustomFaxPrinter::TCustomFaxPrinter(QObject* owner)
    : QObject(owner), header_(QStringLiteral("FILE: $F"), true),
      footer_(QStringLiteral("PAGE: $P of $N"), true) {
    printer_.setDocName(caption_);
    if (owner) {
        if (const auto logs = owner->findChildren<TFaxPrinterLog*>(); !logs.isEmpty()) {
            SetFaxPrinterLog(logs.first());
        }
        if (const auto displays = owner->findChildren<TAbstractFaxPrinterStatus*>(); !displays.isEmpty()) {
            SetStatusDisplay(displays.first());
        }
    }
}

TCustomFaxPrinter::~TCustomFaxPrinter() = default;

TFaxPrinterLog* TCustomFaxPrinter::FaxPrinterLog() const {
    return log_.data();
}

TAbstractFaxPrinterStatus* TCustomFaxPrinter::StatusDisplay() const {
    return status_.data();
}

void TCustomFaxPrinter::SetFaxPrinterLog(TFaxPrinterLog* log) {
    log_ = log;
    if (log) {
        log->SetFaxPrinter(this);
    }
}

void TCustomFaxPrinter::SetStatusDisplay(TAbstractFaxPrinterStatus* status) {
    status_ = status;
    if (status) {
        status->SetFaxPrinter(this);
    }
}

void TCustomFaxPrinter::ComponentInserted(QObject* owner, TFaxPrinterLog* log) {
    if (!owner) {
        return;
    }
    for (auto* printer : owner->findChildren<TCustomFaxPrinter*>()) {
        if (!printer->log_) {
            printer->SetFaxPrinterLog(log);
        }
    }
}

void TCustomFaxPrinter::ComponentInserted(QObject* owner, TAbstractFaxPrinterStatus* status) {
    if (!owner) {
        return;
    }
    for (auto* printer : owner->findChildren<TCustomFaxPrinter*>()) {
        if (!printer->status_) {
            printer->SetStatusDisplay(status);
        }
    }
}

void TCustomFaxPrinter::ComponentRemoved(const QObject* component) {
    if (log_ == component) {
        log_ = nullptr;
    }
    if (status_ == component) {
        status_ = nullptr;
    }
}

void TCustomFaxPrinter::SetFileName(const QString& name) {
    fileName_ = name;
    unpacker_.SetInFileName(QFile::encodeName(name).toStdString());
    totalPages_ = static_cast<uint16_t>(unpacker_.CountPages());
    // Without a readable header there are no flags to read either.
    firstPageFine_ = totalPages_ > 0 && unpacker_.FirstPageFine();
    firstPageWide_ = totalPages_ > 0 && unpacker_.FirstPageWide();
    firstPage_ = totalPages_ > 0 ? 1 : 0;
    lastPage_ = totalPages_;
    ApplyDialogRange();
}

void TCustomFaxPrinter::ApplyDialogRange() {
    if (totalPages_ == 0 || printer_.printRange() != QPrinter::PageRange || printer_.fromPage() <= 0) {
        return;
    }
    const int from = std::clamp(printer_.fromPage(), 1, static_cast<int>(totalPages_));
    const int to = std::clamp(printer_.toPage() > 0 ? printer_.toPage() : totalPages_, from,
                              static_cast<int>(totalPages_));
    firstPage_ = static_cast<uint16_t>(from);
    lastPage_ = static_cast<uint16_t>(to);
}

bool TCustomFaxPrinter::ExecutePrintDialog(QWidget* parent) {
    QPrintDialog dialog(&printer_, parent);
    dialog.setOption(QAbstractPrintDialog::PrintPageRange, totalPages_ > 1);
    if (totalPages_ > 0) {
        dialog.setMinMax(1, totalPages_);
    }
    if (dialog.exec() != QDialog::Accepted) {
        return false;
    }
    if (totalPages_ > 0) {
        firstPage_ = 1;
        lastPage_ = totalPages_;
        ApplyDialogRange();
    }
    return true;
}

bool TCustomFaxPrinter::Printing() const {
    return job_ && job_->Printing();
}

void TCustomFaxPrinter::ProcessEvents() {
    QCoreApplication::processEvents();
}

void TCustomFaxPrinter::SetProgress(TFaxPrintProgress progress) {
    if (progress != progress_) {
        progress_ = progress;
        DoFaxPrintStatus(progress);
        if (auto* status = status_.data(); status && status->Visible()) {
            try {
                status->UpdateDisplay(false, false);
            } catch (...) {
                // The display is a convenience; printing goes on without it.
            }
        }
    }
    ProcessEvents();
}

void TCustomFaxPrinter::PrintPages() {
    // A print started from a handler that runs inside this one (a second click on Print) is
    // ignored: the job and the unpacker are in use.
    if (totalPages_ == 0 || inPrintPages_) {
        currentPage_ = 0;
        return;
    }
    FlagScope running(inPrintPages_);
    SetProgressQuietly(TFaxPrintProgress::ppIdle);
    if (auto* status = status_.data()) {
        status->UpdateDisplay(true, false);
    }
    DoFaxPrintStatus(TFaxPrintProgress::ppIdle);
    unpacker_.SetOptions(unpacker_.Options().Without(TUnpackerOption::uoAbort));
    unpacker_.OnYield = [](TCustomFaxUnpacker&) {
        ProcessEvents();
        return 0;
    };
    job_ = std::make_unique<TFaxPrintJob>();
    QString error;
    try {
        DoFaxPrintLog(TFaxPLCode::lcStart);
        if (!job_->Begin(printer_, caption_, error)) {
            throw EDeroException(error.toStdString());
        }
        for (uint16_t p = firstPage_; p <= lastPage_ && p != 0; ++p) {
            if (!Printing()) {
                return; // aborted (by CancelPrint in a handler that ran inside the last step)
            }
            PrintPage(p);
            if (!Printing()) {
                return;
            }
        }
        ProcessEvents();
        if (!Printing()) {
            return;
        }
        if (!job_->End(error)) {
            throw EDeroException(error.toStdString());
        }
    } catch (...) {
        // The job is discarded and the window hidden; the failure itself is not logged.
        if (job_) {
            job_->Abort();
        }
        currentPage_ = 0;
        SetProgressQuietly(TFaxPrintProgress::ppIdle);
        if (auto* status = status_.data()) {
            status->UpdateDisplay(false, true);
        }
        throw;
    }
    DoFaxPrintLog(TFaxPLCode::lcFinish);
    SetProgressQuietly(TFaxPrintProgress::ppIdle);
    if (auto* status = status_.data()) {
        status->UpdateDisplay(false, true);
    }
    DoFaxPrintStatus(TFaxPrintProgress::ppIdle);
    currentPage_ = 0;
}

void TCustomFaxPrinter::PrintPage(uint16_t page) {
    currentPage_ = page;
    ProcessEvents();
    const int index = page - firstPage_;
    const TSheetOrientation orientation = job_->Orientation();
    if (Printing() && StartsSheet(multiPage_, orientation, index)) {
        job_->NewPage();
    }
    ProcessEvents();
    if (!Printing()) {
        return;
    }
    DoNextPage(currentPage_, totalPages_);
    SetProgress(TFaxPrintProgress::ppConverting);
    const MonoBitmap bitmap = unpacker_.PageToBitmap(page);
    ProcessEvents();
    if (!Printing()) {
        return;
    }
    SetProgress(TFaxPrintProgress::ppComposing);
    const QImage image = bitmap.Empty() ? QImage() : PageImage(bitmap);
    TPrintArea area = SheetArea(job_->PageSize(), multiPage_, orientation, index);
    ProcessEvents();
    if (Printing() && header_.Enabled) {
        DrawHeader(area);
    }
    ProcessEvents();
    if (Printing() && footer_.Enabled) {
        DrawFooter(area);
    }
    const QSize size = FaxImageSize(printScale_, area, QSize(bitmap.Width(), bitmap.Height()));
    SetProgress(TFaxPrintProgress::ppRendering);
    if (Printing() && !image.isNull()) {
        QPainter& canvas = job_->Canvas();
        canvas.setRenderHint(QPainter::SmoothPixmapTransform, false);
        canvas.drawImage(QRect(area.left, area.top, size.width(), size.height()), image);
    }
    SetProgress(TFaxPrintProgress::ppSubmitting);
    if (bitmap.Empty()) {
        DoFaxPrintLog(TFaxPLCode::lcFail);
    }
}

void TCustomFaxPrinter::UseMarginFont(const TFaxPrinterMargin& margin) {
    QFont font = margin.Font;
    if (multiPage_) {
        if (font.pointSize() > 0) {
            font.setPointSize(std::max(1, font.pointSize() / 2));
        } else if (font.pixelSize() > 0) {
            font.setPixelSize(std::max(1, font.pixelSize() / 2));
        }
    }
    QPainter& canvas = job_->Canvas();
    canvas.setFont(font);
    // A line of one printer pixel all but vanishes on paper: about 0.17 mm instead.
    canvas.setPen(QPen(Qt::black, std::max(1, job_->Resolution() / 150)));
}

void TCustomFaxPrinter::DrawHeader(TPrintArea& area) {
    const QString text = ExpandMarginTokens(
        header_.Caption, {fileName_, currentPage_, totalPages_, QDateTime::currentDateTime()});
    UseMarginFont(header_);
    QPainter& canvas = job_->Canvas();
    const int h = canvas.fontMetrics().height();
    header_.TextHeight = h;
    canvas.drawText(QRect(area.left, area.top, area.Width(), h),
                    Qt::AlignLeft | Qt::AlignTop | Qt::TextSingleLine, text);
    area.top += h + 2;
    canvas.drawLine(area.left, area.top, area.right, area.top);
    area.top += 1;
}

void TCustomFaxPrinter::DrawFooter(TPrintArea& area) {
    const QString text = ExpandMarginTokens(
        footer_.Caption, {fileName_, currentPage_, totalPages_, QDateTime::currentDateTime()});
    UseMarginFont(footer_);
    QPainter& canvas = job_->Canvas();
    const int h = canvas.fontMetrics().height();
    footer_.TextHeight = h;
    canvas.drawText(QRect(area.left, area.bottom - h, area.Width(), h),
                    Qt::AlignLeft | Qt::AlignTop | Qt::TextSingleLine, text);
    area.bottom -= h + 2;
    canvas.drawLine(area.left, area.bottom, area.right, area.bottom);
    area.bottom -= 1;
}

void TCustomFaxPrinter::CancelPrint() {
    SetProgressQuietly(TFaxPrintProgress::ppIdle);
    if (Printing()) {
        unpacker_.SetOptions(unpacker_.Options().With(TUnpackerOption::uoAbort));
        job_->Abort();
        currentPage_ = 0;
        DoFaxPrintLog(TFaxPLCode::lcAbort);
        if (auto* status = status_.data()) {
            status->UpdateDisplay(false, true);
        }
    }
    ProcessEvents();
}

void TCustomFaxPrinter::DoNextPage(uint16_t currentPage, uint16_t totalPages) {
    if (OnNextPage) {
        OnNextPage(*this, currentPage, totalPages);
    }
}

void TCustomFaxPrinter::DoFaxPrintLog(TFaxPLCode code) {
    if (OnFaxPrintLog) {
        OnFaxPrintLog(*this, code);
    }
    if (auto* log = log_.data()) {
        log->UpdateLog(code);
    }
}

void TCustomFaxPrinter::DoFaxPrintStatus(TFaxPrintProgress progress) {
    if (OnFaxPrintStatus) {
        OnFaxPrintStatus(*this, progress);
    }
}

} // namespace tolvane
