// The viewer engine: shows one APF fax file page by page in a scrollable child window. Pages are
// unpacked into page rasters (1 bit per pixel, 0 = black) by its own unpacker record; in
// page-by-page mode only the current page's raster is held, in whole-fax mode all of them. The
// current page is shown at the scale factors from its top-left corner, scrolled with the scroll
// bars, the keys and the wheel.
//
// Everything a program asks of the viewer is a direct call named after the viewer's message
// (dwViewSetFile, dwViewGotoPage, ...) with the same arguments and results; the notifications
// are the signals PagePrepared and PageError, sent synchronously. Everything runs on the GUI
// thread; while a page is unpacked, pending events other than user input are processed (input
// waits until the page is ready), and a process-wide busy flag makes page changes asked for
// then do nothing.
#pragma once

#include "imaging/raster/MonoBitmap.h"
#include "imaging/unpack/UnpackerRecord.h"
#include "viewer/PageRender.h"

#include <QAbstractScrollArea>
#include <QBasicTimer>
#include <QColor>
#include <QCursor>
#include <QString>
#include <cstdint>
#include <memory>
#include <vector>

namespace tolvane {

// Results of marking and copying.
inline constexpr int ecNoImageLoaded = -8050; // "no image loaded into viewer"
inline constexpr int ecNoBlockMarked = -8051; // "no block of image marked"

// Whether the viewer window takes files dropped on it.
enum class TDroppedFiles { Refuse, Accept };

class TViewer : public QAbstractScrollArea {
    Q_OBJECT
public:
    explicit TViewer(QWidget* parent = nullptr, TDroppedFiles dropped = TDroppedFiles::Refuse);
    ~TViewer() override;

    // Loads a fax file and shows page 1 at 1:1; an empty name unloads. 0, -2 (not an existing
    // plain file), -8001 (not an APF file), -8 or the unpacker's error. A file that fails before
    // it is unpacked leaves the previous one shown.
    int dwViewSetFile(const QString& name);
    void dwViewSetFG(const QColor& colour) { foreground_ = colour; }
    void dwViewSetBG(const QColor& colour) { background_ = colour; }
    // Factors equal in pairs become 1:1. A change shows the page again from its top-left corner
    // (unless an update is in progress).
    void dwViewSetScale(const TViewScale& scale);
    // Scroll steps in displayed pixels; 0 keeps a step.
    void dwViewSetScroll(int horizontal, int vertical);
    // Blank-line compression for pages unpacked from now on (refused pairs are ignored).
    void dwViewSetWhitespace(unsigned from, unsigned to);
    // Page n (1..count) and its size: the held raster, or one unpacked for the call (a failure
    // sends PageError). False for other n or on failure.
    bool dwViewGetBitmap(unsigned page, MonoBitmap& bitmap);
    unsigned dwViewGetNumPages() const { return pageCount_; }
    void dwViewStartUpdate() { updating_ = true; }
    void dwViewEndUpdate();
    // 0, or -1002 for 0 or beyond the page count; nothing while busy.
    int dwViewGotoPage(unsigned page);
    // The current page while a file is loaded, else 0.
    unsigned dwViewGetCurPage() const { return fileName_.isEmpty() ? 0 : currentPage_; }
    // From now on the text is shown at (3, 3) instead of a page.
    void dwViewSetDesignMode(const QString& text);
    // Unpacker aspect correction for pages unpacked from now on: 0, ufDoubleHeight or ufHalfWidth.
    void dwViewSetAutoScale(uint16_t option);
    // (0, 0, width - 1, height - 1) of the current page's raster while a file is loaded.
    QRect dwViewGetPageDim() const;
    void dwViewSetLoadWholeFax(bool on);
    void dwViewSetBusyCursor(const QCursor& cursor) { busyCursor_ = cursor; }
    // Marks the whole page: 0, or -8050 without pages.
    int dwViewSelectAll();
    // Marks a rectangle of the displayed page (edges inclusive), clamped to the page: 0, or
    // -8050 without pages; no rectangle: nothing.
    int dwViewSelect(const QRect* rect);
    // Puts the marked part on the clipboard as an image, black on white, at the size it is
    // shown: 0, -8050 without pages, -8051 without a mark.
    int dwViewCopy();
    // Turns the pages to r quarter turns clockwise from how they were unpacked (0 to 3); in
    // page-by-page mode pages shown later are turned too. 0, or -8 when memory runs out.
    int dwViewSetRotation(int r);
    int Rotation() const { return rotation_; }
    bool MarkPresent() const { return markPresent_; }
    // The mark in displayed-page pixels, edges inclusive.
    QRect Mark() const { return mark_; }

    // Whether files dropped on the viewer are taken.
    void SetAcceptDroppedFiles(bool on);

    // Scrolling by displayed pixels, steps, ten steps and to the edges; page navigation.
    void vScrollUpPrim(int n);
    void vScrollDownPrim(int n);
    void vScrollLeftPrim(int n);
    void vScrollRightPrim(int n);
    void vScrollUp() { vScrollUpPrim(vertStep_); }
    void vScrollDown() { vScrollDownPrim(vertStep_); }
    void vScrollLeft() { vScrollLeftPrim(horizStep_); }
    void vScrollRight() { vScrollRightPrim(horizStep_); }
    void vJumpUp() { vScrollUpPrim(10 * vertStep_); }
    void vJumpDown() { vScrollDownPrim(10 * vertStep_); }
    void vJumpLeft() { vScrollLeftPrim(10 * horizStep_); }
    void vJumpRight() { vScrollRightPrim(10 * horizStep_); }
    void vHomeVertical() { vScrollUpPrim(vertPos_); }
    void vEndVertical();
    void vHomeHorizontal() { vScrollLeftPrim(horizPos_); }
    void vEndHorizontal();
    void vPageUp();
    void vPageDown();
    void vFirstPage();
    void vLastPage();

    // State, as the engine keeps it.
    const QString& FileName() const { return fileName_; }
    int HorizontalPosition() const { return horizPos_; }
    int VerticalPosition() const { return vertPos_; }
    int HorizontalMaximum() const { return horizMax_; }
    int VerticalMaximum() const { return vertMax_; }
    int ScaledWidth() const { return scaledWidth_; }
    int ScaledHeight() const { return scaledHeight_; }
    TViewScale Scale() const { return scale_; }
    // How many page rasters are held.
    int HeldPages() const;
    // Set while any viewer of the process prepares a page.
    static bool Busy();

signals:
    // A page has been prepared and shown.
    void PagePrepared(unsigned page);
    // Preparing a page failed with this code; the file has been unloaded.
    void PageError(int code);
    // Files were dropped; the first one has been loaded if it could be.
    void FilesDropped();

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;
    void scrollContentsBy(int dx, int dy) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dragMoveEvent(QDragMoveEvent* event) override;
    void dropEvent(QDropEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void timerEvent(QTimerEvent* event) override;

private:
    struct PageEntry {
        int width = 0;
        int height = 0;
        bool held = false;
        MonoBitmap bitmap;
    };

    // The visible extent.
    int VisibleWidth() const;
    int VisibleHeight() const;
    bool HasPages() const { return !pages_.empty(); }
    PageEntry* Current();
    void vAllocFax(unsigned count);
    void vDisposeFax();
    void ReleaseBitmaps(unsigned keep);
    void vCalcMaxScrollPos();
    void vInitScrollbars();
    void vUpdateScrollThumb();
    void vInitPage();
    int Unpack(unsigned page, PageEntry& entry);
    // Unpacks and turns the page by the rotation.
    int UnpackTurned(unsigned page, PageEntry& entry);
    int vRotatePage(PageEntry& entry, int turns);
    void vUpdateMarkRect(int x, int y);
    // The part of a displayed-page rectangle in view, in view coordinates.
    QRect vGetMarkClientIntersection(const QRect& rect) const;
    void RemoveMark();
    void EndMouseMarking();
    void AutoScrollStep();
    bool Inside(const QPoint& p) const;
    void HandleResize();
    void ScrollBarAction(Qt::Orientation orientation, int action);
    void EndOfScroll(Qt::Orientation orientation);
    void ThumbRule(Qt::Orientation orientation, int thumb);
    void PaintRect(QPainter& painter, const QRect& rect);

    std::unique_ptr<UnpackerRecord> unpacker_;
    std::vector<PageEntry> pages_;
    bool loadWholeFax_ = false;
    QCursor busyCursor_{Qt::ArrowCursor};
    QColor foreground_{Qt::black};
    QColor background_{Qt::white};
    int scaledWidth_ = 0;
    int scaledHeight_ = 0;
    int vertStep_ = 8;
    int horizStep_ = 8;
    bool inSize_ = false;
    bool vertTracking_ = false;
    bool horizTracking_ = false;
    unsigned pageCount_ = 0;
    unsigned currentPage_ = 0;
    int vertPos_ = 0;
    int horizPos_ = 0;
    int vertMax_ = 0;
    int horizMax_ = 0;
    TViewScale scale_;
    QString fileName_;
    bool updating_ = false;
    QString designText_;
    bool designMode_ = false;
    int rotation_ = 0;
    bool markPresent_ = false;
    QRect mark_;
    bool capturing_ = false;
    int movingCorner_ = 1; // 1 right-bottom, 2 left-bottom, 3 left-top, 4 right-top
    QBasicTimer autoScroll_;
    QPoint pointer_; // the last pointer position while marking
};

} // namespace tolvane
