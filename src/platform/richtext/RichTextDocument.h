// Moves documents between RTF and QTextDocument, the model the editor and the page layout
// work on. Lengths in a QTextDocument are pixels of the reference resolution (what Qt scales
// to the layout's paint device); TwipsToPixels and PixelsToTwips convert.
//
// How the RTF model appears in a QTextDocument:
// - a paragraph is a block; a hard page break is PageBreak_AlwaysBefore on the block that
//   starts the new page;
// - a merge field is an object replacement character of object type kMergeMarkerObject
//   carrying kMergeTagProperty, followed by its visible text, whose characters carry the same
//   kMergeTagProperty.
#pragma once

#include "platform/richtext/RichTextTypes.h"
#include "platform/richtext/rtf/RtfDocument.h"

#include <QByteArray>
#include <QTextCharFormat>
#include <QTextDocument>

namespace tolvane::richtext {

// Dots per inch of the reference resolution.
int ReferenceDpi();
qreal TwipsToPixels(int twips);
int PixelsToTwips(qreal pixels);

// Replaces the content of `doc` by the model's paragraphs.
void ToTextDocument(const rtf::Document& model, QTextDocument& doc);
// The model of a QTextDocument's content (Page stays at its default).
rtf::Document FromTextDocument(const QTextDocument& doc);

// Reads RTF (or plain text) into `doc`; gives the page setup the file declares.
TPageSetup ReadRtf(const QByteArray& bytes, QTextDocument& doc);
QByteArray WriteRtf(const QTextDocument& doc, const TPageSetup& page);

// The font family a format names; empty when it names none.
QString FontFamilyOf(const QTextCharFormat& format);

// The format of a merge-field marker whose text has the format `base`.
QTextCharFormat MarkerFormat(const QTextCharFormat& base, int tag);
bool IsMarker(QChar c, const QTextCharFormat& format);

} // namespace tolvane::richtext
