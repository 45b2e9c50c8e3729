// Values the rich-text control takes and gives: page setup, font and paragraph attributes,
// merge fields. Lengths are in twips (1440 to the inch), font sizes in points.
#pragma once

#include "platform/richtext/rtf/RtfDocument.h"

#include <QChar>
#include <QString>
#include <QTextFormat>
#include <optional>

namespace tolvane {

// Page size and margins in twips.
using TPageSetup = rtf::PageSetup;

struct TFontAttributes {
    QString Name;
    int Size = 10; // points
    bool Bold = false;
    bool Italic = false;
    bool Underline = false;
    bool operator==(const TFontAttributes&) const = default;
};

enum class TAlignment { Left, Right, Center, Justify };

// The indents and spacing of a paragraph, in twips. FirstIndent is measured from the left
// margin like LeftIndent, so a paragraph without a special first line has FirstIndent ==
// LeftIndent. LineHeight 0 means single spacing; a positive value is the least line height.
struct TParagraphAttributes {
    int FirstIndent = 0;
    int LeftIndent = 0;
    int RightIndent = 0;
    int SpaceBefore = 0;
    int SpaceAfter = 0;
    int LineHeight = 0;
    bool operator==(const TParagraphAttributes&) const = default;
};

// Whether the marker character of merge fields takes room and shows.
enum class TMarkerDisplay { Shown, Hidden };

// A merge field: the marker character at Position, its visible text after it.
struct TMergeField {
    int Tag = 0;
    QString Text;
    int Position = 0; // document position of the marker
    int Length = 1;   // marker and visible text
};

// What the merge operation asks for one field; the handler sets Replacement (the new visible
// text) or leaves it empty to keep the field as it is, and may clear DoContinue to stop.
struct TMergeFieldRequest {
    int Tag = 0;
    QChar Marker;
    QString Text;
    bool DoContinue = true;
    std::optional<QString> Replacement;
};

namespace richtext {

// Format properties of our own in QTextDocument.
inline constexpr int kMergeTagProperty = QTextFormat::UserProperty + 1; // int: tag of field text and markers
inline constexpr int kMergeMarkerObject = QTextFormat::UserObject + 1;  // object type of a marker
inline constexpr QChar kMarkerChar = u'*';

} // namespace richtext

} // namespace tolvane
