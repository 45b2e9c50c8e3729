#include "printing/FaxPrintJob.h"

#include <cups/cups.h>

#include <QDir>
#include <QFileInfo>
#include <QPrintEngine>
#include <QTemporaryFile>
#include <cstdio>
#include <vector>

namespace tolvane {
namespace {

// The print engine property under which Qt's CUPS print dialog keeps the job options it set.
constexpr auto kCupsOptionsProperty = static_cast<QPrintEngine::PrintEnginePropertyKey>(0xfe00);

const char* SidesOption(QPrinter::DuplexMode mode) {
    switch (mode) {
    case QPrinter::DuplexLongSide:
        return "two-sided-long-edge";
    case QPrinter::DuplexShortSide:
        return "two-sided-short-edge";
    case QPrinter::DuplexNone:
        return "one-sided";
    case QPrinter::DuplexAuto:
        break;
    }
    return nullptr;
}

} // namespace

TFaxPrintJob::TFaxPrintJob() = default;

TFaxPrintJob::~TFaxPrintJob() {
    if (printing_) {
        Abort();
    }
}

bool TFaxPrintJob::Begin(const QPrinter& settings, const QString& title, QString& error) {
    Discard();
    title_ = title;
    if (settings.outputFormat() == QPrinter::PdfFormat) {
        outputFile_ = settings.outputFileName();
        queue_.clear();
        if (outputFile_.isEmpty()) {
            error = QStringLiteral("No printer or output file is selected");
            return false;
        }
        const QFileInfo target(outputFile_);
        temp_ = std::make_unique<QTemporaryFile>(target.absolutePath() + QStringLiteral("/.") +
                                                 target.fileName() + QStringLiteral(".XXXXXX"));
    } else {
        queue_ = settings.printerName();
        outputFile_.clear();
        if (queue_.isEmpty()) {
            error = QStringLiteral("No printer is selected");
            return false;
        }
        temp_ =
            std::make_unique<QTemporaryFile>(QDir::tempPath() + QStringLiteral("/tolvane-print-XXXXXX.pdf"));
    }
    if (!temp_->open()) {
        error = QStringLiteral("Cannot write the print job: ") + temp_->errorString();
        temp_.reset();
        return false;
    }
    temp_->close();
    copies_ = settings.copyCount();
    collate_ = settings.collateCopies();
    duplex_ = settings.duplex();
    cupsOptions_ = settings.printEngine()->property(kCupsOptionsProperty).toStringList();

    drawing_.setOutputFormat(QPrinter::PdfFormat);
    drawing_.setOutputFileName(temp_->fileName());
    drawing_.setResolution(settings.resolution());
    drawing_.setFullPage(settings.fullPage());
    drawing_.setPageLayout(settings.pageLayout());
    drawing_.setDocName(title);
    drawing_.setCreator(QStringLiteral("Tolvane"));
    if (!painter_.begin(&drawing_)) {
        error = QStringLiteral("Cannot start the print job");
        Discard();
        return false;
    }
    const QRect page = drawing_.pageRect(QPrinter::DevicePixel).toRect();
    pageSize_ = page.size();
    orientation_ = drawing_.pageLayout().orientation() == QPageLayout::Landscape
                       ? TSheetOrientation::Landscape
                       : TSheetOrientation::Portrait;
    resolution_ = drawing_.resolution();
    printing_ = true;
    return true;
}

void TFaxPrintJob::NewPage() {
    if (printing_) {
        drawing_.newPage();
    }
}

void TFaxPrintJob::Abort() {
    if (!printing_) {
        return;
    }
    printing_ = false;
    painter_.end();
    Discard();
}

void TFaxPrintJob::Discard() {
    if (painter_.isActive()) {
        painter_.end();
    }
    temp_.reset(); // removes the file
}

bool TFaxPrintJob::End(QString& error) {
    if (!printing_) {
        return true;
    }
    printing_ = false;
    painter_.end();
    bool delivered = false;
    if (!queue_.isEmpty()) {
        std::vector<QByteArray> strings; // keeps the option texts alive for cupsAddOption
        cups_option_t* options = nullptr;
        int count = 0;
        const auto add = [&](const QByteArray& name, const QByteArray& value) {
            count = cupsAddOption(name.constData(), value.constData(), count, &options);
        };
        // The sheet range is chosen among the fax pages, so the queue prints every sheet.
        for (qsizetype i = 0; i + 1 < cupsOptions_.size(); i += 2) {
            if (cupsOptions_[i] != QLatin1String("page-ranges")) {
                add(cupsOptions_[i].toUtf8(), cupsOptions_[i + 1].toUtf8());
            }
        }
        if (copies_ > 1) {
            add("copies", QByteArray::number(copies_));
            add("multiple-document-handling",
                collate_ ? "separate-documents-collated-copies" : "separate-documents-uncollated-copies");
        }
        if (const char* sides = SidesOption(duplex_)) {
            add("sides", sides);
        }
        const int id =
            cupsPrintFile(queue_.toUtf8().constData(), QFile::encodeName(temp_->fileName()).constData(),
                          title_.toUtf8().constData(), count, options);
        cupsFreeOptions(count, options);
        delivered = id > 0;
        if (!delivered) {
            error = QStringLiteral("The printer \"%1\" did not accept the job: %2")
                        .arg(queue_, QString::fromUtf8(cupsLastErrorString()));
        }
    } else {
        // Renamed in place: the file appears whole or not at all.
        const QByteArray from = QFile::encodeName(temp_->fileName());
        const QByteArray to = QFile::encodeName(outputFile_);
        delivered = std::rename(from.constData(), to.constData()) == 0;
        if (delivered) {
            temp_->setAutoRemove(false);
            QFile::setPermissions(outputFile_,
                                  QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup | QFile::ReadOther);
        } else {
            error = QStringLiteral("Cannot write %1").arg(outputFile_);
        }
    }
    Discard();
    return delivered;
}

} // namespace tolvane
