// The main window: owner of the record tables and their grids, the button bar, the menus and the
// status line; it enables every command according to the page shown, the records present and
// receive mode.
//
// Where the other commands go: New, Clone, Edit (sent faxes) and Delete belong with the fax
// editor; Send, Receive and the received-fax notes with the send and receive workflows; View/Print
// with the viewer; Cover Sheets and Phone Book with their windows. Until those windows exist the
// commands live in MainScreenCommands.cpp and say that they are not available yet; each moves to
// a file of its own (MainScreenJobs.cpp, MainScreenSend.cpp, MainScreenReceive.cpp,
// MainScreenView.cpp) when its window arrives.
#pragma once

#include "platform/xbase/XbTable.h"

#include <QMainWindow>
#include <memory>

class QAction;
class QStackedWidget;
class QTabBar;

namespace tolvane {

class TDataGrid;
class TExplorerButton;
class TStatusLabel;
class TTableModel;

class TMainScreen : public QMainWindow {
    Q_OBJECT
public:
    // FormCreate: opens or creates the sent and received tables in ProgramFolder(), loads the
    // settings and creates the receive folder. A table that cannot be opened or created is
    // reported and the window closes itself once the event loop runs.
    explicit TMainScreen(QWidget* parent = nullptr);
    ~TMainScreen() override;

    // --- Record tables (the open operations create a missing table and its index) ------------
    bool OpenFaxDBF();
    bool MakeFaxDBF();
    bool OpenRecFaxDBF();
    bool MakeRecFaxDBF();
    bool OpenCoverDBF();
    bool MakeCoverDBF();
    // Opens the given phone table (the phone-book window has its own).
    bool OpenPhoneDBF(XbTable& table);
    bool MakePhoneDBF();

    XbTable& FaxTable() { return faxTable_; }
    XbTable& RecTable() { return recTable_; }
    XbTable& CoverTable() { return coverTable_; }
    XbTable& PhoneTable() { return phoneTable_; }
    // The data sources of the grids: Reload after changing a table's records.
    TTableModel& FaxSource() { return *faxModel_; }
    TTableModel& RecSource() { return *recModel_; }
    TTableModel& CoverSource() { return *coverModel_; }

    // --- State ---------------------------------------------------------------------------------
    bool Receiving() const { return receiving_; }
    bool FaxArriving() const { return faxArriving_; }
    // True while the "Sent" page is shown.
    bool SentPageShown() const;
    // Test hooks until receive mode is built: set the receive-mode and fax-arriving flags.
    void SetReceivingForTest(bool receiving);
    void SetFaxArrivingForTest(bool arriving);

    TStatusLabel& Status() { return *status_; }

public slots:
    void SetButtons();
    void TabSet1Click(int index);

    // Commands.
    void NewbuttonClick();
    void EditButtonClick();
    void CloneButtonClick();
    void DeleteButtonClick();
    void SendButtonClick();
    void ReceiveButtonClick();
    void mnuViewPrintClick();
    void mnuCoverClick();
    void mnuPhoneBookClick();
    void mnuRebuildIndexesClick();
    void mnuPreferencesClick();
    void Contents1Click();
    void About1Click();

protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void BuildButtonBar();
    void BuildMenus();
    void BuildBrowsePanel();
    void FormActivate();
    // MsgCloseWindow: the window closes itself once the event loop runs.
    void PostCloseWindow();
    // Index order rule of SetButtons for one table.
    static void SetIndexOrder(XbTable& table, bool hasRecord, const std::string& tag);

    // Tables and their data sources.
    XbTable faxTable_;
    XbTable recTable_;
    XbTable coverTable_;
    XbTable phoneTable_;
    std::unique_ptr<TTableModel> faxModel_;
    std::unique_ptr<TTableModel> recModel_;
    std::unique_ptr<TTableModel> coverModel_;

    // Window parts.
    TExplorerButton* newButton_ = nullptr;
    TExplorerButton* editButton_ = nullptr;
    TExplorerButton* cloneButton_ = nullptr;
    TExplorerButton* deleteButton_ = nullptr;
    TExplorerButton* sendButton_ = nullptr;
    TExplorerButton* receiveButton_ = nullptr;
    TExplorerButton* viewFaxButton_ = nullptr;
    TExplorerButton* exitButton_ = nullptr;
    QAction* mnuNew_ = nullptr;
    QAction* mnuEdit_ = nullptr;
    QAction* mnuClone_ = nullptr;
    QAction* mnuDelete_ = nullptr;
    QAction* mnuSend_ = nullptr;
    QAction* mnuReceive_ = nullptr;
    QAction* mnuViewPrint_ = nullptr;
    QAction* mnuCover_ = nullptr;
    QAction* mnuPhoneBook_ = nullptr;
    QAction* mnuRebuildIndexes_ = nullptr;
    QAction* mnuPreferences_ = nullptr;
    QAction* exit1_ = nullptr;
    QAction* contents1_ = nullptr;
    QAction* about1_ = nullptr;
    QStackedWidget* noteBook_ = nullptr;
    TDataGrid* faxGrid_ = nullptr;
    TDataGrid* recFaxGrid_ = nullptr;
    QTabBar* tabSet1_ = nullptr;
    TStatusLabel* status_ = nullptr;

    // State of the main window.
    bool firstActivation_ = false;
    bool preferencesAtStart_ = false;
    bool receiving_ = false;
    bool faxArriving_ = false;
    bool cloneNext_ = false;
    bool closePosted_ = false; // a table failed: the window is closing, skip the start-up work
    bool closed_ = false;
};

} // namespace tolvane
