#include "app/HelpWindow.h"

#include "app/ButtonBar.h"
#include "app/Resources.h"
#include "app/WindowPlacement.h"

#include <QFile>
#include <QPointer>
#include <QTextBrowser>
#include <QVBoxLayout>

namespace tolvane {

QString HelpTopicUrl(int context) {
    InitAppResources();
    const QString path = QStringLiteral(":/tolvane/help/%1.html").arg(context);
    return QStringLiteral("qrc") +
           (QFile::exists(path) ? path : QStringLiteral(":/tolvane/help/%1.html").arg(kHelpContents));
}

THelpWindow::THelpWindow(QWidget* parent) : QWidget(parent, Qt::Window) {
    setObjectName(QStringLiteral("THelpWindow"));
    setWindowTitle(QStringLiteral("Tolvane Help"));
    setWindowIcon(ProgramIcon());
    resize(560, 480);
    auto* bar = new TButtonBar(this);
    TExplorerButton* contents =
        bar->AddButton(QStringLiteral("ContentsButton"), QStringLiteral("&Contents"),
                       QStringLiteral("Show the help contents"), QStringLiteral("help"));
    TExplorerButton* back =
        bar->AddButton(QStringLiteral("BackButton"), QStringLiteral("&Back"),
                       QStringLiteral("Go back to the previous page"), QStringLiteral("cancel"));
    TExplorerButton* close =
        bar->AddRightButton(QStringLiteral("CloseButton"), QStringLiteral("&Close"),
                            QStringLiteral("Close the help window"), QStringLiteral("exit"));
    browser_ = new QTextBrowser(this);
    browser_->setObjectName(QStringLiteral("HelpText"));
    browser_->setOpenLinks(true);
    browser_->setOpenExternalLinks(false);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(bar);
    layout->addWidget(browser_, 1);
    connect(contents, &QToolButton::clicked, this, [this] { ShowTopic(kHelpContents); });
    connect(back, &QToolButton::clicked, browser_, &QTextBrowser::backward);
    connect(browser_, &QTextBrowser::backwardAvailable, back, &QWidget::setEnabled);
    connect(close, &QToolButton::clicked, this, &QWidget::close);
    back->setEnabled(false);
}

void THelpWindow::ShowTopic(int context) {
    browser_->setSource(QUrl(HelpTopicUrl(context)));
}

THelpWindow* ShowHelpTopic(int context) {
    static QPointer<THelpWindow> window;
    if (!window) {
        window = new THelpWindow(MainWindow());
        window->setAttribute(Qt::WA_DeleteOnClose);
    }
    window->ShowTopic(context);
    window->show();
    window->raise();
    window->activateWindow();
    return window;
}

} // namespace tolvane
