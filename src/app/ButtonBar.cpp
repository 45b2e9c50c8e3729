#include "app/ButtonBar.h"

#include "app/Resources.h"

#include <QHBoxLayout>

namespace tolvane {
namespace {

constexpr int kButtonWidth = 58;
constexpr int kButtonHeight = TButtonBar::kHeight - 6;

} // namespace

TExplorerButton::TExplorerButton(const QString& objectName, const QString& caption, const QString& hint,
                                 const QString& picture, QWidget* parent)
    : QToolButton(parent) {
    setObjectName(objectName);
    setText(caption);
    setStatusTip(hint);
    setIcon(ButtonIcon(picture));
    setIconSize(QSize(20, 20));
    setToolButtonStyle(Qt::ToolButtonTextUnderIcon);
    setAutoRaise(true);
    setFocusPolicy(Qt::TabFocus);
    setFixedHeight(kButtonHeight);
    setMinimumWidth(kButtonWidth);
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
    setStyleSheet(
        QStringLiteral("QToolButton { color: white; border: 1px solid transparent; border-radius: 2px;"
                       " padding: 1px; }"
                       "QToolButton:hover { border-color: rgba(255,255,255,150); }"
                       "QToolButton:pressed { background: rgba(0,0,0,60); }"
                       "QToolButton:disabled { color: rgb(150,190,190); }"));
}

void TExplorerButton::SetCaption(const QString& caption) {
    setText(caption);
}

TButtonBar::TButtonBar(QWidget* parent) : QFrame(parent) {
    setObjectName(QStringLiteral("ButtonBar"));
    setFrameShape(QFrame::Panel);
    setFrameShadow(QFrame::Raised);
    setLineWidth(1);
    setFixedHeight(kHeight);
    setAutoFillBackground(true);
    QPalette pal = palette();
    pal.setColor(QPalette::Window, Colour());
    setPalette(pal);
    auto* outer = new QHBoxLayout(this);
    outer->setContentsMargins(3, 2, 3, 2);
    outer->setSpacing(0);
    left_ = new QHBoxLayout;
    left_->setSpacing(2);
    right_ = new QHBoxLayout;
    right_->setSpacing(2);
    outer->addLayout(left_);
    outer->addStretch(1);
    outer->addLayout(right_);
}

TExplorerButton* TButtonBar::AddButton(const QString& objectName, const QString& caption, const QString& hint,
                                       const QString& picture) {
    auto* button = new TExplorerButton(objectName, caption, hint, picture, this);
    left_->addWidget(button);
    return button;
}

TExplorerButton* TButtonBar::AddRightButton(const QString& objectName, const QString& caption,
                                            const QString& hint, const QString& picture) {
    auto* button = new TExplorerButton(objectName, caption, hint, picture, this);
    right_->addWidget(button);
    return button;
}

} // namespace tolvane
