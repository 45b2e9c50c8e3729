#include "platform/richtext/WPToolBar.h"

#include "platform/richtext/WPRichText.h"

#include <QAction>
#include <QActionGroup>
#include <QFontDatabase>
#include <QIntValidator>
#include <QLineEdit>
#include <QSignalBlocker>

namespace tolvane {

namespace {
constexpr int kSizes[] = {8, 9, 10, 11, 12, 14, 16, 18, 20, 22, 24, 26, 28, 36, 48, 72};
}

TWPToolBar::TWPToolBar(QWidget* parent) : QToolBar(parent) {
    setObjectName("WPToolBar");
    fontName_ = new QComboBox(this);
    fontName_->setObjectName("FontName");
    fontName_->setEditable(true);
    fontName_->setInsertPolicy(QComboBox::NoInsert);
    fontName_->addItems(QFontDatabase::families());
    fontName_->setMinimumContentsLength(14);
    fontName_->setToolTip(tr("Font name"));
    fontName_->setStatusTip(fontName_->toolTip());
    addWidget(fontName_);

    fontSize_ = new QComboBox(this);
    fontSize_->setObjectName("FontSize");
    fontSize_->setEditable(true);
    fontSize_->setInsertPolicy(QComboBox::NoInsert);
    for (const int size : kSizes) {
        fontSize_->addItem(QString::number(size));
    }
    fontSize_->setValidator(new QIntValidator(1, 1600, fontSize_));
    fontSize_->setToolTip(tr("Font size"));
    fontSize_->setStatusTip(fontSize_->toolTip());
    addWidget(fontSize_);

    normal_ = AddItem("Normal", tr("N"), tr("Normal"), false);
    bold_ = AddItem("Bold", tr("B"), tr("Bold"), true);
    italic_ = AddItem("Italic", tr("I"), tr("Italic"), true);
    underline_ = AddItem("Underline", tr("U"), tr("Underline"), true);
    QFont f = font();
    f.setBold(true);
    bold_->setFont(f);
    f = font();
    f.setItalic(true);
    italic_->setFont(f);
    f = font();
    f.setUnderline(true);
    underline_->setFont(f);
    addSeparator();
    alignments_ = new QActionGroup(this);
    left_ = AddItem("AlignLeft", tr("Left"), tr("Align left"), true);
    right_ = AddItem("AlignRight", tr("Right"), tr("Align right"), true);
    justify_ = AddItem("AlignJustify", tr("Justify"), tr("Justify"), true);
    center_ = AddItem("AlignCenter", tr("Center"), tr("Center"), true);
    for (QAction* a : {left_, right_, justify_, center_}) {
        alignments_->addAction(a);
    }
    addSeparator();
    QAction* copy = AddItem("Copy", tr("Copy"), tr("Copy the selection to the clipboard"), false);
    QAction* cut = AddItem("Cut", tr("Cut"), tr("Cut the selection to the clipboard"), false);
    QAction* paste = AddItem("Paste", tr("Paste"), tr("Paste from the clipboard"), false);
    QAction* spell = AddItem("SpellCheck", tr("Spell"), tr("Check the spelling"), false);

    connect(fontName_, &QComboBox::textActivated, this, &TWPToolBar::TakeFontName);
    connect(fontName_->lineEdit(), &QLineEdit::editingFinished, this, &TWPToolBar::TakeFontName);
    connect(fontSize_, &QComboBox::textActivated, this, &TWPToolBar::TakeFontSize);
    connect(fontSize_->lineEdit(), &QLineEdit::editingFinished, this, &TWPToolBar::TakeFontSize);
    auto onEditor = [this](auto action) {
        return [this, action] {
            if (editor_ != nullptr) {
                action(*editor_);
                editor_->setFocus();
            }
        };
    };
    connect(normal_, &QAction::triggered, this, onEditor([](TWPRichText& e) { e.SetNormal(); }));
    connect(bold_, &QAction::triggered, this,
            onEditor([this](TWPRichText& e) { e.SetBold(bold_->isChecked()); }));
    connect(italic_, &QAction::triggered, this,
            onEditor([this](TWPRichText& e) { e.SetItalic(italic_->isChecked()); }));
    connect(underline_, &QAction::triggered, this,
            onEditor([this](TWPRichText& e) { e.SetUnderline(underline_->isChecked()); }));
    connect(left_, &QAction::triggered, this,
            onEditor([](TWPRichText& e) { e.SetAlignment(TAlignment::Left); }));
    connect(right_, &QAction::triggered, this,
            onEditor([](TWPRichText& e) { e.SetAlignment(TAlignment::Right); }));
    connect(justify_, &QAction::triggered, this,
            onEditor([](TWPRichText& e) { e.SetAlignment(TAlignment::Justify); }));
    connect(center_, &QAction::triggered, this,
            onEditor([](TWPRichText& e) { e.SetAlignment(TAlignment::Center); }));
    connect(copy, &QAction::triggered, this, onEditor([](TWPRichText& e) { e.copy(); }));
    connect(cut, &QAction::triggered, this, onEditor([](TWPRichText& e) { e.cut(); }));
    connect(paste, &QAction::triggered, this, onEditor([](TWPRichText& e) { e.paste(); }));
    connect(spell, &QAction::triggered, this, [this] {
        if (editor_ != nullptr) {
            editor_->DoStartSpellCheck();
        }
    });
}

QAction* TWPToolBar::AddItem(const QString& name, const QString& text, const QString& hint, bool checkable) {
    QAction* a = addAction(text);
    a->setObjectName(name);
    a->setToolTip(hint);
    a->setStatusTip(hint);
    a->setCheckable(checkable);
    if (QWidget* button = widgetForAction(a)) {
        button->setObjectName(name + "Button");
    }
    return a;
}

void TWPToolBar::SetEditor(TWPRichText* editor) {
    for (const QMetaObject::Connection& c : editorConnections_) {
        disconnect(c);
    }
    editorConnections_.clear();
    editor_ = editor;
    if (editor_ != nullptr) {
        editorConnections_ << connect(editor_, &QTextEdit::currentCharFormatChanged, this,
                                      &TWPToolBar::ShowState)
                           << connect(editor_, &QTextEdit::cursorPositionChanged, this,
                                      &TWPToolBar::ShowState)
                           << connect(editor_, &QObject::destroyed, this, [this] { editor_ = nullptr; });
        ShowState();
    }
}

void TWPToolBar::ShowState() {
    if (editor_ == nullptr) {
        return;
    }
    const TFontAttributes font = editor_->CurrentFont();
    {
        const QSignalBlocker blockName(fontName_);
        const QSignalBlocker blockSize(fontSize_);
        fontName_->setEditText(font.Name);
        fontSize_->setEditText(QString::number(font.Size));
    }
    bold_->setChecked(font.Bold);
    italic_->setChecked(font.Italic);
    underline_->setChecked(font.Underline);
    switch (editor_->Alignment()) {
    case TAlignment::Left:
        left_->setChecked(true);
        break;
    case TAlignment::Right:
        right_->setChecked(true);
        break;
    case TAlignment::Justify:
        justify_->setChecked(true);
        break;
    case TAlignment::Center:
        center_->setChecked(true);
        break;
    }
}

void TWPToolBar::TakeFontName() {
    const QString name = fontName_->currentText().trimmed();
    if (editor_ != nullptr && !name.isEmpty() && name != editor_->CurrentFont().Name) {
        editor_->SetFontName(name);
        editor_->setFocus();
    }
}

void TWPToolBar::TakeFontSize() {
    bool ok = false;
    const int size = fontSize_->currentText().toInt(&ok);
    if (editor_ != nullptr && ok && size > 0 && size != editor_->CurrentFont().Size) {
        editor_->SetFontSize(size);
        editor_->setFocus();
    }
}

} // namespace tolvane
