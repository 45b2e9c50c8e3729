#include "platform/richtext/MergeField.h"

#include "platform/richtext/RichTextDocument.h"

#include <QAbstractTextDocumentLayout>
#include <QFontMetricsF>
#include <QPainter>
#include <QTextBlock>

namespace tolvane::richtext {

namespace {

QFont DeviceFont(const QTextDocument* doc, const QTextFormat& format) {
    const QFont font = format.toCharFormat().font();
    QPaintDevice* device = doc != nullptr ? doc->documentLayout()->paintDevice() : nullptr;
    return device != nullptr ? QFont(font, device) : font;
}

} // namespace

QList<TMergeField> FindMergeFields(const QTextDocument& doc) {
    QList<TMergeField> fields;
    for (QTextBlock block = doc.begin(); block.isValid(); block = block.next()) {
        TMergeField* open = nullptr;
        for (auto it = block.begin(); !it.atEnd(); ++it) {
            const QTextFragment fragment = it.fragment();
            const QTextCharFormat f = fragment.charFormat();
            const int tag = f.intProperty(kMergeTagProperty);
            const QString text = fragment.text();
            for (int i = 0; i < text.size(); ++i) {
                if (IsMarker(text[i], f)) {
                    fields.append(TMergeField{tag, QString(), fragment.position() + i, 1});
                    open = &fields.last();
                } else if (open != nullptr && tag == open->Tag) {
                    open->Text += text[i];
                    ++open->Length;
                } else {
                    open = nullptr;
                }
            }
        }
    }
    return fields;
}

QSizeF TMergeMarkerHandler::intrinsicSize(QTextDocument* doc, int, const QTextFormat& format) {
    if (display_ == TMarkerDisplay::Hidden) {
        return {0, 0};
    }
    // As high as the font's ascent: the marker stands on the baseline and does not make the
    // line taller.
    const QFontMetricsF metrics(DeviceFont(doc, format));
    return {metrics.horizontalAdvance(kMarkerChar), metrics.ascent()};
}

void TMergeMarkerHandler::drawObject(QPainter* painter, const QRectF& rect, QTextDocument* doc, int,
                                     const QTextFormat& format) {
    if (display_ == TMarkerDisplay::Hidden) {
        return;
    }
    painter->save();
    painter->setFont(DeviceFont(doc, format));
    painter->setPen(Qt::red);
    painter->drawText(QPointF(rect.left(), rect.bottom()), QString(kMarkerChar));
    painter->restore();
}

} // namespace tolvane::richtext
