#include "printing/FaxPrinterStatus.h"

#include <QFileInfo>
#include <QGridLayout>
#include <QGroupBox>
#include <QGuiApplication>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QVBoxLayout>

namespace tolvane {

TAbstractFaxPrinterStatus::TAbstractFaxPrinterStatus(QObject* owner) : QObject(owner) {}

TAbstractFaxPrinterStatus::~TAbstractFaxPrinterStatus() {
    if (auto* printer = printer_.data()) {
        printer->ComponentRemoved(this);
    }
}

void TAbstractFaxPrinterStatus::Created() {
    if (const auto* display = display_.data()) {
        visible_ = display->isVisible();
    }
    TCustomFaxPrinter::ComponentInserted(parent(), this);
}

void TAbstractFaxPrinterStatus::SetPosition(TPosition position) {
    position_ = position;
    ApplyPosition();
}

void TAbstractFaxPrinterStatus::SetVisible(bool visible) {
    visible_ = visible;
    if (auto* display = display_.data()) {
        if (visible) {
            ApplyPosition();
        }
        display->setVisible(visible);
    }
}

void TAbstractFaxPrinterStatus::ApplyPosition() {
    auto* display = display_.data();
    if (!display || position_ != TPosition::poScreenCenter) {
        return;
    }
    const QScreen* screen = display->screen() ? display->screen() : QGuiApplication::primaryScreen();
    if (screen) {
        QRect frame = display->frameGeometry();
        frame.moveCenter(screen->availableGeometry().center());
        display->move(frame.topLeft());
    }
}

TStandardFaxPrinterStatusDisplay::TStandardFaxPrinterStatusDisplay(QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint) {
    setObjectName(QStringLiteral("TStandardFaxPrinterStatusDisplay"));
    setWindowTitle(QStringLiteral("Print Status"));
    setFixedSize(267, 225);

    auto* info = new QGroupBox(QStringLiteral("Fax Information"), this);
    auto* grid = new QGridLayout(info);
    grid->setVerticalSpacing(1);
    const auto row = [&](int at, const QString& caption, const char* name) {
        grid->addWidget(new QLabel(caption, info), at, 0);
        auto* value = new QLabel(info);
        value->setObjectName(QLatin1String(name));
        value->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
        grid->addWidget(value, at, 1);
        return value;
    };
    fpsFileName = row(0, QStringLiteral("Filename"), "fpsFileName");
    fpsTotalPages = row(1, QStringLiteral("Total Pages"), "fpsTotalPages");
    fpsResolution = row(2, QStringLiteral("Resolution"), "fpsResolution");
    fpsWidth = row(3, QStringLiteral("Width"), "fpsWidth");
    fpsFirstPage = row(4, QStringLiteral("First Page to Print"), "fpsFirstPage");
    fpsLastPage = row(5, QStringLiteral("Last Page to Print"), "fpsLastPage");

    auto* status = new QGroupBox(QStringLiteral("Status"), this);
    auto* statusLayout = new QVBoxLayout(status);
    fpsStatusLine = new QLabel(QStringLiteral("Idle"), status);
    fpsStatusLine->setObjectName(QStringLiteral("fpsStatusLine"));
    fpsStatusLine->setAlignment(Qt::AlignCenter);
    statusLayout->addWidget(fpsStatusLine);

    fpsAbortButton = new QPushButton(QStringLiteral("Abort"), this);
    fpsAbortButton->setObjectName(QStringLiteral("fpsAbortButton"));
    fpsAbortButton->setDefault(true);
    connect(fpsAbortButton, &QPushButton::clicked, this,
            &TStandardFaxPrinterStatusDisplay::fpsAbortButtonClick);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(6, 6, 6, 6);
    layout->addWidget(info);
    layout->addWidget(status);
    layout->addWidget(fpsAbortButton, 0, Qt::AlignHCenter);
    fpsAbortButton->setFocus();
}

void TStandardFaxPrinterStatusDisplay::fpsAbortButtonClick() {
    if (auto* printer = printer_.data()) {
        printer->CancelPrint();
    }
}

void TStandardFaxPrinterStatusDisplay::Refresh() {
    const auto* printer = printer_.data();
    if (!printer) {
        return;
    }
    // The name part after the last separator, as the status line of a print shows it.
    fpsFileName->setText(QFileInfo(printer->FileName()).fileName().toUpper());
    fpsTotalPages->setText(QString::number(printer->TotalPages()));
    fpsResolution->setText(printer->FirstPageFine() ? QStringLiteral("high") : QStringLiteral("standard"));
    fpsWidth->setText(printer->FirstPageWide() ? QStringLiteral("2048") : QStringLiteral("1728"));
    fpsFirstPage->setText(QString::number(printer->FirstPageToPrint()));
    fpsLastPage->setText(QString::number(printer->LastPageToPrint()));
    fpsStatusLine->setText(QStringLiteral("%1 %2 of %3")
                               .arg(FaxPrintProgressText(printer->Progress()))
                               .arg(printer->CurrentPage())
                               .arg(printer->LastPageToPrint()));
}

TFaxPrinterStatus::TFaxPrinterStatus(QObject* owner) : TAbstractFaxPrinterStatus(owner) {
    CreateDisplay();
    Created();
}

TFaxPrinterStatus::~TFaxPrinterStatus() {
    DestroyDisplay();
}

void TFaxPrinterStatus::CreateDisplay() {
    display_ = new TStandardFaxPrinterStatusDisplay(qobject_cast<QWidget*>(parent()));
}

void TFaxPrinterStatus::DestroyDisplay() {
    delete display_.data();
}

TStandardFaxPrinterStatusDisplay* TFaxPrinterStatus::Window() const {
    return static_cast<TStandardFaxPrinterStatusDisplay*>(display_.data());
}

void TFaxPrinterStatus::UpdateDisplay(bool first, bool last) {
    auto* window = Window();
    if (!window) {
        return;
    }
    if (first) {
        window->SetFaxPrinter(FaxPrinter());
        SetVisible(true);
    }
    if (last) {
        SetVisible(false);
        return;
    }
    window->Refresh();
}

} // namespace tolvane
