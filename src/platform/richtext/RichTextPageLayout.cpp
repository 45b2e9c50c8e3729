#include "platform/richtext/RichTextPageLayout.h"

#include "platform/richtext/RichTextDocument.h"

#include <QAbstractTextDocumentLayout>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextLayout>
#include <algorithm>

namespace tolvane {

namespace {

// Lines are clipped by their edges; the clip sits this far inside the edges of the page's
// first and last line, well above QTextLayout's precision of 1/64 pixel.
constexpr qreal kEpsilon = 0.1;

bool StartsPage(const QTextBlock& block) {
    if (!block.previous().isValid()) {
        return false;
    }
    return (block.blockFormat().pageBreakPolicy() & QTextFormat::PageBreak_AlwaysBefore) != 0 ||
           (block.previous().blockFormat().pageBreakPolicy() & QTextFormat::PageBreak_AlwaysAfter) != 0;
}

} // namespace

RichTextPageLayout::RichTextPageLayout(const QTextDocument& source, const TPageLayoutOptions& options)
    : options_(options), device_(1, 1, QImage::Format_Mono), doc_(source.clone()) {
    options_.Dpi = std::clamp(options_.Dpi, 24, 2400);
    const int dotsPerMeter = qRound(options_.Dpi / 0.0254);
    device_.setDotsPerMeterX(dotsPerMeter);
    device_.setDotsPerMeterY(dotsPerMeter);
    markers_.SetDisplay(options_.Markers);

    doc_->setDefaultFont(source.defaultFont());
    doc_->setDocumentMargin(0);
    doc_->setUndoRedoEnabled(false);
    // Fax pages are bi-level: glyphs are drawn without grey edges.
    QTextCharFormat aliased;
    aliased.setFontStyleStrategy(QFont::NoAntialias);
    QTextCursor all(doc_.get());
    all.select(QTextCursor::Document);
    all.mergeCharFormat(aliased);

    QAbstractTextDocumentLayout* layout = doc_->documentLayout();
    layout->setPaintDevice(&device_);
    layout->registerHandler(richtext::kMergeMarkerObject, &markers_);
    doc_->setTextWidth(options_.WrapWidth > 0 ? options_.WrapWidth : -1);
    doc_->size(); // lays out the whole document now, once

    pageStarts_.push_back(0);
    for (QTextBlock block = doc_->begin(); block.isValid(); block = block.next()) {
        if (StartsPage(block)) {
            pageStarts_.push_back(block.position());
        }
    }
}

RichTextPageLayout::~RichTextPageLayout() = default;

int RichTextPageLayout::DrawPage(QPainter& painter, int start, QPoint origin, int lowestLine) const {
    start = std::max(start, 0);
    auto next = std::upper_bound(pageStarts_.begin(), pageStarts_.end(), start);
    const int end = next == pageStarts_.end() ? doc_->characterCount() : *next;
    const int result = next == pageStarts_.end() ? 0 : *next;

    QTextBlock block = doc_->findBlock(start);
    if (!block.isValid() || block.layout() == nullptr) {
        return result;
    }
    // Top of the page in document coordinates: the start line's top, or above the space
    // before its paragraph when the page begins with the paragraph.
    const QTextLayout* first = block.layout();
    const QTextLine startLine = first->lineForTextPosition(start - block.position());
    if (!startLine.isValid()) {
        return result;
    }
    qreal top = first->position().y() + startLine.y();
    if (start == block.position()) {
        top -= block.blockFormat().topMargin() * options_.Dpi / richtext::ReferenceDpi();
    }
    // The last line that fits decides where drawing stops.
    const qreal limit = top + (lowestLine - origin.y());
    qreal bottom = top;
    std::vector<QTextBlock> blocks;
    bool full = false;
    for (QTextBlock b = block; b.isValid() && b.position() < end && !full; b = b.next()) {
        const QTextLayout* l = b.layout();
        bool fits = false;
        for (int i = 0; i < l->lineCount() && !full; ++i) {
            const QTextLine line = l->lineAt(i);
            const qreal lineTop = l->position().y() + line.y();
            const qreal lineBottom = lineTop + line.height();
            if (lineTop < top - kEpsilon) {
                continue; // before the start position
            }
            if (lineBottom > limit + kEpsilon) {
                full = true;
            } else {
                bottom = lineBottom;
                fits = true;
            }
        }
        if (fits) {
            blocks.push_back(b);
        }
    }
    if (blocks.empty()) {
        return result;
    }

    painter.save();
    painter.setRenderHint(QPainter::Antialiasing, false);
    painter.setRenderHint(QPainter::TextAntialiasing, false);
    painter.setPen(Qt::black);
    painter.translate(origin.x(), origin.y() - top);
    const QRectF clip(-1e6, top + kEpsilon, 2e6, bottom - top - 2 * kEpsilon);
    for (const QTextBlock& b : blocks) {
        b.layout()->draw(&painter, QPointF(0, 0), {}, clip);
    }
    painter.restore();
    return result;
}

} // namespace tolvane
