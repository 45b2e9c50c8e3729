#include "app/MainScreen.h"

#include "app/AboutBox.h"
#include "app/AppFolders.h"
#include "app/ButtonBar.h"
#include "app/DataGrid.h"
#include "app/FaxViewing.h"
#include "app/GridColumns.h"
#include "app/HelpWindow.h"
#include "app/MessageBoxes.h"
#include "app/Preferences.h"
#include "app/RebuildIndexes.h"
#include "app/RecordTables.h"
#include "app/Settings.h"
#include "app/StatusLine.h"
#include "app/TableModel.h"
#include "app/WindowPlacement.h"

#include <QApplication>
#include <QCloseEvent>
#include <QMenuBar>
#include <QStackedWidget>
#include <QTabBar>
#include <QTimer>
#include <QVBoxLayout>

namespace tolvane {
namespace {

const QString kClassName = QStringLiteral("TMainScreen");

QAction* MenuItem(QMenu* menu, const QString& objectName, const QString& caption, const QString& hint,
                  const QKeySequence& shortcut = QKeySequence()) {
    QAction* action = menu->addAction(caption);
    action->setObjectName(objectName);
    action->setStatusTip(hint);
    if (!shortcut.isEmpty()) {
        action->setShortcut(shortcut);
    }
    return action;
}

} // namespace

TMainScreen::TMainScreen(QWidget* parent) : QMainWindow(parent) {
    setObjectName(kClassName);
    setWindowTitle(QStringLiteral("Tolvane "));
    resize(600, 430);
    SetMainWindow(this);

    // FormCreate.
    firstActivation_ = true;
    XbTable::SetDefaultDeleted(XbDeleted::Hide);
    faxModel_ = std::make_unique<TTableModel>(faxTable_, FaxGridColumns());
    recModel_ = std::make_unique<TTableModel>(recTable_, RecFaxGridColumns());
    coverModel_ = std::make_unique<TTableModel>(coverTable_, CoverGridColumns());
    BuildButtonBar();
    BuildMenus();
    BuildBrowsePanel();

    if (!OpenFaxDBF()) {
        InformUser(QStringLiteral("Unable to open/create the FAX datafile - closing program"));
        PostCloseWindow();
    }
    if (!OpenRecFaxDBF()) {
        InformUser(QStringLiteral("Unable to open/create the FAX RECEIVE datafile - closing program"));
        PostCloseWindow();
    }
    preferencesAtStart_ = false;
    LoadSettings();
    if (Settings().ComPort == -1) {
        preferencesAtStart_ = true;
        Settings().ComPort = 0;
    }
    InstallHintHandler();
    InstallViewerHooks();
    SetCurrentStatusLabel(status_);
    faxArriving_ = false;
    receiving_ = false;
    EnsurePrivateFolder(ProgramFolder() + QStringLiteral("receive"));
    // The receiver is prepared here once receive mode exists: destination ProgramFolder() +
    // "receive", sequential names, trace "QOBRECV.TRC" and log "QOBRECV.LOG".

    RestoreWindowPlacement(*this, kClassName);
}

TMainScreen::~TMainScreen() {
    if (MainWindow() == this) {
        SetMainWindow(nullptr);
    }
}

void TMainScreen::BuildButtonBar() {
    auto* bar = new TButtonBar(this);
    newButton_ = bar->AddButton(QStringLiteral("Newbutton"), QStringLiteral("&New"),
                                QStringLiteral("Create a new fax"), QStringLiteral("new"));
    editButton_ = bar->AddButton(QStringLiteral("EditButton"), QStringLiteral("&Edit"),
                                 QStringLiteral("Edit the currently selected fax"), QStringLiteral("edit"));
    cloneButton_ =
        bar->AddButton(QStringLiteral("CloneButton"), QStringLiteral("&Clone"),
                       QStringLiteral("Clone the currently selected fax"), QStringLiteral("clone"));
    deleteButton_ =
        bar->AddButton(QStringLiteral("DeleteButton"), QStringLiteral("&Delete"),
                       QStringLiteral("Delete  the currently selected fax"), QStringLiteral("delete"));
    sendButton_ = bar->AddButton(QStringLiteral("SendButton"), QStringLiteral("&Send"),
                                 QStringLiteral("Send the currently selected fax"), QStringLiteral("send"));
    receiveButton_ = bar->AddButton(QStringLiteral("ReceiveButton"), QStringLiteral("&Receive"),
                                    QStringLiteral("Start receiving faxes"), QStringLiteral("receive"));
    viewFaxButton_ = bar->AddButton(QStringLiteral("ViewFaxButton"), QStringLiteral("&View"),
                                    QStringLiteral("See a preview of and optionally  print the fax"),
                                    QStringLiteral("view"));
    exitButton_ = bar->AddRightButton(QStringLiteral("Exitbutton"), QStringLiteral("E&xit"),
                                      QStringLiteral("Exit the program"), QStringLiteral("exit"));
    connect(newButton_, &QToolButton::clicked, this, &TMainScreen::NewbuttonClick);
    connect(editButton_, &QToolButton::clicked, this, &TMainScreen::EditButtonClick);
    connect(cloneButton_, &QToolButton::clicked, this, &TMainScreen::CloneButtonClick);
    connect(deleteButton_, &QToolButton::clicked, this, &TMainScreen::DeleteButtonClick);
    connect(sendButton_, &QToolButton::clicked, this, &TMainScreen::SendButtonClick);
    connect(receiveButton_, &QToolButton::clicked, this, &TMainScreen::ReceiveButtonClick);
    connect(viewFaxButton_, &QToolButton::clicked, this, &TMainScreen::mnuViewPrintClick);
    connect(exitButton_, &QToolButton::clicked, this, &QWidget::close);
    auto* top = new QWidget(this);
    auto* layout = new QVBoxLayout(top);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(bar);
    setCentralWidget(top);
}

void TMainScreen::BuildMenus() {
    QMenu* file = menuBar()->addMenu(QStringLiteral("File"));
    file->setObjectName(QStringLiteral("FileMenu"));
    mnuNew_ =
        MenuItem(file, QStringLiteral("mnuNew"), QStringLiteral("&New"), QStringLiteral("Create a new fax"));
    mnuEdit_ = MenuItem(file, QStringLiteral("mnuEdit"), QStringLiteral("&Edit"),
                        QStringLiteral("Edit the currently selected fax"));
    mnuClone_ = MenuItem(file, QStringLiteral("mnuClone"), QStringLiteral("Clone"),
                         QStringLiteral("Clone the currently selected fax"));
    mnuDelete_ = MenuItem(file, QStringLiteral("mnuDelete"), QStringLiteral("Delete"),
                          QStringLiteral("Delete the currently selected fax"));
    file->addSeparator();
    mnuSend_ =
        MenuItem(file, QStringLiteral("mnuSend"), QStringLiteral("Send Fax"),
                 QStringLiteral("Send the currently selected fax"), QKeySequence(Qt::CTRL | Qt::Key_S));
    mnuReceive_ = MenuItem(file, QStringLiteral("mnuReceive"), QStringLiteral("Receive Faxes"), QString(),
                           QKeySequence(Qt::CTRL | Qt::Key_R));
    mnuViewPrint_ = MenuItem(file, QStringLiteral("mnuViewPrint"), QStringLiteral("View/Print Fax"),
                             QStringLiteral("See a preview of and optionally  print the fax"),
                             QKeySequence(Qt::CTRL | Qt::Key_V));
    file->addSeparator();
    mnuCover_ = MenuItem(file, QStringLiteral("mnuCover"), QStringLiteral("C&over Sheets"),
                         QStringLiteral("Create or modify cover page templates"));
    mnuPhoneBook_ = MenuItem(file, QStringLiteral("mnuPhoneBook"), QStringLiteral("&Phone Book"),
                             QStringLiteral("Create or modify phone book entries"));
    mnuRebuildIndexes_ =
        MenuItem(file, QStringLiteral("mnuRebuildIndexes"), QStringLiteral("Rebuild &Indexes"),
                 QStringLiteral("Do this every 2 weeks "));
    mnuPreferences_ = MenuItem(file, QStringLiteral("mnuPreferences"), QStringLiteral("P&references"),
                               QStringLiteral("Set Tolvane preferences"));
    file->addSeparator();
    exit1_ = MenuItem(file, QStringLiteral("Exit1"), QStringLiteral("E&xit"),
                      QStringLiteral("Exit to Windows"), QKeySequence(Qt::CTRL | Qt::Key_X));
    QMenu* help = menuBar()->addMenu(QStringLiteral("Help"));
    help->setObjectName(QStringLiteral("HelpMenu"));
    contents1_ = MenuItem(help, QStringLiteral("Contents1"), QStringLiteral("Contents"),
                          QStringLiteral("Open the Tolvane help file"));
    about1_ = MenuItem(help, QStringLiteral("About1"), QStringLiteral("About"),
                       QStringLiteral("Information about Tolvane"));

    connect(mnuNew_, &QAction::triggered, this, &TMainScreen::NewbuttonClick);
    connect(mnuEdit_, &QAction::triggered, this, &TMainScreen::EditButtonClick);
    connect(mnuClone_, &QAction::triggered, this, &TMainScreen::CloneButtonClick);
    connect(mnuDelete_, &QAction::triggered, this, &TMainScreen::DeleteButtonClick);
    connect(mnuSend_, &QAction::triggered, this, &TMainScreen::SendButtonClick);
    connect(mnuReceive_, &QAction::triggered, this, &TMainScreen::ReceiveButtonClick);
    connect(mnuViewPrint_, &QAction::triggered, this, &TMainScreen::mnuViewPrintClick);
    connect(mnuCover_, &QAction::triggered, this, &TMainScreen::mnuCoverClick);
    connect(mnuPhoneBook_, &QAction::triggered, this, &TMainScreen::mnuPhoneBookClick);
    connect(mnuRebuildIndexes_, &QAction::triggered, this, &TMainScreen::mnuRebuildIndexesClick);
    connect(mnuPreferences_, &QAction::triggered, this, &TMainScreen::mnuPreferencesClick);
    connect(exit1_, &QAction::triggered, this, &QWidget::close);
    connect(contents1_, &QAction::triggered, this, &TMainScreen::Contents1Click);
    connect(about1_, &QAction::triggered, this, &TMainScreen::About1Click);
}

void TMainScreen::BuildBrowsePanel() {
    auto* browsePanel = new QWidget(centralWidget());
    browsePanel->setObjectName(QStringLiteral("BrowsePanel"));
    noteBook_ = new QStackedWidget(browsePanel);
    noteBook_->setObjectName(QStringLiteral("NoteBook"));
    faxGrid_ = new TDataGrid(*faxModel_, noteBook_);
    faxGrid_->setObjectName(QStringLiteral("FaxGrid"));
    recFaxGrid_ = new TDataGrid(*recModel_, noteBook_);
    recFaxGrid_->setObjectName(QStringLiteral("RecFaxGrid"));
    noteBook_->addWidget(faxGrid_);
    noteBook_->addWidget(recFaxGrid_);
    noteBook_->setCurrentIndex(0);
    tabSet1_ = new QTabBar(browsePanel);
    tabSet1_->setObjectName(QStringLiteral("TabSet1"));
    tabSet1_->setShape(QTabBar::TriangularSouth);
    tabSet1_->setDrawBase(false);
    tabSet1_->addTab(QStringLiteral("Sent"));
    tabSet1_->addTab(QStringLiteral("Received"));
    tabSet1_->setCurrentIndex(0);
    auto* panelLayout = new QVBoxLayout(browsePanel);
    panelLayout->setContentsMargins(0, 0, 0, 0);
    panelLayout->setSpacing(0);
    panelLayout->addWidget(noteBook_, 1);
    panelLayout->addWidget(tabSet1_, 0, Qt::AlignLeft);

    status_ = new TStatusLabel(centralWidget());
    status_->setFixedHeight(32);
    auto* layout = static_cast<QVBoxLayout*>(centralWidget()->layout());
    layout->addWidget(browsePanel, 1);
    layout->addWidget(status_);

    connect(tabSet1_, &QTabBar::currentChanged, this, &TMainScreen::TabSet1Click);
    connect(faxGrid_, &QAbstractItemView::doubleClicked, this, &TMainScreen::mnuViewPrintClick);
    connect(recFaxGrid_, &QAbstractItemView::doubleClicked, this, &TMainScreen::mnuViewPrintClick);
}

// --- Record tables ----------------------------------------------------------------------------

bool TMainScreen::MakeFaxDBF() {
    return MakeTable(ProgramFolder(), FaxTableLayout());
}

bool TMainScreen::MakeRecFaxDBF() {
    return MakeTable(ProgramFolder(), RecTableLayout());
}

bool TMainScreen::MakeCoverDBF() {
    return MakeTable(ProgramFolder(), CoverTableLayout());
}

bool TMainScreen::MakePhoneDBF() {
    return MakeTable(ProgramFolder(), PhoneTableLayout());
}

bool TMainScreen::OpenFaxDBF() {
    if (!OpenOrCreateTable(faxTable_, ProgramFolder(), FaxTableLayout(), ReopenFirst::Yes)) {
        faxModel_->Reload();
        return false;
    }
    try {
        faxTable_.First();
    } catch (const Exception&) {
        // An empty or unreadable table simply has no current record.
    }
    faxModel_->Reload();
    return true;
}

bool TMainScreen::OpenRecFaxDBF() {
    const bool opened = OpenOrCreateTable(recTable_, ProgramFolder(), RecTableLayout(), ReopenFirst::Yes);
    if (opened) {
        try {
            recTable_.First();
        } catch (const Exception&) {
            // As for the sent table.
        }
    }
    recModel_->Reload();
    return opened;
}

bool TMainScreen::OpenCoverDBF() {
    if (!OpenOrCreateTable(coverTable_, ProgramFolder(), CoverTableLayout(), ReopenFirst::No)) {
        return false;
    }
    try {
        coverTable_.SelectOrder(CoverTableLayout().tag);
    } catch (const Exception&) {
        // Natural order when the tag is missing.
    }
    coverModel_->Reload();
    return true;
}

bool TMainScreen::OpenPhoneDBF(XbTable& table) {
    if (!OpenOrCreateTable(table, ProgramFolder(), PhoneTableLayout(), ReopenFirst::No)) {
        return false;
    }
    try {
        table.SelectOrder(PhoneTableLayout().tag);
    } catch (const Exception&) {
        // Natural order when the tag is missing.
    }
    return true;
}

// --- Start, activation, closing ---------------------------------------------------------------

void TMainScreen::PostCloseWindow() {
    closePosted_ = true;
    QMetaObject::invokeMethod(this, &QWidget::close, Qt::QueuedConnection);
}

void TMainScreen::showEvent(QShowEvent* event) {
    QMainWindow::showEvent(event);
    if (firstActivation_) {
        QMetaObject::invokeMethod(this, &TMainScreen::FormActivate, Qt::QueuedConnection);
    }
}

void TMainScreen::FormActivate() {
    if (!firstActivation_ || closePosted_ || closed_) {
        return;
    }
    SetButtons();
    show();
    raise();
    activateWindow();
    QApplication::processEvents();
    if (preferencesAtStart_) {
        mnuPreferencesClick();
    }
    if (Settings().AtStartup) {
        ReceiveButtonClick();
    }
    firstActivation_ = false;
}

void TMainScreen::closeEvent(QCloseEvent* event) {
    // FormCloseQuery.
    if (faxArriving_ &&
        !ConfirmYesNo(QStringLiteral("You are receiving a fax. Exit the program?"), QStringLiteral("Exit"))) {
        event->ignore();
        return;
    }
    QApplication::processEvents();
    faxTable_.Close();
    recTable_.Close();
    faxModel_->Reload();
    recModel_->Reload();
    QApplication::processEvents();
    // FormClose.
    if (receiving_) {
        ReceiveButtonClick();
    }
    closed_ = true;
    SetButtons();
    SaveWindowPlacement(*this, kClassName);
    event->accept();
}

void TMainScreen::resizeEvent(QResizeEvent* event) {
    QMainWindow::resizeEvent(event);
    FitMaximizedForm(*this);
}

// --- Commands and their states ----------------------------------------------------------------

bool TMainScreen::SentPageShown() const {
    return noteBook_->currentIndex() == 0;
}

void TMainScreen::SetReceivingForTest(bool receiving) {
    receiving_ = receiving;
}

void TMainScreen::SetFaxArrivingForTest(bool arriving) {
    faxArriving_ = arriving;
}

void TMainScreen::SetIndexOrder(XbTable& table, bool hasRecord, const std::string& tag) {
    try {
        if (!hasRecord && !table.CurrentOrder().empty()) {
            table.SelectNaturalOrder();
        } else if (hasRecord && table.CurrentOrder().empty()) {
            table.SelectOrder(tag);
            table.First();
        }
    } catch (const Exception&) {
        // Without its tag the table stays in natural order.
    }
}

void TMainScreen::SetButtons() {
    const bool sent = SentPageShown();
    const bool r = receiving_;
    const auto hasRecord = [](const XbTable& t) { return t.IsOpen() && t.HasCurrentRecord(); };
    const bool hf = hasRecord(faxTable_);
    const bool hr = hasRecord(recTable_);

    const std::string faxOrder = faxTable_.IsOpen() ? faxTable_.CurrentOrder() : std::string();
    const std::string recOrder = recTable_.IsOpen() ? recTable_.CurrentOrder() : std::string();
    if (faxTable_.IsOpen()) {
        SetIndexOrder(faxTable_, hf, FaxTableLayout().tag);
    }
    if (recTable_.IsOpen()) {
        SetIndexOrder(recTable_, hr, RecTableLayout().tag);
    }
    if (faxTable_.IsOpen() && faxTable_.CurrentOrder() != faxOrder) {
        faxModel_->Reload();
    }
    if (recTable_.IsOpen() && recTable_.CurrentOrder() != recOrder) {
        recModel_->Reload();
    }

    faxGrid_->setEnabled(hf);
    recFaxGrid_->setEnabled(hr);

    const auto enable = [](QWidget* button, QAction* item, bool on) {
        if (button) {
            button->setEnabled(on);
        }
        if (item) {
            item->setEnabled(on);
        }
    };
    enable(newButton_, mnuNew_, sent);
    enable(cloneButton_, mnuClone_, sent && hf);
    enable(sendButton_, mnuSend_, sent && hf && !r);
    const bool editable = sent ? hf : hr && !r;
    enable(editButton_, mnuEdit_, editable);
    enable(deleteButton_, mnuDelete_, editable);
    enable(viewFaxButton_, mnuViewPrint_, sent ? hf : hr);
    enable(receiveButton_, mnuReceive_, true);
    enable(nullptr, mnuRebuildIndexes_, !r);
    enable(nullptr, mnuPreferences_, !r);
    enable(exitButton_, exit1_, true);
    enable(nullptr, mnuCover_, true);
    enable(nullptr, mnuPhoneBook_, true);
    enable(nullptr, contents1_, true);
    enable(nullptr, about1_, true);
}

void TMainScreen::TabSet1Click(int index) {
    noteBook_->setCurrentIndex(index);
    SetButtons();
}

void TMainScreen::mnuRebuildIndexesClick() {
    faxModel_->DisableControls();
    recModel_->DisableControls();
    coverModel_->DisableControls();
    {
        TRebuildInd rebuild(*this, this);
        CenterOverMainWindow(rebuild);
        rebuild.exec();
    }
    coverModel_->EnableControls();
    faxModel_->EnableControls();
    recModel_->EnableControls();
    // Packing may have removed the last record of a table.
    SetButtons();
}

void TMainScreen::mnuPreferencesClick() {
    TPreferences preferences(this);
    preferences.LoadFromSettings();
    CenterOverMainWindow(preferences);
    if (preferences.exec() != QDialog::Accepted) {
        return;
    }
    try {
        preferences.StoreToSettings();
        SaveSettings();
    } catch (const Exception& e) {
        ShowApplicationError(QString::fromStdString(e.Message()));
    }
}

void TMainScreen::Contents1Click() {
    ShowHelpTopic(kHelpContents);
}

void TMainScreen::About1Click() {
    ShowAboutBox(this);
}

} // namespace tolvane
