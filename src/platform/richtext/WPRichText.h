// TWPRichText: the rich-text editor control of the editors and the hidden controls that render
// fax pages. A QTextEdit whose document holds only what our RTF can store (fonts, sizes, bold,
// italic, underline, colour, alignment, indents and spacing in twips, hard page breaks and
// merge fields), read and written as RTF.
//
// Layout: with WordWrap on, lines wrap at the window's width; with it off they wrap at the
// page's text width (page width less the left and right margins). Pages end only at hard page
// breaks, which the editor shows as a dashed line across the text.
#pragma once

#include "platform/richtext/RichTextPageLayout.h"
#include "platform/richtext/RichTextTypes.h"

#include <QImage>
#include <QTextEdit>
#include <functional>
#include <memory>

namespace tolvane {

namespace richtext {
class TMergeMarkerHandler;
}

class TWPRichText : public QTextEdit {
    Q_OBJECT

public:
    explicit TWPRichText(QWidget* parent = nullptr);
    ~TWPRichText() override;

    // Content. LoadFromFile reads RTF (or plain text); when the file cannot be read the control
    // is left empty and the result is false. SaveToFile writes RTF atomically: on failure the
    // result is false and an existing file is unchanged.
    void Clear();
    bool LoadFromFile(const QString& fileName);
    bool SaveToFile(const QString& fileName) const;
    void SetRtf(const QByteArray& rtf);
    QByteArray Rtf() const;
    // The text: paragraphs and line breaks end with '\n' (none after the last paragraph),
    // merge-field markers appear as their marker character.
    QString Text() const;

    // Page setup (twips), zoom (percent of the screen's resolution), word wrap. Each change
    // re-lays out the text.
    const TPageSetup& PageSetup() const { return page_; }
    void SetPageSetup(const TPageSetup& page);
    int Zoom() const { return zoom_; }
    void SetZoom(int percent);
    bool WordWrap() const { return wordWrap_; }
    void SetWordWrap(bool on);
    void Relayout();
    void MoveCaretToStart();

    // Character attributes for the selection or, without one, for the text typed next (also in
    // an empty document).
    TFontAttributes CurrentFont() const;
    void SetCurrentFont(const TFontAttributes& font);
    void SetFontName(const QString& name);
    void SetFontSize(int points);
    void SetBold(bool on);
    void SetItalic(bool on);
    void SetUnderline(bool on);
    // Bold, italic and underline off.
    void SetNormal();

    // Paragraph attributes of the paragraph at the caret; the setters change every paragraph
    // of the selection. Lengths in twips; SetSpacing keeps the kind of line spacing a paragraph
    // has when lineHeight equals what ParagraphAttributes reports.
    TAlignment Alignment() const;
    void SetAlignment(TAlignment alignment);
    TParagraphAttributes ParagraphAttributes() const;
    void SetSpacing(int spaceBefore, int spaceAfter, int lineHeight);
    void SetIndents(int firstIndent, int leftIndent, int rightIndent);

    // Hard page breaks: the caret's paragraph is split at the caret and the second part begins
    // a new page.
    void InsertPageBreak();
    int PageCount() const;

    // Merge fields. InsertMergeField replaces the selection by a marker with the tag and the
    // visible text after it. MergeText asks DoGetTextToInsert (OnGetTextToInsert) for each field
    // in document order and puts the replacement in place of the field's visible text.
    void InsertMergeField(int tag, const QString& text);
    QList<TMergeField> MergeFields() const;
    void MergeText();
    std::function<void(TMergeFieldRequest&)> OnGetTextToInsert;
    TMarkerDisplay MergeMarkers() const;
    void SetMergeMarkers(TMarkerDisplay display);

    // Word-by-word access for spell checking. NextWord gives the next word after the scan
    // position, or an empty text at the end; MarkWord selects the word given last and scrolls it
    // into view; ReplaceWord puts a text in its place; EndWordScan clears the marking.
    void StartWordScan();
    QString NextWord();
    void MarkWord();
    void ReplaceWord(const QString& text);
    void EndWordScan();

    // Page drawing at Zoom percent of 96 dots per inch (200 % gives 192): lines wrap at
    // layoutWidth pixels with WordWrap on, at the page's text width otherwise. The layout is
    // made once and kept until the text or a setting changes, so drawing page after page lays
    // the document out once. Merge-field markers are never drawn. See RichTextPageLayout.
    int DrawPage(QPainter& painter, int start, QPoint origin, int layoutWidth, int lowestLine);
    std::unique_ptr<RichTextPageLayout> CreatePageLayout(int layoutWidth) const;

    // Raises StartSpellCheck (the toolbar's spell-check item calls it).
    virtual void DoStartSpellCheck();

signals:
    void StartSpellCheck();

protected:
    virtual void DoGetTextToInsert(TMergeFieldRequest& request);

    void keyPressEvent(QKeyEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    bool canInsertFromMimeData(const QMimeData* source) const override;
    void insertFromMimeData(const QMimeData* source) override;
    QMimeData* createMimeDataFromSelection() const override;

private:
    void ApplyLayout();
    void ContentsChanged();
    void SanitizeTypingFormat();
    void MergeCharFormat(const QTextCharFormat& format);
    int PageDpi() const { return 96 * zoom_ / 100; }

    TPageSetup page_;
    int zoom_ = 100;
    bool wordWrap_ = false;
    QImage device_; // the layout's resolution: the screen's at Zoom percent
    std::unique_ptr<richtext::TMergeMarkerHandler> markers_;
    bool sanitizing_ = false;
    int scanPosition_ = 0;
    int wordStart_ = -1;
    int wordEnd_ = -1;
    unsigned generation_ = 0; // counts changes of the text
    std::unique_ptr<RichTextPageLayout> pageLayout_;
    unsigned pageLayoutGeneration_ = 0;
};

} // namespace tolvane
