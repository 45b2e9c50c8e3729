// TFaxViewer: the window in which the user looks at one fax page by page, zooms and prints it.
// The caller sets FileToShow (and the printed header line, FaxPrinter()->FaxHeader().Caption),
// shows the window modally and discards it; the file is loaded when the window is first shown.
#pragma once

#include "printing/FaxPrinter.h"
#include "printing/FaxPrinterStatus.h"
#include "viewer/FaxView.h"

#include <QDialog>
#include <QString>

class QLabel;
class QToolButton;

namespace tolvane {

inline constexpr int kHelpFaxViewerTopic = 1021;

class TFaxViewer : public QDialog {
    Q_OBJECT
public:
    explicit TFaxViewer(QWidget* parent = nullptr);
    ~TFaxViewer() override;

    QString FileToShow() const { return fileToShow_; }
    void SetFileToShow(const QString& name) { fileToShow_ = name; }
    int ZoomPercent() const { return zoomPercent_; }
    // The zoom rule: above 50 down to a multiple of 20, at least 20; 100 shows 1:1.
    void SetZoom(int percent);

    TFaxView* FaxViewer() const { return faxViewer_; }
    TFaxPrinter* FaxPrinter() const { return faxPrinter_; }
    TFaxPrinterStatus* PrinterStatus() const { return printerStatus_; }

    QToolButton* FirstButton;
    QToolButton* PrevButton;
    QToolButton* NextButton;
    QToolButton* LastButton;
    QToolButton* ZoomInButton;
    QToolButton* ZoomOutButton;
    QToolButton* CopyButton;
    QToolButton* RotateLeftButton;
    QToolButton* RotateRightButton;
    QToolButton* PrinterSetupButton;
    QToolButton* Printbutton;
    QToolButton* Helpbutton;
    QToolButton* CloseButton;
    QLabel* StatusPanel;
    QLabel* status;

    void done(int result) override;

protected:
    void showEvent(QShowEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    bool event(QEvent* event) override;

private:
    void FormActivate();
    void SetFaxFile();
    void UpdatePageButtons();
    void FaxViewerPageChange();
    void FaxViewerViewerError(int errorCode);
    void ZoomInButtonClick();
    void ZoomOutButtonClick();
    void CopyButtonClick();
    void Rotate(int quarterTurns);
    void PrinterSetupButtonClick();
    void PrintButtonClick();
    void HelpButtonClick();
    void ShowPageText();
    // Runs a command of the viewer control; an exception it raises is shown.
    template <class F> void Guarded(F&& command);

    QString fileToShow_;
    int zoomPercent_ = 50;
    bool firstActivation_ = true;
    TFaxView* faxViewer_;
    TFaxPrinterStatus* printerStatus_;
    TFaxPrinter* faxPrinter_;
};

} // namespace tolvane
