// The button bar at the top of every window: a teal panel with flat picture buttons whose
// captions are white, left to right, and an optional group aligned to the right edge.
#pragma once

#include <QFrame>
#include <QToolButton>

class QHBoxLayout;

namespace tolvane {

// A flat picture push button: picture above a white caption; the edge shows under the mouse.
class TExplorerButton : public QToolButton {
    Q_OBJECT
public:
    // caption may hold "&" for the accelerator; hint goes to the status line.
    TExplorerButton(const QString& objectName, const QString& caption, const QString& hint,
                    const QString& picture, QWidget* parent = nullptr);
    void SetCaption(const QString& caption);
    QString Caption() const { return text(); }
    void SetHint(const QString& hint) { setStatusTip(hint); }
    QString Hint() const { return statusTip(); }
};

class TButtonBar : public QFrame {
    Q_OBJECT
public:
    // The bar's colour (8421440 as a Windows colour value).
    static QColor Colour() { return QColor(64, 128, 128); }
    static constexpr int kHeight = 45;

    explicit TButtonBar(QWidget* parent = nullptr);
    TExplorerButton* AddButton(const QString& objectName, const QString& caption, const QString& hint,
                               const QString& picture);
    // A button on the right-aligned sub-panel.
    TExplorerButton* AddRightButton(const QString& objectName, const QString& caption, const QString& hint,
                                    const QString& picture);

private:
    QHBoxLayout* left_;
    QHBoxLayout* right_;
};

} // namespace tolvane
