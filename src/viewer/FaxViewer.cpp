#include "viewer/FaxViewer.h"

#include "imaging/errors/Exceptions.h"
#include "imaging/errors/ResultCodes.h"
#include "imaging/errors/StringTable.h"
#include "viewer/ViewerHooks.h"

#include <QApplication>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QMessageBox>
#include <QPrinterInfo>
#include <QScreen>
#include <QShortcut>
#include <QStatusTipEvent>
#include <QToolButton>
#include <QVBoxLayout>
#include <cmath>

static void InitViewerResources() {
    Q_INIT_RESOURCE(viewer);
}

namespace tolvane {
namespace {

const QString kClassName = QStringLiteral("TFaxViewer");

// The button bar's teal.
const QColor kBarColour(64, 128, 128);

QToolButton* AddButton(QWidget* bar, QHBoxLayout* layout, const char* name, const QString& caption,
                       const QString& hint, const char* picture, bool tooltip) {
    auto* button = new QToolButton(bar);
    button->setObjectName(QLatin1String(name));
    button->setText(caption);
    button->setStatusTip(hint);
    if (tooltip) {
        button->setToolTip(hint);
    }
    button->setIcon(QIcon(QStringLiteral(":/tolvane/viewer/buttons/%1.svg").arg(QLatin1String(picture))));
    button->setIconSize(QSize(20, 20));
    button->setToolButtonStyle(caption.isEmpty() ? Qt::ToolButtonIconOnly : Qt::ToolButtonTextUnderIcon);
    button->setAutoRaise(true);
    button->setFocusPolicy(Qt::TabFocus);
    button->setFixedHeight(39);
    button->setMinimumWidth(caption.isEmpty() ? 36 : 58);
    button->setStyleSheet(
        QStringLiteral("QToolButton { color: white; border: 1px solid transparent; border-radius: 2px;"
                       " padding: 1px; }"
                       "QToolButton:hover { border-color: rgba(255,255,255,150); }"
                       "QToolButton:pressed { background: rgba(0,0,0,60); }"
                       "QToolButton:disabled { color: rgb(150,190,190); }"));
    layout->addWidget(button);
    return button;
}

void ShowError(QWidget* parent, const QString& text) {
    QMessageBox box(QMessageBox::Critical, QStringLiteral("Error"), text, QMessageBox::Ok, parent);
    box.exec();
}

} // namespace

TFaxViewer::TFaxViewer(QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                          Qt::WindowMaximizeButtonHint | Qt::WindowCloseButtonHint) {
    InitViewerResources();
    setObjectName(kClassName);
    setWindowTitle(QStringLiteral("Fax Viewer "));
    setSizeGripEnabled(true);

    auto* bar = new QFrame(this);
    bar->setObjectName(QStringLiteral("ButtonBar"));
    bar->setFrameShape(QFrame::Panel);
    bar->setFrameShadow(QFrame::Raised);
    bar->setFixedHeight(45);
    bar->setAutoFillBackground(true);
    QPalette barPalette = bar->palette();
    barPalette.setColor(QPalette::Window, kBarColour);
    bar->setPalette(barPalette);
    auto* buttons = new QHBoxLayout(bar);
    buttons->setContentsMargins(3, 2, 3, 2);
    buttons->setSpacing(2);
    FirstButton = AddButton(bar, buttons, "FirstButton", {}, QStringLiteral("First page"), "first", true);
    PrevButton = AddButton(bar, buttons, "PrevButton", {}, QStringLiteral("Previous page"), "prev", true);
    NextButton = AddButton(bar, buttons, "NextButton", {}, QStringLiteral("Next page"), "next", true);
    LastButton = AddButton(bar, buttons, "LastButton", {}, QStringLiteral("Last page"), "last", true);
    ZoomInButton = AddButton(bar, buttons, "ZoomInButton", {}, QStringLiteral("Zoom in"), "zoomin", true);
    ZoomOutButton = AddButton(bar, buttons, "ZoomOutButton", {}, QStringLiteral("Zoom out"), "zoomout", true);
    CopyButton = AddButton(bar, buttons, "CopyButton", {}, QStringLiteral("Copy the marked part (Ctrl+C)"),
                           "copy", true);
    RotateLeftButton = AddButton(bar, buttons, "RotateLeftButton", {}, QStringLiteral("Rotate left (Ctrl+L)"),
                                 "rotleft", true);
    RotateRightButton = AddButton(bar, buttons, "RotateRightButton", {},
                                  QStringLiteral("Rotate right (Ctrl+R)"), "rotright", true);
    PrinterSetupButton = AddButton(bar, buttons, "PrinterSetupButton", {}, QStringLiteral("Printer setup"),
                                   "printsetup", false);
    Printbutton = AddButton(bar, buttons, "Printbutton", {}, QStringLiteral("Print"), "print", false);
    buttons->addStretch(1);
    Helpbutton = AddButton(bar, buttons, "Helpbutton", QStringLiteral("&Help"),
                           QStringLiteral("Get Windows help for Fax Viewer"), "help", false);
    CloseButton = AddButton(bar, buttons, "CloseButton", QStringLiteral("C&lose"),
                            QStringLiteral("Close the Fax Viewer"), "close", false);
    for (auto* button : {FirstButton, PrevButton, NextButton, LastButton}) {
        button->hide();
    }

    faxViewer_ = new TFaxView(this);
    faxViewer_->setObjectName(QStringLiteral("FaxViewer"));
    faxViewer_->SetScaling(false);
    faxViewer_->SetAutoScaleMode(TAutoScaleMode::asHalfWidth);
    faxViewer_->SetBusyCursor(Qt::WaitCursor);

    auto* bottom = new QFrame(this);
    bottom->setObjectName(QStringLiteral("StatusBar"));
    auto* bottomLayout = new QHBoxLayout(bottom);
    bottomLayout->setContentsMargins(2, 1, 2, 1);
    bottomLayout->setSpacing(2);
    status = new QLabel(bottom);
    status->setObjectName(QStringLiteral("status"));
    status->setFrameShape(QFrame::Panel);
    status->setFrameShadow(QFrame::Sunken);
    StatusPanel = new QLabel(QStringLiteral("Loading..."), bottom);
    StatusPanel->setObjectName(QStringLiteral("StatusPanel"));
    StatusPanel->setFixedWidth(168);
    StatusPanel->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    StatusPanel->setFrameShape(QFrame::Panel);
    StatusPanel->setFrameShadow(QFrame::Sunken);
    bottomLayout->addWidget(status, 1);
    bottomLayout->addWidget(StatusPanel);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(bar);
    layout->addWidget(faxViewer_, 1);
    layout->addWidget(bottom);

    printerStatus_ = new TFaxPrinterStatus(this);
    printerStatus_->SetPosition(TPosition::poScreenCenter);
    faxPrinter_ = new TFaxPrinter(this);
    faxPrinter_->setObjectName(QStringLiteral("FaxPrinter"));
    faxPrinter_->SetCaption(QStringLiteral("Fax Printer"));
    faxPrinter_->FaxHeader().Caption = QStringLiteral("FILE: $F");
    faxPrinter_->FaxFooter().Caption = QStringLiteral("Page: $P of $N");
    faxPrinter_->SetMultiPage(false);
    faxPrinter_->SetStatusDisplay(printerStatus_);

    connect(faxViewer_, &TFaxView::OnPageChange, this, &TFaxViewer::FaxViewerPageChange);
    connect(faxViewer_, &TFaxView::OnViewerError, this, &TFaxViewer::FaxViewerViewerError);
    connect(FirstButton, &QToolButton::clicked, this,
            [this] { Guarded([this] { faxViewer_->ShowFirstPage(); }); });
    connect(PrevButton, &QToolButton::clicked, this,
            [this] { Guarded([this] { faxViewer_->ShowPreviousPage(); }); });
    connect(NextButton, &QToolButton::clicked, this,
            [this] { Guarded([this] { faxViewer_->ShowNextPage(); }); });
    connect(LastButton, &QToolButton::clicked, this,
            [this] { Guarded([this] { faxViewer_->ShowLastPage(); }); });
    connect(ZoomInButton, &QToolButton::clicked, this, &TFaxViewer::ZoomInButtonClick);
    connect(ZoomOutButton, &QToolButton::clicked, this, &TFaxViewer::ZoomOutButtonClick);
    connect(CopyButton, &QToolButton::clicked, this, &TFaxViewer::CopyButtonClick);
    connect(RotateLeftButton, &QToolButton::clicked, this, [this] { Rotate(3); });
    connect(RotateRightButton, &QToolButton::clicked, this, [this] { Rotate(1); });
    // Marking is with the mouse; copying and turning a fax that came in upside down are here.
    connect(new QShortcut(QKeySequence::Copy, this), &QShortcut::activated, this,
            &TFaxViewer::CopyButtonClick);
    connect(new QShortcut(QKeySequence(Qt::CTRL | Qt::Key_L), this), &QShortcut::activated, this,
            [this] { Rotate(3); });
    connect(new QShortcut(QKeySequence(Qt::CTRL | Qt::Key_R), this), &QShortcut::activated, this,
            [this] { Rotate(1); });
    connect(PrinterSetupButton, &QToolButton::clicked, this, &TFaxViewer::PrinterSetupButtonClick);
    connect(Printbutton, &QToolButton::clicked, this, &TFaxViewer::PrintButtonClick);
    connect(Helpbutton, &QToolButton::clicked, this, &TFaxViewer::HelpButtonClick);
    connect(CloseButton, &QToolButton::clicked, this, &TFaxViewer::reject);

    // A 602 x 432 window with its frame.
    resize(594, 405);
    auto& hooks = ViewerWindowHooks();
    if (hooks.RestorePlacement) {
        hooks.RestorePlacement(*this, kClassName);
    }
    if (hooks.RegisterStatusLine) {
        hooks.RegisterStatusLine(*this, *status);
    }
    if (hooks.CenterOverMainWindow) {
        hooks.CenterOverMainWindow(*this);
    } else if (const QScreen* screen = QGuiApplication::primaryScreen()) {
        QRect frame = frameGeometry();
        frame.moveCenter(screen->availableGeometry().center());
        move(frame.topLeft());
    }
    faxViewer_->setFocus();
}

TFaxViewer::~TFaxViewer() = default;

template <class F> void TFaxViewer::Guarded(F&& command) {
    try {
        command();
    } catch (const Exception& e) {
        ShowError(this, QString::fromStdString(e.Message()));
    }
}

void TFaxViewer::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    FormActivate();
}

void TFaxViewer::FormActivate() {
    if (!firstActivation_) {
        return;
    }
    SetFaxFile();
    firstActivation_ = false;
    if (QPrinterInfo::availablePrinterNames().isEmpty()) {
        Printbutton->setEnabled(false);
        PrinterSetupButton->setEnabled(false);
    }
}

void TFaxViewer::SetFaxFile() {
    faxViewer_->StartUpdate();
    faxViewer_->SetScaling(false);
    faxViewer_->SetHorizMult(1);
    faxViewer_->SetHorizDiv(1);
    faxViewer_->SetVertMult(1);
    faxViewer_->SetVertDiv(1);
    faxViewer_->EndUpdate();
    // The view is 1:1 now; the fitted zoom is applied from there.
    zoomPercent_ = 100;
    try {
        faxViewer_->SetFileName(fileToShow_);
        const int pw = faxViewer_->CurrentPageWidth();
        const int cw = faxViewer_->width();
        const int fitted = cw >= pw ? 100 : static_cast<int>(std::trunc(static_cast<double>(cw) / pw * 150));
        SetZoom(fitted);
        ShowPageText();
    } catch (const Exception&) {
        faxViewer_->SetFileName({});
        ShowError(this, QStringLiteral("Error opening fax file"));
        StatusPanel->setText(QStringLiteral("No file loaded"));
    }
    UpdatePageButtons();
}

void TFaxViewer::UpdatePageButtons() {
    const bool several = faxViewer_->PageTotal() > 1;
    for (auto* button : {FirstButton, PrevButton, NextButton, LastButton}) {
        button->setVisible(several);
    }
}

void TFaxViewer::ShowPageText() {
    StatusPanel->setText(
        QStringLiteral("Page %1 of %2").arg(faxViewer_->ShownPage()).arg(faxViewer_->PageTotal()));
}

void TFaxViewer::SetZoom(int percent) {
    int z = percent;
    if (z > 50 && z % 20 != 0) {
        z -= z % 20;
    }
    z = std::max(z, 20);
    if (z == zoomPercent_) {
        return;
    }
    zoomPercent_ = z;
    if (z == 100) {
        faxViewer_->SetScaling(false);
        return;
    }
    faxViewer_->StartUpdate();
    faxViewer_->SetScaling(true);
    faxViewer_->SetHorizMult(static_cast<unsigned>(z));
    faxViewer_->SetHorizDiv(100);
    faxViewer_->SetVertMult(static_cast<unsigned>(z));
    faxViewer_->SetVertDiv(100);
    faxViewer_->EndUpdate();
}

void TFaxViewer::ZoomInButtonClick() {
    if (zoomPercent_ <= 200) {
        SetZoom(zoomPercent_ - zoomPercent_ % 20 + 20);
    } else {
        ViewerBeep();
    }
}

void TFaxViewer::ZoomOutButtonClick() {
    if (zoomPercent_ > 20) {
        SetZoom(zoomPercent_ + zoomPercent_ % 20 - 20);
    } else {
        ViewerBeep();
    }
}

void TFaxViewer::FaxViewerPageChange() {
    if (!faxViewer_->FileName().isEmpty()) {
        ShowPageText();
    } else {
        StatusPanel->setText(QStringLiteral("No file loaded"));
    }
}

void TFaxViewer::FaxViewerViewerError(int errorCode) {
    ShowError(this, QStringLiteral("Viewer error %1").arg(errorCode));
    // The viewer has let go of the file; the window says so instead of naming a page.
    faxViewer_->SetFileName({});
    StatusPanel->setText(QStringLiteral("No file loaded"));
    UpdatePageButtons();
}

void TFaxViewer::CopyButtonClick() {
    // Without a mark (or a fax) there is nothing to copy.
    if (faxViewer_->Viewer()->dwViewCopy() < 0) {
        ViewerBeep();
    }
}

void TFaxViewer::Rotate(int quarterTurns) {
    TViewer* viewer = faxViewer_->Viewer();
    if (viewer->dwViewGetNumPages() == 0) {
        ViewerBeep();
        return;
    }
    if (viewer->dwViewSetRotation((viewer->Rotation() + quarterTurns) % 4) < 0) {
        ShowError(this, QString::fromStdString(ErrorMessage(ecOutOfMemory)));
    }
}

void TFaxViewer::PrinterSetupButtonClick() {
    faxPrinter_->ExecutePrintDialog(this);
}

void TFaxViewer::PrintButtonClick() {
    if (faxViewer_->FileName().isEmpty()) {
        return;
    }
    Guarded([this] {
        faxPrinter_->SetFileName(faxViewer_->FileName());
        faxPrinter_->PrintPages();
    });
}

void TFaxViewer::HelpButtonClick() {
    if (ViewerWindowHooks().ShowHelpTopic) {
        ViewerWindowHooks().ShowHelpTopic(kHelpFaxViewerTopic);
    } else {
        ViewerBeep();
    }
}

void TFaxViewer::resizeEvent(QResizeEvent* event) {
    QDialog::resizeEvent(event);
    if (ViewerWindowHooks().FitMaximizedForm) {
        ViewerWindowHooks().FitMaximizedForm(*this);
    }
}

void TFaxViewer::keyPressEvent(QKeyEvent* event) {
    // Close is the default and the cancel button.
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
        reject();
        return;
    }
    QDialog::keyPressEvent(event);
}

bool TFaxViewer::event(QEvent* event) {
    if (event->type() == QEvent::StatusTip) {
        status->setText(static_cast<QStatusTipEvent*>(event)->tip());
        return true;
    }
    return QDialog::event(event);
}

void TFaxViewer::done(int result) {
    if (ViewerWindowHooks().SavePlacement) {
        ViewerWindowHooks().SavePlacement(*this, kClassName);
    }
    QDialog::done(result);
}

} // namespace tolvane
