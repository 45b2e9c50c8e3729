#include "platform/richtext/WPRichText.h"

#include "platform/richtext/MergeField.h"
#include "platform/richtext/RichTextDocument.h"

#include <QAbstractTextDocumentLayout>
#include <QFile>
#include <QKeyEvent>
#include <QMimeData>
#include <QPainter>
#include <QSaveFile>
#include <QScrollBar>
#include <QTextBlock>
#include <QTextDocumentFragment>
#include <algorithm>

namespace tolvane {

namespace {

// Clipboard formats of RTF, as other programs offer it.
const QStringList& RtfMimeTypes() {
    static const QStringList types{"text/rtf", "application/rtf", "text/richtext"};
    return types;
}

bool StartsPage(const QTextBlock& block) {
    return block.previous().isValid() &&
           (block.blockFormat().pageBreakPolicy() & QTextFormat::PageBreak_AlwaysBefore) != 0;
}

bool IsWordChar(QChar c) {
    return c.isLetterOrNumber() || c == u'\'' || c == QChar(0x2019);
}

Qt::Alignment QtAlignment(TAlignment a) {
    switch (a) {
    case TAlignment::Left:
        return Qt::AlignLeft;
    case TAlignment::Right:
        return Qt::AlignRight;
    case TAlignment::Center:
        return Qt::AlignHCenter;
    case TAlignment::Justify:
        return Qt::AlignJustify;
    }
    return Qt::AlignLeft;
}

// Merge replacements are plain text on one paragraph: line ends become line breaks.
QString PlainReplacement(const QString& text) {
    QString out;
    out.reserve(text.size());
    for (int i = 0; i < text.size(); ++i) {
        const QChar c = text[i];
        if (c == u'\r' || c == u'\n') {
            if (c == u'\r' && i + 1 < text.size() && text[i + 1] == u'\n') {
                ++i;
            }
            out += QChar::LineSeparator;
        } else if (c == u'\t' || c.unicode() >= 0x20) {
            out += c;
        }
    }
    return out;
}

} // namespace

TWPRichText::TWPRichText(QWidget* parent)
    : QTextEdit(parent), device_(1, 1, QImage::Format_Mono),
      markers_(std::make_unique<richtext::TMergeMarkerHandler>()) {
    setAcceptRichText(true);
    document()->setDefaultFont(QFont("Arial", 10));
    document()->documentLayout()->registerHandler(richtext::kMergeMarkerObject, markers_.get());
    connect(document(), &QTextDocument::contentsChanged, this, &TWPRichText::ContentsChanged);
    connect(this, &QTextEdit::currentCharFormatChanged, this, &TWPRichText::SanitizeTypingFormat);
    connect(this, &QTextEdit::cursorPositionChanged, this, &TWPRichText::SanitizeTypingFormat);
    ApplyLayout();
}

TWPRichText::~TWPRichText() {
    // The layout keeps pointers to the device and the handler: let it go first.
    document()->documentLayout()->setPaintDevice(nullptr);
}

void TWPRichText::Clear() {
    const QFont font = document()->defaultFont();
    clear();
    document()->setDefaultFont(font);
    setCurrentCharFormat(QTextCharFormat());
    EndWordScan();
}

bool TWPRichText::LoadFromFile(const QString& fileName) {
    Clear();
    QFile file(fileName);
    if (!file.open(QIODevice::ReadOnly)) {
        return false;
    }
    SetRtf(file.readAll());
    return file.error() == QFileDevice::NoError;
}

bool TWPRichText::SaveToFile(const QString& fileName) const {
    QSaveFile file(fileName);
    if (!file.open(QIODevice::WriteOnly)) {
        return false;
    }
    const QByteArray rtf = Rtf();
    return file.write(rtf) == rtf.size() && file.commit();
}

void TWPRichText::SetRtf(const QByteArray& rtf) {
    const QFont font = document()->defaultFont();
    page_ = richtext::ReadRtf(rtf, *document());
    document()->setDefaultFont(font);
    document()->clearUndoRedoStacks();
    ApplyLayout();
    MoveCaretToStart();
}

QByteArray TWPRichText::Rtf() const {
    return richtext::WriteRtf(*document(), page_);
}

QString TWPRichText::Text() const {
    QString text;
    for (QTextBlock block = document()->begin(); block.isValid(); block = block.next()) {
        if (block != document()->begin()) {
            text += u'\n';
        }
        for (auto it = block.begin(); !it.atEnd(); ++it) {
            const QTextFragment fragment = it.fragment();
            const QTextCharFormat f = fragment.charFormat();
            for (const QChar c : fragment.text()) {
                if (richtext::IsMarker(c, f)) {
                    text += richtext::kMarkerChar;
                } else if (c == QChar::LineSeparator) {
                    text += u'\n';
                } else if (c != QChar::ObjectReplacementCharacter) {
                    text += c;
                }
            }
        }
    }
    return text;
}

void TWPRichText::SetPageSetup(const TPageSetup& page) {
    page_ = page;
    ApplyLayout();
}

void TWPRichText::SetZoom(int percent) {
    zoom_ = std::clamp(percent, 10, 800);
    ApplyLayout();
}

void TWPRichText::SetWordWrap(bool on) {
    wordWrap_ = on;
    ApplyLayout();
}

void TWPRichText::Relayout() {
    ApplyLayout();
}

void TWPRichText::MoveCaretToStart() {
    QTextCursor c(document());
    c.movePosition(QTextCursor::Start);
    setTextCursor(c);
}

void TWPRichText::ApplyLayout() {
    const int dpi = std::max(1, viewport()->logicalDpiY() * zoom_ / 100);
    const int dotsPerMeter = qRound(dpi / 0.0254);
    device_.setDotsPerMeterX(dotsPerMeter);
    device_.setDotsPerMeterY(dotsPerMeter);
    document()->documentLayout()->setPaintDevice(&device_);
    if (wordWrap_) {
        setLineWrapMode(QTextEdit::WidgetWidth);
    } else {
        const int textTwips = std::max(page_.Width - page_.MarginLeft - page_.MarginRight, 720);
        setLineWrapMode(QTextEdit::FixedPixelWidth);
        setLineWrapColumnOrWidth(std::max(1, qRound(textTwips * dpi / 1440.0)));
    }
    document()->markContentsDirty(0, document()->characterCount());
    ++generation_;
    viewport()->update();
}

void TWPRichText::ContentsChanged() {
    ++generation_;
    // Merge fields show in red.
    QList<QTextEdit::ExtraSelection> selections;
    for (const TMergeField& field : richtext::FindMergeFields(*document())) {
        if (field.Length > 1) {
            QTextEdit::ExtraSelection s;
            s.cursor = QTextCursor(document());
            s.cursor.setPosition(field.Position + 1);
            s.cursor.setPosition(field.Position + field.Length, QTextCursor::KeepAnchor);
            s.format.setForeground(Qt::red);
            selections.append(s);
        }
    }
    setExtraSelections(selections);
}

// Text typed at the end of a merge field does not become part of it, and text typed after a
// marker is text, not another marker.
void TWPRichText::SanitizeTypingFormat() {
    if (sanitizing_) {
        return;
    }
    const QTextCursor c = textCursor();
    if (c.hasSelection()) {
        return;
    }
    QTextCharFormat f = c.charFormat();
    bool changed = false;
    if (f.hasProperty(QTextFormat::ObjectType)) {
        f.clearProperty(QTextFormat::ObjectType);
        changed = true;
    }
    if (f.hasProperty(richtext::kMergeTagProperty)) {
        const int pos = c.position();
        bool inside = false;
        if (!c.atBlockEnd()) {
            QTextCursor next(document());
            next.setPosition(pos + 1);
            const QTextCharFormat nf = next.charFormat();
            inside =
                !richtext::IsMarker(document()->characterAt(pos), nf) &&
                nf.intProperty(richtext::kMergeTagProperty) == f.intProperty(richtext::kMergeTagProperty);
        }
        if (!inside) {
            f.clearProperty(richtext::kMergeTagProperty);
            changed = true;
        }
    }
    if (changed) {
        sanitizing_ = true;
        setCurrentCharFormat(f);
        sanitizing_ = false;
    }
}

TFontAttributes TWPRichText::CurrentFont() const {
    const QTextCharFormat f = currentCharFormat();
    TFontAttributes a;
    a.Name = richtext::FontFamilyOf(f);
    if (a.Name.isEmpty()) {
        a.Name = document()->defaultFont().family();
    }
    const qreal points = f.fontPointSize() > 0 ? f.fontPointSize() : document()->defaultFont().pointSizeF();
    a.Size = qRound(points);
    a.Bold = f.fontWeight() >= QFont::DemiBold;
    a.Italic = f.fontItalic();
    a.Underline = f.fontUnderline();
    return a;
}

void TWPRichText::MergeCharFormat(const QTextCharFormat& format) {
    QTextCursor c = textCursor();
    if (!c.hasSelection() && c.block().length() == 1) {
        // An empty paragraph keeps the format for its own height and for what is typed into it.
        c.mergeBlockCharFormat(format);
    }
    mergeCurrentCharFormat(format);
}

void TWPRichText::SetCurrentFont(const TFontAttributes& font) {
    QTextCharFormat f;
    f.setFontFamilies(QStringList{font.Name});
    f.setFontPointSize(std::clamp(font.Size, 1, 1600));
    f.setFontWeight(font.Bold ? QFont::Bold : QFont::Normal);
    f.setFontItalic(font.Italic);
    f.setFontUnderline(font.Underline);
    MergeCharFormat(f);
}

void TWPRichText::SetFontName(const QString& name) {
    QTextCharFormat f;
    f.setFontFamilies(QStringList{name});
    MergeCharFormat(f);
}

void TWPRichText::SetFontSize(int points) {
    QTextCharFormat f;
    f.setFontPointSize(std::clamp(points, 1, 1600));
    MergeCharFormat(f);
}

void TWPRichText::SetBold(bool on) {
    QTextCharFormat f;
    f.setFontWeight(on ? QFont::Bold : QFont::Normal);
    MergeCharFormat(f);
}

void TWPRichText::SetItalic(bool on) {
    QTextCharFormat f;
    f.setFontItalic(on);
    MergeCharFormat(f);
}

void TWPRichText::SetUnderline(bool on) {
    QTextCharFormat f;
    f.setFontUnderline(on);
    MergeCharFormat(f);
}

void TWPRichText::SetNormal() {
    QTextCharFormat f;
    f.setFontWeight(QFont::Normal);
    f.setFontItalic(false);
    f.setFontUnderline(false);
    MergeCharFormat(f);
}

TAlignment TWPRichText::Alignment() const {
    const Qt::Alignment a = alignment() & Qt::AlignHorizontal_Mask;
    if (a & Qt::AlignJustify) {
        return TAlignment::Justify;
    }
    if (a & Qt::AlignHCenter) {
        return TAlignment::Center;
    }
    if (a & Qt::AlignRight) {
        return TAlignment::Right;
    }
    return TAlignment::Left;
}

void TWPRichText::SetAlignment(TAlignment alignment) {
    setAlignment(QtAlignment(alignment));
}

TParagraphAttributes TWPRichText::ParagraphAttributes() const {
    const QTextBlockFormat b = textCursor().blockFormat();
    TParagraphAttributes a;
    a.LeftIndent = richtext::PixelsToTwips(b.leftMargin());
    a.FirstIndent = a.LeftIndent + richtext::PixelsToTwips(b.textIndent());
    a.RightIndent = richtext::PixelsToTwips(b.rightMargin());
    a.SpaceBefore = richtext::PixelsToTwips(b.topMargin());
    a.SpaceAfter = richtext::PixelsToTwips(b.bottomMargin());
    switch (b.lineHeightType()) {
    case QTextBlockFormat::MinimumHeight:
    case QTextBlockFormat::FixedHeight:
        a.LineHeight = richtext::PixelsToTwips(b.lineHeight());
        break;
    case QTextBlockFormat::ProportionalHeight:
        // A multiple of single spacing, as RTF counts it: 240 is one line.
        a.LineHeight = qRound(b.lineHeight() * 240 / 100);
        break;
    default:
        break;
    }
    return a;
}

void TWPRichText::SetSpacing(int spaceBefore, int spaceAfter, int lineHeight) {
    QTextBlockFormat f;
    f.setTopMargin(richtext::TwipsToPixels(std::clamp(spaceBefore, 0, 31680)));
    f.setBottomMargin(richtext::TwipsToPixels(std::clamp(spaceAfter, 0, 31680)));
    if (lineHeight != ParagraphAttributes().LineHeight) {
        if (lineHeight <= 0) {
            f.setLineHeight(0, QTextBlockFormat::SingleHeight);
        } else {
            f.setLineHeight(richtext::TwipsToPixels(std::min(lineHeight, 31680)),
                            QTextBlockFormat::MinimumHeight);
        }
    }
    textCursor().mergeBlockFormat(f);
}

void TWPRichText::SetIndents(int firstIndent, int leftIndent, int rightIndent) {
    leftIndent = std::clamp(leftIndent, -31680, 31680);
    firstIndent = std::clamp(firstIndent, -31680, 31680);
    QTextBlockFormat f;
    f.setLeftMargin(richtext::TwipsToPixels(leftIndent));
    f.setTextIndent(richtext::TwipsToPixels(firstIndent - leftIndent));
    f.setRightMargin(richtext::TwipsToPixels(std::clamp(rightIndent, -31680, 31680)));
    textCursor().mergeBlockFormat(f);
}

void TWPRichText::InsertPageBreak() {
    QTextCursor c = textCursor();
    c.beginEditBlock();
    c.removeSelectedText();
    if (!c.atBlockStart() || c.block() == document()->begin()) {
        QTextBlockFormat f = c.blockFormat();
        f.setPageBreakPolicy(QTextFormat::PageBreak_Auto);
        c.insertBlock(f);
    }
    QTextBlockFormat f;
    f.setPageBreakPolicy(QTextFormat::PageBreak_AlwaysBefore);
    c.mergeBlockFormat(f);
    c.endEditBlock();
    setTextCursor(c);
}

int TWPRichText::PageCount() const {
    int pages = 1;
    for (QTextBlock block = document()->begin(); block.isValid(); block = block.next()) {
        pages += StartsPage(block) ? 1 : 0;
    }
    return pages;
}

void TWPRichText::InsertMergeField(int tag, const QString& text) {
    if (tag <= 0) {
        return;
    }
    QTextCursor c = textCursor();
    c.beginEditBlock();
    c.removeSelectedText();
    QTextCharFormat base = c.charFormat();
    base.clearProperty(QTextFormat::ObjectType);
    base.clearProperty(richtext::kMergeTagProperty);
    c.insertText(QString(QChar::ObjectReplacementCharacter), richtext::MarkerFormat(base, tag));
    QTextCharFormat visible = base;
    visible.setProperty(richtext::kMergeTagProperty, tag);
    c.insertText(PlainReplacement(text), visible);
    c.endEditBlock();
    setTextCursor(c);
    SanitizeTypingFormat();
}

QList<TMergeField> TWPRichText::MergeFields() const {
    return richtext::FindMergeFields(*document());
}

void TWPRichText::MergeText() {
    const QList<TMergeField> fields = MergeFields();
    // Cursors over the visible texts follow the edits made before them.
    std::vector<QTextCursor> texts;
    for (const TMergeField& field : fields) {
        QTextCursor c(document());
        c.setPosition(field.Position + 1);
        c.setPosition(field.Position + field.Length, QTextCursor::KeepAnchor);
        texts.push_back(c);
    }
    QTextCursor edit(document());
    edit.beginEditBlock();
    for (size_t i = 0; i < texts.size(); ++i) {
        TMergeFieldRequest request;
        request.Tag = fields[static_cast<qsizetype>(i)].Tag;
        request.Marker = richtext::kMarkerChar;
        request.Text = fields[static_cast<qsizetype>(i)].Text;
        DoGetTextToInsert(request);
        if (request.Replacement) {
            QTextCursor& c = texts[i];
            // The new text takes the format of the old one, or of the marker.
            QTextCursor at(document());
            at.setPosition(c.selectionStart() + (c.hasSelection() ? 1 : 0));
            QTextCharFormat f = at.charFormat();
            f.clearProperty(QTextFormat::ObjectType);
            f.setProperty(richtext::kMergeTagProperty, request.Tag);
            c.insertText(PlainReplacement(*request.Replacement), f);
        }
        if (!request.DoContinue) {
            break;
        }
    }
    edit.endEditBlock();
}

void TWPRichText::DoGetTextToInsert(TMergeFieldRequest& request) {
    if (OnGetTextToInsert) {
        OnGetTextToInsert(request);
    }
}

TMarkerDisplay TWPRichText::MergeMarkers() const {
    return markers_->Display();
}

void TWPRichText::SetMergeMarkers(TMarkerDisplay display) {
    markers_->SetDisplay(display);
    document()->markContentsDirty(0, document()->characterCount());
    viewport()->update();
}

void TWPRichText::StartWordScan() {
    scanPosition_ = 0;
    wordStart_ = wordEnd_ = -1;
}

QString TWPRichText::NextWord() {
    const QTextDocument* doc = document();
    const int end = doc->characterCount() - 1;
    int pos = std::max(scanPosition_, 0);
    while (pos < end) {
        while (pos < end && !doc->characterAt(pos).isLetterOrNumber()) {
            ++pos;
        }
        const int start = pos;
        while (pos < end && IsWordChar(doc->characterAt(pos))) {
            ++pos;
        }
        int stop = pos;
        while (stop > start && !doc->characterAt(stop - 1).isLetterOrNumber()) {
            --stop; // apostrophes after a word are not part of it
        }
        QString word;
        bool digits = false;
        for (int i = start; i < stop; ++i) {
            const QChar c = doc->characterAt(i);
            digits = digits || c.isDigit();
            word += c == QChar(0x2019) ? QChar(u'\'') : c;
        }
        if (!word.isEmpty() && !digits) {
            scanPosition_ = pos;
            wordStart_ = start;
            wordEnd_ = stop;
            return word;
        }
    }
    scanPosition_ = end;
    wordStart_ = wordEnd_ = -1;
    return {};
}

void TWPRichText::MarkWord() {
    if (wordStart_ < 0) {
        return;
    }
    QTextCursor c(document());
    c.setPosition(wordStart_);
    c.setPosition(wordEnd_, QTextCursor::KeepAnchor);
    setTextCursor(c);
    ensureCursorVisible();
}

void TWPRichText::ReplaceWord(const QString& text) {
    if (wordStart_ < 0) {
        return;
    }
    QTextCursor c(document());
    c.setPosition(wordStart_);
    c.setPosition(wordEnd_, QTextCursor::KeepAnchor);
    QTextCursor first(document());
    first.setPosition(wordStart_ + 1);
    c.insertText(PlainReplacement(text), first.charFormat());
    const int delta = c.position() - wordEnd_;
    scanPosition_ += delta;
    wordEnd_ = c.position();
    setTextCursor(c);
}

void TWPRichText::EndWordScan() {
    QTextCursor c = textCursor();
    c.clearSelection();
    setTextCursor(c);
    wordStart_ = wordEnd_ = -1;
    scanPosition_ = 0;
}

std::unique_ptr<RichTextPageLayout> TWPRichText::CreatePageLayout(int layoutWidth) const {
    TPageLayoutOptions options;
    options.Dpi = PageDpi();
    const int textTwips = std::max(page_.Width - page_.MarginLeft - page_.MarginRight, 720);
    options.WrapWidth = wordWrap_ ? layoutWidth : qRound(textTwips * options.Dpi / 1440.0);
    options.Markers = TMarkerDisplay::Hidden;
    return std::make_unique<RichTextPageLayout>(*document(), options);
}

int TWPRichText::DrawPage(QPainter& painter, int start, QPoint origin, int layoutWidth, int lowestLine) {
    const int dpi = PageDpi();
    const int textTwips = std::max(page_.Width - page_.MarginLeft - page_.MarginRight, 720);
    const int wrap = wordWrap_ ? layoutWidth : qRound(textTwips * dpi / 1440.0);
    if (!pageLayout_ || pageLayoutGeneration_ != generation_ || pageLayout_->Options().Dpi != dpi ||
        pageLayout_->Options().WrapWidth != wrap) {
        pageLayout_ = CreatePageLayout(layoutWidth);
        pageLayoutGeneration_ = generation_;
    }
    return pageLayout_->DrawPage(painter, start, origin, lowestLine);
}

void TWPRichText::DoStartSpellCheck() {
    emit StartSpellCheck();
}

void TWPRichText::keyPressEvent(QKeyEvent* event) {
    const bool enter = event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter;
    if (enter && !(event->modifiers() & Qt::ShiftModifier) && !isReadOnly()) {
        // A new paragraph does not inherit the page break of the one it splits from.
        QTextCursor c = textCursor();
        c.beginEditBlock();
        c.removeSelectedText();
        QTextBlockFormat f = c.blockFormat();
        f.setPageBreakPolicy(QTextFormat::PageBreak_Auto);
        c.insertBlock(f);
        c.endEditBlock();
        setTextCursor(c);
        ensureCursorVisible();
        event->accept();
        return;
    }
    QTextEdit::keyPressEvent(event);
}

void TWPRichText::paintEvent(QPaintEvent* event) {
    QTextEdit::paintEvent(event);
    // Hard page breaks: a dashed line above the paragraph that starts the page.
    QPainter p(viewport());
    QPen pen(Qt::darkGray);
    pen.setStyle(Qt::DashLine);
    p.setPen(pen);
    const int dy = verticalScrollBar()->value();
    const QAbstractTextDocumentLayout* layout = document()->documentLayout();
    for (QTextBlock block = document()->begin(); block.isValid(); block = block.next()) {
        if (StartsPage(block)) {
            const qreal y = layout->blockBoundingRect(block).top() - dy - 1;
            if (y >= 0 && y < viewport()->height()) {
                p.drawLine(QPointF(0, y), QPointF(viewport()->width(), y));
            }
        }
    }
}

bool TWPRichText::canInsertFromMimeData(const QMimeData* source) const {
    return source->hasText() || std::any_of(RtfMimeTypes().begin(), RtfMimeTypes().end(),
                                            [&](const QString& t) { return source->hasFormat(t); });
}

// Pasted text comes as our RTF or as plain text, so the document holds only what RTF keeps.
void TWPRichText::insertFromMimeData(const QMimeData* source) {
    for (const QString& type : RtfMimeTypes()) {
        if (source->hasFormat(type)) {
            QTextDocument pasted;
            pasted.setDefaultFont(document()->defaultFont());
            richtext::ReadRtf(source->data(type), pasted);
            textCursor().insertFragment(QTextDocumentFragment(&pasted));
            ensureCursorVisible();
            return;
        }
    }
    if (source->hasText()) {
        insertPlainText(source->text());
    }
}

QMimeData* TWPRichText::createMimeDataFromSelection() const {
    auto* mime = new QMimeData;
    QTextDocument selected;
    selected.setDefaultFont(document()->defaultFont());
    QTextCursor(&selected).insertFragment(textCursor().selection());
    mime->setData("text/rtf", richtext::WriteRtf(selected, page_));
    QString text = selected.toPlainText();
    text.replace(QChar::ObjectReplacementCharacter, richtext::kMarkerChar);
    mime->setText(text);
    return mime;
}

} // namespace tolvane
