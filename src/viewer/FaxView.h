// TFaxView: the fax viewer control. Its window is a viewer engine (TViewer) that it makes
// itself; it keeps the viewer's settings as properties, hands each change to the engine, raises
// the exception of a negative result and turns the engine's notifications and dropped files
// into signals.
#pragma once

#include "imaging/errors/Component.h"
#include "imaging/unpack/FaxUnpacker.h"
#include "viewer/Viewer.h"

#include <QColor>
#include <QFrame>
#include <QString>

namespace tolvane {

enum class TBorderStyle { bsNone, bsSingle };

class TFaxView : public QFrame, public TComponent {
    Q_OBJECT
public:
    explicit TFaxView(QWidget* parent = nullptr);
    ~TFaxView() override;

    TBorderStyle BorderStyle() const { return borderStyle_; }
    // A change makes the engine window again, with every setting pushed to it.
    void SetBorderStyle(TBorderStyle style);
    QColor FGColor() const { return fgColor_; }
    void SetFGColor(const QColor& colour);
    QColor BGColor() const { return bgColor_; }
    void SetBGColor(const QColor& colour);
    bool Scaling() const { return scaling_; }
    void SetScaling(bool on);
    // 0 is ignored.
    unsigned HorizMult() const { return horizMult_; }
    void SetHorizMult(unsigned v) { SetFactor(horizMult_, v); }
    unsigned HorizDiv() const { return horizDiv_; }
    void SetHorizDiv(unsigned v) { SetFactor(horizDiv_, v); }
    unsigned VertMult() const { return vertMult_; }
    void SetVertMult(unsigned v) { SetFactor(vertMult_, v); }
    unsigned VertDiv() const { return vertDiv_; }
    void SetVertDiv(unsigned v) { SetFactor(vertDiv_, v); }
    TAutoScaleMode AutoScaleMode() const { return autoScaleMode_; }
    void SetAutoScaleMode(TAutoScaleMode mode);
    bool WhitespaceCompression() const { return whitespaceCompression_; }
    void SetWhitespaceCompression(bool on);
    unsigned WhitespaceFrom() const { return whitespaceFrom_; }
    void SetWhitespaceFrom(unsigned lines);
    unsigned WhitespaceTo() const { return whitespaceTo_; }
    void SetWhitespaceTo(unsigned lines);
    unsigned HorizScroll() const { return horizScroll_; }
    void SetHorizScroll(unsigned pixels);
    unsigned VertScroll() const { return vertScroll_; }
    void SetVertScroll(unsigned pixels);
    // False refuses files dropped on the viewer.
    bool AcceptDragged() const { return acceptDragged_; }
    void SetAcceptDragged(bool on);
    bool LoadWholeFax() const { return loadWholeFax_; }
    void SetLoadWholeFax(bool on);
    Qt::CursorShape BusyCursor() const { return busyCursor_; }
    void SetBusyCursor(Qt::CursorShape cursor);
    QString FileName() const { return fileName_; }
    // Loads the file (an empty name unloads) and resets the four factors to 1; a negative
    // result is raised after the name is stored.
    void SetFileName(const QString& name);

    void StartUpdate();
    void EndUpdate();
    unsigned PageTotal() const;
    unsigned ShownPage() const;
    // Width of the current page's raster.
    int CurrentPageWidth() const;
    // Raises EBadArgument for 0 or beyond the last page.
    void ShowPage(unsigned page);
    void ShowFirstPage();
    void ShowLastPage();
    void ShowNextPage();
    void ShowPreviousPage();

    // The engine window (remade when BorderStyle changes).
    TViewer* Viewer() const { return viewer_; }

signals:
    void OnPageChange();
    void OnViewerError(int errorCode);
    void OnDropFile(const QString& fileName);

protected:
    // After dropped files were handled: OnDropFile with the file now shown.
    virtual void FileDropped();

private:
    void CreateWnd();
    void PushScale();
    void PushWhitespace();
    void SetFactor(unsigned& factor, unsigned v);
    void EngineFilesDropped();

    TViewer* viewer_ = nullptr; // a child of this control
    TBorderStyle borderStyle_ = TBorderStyle::bsSingle;
    QColor fgColor_{Qt::black};
    QColor bgColor_{Qt::white};
    bool scaling_ = false;
    unsigned horizMult_ = 1;
    unsigned horizDiv_ = 1;
    unsigned vertMult_ = 1;
    unsigned vertDiv_ = 1;
    TAutoScaleMode autoScaleMode_ = TAutoScaleMode::asDoubleHeight;
    bool whitespaceCompression_ = false;
    unsigned whitespaceFrom_ = 0;
    unsigned whitespaceTo_ = 0;
    unsigned horizScroll_ = 8;
    unsigned vertScroll_ = 8;
    bool acceptDragged_ = true;
    bool loadWholeFax_ = false;
    Qt::CursorShape busyCursor_ = Qt::ArrowCursor;
    QString fileName_;
};

} // namespace tolvane
