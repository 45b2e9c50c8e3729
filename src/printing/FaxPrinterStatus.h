// Status displays of a fax printer: the abstract component and TFaxPrinterStatus with its
// "Print Status" window, which shows the file, the page range and the progress, and has the
// Abort button.
#pragma once

#include "imaging/errors/Component.h"
#include "printing/FaxPrinter.h"

#include <QDialog>
#include <QObject>
#include <QPointer>

class QLabel;
class QPushButton;

namespace tolvane {

// Where a window is placed when it is shown.
enum class TPosition {
    poDesigned,     // where it was
    poScreenCenter, // centred on the screen
};

class TAbstractFaxPrinterStatus : public QObject, public TComponent {
    Q_OBJECT
public:
    ~TAbstractFaxPrinterStatus() override;

    TPosition Position() const { return position_; }
    void SetPosition(TPosition position);
    bool Visible() const { return visible_; }
    void SetVisible(bool visible);
    QWidget* Display() const { return display_.data(); }
    TCustomFaxPrinter* FaxPrinter() const { return printer_.data(); }
    void SetFaxPrinter(TCustomFaxPrinter* printer) { printer_ = printer; }

    // first: take the printer and show the window (not modal); last: hide it; neither: refresh
    // the values.
    virtual void UpdateDisplay(bool first, bool last) = 0;

protected:
    explicit TAbstractFaxPrinterStatus(QObject* owner);
    // Subclasses make the window in their constructor and call Created(); their destructor
    // calls DestroyDisplay.
    virtual void CreateDisplay() = 0;
    virtual void DestroyDisplay() = 0;
    void Created();
    void ApplyPosition();

    QPointer<QWidget> display_;
    QPointer<TCustomFaxPrinter> printer_;

private:
    TPosition position_ = TPosition::poScreenCenter;
    bool visible_ = false;
};

// The "Print Status" window.
class TStandardFaxPrinterStatusDisplay : public QDialog {
    Q_OBJECT
public:
    explicit TStandardFaxPrinterStatusDisplay(QWidget* parent = nullptr);

    TCustomFaxPrinter* FaxPrinter() const { return printer_.data(); }
    void SetFaxPrinter(TCustomFaxPrinter* printer) { printer_ = printer; }
    // Shows the printer's state.
    void Refresh();

    QLabel* fpsFileName;
    QLabel* fpsTotalPages;
    QLabel* fpsResolution;
    QLabel* fpsWidth;
    QLabel* fpsFirstPage;
    QLabel* fpsLastPage;
    QLabel* fpsStatusLine;
    QPushButton* fpsAbortButton;

private:
    void fpsAbortButtonClick();

    QPointer<TCustomFaxPrinter> printer_;
};

class TFaxPrinterStatus : public TAbstractFaxPrinterStatus {
    Q_OBJECT
public:
    // Printers of the owner without a status display take this one.
    explicit TFaxPrinterStatus(QObject* owner = nullptr);
    ~TFaxPrinterStatus() override;

    void UpdateDisplay(bool first, bool last) override;
    TStandardFaxPrinterStatusDisplay* Window() const;

protected:
    void CreateDisplay() override;
    void DestroyDisplay() override;
};

} // namespace tolvane
