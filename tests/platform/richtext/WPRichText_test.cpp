// The editor control through its widgets: keys typed into it, toolbar items clicked, and the
// RTF it saves.
#include "RichTextTestSupport.h"
#include "platform/richtext/WPRichText.h"
#include "platform/richtext/WPToolBar.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <QAbstractTextDocumentLayout>
#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QLineEdit>
#include <QMimeData>
#include <QTest>
#include <QTextBlock>
#include <QToolButton>
#include <QVBoxLayout>

namespace tolvane {
namespace {

using test::FormatOfText;

std::string RtfOf(const TWPRichText& e) {
    return e.Rtf().toStdString();
}

// An editor with its toolbar in a shown window.
class EditorWindow {
public:
    EditorWindow() {
        auto* layout = new QVBoxLayout(&window);
        bar = new TWPToolBar(&window);
        editor = new TWPRichText(&window);
        layout->addWidget(bar);
        layout->addWidget(editor);
        bar->SetEditor(editor);
        window.resize(800, 500);
        window.show();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(&window));
        editor->setFocus();
    }
    void Click(const char* item) {
        auto* action = bar->findChild<QAction*>(item);
        ASSERT_NE(action, nullptr) << item;
        QWidget* button = bar->widgetForAction(action);
        ASSERT_NE(button, nullptr) << item;
        QTest::mouseClick(button, Qt::LeftButton);
    }
    void Type(const QString& text) { QTest::keyClicks(editor, text); }
    void Key(Qt::Key key, Qt::KeyboardModifiers mods = Qt::NoModifier) { QTest::keyClick(editor, key, mods); }

    QWidget window;
    TWPToolBar* bar = nullptr;
    TWPRichText* editor = nullptr;
};

TEST(WPRichText, ToolbarStylesApplyToTypedText) {
    EditorWindow w;
    w.Type("Hello ");
    w.Click("Bold");
    EXPECT_TRUE(w.bar->BoldAction()->isChecked());
    w.Type("bold");
    w.Click("Bold");
    w.Type(" ");
    w.Click("Italic");
    w.Click("Underline");
    w.Type("both");
    w.Click("Normal");
    w.Type(" end");
    const QTextDocument& doc = *w.editor->document();
    EXPECT_TRUE(FormatOfText(doc, "bold").font().bold());
    EXPECT_FALSE(FormatOfText(doc, "Hello").font().bold());
    EXPECT_TRUE(FormatOfText(doc, "both").font().italic());
    EXPECT_TRUE(FormatOfText(doc, "both").font().underline());
    EXPECT_FALSE(FormatOfText(doc, "end").font().italic() || FormatOfText(doc, "end").font().underline());
    EXPECT_NE(RtfOf(*w.editor).find("Hello \\b bold\\b0  \\i\\ul both\\i0\\ulnone  end\\par"),
              std::string::npos)
        << RtfOf(*w.editor);
    // The toolbar shows the format at the caret.
    w.Key(Qt::Key_Home);
    w.Key(Qt::Key_Right);
    for (int i = 0; i < 6; ++i) {
        w.Key(Qt::Key_Right);
    }
    EXPECT_TRUE(w.bar->BoldAction()->isChecked());
}

TEST(WPRichText, AlignmentButtons) {
    EditorWindow w;
    w.Type("Title");
    const std::pair<const char*, TAlignment> cases[] = {{"AlignCenter", TAlignment::Center},
                                                        {"AlignRight", TAlignment::Right},
                                                        {"AlignJustify", TAlignment::Justify},
                                                        {"AlignLeft", TAlignment::Left}};
    for (const auto& [item, alignment] : cases) {
        w.Click(item);
        EXPECT_EQ(w.editor->Alignment(), alignment) << item;
        EXPECT_TRUE(w.bar->findChild<QAction*>(item)->isChecked());
    }
    w.Click("AlignCenter");
    EXPECT_NE(RtfOf(*w.editor).find("\\pard\\qc"), std::string::npos);
}

TEST(WPRichText, FontListsSetNameAndSize) {
    EditorWindow w;
    EXPECT_EQ(w.bar->FontSizeBox()->itemText(0), "8");
    w.bar->FontSizeBox()->lineEdit()->selectAll();
    QTest::keyClicks(w.bar->FontSizeBox()->lineEdit(), "14");
    QTest::keyClick(w.bar->FontSizeBox()->lineEdit(), Qt::Key_Return);
    w.bar->FontNameBox()->lineEdit()->selectAll();
    QTest::keyClicks(w.bar->FontNameBox()->lineEdit(), "Courier New");
    QTest::keyClick(w.bar->FontNameBox()->lineEdit(), Qt::Key_Return);
    w.editor->setFocus();
    w.Type("Big");
    const QTextCharFormat f = FormatOfText(*w.editor->document(), "Big");
    EXPECT_DOUBLE_EQ(f.fontPointSize(), 14);
    EXPECT_EQ(richtext::FontFamilyOf(f), "Courier New");
    EXPECT_EQ(w.bar->FontSizeBox()->currentText(), "14");
}

TEST(WPRichText, CurrentFontAppliesToAnEmptyDocument) {
    TWPRichText e;
    e.SetCurrentFont(TFontAttributes{"Courier New", 14, true, false, true});
    EXPECT_EQ(e.CurrentFont(), (TFontAttributes{"Courier New", 14, true, false, true}));
    // Kept by the empty paragraph, so also after saving and loading.
    TWPRichText reloaded;
    reloaded.SetRtf(e.Rtf());
    EXPECT_EQ(reloaded.CurrentFont(), (TFontAttributes{"Courier New", 14, true, false, true}));
    QTest::keyClicks(&reloaded, "x");
    EXPECT_NE(RtfOf(reloaded).find("\\pard\\fs28\\b\\ul x\\par"), std::string::npos) << RtfOf(reloaded);
}

TEST(WPRichText, PageBreaksAtTheCaret) {
    EditorWindow w;
    w.Type("AB");
    w.Key(Qt::Key_Left);
    w.editor->InsertPageBreak();
    EXPECT_EQ(w.editor->Text(), "A\nB");
    EXPECT_EQ(w.editor->PageCount(), 2);
    // A paragraph started after the break's paragraph is not another page.
    w.Key(Qt::Key_End);
    w.Key(Qt::Key_Return);
    w.Type("C");
    w.Key(Qt::Key_Home);
    w.Key(Qt::Key_Return);
    EXPECT_EQ(w.editor->Text(), "A\nB\n\nC");
    EXPECT_EQ(w.editor->PageCount(), 2);
    EXPECT_NE(RtfOf(*w.editor).find("\\par\n\\page\n\\pard B\\par\n\\pard\\par\n\\pard C\\par"),
              std::string::npos)
        << RtfOf(*w.editor);
    // At the start of a paragraph the break goes before it, and undo takes it back.
    w.editor->MoveCaretToStart();
    w.editor->InsertPageBreak();
    EXPECT_EQ(w.editor->Text(), "\nA\nB\n\nC");
    EXPECT_EQ(w.editor->PageCount(), 3);
    w.editor->undo();
    EXPECT_EQ(w.editor->PageCount(), 2);
}

TEST(WPRichText, PageBreakIsVisible) {
    EditorWindow w;
    w.Type("first");
    w.Key(Qt::Key_Return);
    w.Type("second");
    auto darkRows = [&] {
        const QImage shot = w.editor->viewport()->grab().toImage();
        int rows = 0;
        for (int y = 0; y < shot.height(); ++y) {
            int dark = 0;
            for (int x = 0; x < shot.width(); ++x) {
                dark += shot.pixelColor(x, y) == QColor(Qt::darkGray) ? 1 : 0;
            }
            rows += dark > shot.width() / 3 ? 1 : 0;
        }
        return rows;
    };
    EXPECT_EQ(darkRows(), 0);
    w.editor->InsertPageBreak();
    EXPECT_EQ(darkRows(), 1);
}

TEST(WPRichText, MergeFields) {
    EditorWindow w;
    w.Type("To: ");
    w.editor->InsertMergeField(1, "[RECIPIENT]");
    w.Type(" at ");
    w.editor->InsertMergeField(2, "[FAX#]");
    w.Key(Qt::Key_Return);
    w.editor->InsertMergeField(4, "[DATE]");
    EXPECT_EQ(w.editor->Text(), "To: *[RECIPIENT] at *[FAX#]\n*[DATE]");
    QList<TMergeField> fields = w.editor->MergeFields();
    ASSERT_EQ(fields.size(), 3);
    EXPECT_EQ(fields[0].Tag, 1);
    EXPECT_EQ(fields[0].Text, "[RECIPIENT]"); // what was typed after it is not part of it
    EXPECT_EQ(fields[1].Text, "[FAX#]");
    EXPECT_NE(RtfOf(*w.editor).find("To: {\\field{\\*\\fldinst MERGEFIELD TAG1}{\\fldrslt [RECIPIENT]}} at "),
              std::string::npos);
    // Visible texts are red in the editor.
    ASSERT_EQ(w.editor->extraSelections().size(), 3);
    EXPECT_EQ(w.editor->extraSelections()[0].cursor.selectedText(), "[RECIPIENT]");
    EXPECT_EQ(w.editor->extraSelections()[0].format.foreground().color(), QColor(Qt::red));

    std::vector<int> asked;
    w.editor->OnGetTextToInsert = [&](TMergeFieldRequest& r) {
        asked.push_back(r.Tag);
        EXPECT_EQ(r.Marker, QChar(u'*'));
        if (r.Tag == 1) {
            EXPECT_EQ(r.Text, "[RECIPIENT]");
            r.Replacement = "Jane Smith";
        } else if (r.Tag == 2) {
            r.DoContinue = false;
        }
    };
    w.editor->MergeText();
    EXPECT_EQ(asked, (std::vector<int>{1, 2}));
    EXPECT_EQ(w.editor->Text(), "To: *Jane Smith at *[FAX#]\n*[DATE]");
    fields = w.editor->MergeFields();
    EXPECT_EQ(fields[0].Text, "Jane Smith");
    // Merged text stays a field: merging again replaces it.
    w.editor->OnGetTextToInsert = [](TMergeFieldRequest& r) { r.Replacement = QString("v%1").arg(r.Tag); };
    w.editor->MergeText();
    EXPECT_EQ(w.editor->Text(), "To: *v1 at *v2\n*v4");
    w.editor->undo();
    EXPECT_EQ(w.editor->Text(), "To: *Jane Smith at *[FAX#]\n*[DATE]");

    // Hidden markers take no room.
    QTextCursor before(w.editor->document());
    before.setPosition(fields[0].Position + 1);
    const qreal shownX = w.editor->cursorRect(before).x();
    w.editor->SetMergeMarkers(TMarkerDisplay::Hidden);
    EXPECT_EQ(w.editor->MergeMarkers(), TMarkerDisplay::Hidden);
    EXPECT_LT(w.editor->cursorRect(before).x(), shownX);
}

TEST(WPRichText, ParagraphAttributesInTwips) {
    EditorWindow w;
    w.Type("Some paragraph text");
    EXPECT_EQ(w.editor->ParagraphAttributes(), TParagraphAttributes{});
    w.editor->SetIndents(1440, 720, 360);
    w.editor->SetSpacing(240, 120, 300);
    const TParagraphAttributes set{1440, 720, 360, 240, 120, 300};
    EXPECT_EQ(w.editor->ParagraphAttributes(), set);
    EXPECT_NE(RtfOf(*w.editor).find("\\pard\\fi720\\li720\\ri360\\sb240\\sa120\\sl300\\slmult0\\fs20 Some"),
              std::string::npos)
        << RtfOf(*w.editor);
    TWPRichText reloaded;
    reloaded.SetRtf(w.editor->Rtf());
    EXPECT_EQ(reloaded.ParagraphAttributes(), set);
    // Odd values survive; a line height left as it was keeps its kind of spacing.
    reloaded.SetIndents(101, 101, 0);
    EXPECT_EQ(reloaded.ParagraphAttributes().LeftIndent, 101);
    reloaded.SetRtf(R"({\rtf1\pard\sl276\slmult1 x\par})");
    reloaded.SetSpacing(0, 0, 276);
    EXPECT_NE(RtfOf(reloaded).find("\\sl276\\slmult1"), std::string::npos);
    reloaded.SetSpacing(0, 0, 0);
    EXPECT_EQ(reloaded.ParagraphAttributes().LineHeight, 0);
}

TEST(WPRichText, FilesLoadAndSave) {
    test::TempDir dir;
    const QString file = QString::fromStdString(dir.File("doc.rtf"));
    TWPRichText e;
    e.SetRtf(R"({\rtf1\paperw12240\paperh15840\margl720\margr720\margt720\margb720 Saved {\b text}\par})");
    ASSERT_TRUE(e.SaveToFile(file));
    TWPRichText loaded;
    ASSERT_TRUE(loaded.LoadFromFile(file));
    EXPECT_EQ(loaded.Text(), "Saved text");
    EXPECT_EQ(loaded.PageSetup(), (TPageSetup{12240, 15840, 720, 720, 720, 720}));
    EXPECT_EQ(RtfOf(loaded), RtfOf(e));

    EXPECT_FALSE(loaded.LoadFromFile(QString::fromStdString(dir.File("missing.rtf"))));
    EXPECT_EQ(loaded.Text(), "");
    EXPECT_FALSE(e.SaveToFile(QString::fromStdString(dir.File("no/such/folder/doc.rtf"))));
}

TEST(WPRichText, WordWrapAndZoom) {
    TWPRichText e;
    e.resize(400, 300);
    e.SetPageSetup(TPageSetup{12240, 15840, 720, 720, 720, 720});
    e.setPlainText(QString("word ").repeated(200));
    e.document()->size();
    // Off: lines wrap at the page's text width of 7.5 inches.
    EXPECT_FALSE(e.WordWrap());
    EXPECT_EQ(e.lineWrapMode(), QTextEdit::FixedPixelWidth);
    const int dpi = e.viewport()->logicalDpiY();
    EXPECT_EQ(e.lineWrapColumnOrWidth(), dpi * 15 / 2);
    e.SetZoom(200);
    EXPECT_EQ(e.lineWrapColumnOrWidth(), dpi * 15);
    e.document()->size();
    const qreal line200 = e.document()->begin().layout()->lineAt(0).height();
    e.SetZoom(100);
    e.document()->size();
    const qreal line100 = e.document()->begin().layout()->lineAt(0).height();
    EXPECT_NEAR(line200, 2 * line100, 2);
    // On: lines wrap at the window.
    e.SetWordWrap(true);
    EXPECT_EQ(e.lineWrapMode(), QTextEdit::WidgetWidth);
    EXPECT_LT(e.document()->textWidth(), 400);
}

TEST(WPRichText, WordScanForSpellChecking) {
    TWPRichText e;
    e.setPlainText("Hello wrold, it's 42 fine'.\nNext");
    e.StartWordScan();
    EXPECT_EQ(e.NextWord(), "Hello");
    EXPECT_EQ(e.NextWord(), "wrold");
    e.MarkWord();
    EXPECT_EQ(e.textCursor().selectedText(), "wrold");
    e.ReplaceWord("world");
    EXPECT_EQ(e.NextWord(), "it's");
    EXPECT_EQ(e.NextWord(), "fine");
    EXPECT_EQ(e.NextWord(), "Next");
    EXPECT_EQ(e.NextWord(), "");
    e.EndWordScan();
    EXPECT_FALSE(e.textCursor().hasSelection());
    EXPECT_EQ(e.Text(), "Hello world, it's 42 fine'.\nNext");
}

TEST(WPRichText, SpellCheckItemRaisesTheEvent) {
    EditorWindow w;
    int raised = 0;
    QObject::connect(w.editor, &TWPRichText::StartSpellCheck, [&] { ++raised; });
    w.Click("SpellCheck");
    EXPECT_EQ(raised, 1);
}

TEST(WPRichText, ClipboardCarriesRtf) {
    EditorWindow w;
    w.editor->SetRtf(
        R"({\rtf1 plain {\b bold} {\field{\*\fldinst MERGEFIELD TAG3}{\fldrslt [SUBJECT]}}\par})");
    w.editor->selectAll();
    w.Click("Copy");
    const QMimeData* copied = QApplication::clipboard()->mimeData();
    ASSERT_TRUE(copied->hasFormat("text/rtf"));
    EXPECT_EQ(copied->text(), "plain bold *[SUBJECT]");

    TWPRichText other;
    other.paste();
    EXPECT_TRUE(FormatOfText(*other.document(), "bold").font().bold());
    ASSERT_EQ(other.MergeFields().size(), 1);
    EXPECT_EQ(other.MergeFields()[0].Tag, 3);

    // Other rich formats arrive as plain text.
    auto* html = new QMimeData;
    html->setHtml("<table><tr><td><b>cell</b></td></tr></table>");
    html->setText("cell");
    QApplication::clipboard()->setMimeData(html);
    TWPRichText third;
    third.paste();
    EXPECT_EQ(third.Text(), "cell");
    EXPECT_FALSE(FormatOfText(*third.document(), "cell").font().bold());
}

} // namespace
} // namespace tolvane
