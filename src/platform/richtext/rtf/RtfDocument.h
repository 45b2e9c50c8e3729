// The document model between RTF and the editor: paragraphs of formatted runs, with the values
// RTF itself uses (twips, half points, \sl and \slmult). The reader produces it, the writer
// consumes it; the Qt layer converts it to and from QTextDocument.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace tolvane::rtf {

struct Color {
    uint8_t Red = 0;
    uint8_t Green = 0;
    uint8_t Blue = 0;
    bool operator==(const Color&) const = default;
};

struct CharFormat {
    std::u16string Font; // family name; empty when the document names none
    int HalfPoints = 24; // \fs: RTF's default is 12 points
    bool Bold = false;
    bool Italic = false;
    bool Underline = false;
    std::optional<Color> Foreground; // none = automatic (\cf0)
    bool operator==(const CharFormat&) const = default;
};

enum class Alignment { Left, Right, Center, Justify };

struct ParaFormat {
    Alignment Align = Alignment::Left;
    int FirstIndent = 0; // \fi: first line relative to the left indent, twips
    int LeftIndent = 0;  // \li
    int RightIndent = 0; // \ri
    int SpaceBefore = 0; // \sb
    int SpaceAfter = 0;  // \sa
    // \sl: 0 = single spacing; with LineMultiple a multiple of single spacing in 240ths,
    // otherwise positive = at least, negative = exactly that many twips.
    int LineSpacing = 0;
    bool LineMultiple = false;    // \slmult1
    bool PageBreakBefore = false; // a hard page break ends the previous page here
    bool operator==(const ParaFormat&) const = default;
};

enum class RunKind {
    Text,        // text: UTF-16, with U+0009 for tabs and U+2028 for line breaks
    MergeMarker, // the marker character that starts a merge field (Text is empty)
};

// A merge field is a MergeMarker run followed by the Text runs of its visible text; all carry
// the field's tag.
struct Run {
    RunKind Kind = RunKind::Text;
    std::u16string Text;
    CharFormat Format;
    int MergeTag = 0; // > 0 inside a merge field
    bool operator==(const Run&) const = default;
};

struct Paragraph {
    ParaFormat Format;
    CharFormat MarkFormat; // format of the paragraph mark (height of an empty paragraph)
    std::vector<Run> Runs;
    bool operator==(const Paragraph&) const = default;
};

// Page size and margins in twips (1440 to the inch); the defaults are RTF's.
struct PageSetup {
    int Width = 12240;
    int Height = 15840;
    int MarginLeft = 1800;
    int MarginRight = 1800;
    int MarginTop = 1440;
    int MarginBottom = 1440;
    bool operator==(const PageSetup&) const = default;
};

struct Document {
    PageSetup Page;
    std::vector<Paragraph> Paragraphs;
    bool operator==(const Document&) const = default;
};

// The name of a merge field with this tag in a MERGEFIELD instruction ("TAG3"), and the tag of
// a field name (0 when the name is not one of ours).
std::string MergeFieldName(int tag);
int MergeFieldTag(const std::string& name);

} // namespace tolvane::rtf
