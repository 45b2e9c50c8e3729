#include "viewer/Viewer.h"

#include "imaging/apf/ApfFormat.h"
#include "imaging/errors/ResultCodes.h"
#include "viewer/PageRotation.h"

#include <QApplication>
#include <QClipboard>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFile>
#include <QFileInfo>
#include <QKeyEvent>
#include <QMimeData>
#include <QMouseEvent>
#include <QPaintEvent>
#include <QPainter>
#include <QScrollBar>
#include <QTimerEvent>
#include <QUrl>
#include <QWheelEvent>
#include <algorithm>
#include <cstdlib>
#include <new>

namespace tolvane {
namespace {

// Set while a viewer of the process prepares a page.
bool busy = false;

class BusyScope {
public:
    BusyScope() { busy = true; }
    ~BusyScope() { busy = false; }
    BusyScope(const BusyScope&) = delete;
    BusyScope& operator=(const BusyScope&) = delete;
};

// Shows a cursor over the whole application for its lifetime.
class CursorScope {
public:
    explicit CursorScope(const QCursor& cursor) { QApplication::setOverrideCursor(cursor); }
    ~CursorScope() { QApplication::restoreOverrideCursor(); }
    CursorScope(const CursorScope&) = delete;
    CursorScope& operator=(const CursorScope&) = delete;
};

int Scaled(int size, int mult, int div) {
    return static_cast<int>(static_cast<int64_t>(size) * mult / div);
}

} // namespace

TViewer::TViewer(QWidget* parent, TDroppedFiles dropped) : QAbstractScrollArea(parent) {
    setObjectName(QStringLiteral("dwViewer"));
    setFrameShape(QFrame::NoFrame);
    setFocusPolicy(Qt::StrongFocus);
    SetAcceptDroppedFiles(dropped == TDroppedFiles::Accept);
    viewport()->setAttribute(Qt::WA_OpaquePaintEvent);
    viewport()->setAutoFillBackground(false);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    horizontalScrollBar()->setRange(0, 0);
    verticalScrollBar()->setRange(0, 0);
    for (auto* bar : {horizontalScrollBar(), verticalScrollBar()}) {
        bar->installEventFilter(this);
        connect(bar, &QScrollBar::actionTriggered, this,
                [this, bar](int action) { ScrollBarAction(bar->orientation(), action); });
    }
    CreateUnpacker(nullptr, nullptr, unpacker_);
    if (unpacker_) {
        // Pending events are processed while a page is decoded; user input waits for the page.
        unpacker_->SetYieldHook([](UnpackerRecord&) {
            QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
            return ecOK;
        });
    }
}

TViewer::~TViewer() {
    vDisposeFax();
}

void TViewer::SetAcceptDroppedFiles(bool on) {
    setAcceptDrops(on);
    viewport()->setAcceptDrops(on);
}

bool TViewer::Busy() {
    return busy;
}

int TViewer::VisibleWidth() const {
    return viewport()->width();
}

int TViewer::VisibleHeight() const {
    return viewport()->height();
}

TViewer::PageEntry* TViewer::Current() {
    if (currentPage_ == 0 || currentPage_ > pages_.size()) {
        return nullptr;
    }
    return &pages_[currentPage_ - 1];
}

int TViewer::HeldPages() const {
    return static_cast<int>(
        std::count_if(pages_.begin(), pages_.end(), [](const PageEntry& e) { return e.held; }));
}

void TViewer::vAllocFax(unsigned count) {
    pageCount_ = count;
    currentPage_ = 0;
    horizPos_ = 0;
    vertPos_ = 0;
    pages_.assign(count, PageEntry{});
}

void TViewer::vDisposeFax() {
    RemoveMark();
    EndMouseMarking();
    pages_.clear();
    pages_.shrink_to_fit();
    pageCount_ = 0;
    currentPage_ = 0;
    horizPos_ = 0;
    vertPos_ = 0;
    fileName_.clear();
}

void TViewer::ReleaseBitmaps(unsigned keep) {
    for (unsigned i = 0; i < pages_.size(); ++i) {
        if (i + 1 != keep && pages_[i].held) {
            pages_[i].bitmap = MonoBitmap();
            pages_[i].held = false;
        }
    }
}

int TViewer::Unpack(unsigned page, PageEntry& entry) {
    if (!unpacker_) {
        return ecOutOfMemory;
    }
    UnpackedBitmap result;
    const int rc =
        PageToBitmapHandle(*unpacker_, QFile::encodeName(fileName_).toStdString(), page, true, result);
    if (rc < 0) {
        return rc;
    }
    entry.width = result.width;
    entry.height = result.height;
    entry.bitmap = std::move(result.bitmap);
    entry.held = true;
    return ecOK;
}

int TViewer::UnpackTurned(unsigned page, PageEntry& entry) {
    const int rc = Unpack(page, entry);
    if (rc < 0 || rotation_ == 0) {
        return rc;
    }
    return vRotatePage(entry, rotation_);
}

int TViewer::vRotatePage(PageEntry& entry, int turns) {
    MonoBitmap turned;
    if (RotatePage(entry.bitmap, turns, turned) < 0) {
        return ecOutOfMemory;
    }
    entry.bitmap = std::move(turned);
    entry.width = entry.bitmap.Width();
    entry.height = entry.bitmap.Height();
    return ecOK;
}

int TViewer::dwViewSetFile(const QString& name) {
    if (name.isEmpty()) {
        vDisposeFax();
        vInitScrollbars();
        viewport()->update();
        return ecOK;
    }
    const QFileInfo info(name);
    if (!info.exists() || !info.isFile()) {
        return ecFileNotFound;
    }
    {
        QFile file(name);
        if (!file.open(QIODevice::ReadOnly)) {
            return ecAccessDenied;
        }
        const QByteArray signature = file.read(static_cast<qint64>(kApfSignature.size()));
        if (signature.size() != static_cast<qsizetype>(kApfSignature.size()) ||
            !std::equal(kApfSignature.begin(), kApfSignature.end(), signature.begin(),
                        [](uint8_t a, char b) { return a == static_cast<uint8_t>(b); })) {
            return ecFaxBadFormat;
        }
    }
    vDisposeFax();
    vInitScrollbars();
    rotation_ = 0;
    fileName_ = name;
    viewport()->repaint(); // the background while the file loads
    if (!unpacker_) {
        return ecOutOfMemory;
    }
    ApfFileHeader header;
    if (const int rc = ReadApfHeader(*unpacker_, QFile::encodeName(name).toStdString(), header); rc < 0) {
        return rc;
    }
    try {
        vAllocFax(header.PageCount);
    } catch (const std::bad_alloc&) {
        return ecOutOfMemory;
    }
    {
        const CursorScope cursor(busyCursor_);
        const unsigned last = loadWholeFax_ ? pageCount_ : 1;
        for (unsigned page = 1; page <= std::max(last, 1u); ++page) {
            PageEntry scratch;
            const int rc = Unpack(page, page <= pages_.size() ? pages_[page - 1] : scratch);
            if (rc < 0) {
                return rc;
            }
        }
    }
    currentPage_ = 1;
    scale_ = TViewScale{};
    vInitPage();
    return ecOK;
}

void TViewer::vInitPage() {
    if (pages_.empty() || busy) {
        return;
    }
    const BusyScope busyScope;
    PageEntry* entry = Current();
    if (!entry) {
        return;
    }
    if (!loadWholeFax_ && !entry->held) {
        ReleaseBitmaps(0);
        int rc;
        {
            const CursorScope cursor(busyCursor_);
            rc = UnpackTurned(currentPage_, *entry);
        }
        if (rc < 0) {
            emit PageError(rc);
            vDisposeFax();
            vInitScrollbars();
            viewport()->update();
            return;
        }
    }
    horizPos_ = 0;
    vertPos_ = 0;
    RemoveMark();
    EndMouseMarking();
    scaledWidth_ = Scaled(entry->width, scale_.HorizMult, scale_.HorizDiv);
    scaledHeight_ = Scaled(entry->height, scale_.VertMult, scale_.VertDiv);
    vInitScrollbars();
    viewport()->update();
    emit PagePrepared(currentPage_);
}

void TViewer::dwViewSetScale(const TViewScale& requested) {
    TViewScale scale = requested;
    if (scale.HorizMult == scale.HorizDiv) {
        scale.HorizMult = scale.HorizDiv = 1;
    }
    if (scale.VertMult == scale.VertDiv) {
        scale.VertMult = scale.VertDiv = 1;
    }
    const bool changed = !(scale == scale_);
    scale_ = scale;
    if (!fileName_.isEmpty() && changed && !updating_) {
        vInitPage();
    }
}

void TViewer::dwViewEndUpdate() {
    updating_ = false;
    vInitPage();
}

void TViewer::dwViewSetScroll(int horizontal, int vertical) {
    if (horizontal != 0) {
        horizStep_ = horizontal;
    }
    if (vertical != 0) {
        vertStep_ = vertical;
    }
    vInitScrollbars();
}

void TViewer::dwViewSetWhitespace(unsigned from, unsigned to) {
    if (unpacker_) {
        SetWhitespace(*unpacker_, from, to);
    }
}

void TViewer::dwViewSetAutoScale(uint16_t option) {
    if (unpacker_) {
        ClearUnpackOptions(*unpacker_, ufDoubleHeight | ufHalfWidth);
        if (option != 0) {
            SetUnpackOptions(*unpacker_, option);
        }
    }
}

void TViewer::dwViewSetDesignMode(const QString& text) {
    designText_ = text;
    designMode_ = true;
    viewport()->update();
}

bool TViewer::dwViewGetBitmap(unsigned page, MonoBitmap& bitmap) {
    if (page == 0 || page > pages_.size()) {
        return false;
    }
    PageEntry& entry = pages_[page - 1];
    if (entry.held) {
        bitmap = entry.bitmap;
        return true;
    }
    PageEntry unpacked;
    int rc;
    {
        const CursorScope cursor(busyCursor_);
        rc = UnpackTurned(page, unpacked);
    }
    if (rc < 0) {
        emit PageError(rc);
        return false;
    }
    bitmap = std::move(unpacked.bitmap);
    return true;
}

QRect TViewer::dwViewGetPageDim() const {
    if (fileName_.isEmpty() || currentPage_ == 0 || currentPage_ > pages_.size()) {
        return QRect(QPoint(0, 0), QPoint(0, 0));
    }
    const PageEntry& entry = pages_[currentPage_ - 1];
    return QRect(QPoint(0, 0), QPoint(entry.width - 1, entry.height - 1));
}

void TViewer::dwViewSetLoadWholeFax(bool on) {
    loadWholeFax_ = on;
    if (fileName_.isEmpty() || pages_.empty()) {
        return;
    }
    if (!on) {
        ReleaseBitmaps(currentPage_);
        return;
    }
    const CursorScope cursor(busyCursor_);
    for (unsigned page = 1; page <= pages_.size(); ++page) {
        if (!pages_[page - 1].held && UnpackTurned(page, pages_[page - 1]) < 0) {
            vDisposeFax();
            vInitScrollbars();
            viewport()->update();
            return;
        }
    }
}

int TViewer::dwViewGotoPage(unsigned page) {
    if (busy) {
        return ecOK;
    }
    if (page == 0 || page > pageCount_) {
        return ecBadArgument;
    }
    currentPage_ = page;
    vInitPage();
    return ecOK;
}

void TViewer::vPageUp() {
    if (HasPages() && !busy && currentPage_ > 1) {
        --currentPage_;
        vInitPage();
    }
}

void TViewer::vPageDown() {
    if (HasPages() && !busy && currentPage_ < pageCount_) {
        ++currentPage_;
        vInitPage();
    }
}

void TViewer::vFirstPage() {
    if (!HasPages() || busy) {
        return;
    }
    if (currentPage_ == 1) {
        vHomeVertical();
        vHomeHorizontal();
    } else {
        currentPage_ = 1;
        vInitPage();
    }
}

void TViewer::vLastPage() {
    if (!HasPages() || busy) {
        return;
    }
    if (pageCount_ == 1 || currentPage_ == pageCount_) {
        vHomeVertical();
        vHomeHorizontal();
    } else {
        currentPage_ = pageCount_;
        vInitPage();
    }
}

void TViewer::vCalcMaxScrollPos() {
    if (!HasPages()) {
        horizMax_ = 0;
        vertMax_ = 0;
        return;
    }
    // While the page fits, the maximum is the position, so the view can still go back to 0.
    horizMax_ = VisibleWidth() < scaledWidth_ ? scaledWidth_ - VisibleWidth() : horizPos_;
    vertMax_ = VisibleHeight() < scaledHeight_ ? scaledHeight_ - VisibleHeight() : vertPos_;
}

void TViewer::vInitScrollbars() {
    // Scroll bars that appear or disappear here resize the view; that resize is handled once
    // more afterwards instead of inside this call.
    const bool outer = !inSize_;
    inSize_ = true;
    vCalcMaxScrollPos();
    horizontalScrollBar()->setRange(0, horizMax_);
    horizontalScrollBar()->setPageStep(std::max(1, VisibleWidth()));
    horizontalScrollBar()->setSingleStep(horizStep_);
    verticalScrollBar()->setRange(0, vertMax_);
    verticalScrollBar()->setPageStep(std::max(1, VisibleHeight()));
    verticalScrollBar()->setSingleStep(vertStep_);
    vUpdateScrollThumb();
    if (outer) {
        inSize_ = false;
    }
}

void TViewer::vUpdateScrollThumb() {
    horizontalScrollBar()->setValue(horizPos_);
    verticalScrollBar()->setValue(vertPos_);
}

void TViewer::vScrollUpPrim(int n) {
    if (!HasPages()) {
        return;
    }
    n = std::min(n, vertPos_);
    if (n <= 0) {
        return;
    }
    vertPos_ -= n;
    viewport()->scroll(0, n);
    if (vertTracking_ || vertPos_ != 0) {
        vUpdateScrollThumb();
    } else {
        vInitScrollbars();
    }
}

void TViewer::vScrollDownPrim(int n) {
    if (!HasPages()) {
        return;
    }
    n = std::min(n, vertMax_ - vertPos_);
    if (n <= 0) {
        return;
    }
    vertPos_ += n;
    viewport()->scroll(0, -n);
    vUpdateScrollThumb();
}

void TViewer::vScrollLeftPrim(int n) {
    if (!HasPages()) {
        return;
    }
    n = std::min(n, horizPos_);
    if (n <= 0) {
        return;
    }
    horizPos_ -= n;
    if (n > VisibleWidth()) {
        viewport()->update();
    } else {
        viewport()->scroll(n, 0);
    }
    if (horizTracking_ || horizPos_ != 0) {
        vUpdateScrollThumb();
    } else {
        vInitScrollbars();
    }
}

void TViewer::vScrollRightPrim(int n) {
    if (!HasPages()) {
        return;
    }
    n = std::min(n, horizMax_ - horizPos_);
    if (n <= 0) {
        return;
    }
    horizPos_ += n;
    if (n > VisibleWidth()) {
        viewport()->update();
    } else {
        viewport()->scroll(-n, 0);
    }
    vUpdateScrollThumb();
}

void TViewer::vEndVertical() {
    if (scaledHeight_ < VisibleHeight()) {
        vHomeVertical();
    } else {
        vScrollDownPrim(vertMax_ - vertPos_);
    }
}

void TViewer::vEndHorizontal() {
    if (scaledWidth_ < VisibleWidth()) {
        vHomeHorizontal();
    } else {
        vScrollRightPrim(horizMax_ - horizPos_);
    }
}

void TViewer::scrollContentsBy(int, int) {
    // The engine moves the content itself; scroll bar values follow its positions.
}

void TViewer::ScrollBarAction(Qt::Orientation orientation, int action) {
    if (!HasPages()) {
        return;
    }
    const bool vertical = orientation == Qt::Vertical;
    (vertical ? vertTracking_ : horizTracking_) = true;
    QScrollBar* bar = vertical ? verticalScrollBar() : horizontalScrollBar();
    switch (action) {
    case QAbstractSlider::SliderSingleStepSub:
        vertical ? vScrollUp() : vScrollLeft();
        break;
    case QAbstractSlider::SliderSingleStepAdd:
        vertical ? vScrollDown() : vScrollRight();
        break;
    case QAbstractSlider::SliderPageStepSub:
        vertical ? vJumpUp() : vJumpLeft();
        break;
    case QAbstractSlider::SliderPageStepAdd:
        vertical ? vJumpDown() : vJumpRight();
        break;
    case QAbstractSlider::SliderMove:
        ThumbRule(orientation, bar->sliderPosition());
        break;
    case QAbstractSlider::SliderToMinimum:
        vertical ? vHomeVertical() : vHomeHorizontal();
        break;
    case QAbstractSlider::SliderToMaximum:
        vertical ? vEndVertical() : vEndHorizontal();
        break;
    default:
        break;
    }
    // The bar shows the engine's position, not its own idea of the step.
    bar->setSliderPosition(vertical ? vertPos_ : horizPos_);
}

void TViewer::ThumbRule(Qt::Orientation orientation, int thumb) {
    const bool vertical = orientation == Qt::Vertical;
    int& position = vertical ? vertPos_ : horizPos_;
    const int extent = vertical ? VisibleHeight() : VisibleWidth();
    const int d = thumb - position;
    if (std::abs(d) > extent + 1) {
        position = thumb;
        viewport()->update();
        vUpdateScrollThumb();
    } else if (d < 0) {
        vertical ? vScrollUpPrim(-d) : vScrollLeftPrim(-d);
    } else if (d > 0) {
        vertical ? vScrollDownPrim(d) : vScrollRightPrim(d);
    }
}

void TViewer::EndOfScroll(Qt::Orientation orientation) {
    const bool vertical = orientation == Qt::Vertical;
    (vertical ? vertTracking_ : horizTracking_) = false;
    if (HasPages() && (vertical ? vertPos_ : horizPos_) == 0) {
        vInitScrollbars();
    }
}

bool TViewer::eventFilter(QObject* watched, QEvent* event) {
    // Letting go of a scroll bar ends the scroll.
    if (event->type() == QEvent::MouseButtonRelease && watched == verticalScrollBar()) {
        QMetaObject::invokeMethod(
            this, [this] { EndOfScroll(Qt::Vertical); }, Qt::QueuedConnection);
    } else if (event->type() == QEvent::MouseButtonRelease && watched == horizontalScrollBar()) {
        QMetaObject::invokeMethod(
            this, [this] { EndOfScroll(Qt::Horizontal); }, Qt::QueuedConnection);
    }
    return QAbstractScrollArea::eventFilter(watched, event);
}

void TViewer::resizeEvent(QResizeEvent* event) {
    QAbstractScrollArea::resizeEvent(event);
    HandleResize();
}

void TViewer::HandleResize() {
    if (inSize_) {
        QMetaObject::invokeMethod(
            this, [this] { HandleResize(); }, Qt::QueuedConnection);
        return;
    }
    vInitScrollbars();
}

void TViewer::keyPressEvent(QKeyEvent* event) {
    if (capturing_) {
        event->ignore();
        return;
    }
    const bool ctrl = event->modifiers() & Qt::ControlModifier;
    switch (event->key()) {
    case Qt::Key_PageUp:
        ctrl ? vHomeVertical() : vPageUp();
        break;
    case Qt::Key_PageDown:
        ctrl ? vEndVertical() : vPageDown();
        break;
    case Qt::Key_End:
        ctrl ? vLastPage() : vEndHorizontal();
        break;
    case Qt::Key_Home:
        ctrl ? vFirstPage() : vHomeHorizontal();
        break;
    case Qt::Key_Left:
        ctrl ? vJumpLeft() : vScrollLeft();
        break;
    case Qt::Key_Up:
        ctrl ? vJumpUp() : vScrollUp();
        break;
    case Qt::Key_Right:
        ctrl ? vJumpRight() : vScrollRight();
        break;
    case Qt::Key_Down:
        ctrl ? vJumpDown() : vScrollDown();
        break;
    default:
        event->ignore(); // to the window around the viewer
        return;
    }
    event->accept();
}

void TViewer::wheelEvent(QWheelEvent* event) {
    // Three steps per notch; horizontal wheels and Shift scroll sideways.
    QPoint notches = event->angleDelta() / 120;
    if (event->modifiers() & Qt::ShiftModifier) {
        notches = QPoint(notches.y(), 0);
    }
    if (notches.y() > 0) {
        vScrollUpPrim(3 * notches.y() * vertStep_);
    } else if (notches.y() < 0) {
        vScrollDownPrim(-3 * notches.y() * vertStep_);
    }
    if (notches.x() > 0) {
        vScrollLeftPrim(3 * notches.x() * horizStep_);
    } else if (notches.x() < 0) {
        vScrollRightPrim(-3 * notches.x() * horizStep_);
    }
    event->accept();
}

void TViewer::dragEnterEvent(QDragEnterEvent* event) {
    if (event->mimeData()->hasUrls()) {
        event->acceptProposedAction();
    }
}

void TViewer::dragMoveEvent(QDragMoveEvent* event) {
    event->acceptProposedAction();
}

void TViewer::dropEvent(QDropEvent* event) {
    const QList<QUrl> urls = event->mimeData()->urls();
    if (urls.isEmpty()) {
        return;
    }
    event->acceptProposedAction();
    if (urls.first().isLocalFile()) {
        dwViewSetFile(urls.first().toLocalFile());
    }
    emit FilesDropped();
}

void TViewer::paintEvent(QPaintEvent* event) {
    QPainter painter(viewport());
    for (const QRect& rect : event->region()) {
        PaintRect(painter, rect);
    }
}

void TViewer::PaintRect(QPainter& painter, const QRect& rect) {
    if (rect.isEmpty()) {
        return;
    }
    if (designMode_) {
        painter.fillRect(rect, background_);
        painter.setPen(foreground_);
        painter.drawText(QRect(3, 3, viewport()->width(), viewport()->height()), Qt::AlignLeft | Qt::AlignTop,
                         designText_);
        return;
    }
    const PageEntry* entry = Current();
    if (!entry || !entry->held) {
        painter.fillRect(rect, background_);
        return;
    }
    // The page part; what lies right of or below the page is background.
    const QRect page(-horizPos_, -vertPos_, scaledWidth_, scaledHeight_);
    const QRect part = rect & page;
    if (part != rect) {
        painter.fillRect(rect, background_); // the page part is drawn over it
    }
    if (part.isEmpty()) {
        return;
    }
    const QRect pagePart = part.translated(horizPos_, vertPos_);
    QImage image = RenderPagePart(entry->bitmap, pagePart, scale_, foreground_.rgb(), background_.rgb());
    if (markPresent_) {
        // The mark shows inverted.
        const QRect inverted = (mark_ & pagePart).translated(-pagePart.topLeft());
        for (int y = inverted.top(); y <= inverted.bottom(); ++y) {
            auto* row = reinterpret_cast<QRgb*>(image.scanLine(y));
            for (int x = inverted.left(); x <= inverted.right(); ++x) {
                row[x] = qRgb(255 - qRed(row[x]), 255 - qGreen(row[x]), 255 - qBlue(row[x]));
            }
        }
    }
    painter.drawImage(part.topLeft(), image);
}

bool TViewer::Inside(const QPoint& p) const {
    return p.x() >= 0 && p.y() >= 0 && p.x() < VisibleWidth() && p.y() < VisibleHeight();
}

QRect TViewer::vGetMarkClientIntersection(const QRect& rect) const {
    const QRect view(horizPos_, vertPos_, VisibleWidth(), VisibleHeight());
    return (rect & view).translated(-horizPos_, -vertPos_);
}

void TViewer::RemoveMark() {
    if (markPresent_) {
        markPresent_ = false;
        viewport()->update(vGetMarkClientIntersection(mark_));
    }
}

void TViewer::EndMouseMarking() {
    capturing_ = false;
    autoScroll_.stop();
}

void TViewer::mousePressEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton || capturing_ || !HasPages()) {
        QAbstractScrollArea::mousePressEvent(event);
        return;
    }
    RemoveMark();
    autoScroll_.stop();
    movingCorner_ = 1;
    pointer_ = event->position().toPoint();
    const QPoint at = pointer_ + QPoint(horizPos_, vertPos_);
    mark_ = QRect(at, at);
    // The mouse stays with this window until the button is let go.
    markPresent_ = true;
    capturing_ = true;
    viewport()->update(vGetMarkClientIntersection(mark_));
}

void TViewer::mouseMoveEvent(QMouseEvent* event) {
    if (!capturing_ || !HasPages()) {
        QAbstractScrollArea::mouseMoveEvent(event);
        return;
    }
    pointer_ = event->position().toPoint();
    const bool inside = Inside(pointer_);
    const bool wasRunning = autoScroll_.isActive();
    if (wasRunning && inside) {
        autoScroll_.stop();
    }
    if (wasRunning || inside) {
        vUpdateMarkRect(pointer_.x() + horizPos_, pointer_.y() + vertPos_);
    } else {
        // The pointer has just left the window: scroll at once and every 50 ms from now on.
        AutoScrollStep();
        autoScroll_.start(50, this);
    }
}

void TViewer::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton || !capturing_ || !HasPages()) {
        QAbstractScrollArea::mouseReleaseEvent(event);
        return;
    }
    EndMouseMarking();
    if (mark_.width() == 1 && mark_.height() == 1) {
        RemoveMark(); // a click without a move
    }
}

void TViewer::timerEvent(QTimerEvent* event) {
    if (event->timerId() == autoScroll_.timerId()) {
        AutoScrollStep();
        return;
    }
    QAbstractScrollArea::timerEvent(event);
}

void TViewer::AutoScrollStep() {
    int x = pointer_.x();
    int y = pointer_.y();
    const int right = VisibleWidth() - 1;
    const int bottom = VisibleHeight() - 1;
    if (x < 0) {
        vScrollLeftPrim((x < -20 ? 2 : 1) * horizStep_);
        x = 0;
    } else if (x > right) {
        vScrollRightPrim((x > right + 20 ? 2 : 1) * horizStep_);
        x = right;
    }
    if (y < 0) {
        vScrollUpPrim((y < -20 ? 2 : 1) * vertStep_);
        y = 0;
    } else if (y > bottom) {
        vScrollDownPrim((y > bottom + 20 ? 2 : 1) * vertStep_);
        y = bottom;
    }
    vUpdateMarkRect(x + horizPos_, y + vertPos_);
}

void TViewer::vUpdateMarkRect(int x, int y) {
    int left = mark_.left();
    int top = mark_.top();
    int right = mark_.right();
    int bottom = mark_.bottom();
    switch (movingCorner_) {
    case 1:
        right = x;
        bottom = y;
        break;
    case 2:
        left = x;
        bottom = y;
        break;
    case 3:
        left = x;
        top = y;
        break;
    default:
        right = x;
        top = y;
        break;
    }
    if (right < left) {
        std::swap(left, right);
    }
    if (bottom < top) {
        std::swap(top, bottom);
    }
    // The corner under the pointer keeps following it.
    if (x == right && y == bottom) {
        movingCorner_ = 1;
    } else if (x == right && y == top) {
        movingCorner_ = 4;
    } else if (x == left && y == bottom) {
        movingCorner_ = 2;
    } else {
        movingCorner_ = 3;
    }
    right = std::min(right, scaledWidth_ - 1);
    bottom = std::min(bottom, scaledHeight_ - 1);
    left = std::max(left, 0);
    top = std::max(top, 0);
    const QRect updated(QPoint(left, top), QPoint(right, bottom));
    viewport()->update(vGetMarkClientIntersection(mark_ | updated));
    mark_ = updated;
}

int TViewer::dwViewSelectAll() {
    if (!HasPages()) {
        return ecNoImageLoaded;
    }
    EndMouseMarking();
    mark_ = QRect(0, 0, scaledWidth_, scaledHeight_);
    markPresent_ = !mark_.isEmpty();
    viewport()->update();
    return ecOK;
}

int TViewer::dwViewSelect(const QRect* rect) {
    if (!HasPages()) {
        return ecNoImageLoaded;
    }
    if (!rect) {
        return ecOK;
    }
    EndMouseMarking();
    mark_ = rect->normalized() & QRect(0, 0, scaledWidth_, scaledHeight_);
    markPresent_ = !mark_.isEmpty();
    viewport()->update();
    return ecOK;
}

int TViewer::dwViewCopy() {
    if (!HasPages()) {
        return ecNoImageLoaded;
    }
    const PageEntry* entry = Current();
    if (!markPresent_ || !entry || !entry->held) {
        return ecNoBlockMarked;
    }
    // What the mark shows, black on white, one image pixel per displayed pixel.
    const QImage shown = RenderPagePart(entry->bitmap, mark_, scale_, qRgb(0, 0, 0), qRgb(255, 255, 255));
    QImage image = shown.convertToFormat(QImage::Format_Mono, Qt::ThresholdDither);
    if (image.isNull()) {
        return ecOutOfMemory;
    }
    if (QClipboard* clipboard = QGuiApplication::clipboard()) {
        clipboard->setImage(image);
    }
    return ecOK;
}

int TViewer::dwViewSetRotation(int r) {
    r &= 3;
    if (!HasPages() || r == rotation_) {
        return ecOK;
    }
    const int turns = (r - rotation_ + 4) % 4;
    for (unsigned page = 1; page <= pages_.size(); ++page) {
        PageEntry& entry = pages_[page - 1];
        // Whole fax: every page; page by page: the one held.
        if ((loadWholeFax_ || page == currentPage_) && entry.held && vRotatePage(entry, turns) < 0) {
            return ecOutOfMemory;
        }
    }
    rotation_ = r;
    vInitPage();
    return ecOK;
}

} // namespace tolvane
