#include "app/AboutBox.h"

#include "app/Resources.h"
#include "app/WindowPlacement.h"

#include <QEvent>
#include <QFrame>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace tolvane {

TAboutBox::TAboutBox(QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint) {
    setObjectName(QStringLiteral("TAboutBox"));
    setFixedSize(365, 221);
    auto* panel = new QFrame(this);
    panel->setObjectName(QStringLiteral("Panel1"));
    panel->setFrameShape(QFrame::Panel);
    panel->setFrameShadow(QFrame::Raised);
    panel->setLineWidth(2);

    auto* icon = new QLabel(panel);
    icon->setObjectName(QStringLiteral("ProgramIcon"));
    icon->setPixmap(ProgramIcon().pixmap(48, 48));
    icon->setAlignment(Qt::AlignCenter);
    auto* product = new QLabel(QStringLiteral("Tolvane"), panel);
    product->setObjectName(QStringLiteral("ProductName"));
    QFont productFont(QStringLiteral("Times New Roman"), 18);
    productFont.setBold(true);
    productFont.setItalic(true);
    product->setFont(productFont);
    product->setAlignment(Qt::AlignCenter);
    auto* version = new QLabel(QStringLiteral("Version 2.1c"), panel);
    version->setObjectName(QStringLiteral("Version"));
    version->setAlignment(Qt::AlignCenter);
    auto* platform = new QLabel(QStringLiteral("%1-bit version for Linux").arg(sizeof(void*) * 8), panel);
    platform->setObjectName(QStringLiteral("Comments"));
    QFont italic = platform->font();
    italic.setItalic(true);
    platform->setFont(italic);
    platform->setAlignment(Qt::AlignCenter);
    ok_ = new QPushButton(QStringLiteral("OK"), panel);
    ok_->setObjectName(QStringLiteral("OKButton"));
    ok_->setDefault(true);

    auto* inner = new QVBoxLayout(panel);
    inner->addWidget(icon);
    inner->addWidget(product);
    inner->addWidget(version);
    inner->addWidget(platform);
    inner->addStretch(1);
    inner->addWidget(ok_, 0, Qt::AlignHCenter);
    auto* outer = new QVBoxLayout(this);
    outer->setContentsMargins(0, 0, 0, 0);
    outer->addWidget(panel);

    connect(ok_, &QPushButton::clicked, this, &QDialog::accept);
    for (QWidget* w : std::initializer_list<QWidget*>{panel, icon, product, version, platform}) {
        w->installEventFilter(this);
    }
}

bool TAboutBox::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::MouseButtonPress) {
        accept();
        return true;
    }
    return QDialog::eventFilter(watched, event);
}

void TAboutBox::mousePressEvent(QMouseEvent*) {
    accept();
}

void TAboutBox::keyPressEvent(QKeyEvent*) {
    accept();
}

void ShowAboutBox(QWidget* parent) {
    TAboutBox box(parent);
    CenterOverMainWindow(box);
    box.exec();
}

} // namespace tolvane
