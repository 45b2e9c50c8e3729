// TWPToolBar: the standard items of a rich-text control's toolbar, acting on one TWPRichText:
// font name and size lists (sizes from 8), normal, bold, italic, underline, the alignments left,
// right, justified and centred, copy, cut, paste and spell check. The items show the state at
// the caret. Editors append their own buttons with addAction / addWidget.
#pragma once

#include <QComboBox>
#include <QToolBar>

class QAction;
class QActionGroup;

namespace tolvane {

class TWPRichText;

class TWPToolBar : public QToolBar {
    Q_OBJECT

public:
    explicit TWPToolBar(QWidget* parent = nullptr);

    void SetEditor(TWPRichText* editor);
    TWPRichText* Editor() const { return editor_; }

    // The items, also found by object name: "FontName", "FontSize", "Normal", "Bold",
    // "Italic", "Underline", "AlignLeft", "AlignRight", "AlignJustify", "AlignCenter", "Copy",
    // "Cut", "Paste", "SpellCheck".
    QComboBox* FontNameBox() const { return fontName_; }
    QComboBox* FontSizeBox() const { return fontSize_; }
    QAction* BoldAction() const { return bold_; }
    QAction* ItalicAction() const { return italic_; }
    QAction* UnderlineAction() const { return underline_; }

private:
    QAction* AddItem(const QString& name, const QString& text, const QString& hint, bool checkable);
    void ShowState();
    void TakeFontName();
    void TakeFontSize();

    TWPRichText* editor_ = nullptr;
    QComboBox* fontName_ = nullptr;
    QComboBox* fontSize_ = nullptr;
    QAction* normal_ = nullptr;
    QAction* bold_ = nullptr;
    QAction* italic_ = nullptr;
    QAction* underline_ = nullptr;
    QActionGroup* alignments_ = nullptr;
    QAction* left_ = nullptr;
    QAction* right_ = nullptr;
    QAction* justify_ = nullptr;
    QAction* center_ = nullptr;
    QList<QMetaObject::Connection> editorConnections_;
};

} // namespace tolvane
