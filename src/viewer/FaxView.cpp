#include "viewer/FaxView.h"

#include "imaging/errors/Exceptions.h"
#include "imaging/errors/ResultCodes.h"

#include <QVBoxLayout>

namespace tolvane {
namespace {

uint16_t AutoScaleOption(TAutoScaleMode mode) {
    switch (mode) {
    case TAutoScaleMode::asNone:
        return 0;
    case TAutoScaleMode::asDoubleHeight:
        return ufDoubleHeight;
    case TAutoScaleMode::asHalfWidth:
        return ufHalfWidth;
    }
    return 0;
}

} // namespace

TFaxView::TFaxView(QWidget* parent) : QFrame(parent) {
    setObjectName(QStringLiteral("FaxView"));
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    setFocusPolicy(Qt::StrongFocus);
    resize(100, 50);
    CreateWnd();
}

TFaxView::~TFaxView() = default;

void TFaxView::CreateWnd() {
    delete viewer_;
    setFrameStyle(borderStyle_ == TBorderStyle::bsSingle ? QFrame::Box | QFrame::Plain : QFrame::NoFrame);
    setLineWidth(1);
    auto* viewer = new TViewer(this, acceptDragged_ ? TDroppedFiles::Accept : TDroppedFiles::Refuse);
    viewer_ = viewer;
    layout()->addWidget(viewer);
    setFocusProxy(viewer);
    connect(viewer, &TViewer::PagePrepared, this, [this] { emit OnPageChange(); });
    connect(viewer, &TViewer::PageError, this, [this](int code) { emit OnViewerError(code); });
    connect(viewer, &TViewer::FilesDropped, this, &TFaxView::EngineFilesDropped);

    // The settings, in the order the engine expects them: the file is loaded page by page
    // first, and the other pages follow when the whole fax is to be held.
    viewer->dwViewSetFG(fgColor_);
    viewer->dwViewSetBG(bgColor_);
    if (scaling_) {
        PushScale();
    }
    if (whitespaceCompression_) {
        PushWhitespace();
    }
    viewer->dwViewSetScroll(static_cast<int>(horizScroll_), static_cast<int>(vertScroll_));
    viewer->dwViewSetAutoScale(AutoScaleOption(autoScaleMode_));
    const int rc = viewer->dwViewSetFile(fileName_);
    if (!fileName_.isEmpty()) {
        // The engine shows a loaded file at 1:1.
        horizMult_ = horizDiv_ = vertMult_ = vertDiv_ = 1;
    }
    RaiseOnError(this, rc);
    viewer->dwViewSetLoadWholeFax(loadWholeFax_);
    viewer->dwViewSetBusyCursor(QCursor(busyCursor_));
}

void TFaxView::SetBorderStyle(TBorderStyle style) {
    if (style != borderStyle_) {
        borderStyle_ = style;
        CreateWnd();
    }
}

void TFaxView::SetFGColor(const QColor& colour) {
    fgColor_ = colour;
    viewer_->dwViewSetFG(colour);
}

void TFaxView::SetBGColor(const QColor& colour) {
    bgColor_ = colour;
    viewer_->dwViewSetBG(colour);
}

void TFaxView::PushScale() {
    const TViewScale scale = scaling_ ? TViewScale{static_cast<int>(horizMult_), static_cast<int>(horizDiv_),
                                                   static_cast<int>(vertMult_), static_cast<int>(vertDiv_)}
                                      : TViewScale{};
    viewer_->dwViewSetScale(scale);
}

void TFaxView::PushWhitespace() {
    if (whitespaceCompression_) {
        viewer_->dwViewSetWhitespace(whitespaceFrom_, whitespaceTo_);
    } else {
        viewer_->dwViewSetWhitespace(0, 0);
    }
}

void TFaxView::SetScaling(bool on) {
    if (on != scaling_) {
        scaling_ = on;
        PushScale();
    }
}

void TFaxView::SetFactor(unsigned& factor, unsigned v) {
    if (v == 0 || v == factor) {
        return;
    }
    factor = v;
    if (scaling_) {
        PushScale();
    }
}

void TFaxView::SetAutoScaleMode(TAutoScaleMode mode) {
    if (mode != autoScaleMode_) {
        autoScaleMode_ = mode;
        viewer_->dwViewSetAutoScale(AutoScaleOption(mode));
    }
}

void TFaxView::SetWhitespaceCompression(bool on) {
    if (on != whitespaceCompression_) {
        whitespaceCompression_ = on;
        PushWhitespace();
    }
}

void TFaxView::SetWhitespaceFrom(unsigned lines) {
    if (lines != whitespaceFrom_) {
        whitespaceFrom_ = lines;
        if (whitespaceCompression_) {
            PushWhitespace();
        }
    }
}

void TFaxView::SetWhitespaceTo(unsigned lines) {
    if (lines != whitespaceTo_) {
        whitespaceTo_ = lines;
        if (whitespaceCompression_) {
            PushWhitespace();
        }
    }
}

void TFaxView::SetHorizScroll(unsigned pixels) {
    if (pixels != horizScroll_) {
        horizScroll_ = pixels;
        viewer_->dwViewSetScroll(static_cast<int>(horizScroll_), static_cast<int>(vertScroll_));
    }
}

void TFaxView::SetVertScroll(unsigned pixels) {
    if (pixels != vertScroll_) {
        vertScroll_ = pixels;
        viewer_->dwViewSetScroll(static_cast<int>(horizScroll_), static_cast<int>(vertScroll_));
    }
}

void TFaxView::SetAcceptDragged(bool on) {
    if (on != acceptDragged_) {
        acceptDragged_ = on;
        viewer_->SetAcceptDroppedFiles(on);
    }
}

void TFaxView::SetLoadWholeFax(bool on) {
    if (on != loadWholeFax_) {
        loadWholeFax_ = on;
        viewer_->dwViewSetLoadWholeFax(on);
    }
}

void TFaxView::SetBusyCursor(Qt::CursorShape cursor) {
    if (cursor != busyCursor_) {
        busyCursor_ = cursor;
        viewer_->dwViewSetBusyCursor(QCursor(cursor));
    }
}

void TFaxView::SetFileName(const QString& name) {
    if (name == fileName_) {
        return;
    }
    fileName_ = name;
    RaiseOnError(this, viewer_->dwViewSetFile(name));
    horizMult_ = horizDiv_ = vertMult_ = vertDiv_ = 1;
}

void TFaxView::EngineFilesDropped() {
    // The control names the file the engine now shows (the dropped one, when it could be
    // loaded); the engine shows a new file at 1:1.
    if (viewer_->FileName() != fileName_) {
        fileName_ = viewer_->FileName();
        horizMult_ = horizDiv_ = vertMult_ = vertDiv_ = 1;
    }
    FileDropped();
}

void TFaxView::FileDropped() {
    emit OnDropFile(fileName_);
}

void TFaxView::StartUpdate() {
    viewer_->dwViewStartUpdate();
}

void TFaxView::EndUpdate() {
    viewer_->dwViewEndUpdate();
}

unsigned TFaxView::PageTotal() const {
    return viewer_->dwViewGetNumPages();
}

unsigned TFaxView::ShownPage() const {
    return viewer_->dwViewGetCurPage();
}

int TFaxView::CurrentPageWidth() const {
    return viewer_->dwViewGetPageDim().right() + 1;
}

void TFaxView::ShowPage(unsigned page) {
    if (page == ShownPage() || fileName_.isEmpty()) {
        return;
    }
    if (page == 0 || page > PageTotal()) {
        RaiseOnError(this, ecBadArgument);
        return;
    }
    RaiseOnError(this, viewer_->dwViewGotoPage(page));
}

void TFaxView::ShowFirstPage() {
    if (!fileName_.isEmpty()) {
        ShowPage(1);
    }
}

void TFaxView::ShowLastPage() {
    if (!fileName_.isEmpty()) {
        ShowPage(PageTotal());
    }
}

void TFaxView::ShowNextPage() {
    if (!fileName_.isEmpty() && ShownPage() != PageTotal()) {
        ShowPage(ShownPage() + 1);
    }
}

void TFaxView::ShowPreviousPage() {
    if (!fileName_.isEmpty() && ShownPage() != 1) {
        ShowPage(ShownPage() - 1);
    }
}

} // namespace tolvane
