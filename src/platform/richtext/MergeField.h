// Merge fields in a QTextDocument: finding them, and the object handler that draws their
// marker character (in red, or not at all while markers are hidden).
#pragma once

#include "platform/richtext/RichTextTypes.h"

#include <QList>
#include <QObject>
#include <QTextDocument>
#include <QTextObjectInterface>

namespace tolvane::richtext {

// The merge fields of a document, in document order.
QList<TMergeField> FindMergeFields(const QTextDocument& doc);

// Lays out and draws the marker characters of one document layout (register it with
// QAbstractTextDocumentLayout::registerHandler for kMergeMarkerObject).
class TMergeMarkerHandler : public QObject, public QTextObjectInterface {
    Q_OBJECT
    Q_INTERFACES(QTextObjectInterface)

public:
    explicit TMergeMarkerHandler(QObject* parent = nullptr) : QObject(parent) {}

    TMarkerDisplay Display() const { return display_; }
    // The owner re-lays out the document after a change.
    void SetDisplay(TMarkerDisplay display) { display_ = display; }

    QSizeF intrinsicSize(QTextDocument* doc, int posInDocument, const QTextFormat& format) override;
    void drawObject(QPainter* painter, const QRectF& rect, QTextDocument* doc, int posInDocument,
                    const QTextFormat& format) override;

private:
    TMarkerDisplay display_ = TMarkerDisplay::Shown;
};

} // namespace tolvane::richtext
