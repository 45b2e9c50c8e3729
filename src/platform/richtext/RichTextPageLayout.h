// A document laid out once for drawing its pages, for example at fax resolution. A page ends
// only at a hard page break: it holds the text from its start up to the next paragraph that
// begins with a page break (the first paragraph of a page never ends it). Text that does not
// fit above the page's lowest line is not drawn; it does not move to the next page.
#pragma once

#include "platform/richtext/MergeField.h"
#include "platform/richtext/RichTextTypes.h"

#include <QImage>
#include <QPainter>
#include <QPoint>
#include <QTextDocument>
#include <memory>
#include <vector>

namespace tolvane {

struct TPageLayoutOptions {
    int Dpi = 192;     // logical dots per inch on the page: fonts and lengths scale to it
    int WrapWidth = 0; // layout width in pixels at Dpi; 0 or less: lines break only where the text says
    TMarkerDisplay Markers = TMarkerDisplay::Hidden;
};

class RichTextPageLayout {
public:
    // Lays out a copy of `source`; later changes of the source do not reach it.
    RichTextPageLayout(const QTextDocument& source, const TPageLayoutOptions& options);
    ~RichTextPageLayout();
    RichTextPageLayout(const RichTextPageLayout&) = delete;
    RichTextPageLayout& operator=(const RichTextPageLayout&) = delete;

    const TPageLayoutOptions& Options() const { return options_; }
    int PageCount() const { return static_cast<int>(pageStarts_.size()); }
    // Document position at which page `index` (0-based) starts; page 0 starts at 0.
    int PageStart(int index) const { return pageStarts_.at(static_cast<size_t>(index)); }

    // Draws the page text from `start` (a page start, or any position: drawing then begins with
    // its line) with the text's top-left corner at `origin`, in black, without anti-aliasing.
    // Lines whose bottom would lie below `lowestLine` (in the painter's coordinates) are left
    // out. Returns the start of the next page, or 0 when the text is exhausted.
    int DrawPage(QPainter& painter, int start, QPoint origin, int lowestLine) const;

    // The laid-out copy (for inspection: block and line geometry at Dpi).
    const QTextDocument& Document() const { return *doc_; }

private:
    TPageLayoutOptions options_;
    QImage device_; // gives the layout its resolution
    richtext::TMergeMarkerHandler markers_;
    std::unique_ptr<QTextDocument> doc_;
    std::vector<int> pageStarts_;
};

} // namespace tolvane
