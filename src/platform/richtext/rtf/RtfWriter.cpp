#include "platform/richtext/rtf/RtfWriter.h"

#include "platform/richtext/rtf/Encoding.h"

#include <algorithm>
#include <vector>

namespace tolvane::rtf {

namespace {

// The family keyword of the font table: a hint for readers that lack the font.
const char* FamilyOf(const std::u16string& name) {
    auto has = [&](std::u16string_view part) { return name.find(part) != std::u16string::npos; };
    if (has(u"Courier") || has(u"Mono") || has(u"Consolas")) {
        return "\\fmodern";
    }
    if (has(u"Times") || has(u"Serif") || has(u"Roman") || has(u"Georgia") || has(u"Garamond")) {
        return has(u"Sans") ? "\\fswiss" : "\\froman";
    }
    if (has(u"Arial") || has(u"Helvetica") || has(u"Sans") || has(u"Verdana") || has(u"Tahoma")) {
        return "\\fswiss";
    }
    return "\\fnil";
}

class Writer {
public:
    explicit Writer(const Document& doc) : doc_(doc) {}

    std::string Write() {
        CollectTables();
        out_ = "{\\rtf1\\ansi\\ansicpg1252\\deff0\\uc1\n{\\fonttbl";
        for (size_t i = 0; i < fonts_.size(); ++i) {
            out_ += "{\\f" + std::to_string(i) + FamilyOf(fonts_[i]) + "\\fcharset0";
            delimit_ = true;
            Text(fonts_[i]);
            out_ += ";}";
            delimit_ = false;
        }
        out_ += "}\n{\\colortbl;";
        for (const Color& c : colors_) {
            out_ += "\\red" + std::to_string(c.Red) + "\\green" + std::to_string(c.Green) + "\\blue" +
                    std::to_string(c.Blue) + ";";
        }
        out_ += "}\n";
        const PageSetup& p = doc_.Page;
        Word("paperw", p.Width);
        Word("paperh", p.Height);
        Word("margl", p.MarginLeft);
        Word("margr", p.MarginRight);
        Word("margt", p.MarginTop);
        Word("margb", p.MarginBottom);
        Newline();
        for (const Paragraph& para : doc_.Paragraphs) {
            WriteParagraph(para);
        }
        out_ += "}";
        return std::move(out_);
    }

private:
    // Character state as the writer has set it: indexes into the tables.
    struct State {
        int Font = 0;
        int HalfPoints = 24;
        bool Bold = false;
        bool Italic = false;
        bool Underline = false;
        int Color = 0;
    };

    // A font name as the table can hold it: no ';' (it ends a name), no control characters, no
    // spaces around it.
    static std::u16string FontOf(const CharFormat& f) {
        std::u16string name;
        for (const char16_t c : f.Font) {
            if (c >= 0x20 && c != 0x7F && c != u';') {
                name += c;
            }
        }
        const size_t b = name.find_first_not_of(u' ');
        const size_t e = name.find_last_not_of(u' ');
        return b == std::u16string::npos ? kFallbackFont : name.substr(b, e - b + 1);
    }

    void CollectTables() {
        auto add = [&](const CharFormat& f) {
            const std::u16string name = FontOf(f);
            if (std::find(fonts_.begin(), fonts_.end(), name) == fonts_.end()) {
                fonts_.push_back(name);
            }
            if (f.Foreground && std::find(colors_.begin(), colors_.end(), *f.Foreground) == colors_.end()) {
                colors_.push_back(*f.Foreground);
            }
        };
        for (const Paragraph& para : doc_.Paragraphs) {
            for (const Run& r : para.Runs) {
                add(r.Format);
            }
            add(para.MarkFormat);
        }
        if (fonts_.empty()) {
            fonts_.emplace_back(kFallbackFont);
        }
    }

    State StateOf(const CharFormat& f) const {
        State s;
        s.Font = static_cast<int>(std::find(fonts_.begin(), fonts_.end(), FontOf(f)) - fonts_.begin());
        s.HalfPoints = f.HalfPoints;
        s.Bold = f.Bold;
        s.Italic = f.Italic;
        s.Underline = f.Underline;
        if (f.Foreground) {
            s.Color =
                static_cast<int>(std::find(colors_.begin(), colors_.end(), *f.Foreground) - colors_.begin()) +
                1;
        }
        return s;
    }

    void Word(const char* word) {
        out_ += '\\';
        out_ += word;
        delimit_ = true;
    }
    void Word(const char* word, int param) {
        Word(word);
        out_ += std::to_string(param);
    }
    void Newline() {
        out_ += '\n';
        delimit_ = false;
    }

    void SwitchTo(const CharFormat& f) {
        const State n = StateOf(f);
        if (n.Font != state_.Font) {
            Word("f", n.Font);
        }
        if (n.HalfPoints != state_.HalfPoints) {
            Word("fs", n.HalfPoints);
        }
        if (n.Bold != state_.Bold) {
            n.Bold ? Word("b") : Word("b", 0);
        }
        if (n.Italic != state_.Italic) {
            n.Italic ? Word("i") : Word("i", 0);
        }
        if (n.Underline != state_.Underline) {
            n.Underline ? Word("ul") : Word("ulnone");
        }
        if (n.Color != state_.Color) {
            Word("cf", n.Color);
        }
        state_ = n;
    }

    void Literal(char c) {
        if (delimit_) {
            out_ += ' ';
            delimit_ = false;
        }
        out_ += c;
    }

    void Text(const std::u16string& text) {
        static const char* const kHex = "0123456789abcdef";
        for (const char16_t u : text) {
            if (u == u'\\' || u == u'{' || u == u'}') {
                out_ += '\\';
                out_ += static_cast<char>(u);
                delimit_ = false;
            } else if (u == u'\t') {
                Word("tab");
            } else if (u == u'\u2028') {
                Word("line");
            } else if (u >= 0x20 && u < 0x7F) {
                Literal(static_cast<char>(u));
            } else if (!IsTextUnit(u)) {
                // Control characters and editor structure are not text.
            } else if (const auto b = UnicodeToCp1252(u)) {
                out_ += "\\'";
                out_ += kHex[*b >> 4];
                out_ += kHex[*b & 15];
                delimit_ = false;
            } else {
                // The \uc1 fallback as an escape: some readers skip a whole word of text.
                Word("u", static_cast<int16_t>(u));
                out_ += "\\'3f";
                delimit_ = false;
            }
        }
    }

    void WriteParagraph(const Paragraph& para) {
        const ParaFormat& f = para.Format;
        if (f.PageBreakBefore) {
            Word("page");
            Newline();
        }
        Word("pard");
        switch (f.Align) {
        case Alignment::Left:
            break;
        case Alignment::Right:
            Word("qr");
            break;
        case Alignment::Center:
            Word("qc");
            break;
        case Alignment::Justify:
            Word("qj");
            break;
        }
        auto nonzero = [&](const char* w, int v) {
            if (v != 0) {
                Word(w, v);
            }
        };
        nonzero("fi", f.FirstIndent);
        nonzero("li", f.LeftIndent);
        nonzero("ri", f.RightIndent);
        nonzero("sb", f.SpaceBefore);
        nonzero("sa", f.SpaceAfter);
        if (f.LineSpacing != 0) {
            Word("sl", f.LineSpacing);
            Word("slmult", f.LineMultiple ? 1 : 0);
        }
        size_t i = 0;
        while (i < para.Runs.size()) {
            const Run& r = para.Runs[i++];
            if (r.Kind == RunKind::MergeMarker) {
                i = WriteField(para, i, r);
                continue;
            }
            SwitchTo(r.Format);
            Text(r.Text);
        }
        SwitchTo(para.MarkFormat);
        Word("par");
        Newline();
    }

    // Writes the field whose marker is `marker` and whose visible text are the runs from
    // `next` on that carry its tag; returns the index of the first run after it.
    size_t WriteField(const Paragraph& para, size_t next, const Run& marker) {
        SwitchTo(marker.Format);
        const State outside = state_;
        out_ += "{\\field{\\*\\fldinst MERGEFIELD " + MergeFieldName(marker.MergeTag) + "}{";
        Word("fldrslt");
        while (next < para.Runs.size() && para.Runs[next].Kind == RunKind::Text &&
               para.Runs[next].MergeTag == marker.MergeTag) {
            SwitchTo(para.Runs[next].Format);
            Text(para.Runs[next].Text);
            ++next;
        }
        out_ += "}}";
        delimit_ = false;
        state_ = outside; // the group restores the state of before the field
        return next;
    }

    const Document& doc_;
    std::vector<std::u16string> fonts_;
    std::vector<Color> colors_;
    std::string out_;
    State state_;
    bool delimit_ = false; // a control word was written last: text needs a space first
};

} // namespace

std::string WriteRtf(const Document& doc) {
    return Writer(doc).Write();
}

} // namespace tolvane::rtf
