// The About box: a borderless, stay-on-top window with the product name and version. A click
// anywhere on it, the OK button, or a key press closes it.
#pragma once

#include <QDialog>

class QPushButton;

namespace tolvane {

class TAboutBox : public QDialog {
    Q_OBJECT
public:
    explicit TAboutBox(QWidget* parent = nullptr);
    QPushButton* OkButton() const { return ok_; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    QPushButton* ok_;
};

// About1Click: shows the About box modally, centred over the main window.
void ShowAboutBox(QWidget* parent);

} // namespace tolvane
