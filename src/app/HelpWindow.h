// The help "file": HTML pages in the program's resources, one per numbered topic, shown in one
// help window that stays open beside the program.
#pragma once

#include <QWidget>

class QTextBrowser;

namespace tolvane {

inline constexpr int kHelpContents = 1009;
inline constexpr int kHelpFaxEditor = 1015;
inline constexpr int kHelpSendFax = 1016;
inline constexpr int kHelpCoverBrowser = 1017;
inline constexpr int kHelpCoverEditor = 1018;
inline constexpr int kHelpPhoneBrowser = 1019;
inline constexpr int kHelpPhoneEditor = 1020;
inline constexpr int kHelpFaxViewer = 1021;
inline constexpr int kHelpPreferences = 1022;

// The resource address of a topic's page; the contents page for a topic without one.
QString HelpTopicUrl(int context);

class THelpWindow : public QWidget {
    Q_OBJECT
public:
    explicit THelpWindow(QWidget* parent = nullptr);
    void ShowTopic(int context);
    QTextBrowser* Browser() const { return browser_; }

private:
    QTextBrowser* browser_;
};

// Opens the help window (made on first use) at the topic and brings it to the front.
THelpWindow* ShowHelpTopic(int context);

} // namespace tolvane
