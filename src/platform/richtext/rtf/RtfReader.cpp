#include "platform/richtext/rtf/RtfReader.h"

#include "platform/richtext/rtf/Encoding.h"
#include "platform/richtext/rtf/RtfTokenizer.h"

#include <algorithm>
#include <array>
#include <map>
#include <string>
#include <vector>

namespace tolvane::rtf {

namespace {

constexpr size_t kMaxDepth = 512; // deeper groups are read as skipped
constexpr int kMaxTwips = 31680;  // 22 inches: bound for every length we take
constexpr int kMaxHalfPoints = 3200;

enum class Dest {
    Normal,     // visible text
    Skip,       // a destination we do not show
    FontTable,  // \fonttbl
    ColorTable, // \colortbl
    FieldInst,  // \fldinst of the innermost field
    Upr,        // \upr: skipped except for its \*\ud part
};

struct CharState {
    int Font = -1; // font number; -1 = \deff
    int HalfPoints = 24;
    bool Bold = false;
    bool Italic = false;
    bool Underline = false;
    bool Hidden = false; // \v
    int Color = 0;
    bool operator==(const CharState&) const = default;
};

struct GroupState {
    Dest Destination = Dest::Normal;
    Dest UprOuter = Dest::Normal; // destination that \*\ud restores inside \upr
    CharState Chr;
    ParaFormat Para;
    int Uc = 1;
    int MergeTag = 0;
    bool Ignorable = false; // \* seen: an unknown destination word skips the group
    bool OwnsField = false;
    bool FontEntry = false; // a {\fN ...} group in the font table
};

struct Field {
    std::string Instruction;
    bool Resolved = false;
    int Tag = 0;
    bool MarkerEmitted = false;
    CharState MarkerChr;
    int MarkerTag = 0;
};

// Destinations that never hold document text.
bool IsSkippedDestination(std::string_view w) {
    static constexpr std::array<std::string_view, 48> kSkip = {
        "stylesheet", "info",      "pict",     "object",    "header",    "headerl",   "headerr",
        "headerf",    "footer",    "footerl",  "footerr",   "footerf",   "footnote",  "annotation",
        "xe",         "tc",        "txe",      "rxe",       "filetbl",   "revtbl",    "listtable",
        "pn",         "pntxta",    "pntxtb",   "shp",       "shpinst",   "shppict",   "nonshppict",
        "do",         "ftnsep",    "ftnsepc",  "aftnsep",   "aftnsepc",  "ftncn",     "aftncn",
        "themedata",  "datastore", "xmlnstbl", "rsidtbl",   "generator", "userprops", "template",
        "objdata",    "result",    "atnid",    "atnauthor", "bkmkstart", "bkmkend",
    };
    return std::find(kSkip.begin(), kSkip.end(), w) != kSkip.end();
}

// Underline variants: every kind of underline reads as underline.
bool IsUnderlineWord(std::string_view w) {
    static constexpr std::array<std::string_view, 17> kUl = {
        "ul",         "uld",       "uldash",     "uldashd", "uldashdd", "uldb",
        "ulhwave",    "ulldash",   "ulth",       "ulthd",   "ulthdash", "ulthdashd",
        "ulthdashdd", "ulthldash", "ululdbwave", "ulw",     "ulwave",
    };
    return std::find(kUl.begin(), kUl.end(), w) != kUl.end();
}

int Clamp(int v, int lo, int hi) {
    return std::clamp(v, lo, hi);
}

class Reader {
public:
    explicit Reader(std::string_view input) : tok_(input) { stack_.emplace_back(); }

    Document Read() {
        for (;;) {
            const Token t = tok_.Next();
            if (t.Kind == TokenKind::End) {
                break;
            }
            if (!Handle(t)) {
                break;
            }
        }
        while (stack_.size() > 1) {
            PopGroup();
        }
        if (!cur_.Runs.empty() || (pendingBreak_ && !pendingFromSect_)) {
            EndParagraph();
        }
        return std::move(doc_);
    }

private:
    GroupState& S() { return stack_.back(); }

    // Returns false once the outermost group has closed.
    bool Handle(const Token& t) {
        if (overflow_ > 0) {
            if (t.Kind == TokenKind::GroupStart) {
                ++overflow_;
            } else if (t.Kind == TokenKind::GroupEnd) {
                --overflow_;
            }
            return true;
        }
        if (t.Kind == TokenKind::GroupStart || t.Kind == TokenKind::GroupEnd) {
            skip_ = 0;
        } else if (skip_ > 0) {
            --skip_; // fallback characters after \uN
            return true;
        }
        switch (t.Kind) {
        case TokenKind::GroupStart:
            if (stack_.size() >= kMaxDepth) {
                overflow_ = 1;
            } else {
                GroupState next = S();
                next.Ignorable = false;
                next.OwnsField = false;
                next.FontEntry = false;
                stack_.push_back(next);
                seenGroup_ = true;
            }
            return true;
        case TokenKind::GroupEnd:
            if (stack_.size() <= 1) {
                return !seenGroup_;
            }
            PopGroup();
            return !(stack_.size() == 1 && seenGroup_);
        case TokenKind::ControlWord:
            Word(t);
            return true;
        case TokenKind::ControlSymbol:
            Symbol(t.Symbol);
            return true;
        case TokenKind::HexByte:
        case TokenKind::Text:
            if (t.Byte == '\t') {
                Char(u'\t');
            } else if (t.Byte >= 0x20) {
                Char(Cp1252ToUnicode(t.Byte));
            }
            return true;
        case TokenKind::Binary:
        case TokenKind::End:
            return true;
        }
        return true;
    }

    void PopGroup() {
        const GroupState done = S();
        if (done.Destination == Dest::FontTable && done.FontEntry) {
            CommitFont();
        }
        stack_.pop_back();
        if (done.OwnsField && !fields_.empty()) {
            Field f = fields_.back();
            fields_.pop_back();
            if (!f.Resolved) {
                Resolve(f);
            }
            if (f.Tag > 0 && !f.MarkerEmitted && S().Destination == Dest::Normal) {
                EmitMarker(f.Tag, S().Chr);
            }
        }
    }

    void Word(const Token& t) {
        const std::string_view w = t.Name;
        const int p = t.Param;
        GroupState& s = S();
        // \* applies to the control word right after it only.
        const bool ignorable = s.Ignorable;
        s.Ignorable = false;
        switch (s.Destination) {
        case Dest::Skip:
            return;
        case Dest::Upr:
            if (w == "ud" && ignorable) {
                s.Destination = s.UprOuter;
            }
            return;
        case Dest::FontTable:
            FontWord(t, ignorable);
            return;
        case Dest::ColorTable:
            if (w == "red") {
                color_.Red = static_cast<uint8_t>(Clamp(p, 0, 255)), colorSet_ = true;
            } else if (w == "green") {
                color_.Green = static_cast<uint8_t>(Clamp(p, 0, 255)), colorSet_ = true;
            } else if (w == "blue") {
                color_.Blue = static_cast<uint8_t>(Clamp(p, 0, 255)), colorSet_ = true;
            }
            return;
        case Dest::FieldInst:
        case Dest::Normal:
            break;
        }
        if (Destination(w)) {
            return;
        }
        if (ignorable) {
            s.Destination = Dest::Skip; // \* before a word we do not know
            return;
        }
        if (s.Destination == Dest::FieldInst) {
            if (w == "u") {
                Unicode(p);
            }
            return;
        }
        if (CharWord(w, t.HasParam, p) || ParaWord(w, t.HasParam, p) || DocWord(w, p)) {
            return;
        }
        SpecialWord(w, p);
    }

    // Destination words; true when the word was one.
    bool Destination(std::string_view w) {
        GroupState& s = S();
        if (w == "fonttbl") {
            s.Destination = Dest::FontTable;
        } else if (w == "colortbl") {
            s.Destination = Dest::ColorTable;
            colors_.clear();
            colorSet_ = false;
            color_ = {};
        } else if (w == "field") {
            if (!s.OwnsField) {
                s.OwnsField = true;
                fields_.emplace_back();
            }
        } else if (w == "fldinst") {
            s.Destination = fields_.empty() ? Dest::Skip : Dest::FieldInst;
        } else if (w == "fldrslt") {
            if (fields_.empty()) {
                return true;
            }
            Field& f = fields_.back();
            if (!f.Resolved) {
                Resolve(f);
            }
            if (f.Tag > 0 && !f.MarkerEmitted) {
                EmitMarker(f.Tag, s.Chr);
                f.MarkerEmitted = true;
                s.MergeTag = f.Tag;
            }
        } else if (w == "upr") {
            s.UprOuter = s.Destination;
            s.Destination = Dest::Upr;
        } else if (IsSkippedDestination(w)) {
            s.Destination = Dest::Skip;
        } else {
            return false;
        }
        return true;
    }

    static void Resolve(Field& f) {
        f.Resolved = true;
        // MERGEFIELD NAME [switches]; the name may be quoted.
        std::vector<std::string> words;
        std::string word;
        bool quoted = false;
        for (const char c : f.Instruction) {
            if (c == '"') {
                quoted = !quoted;
            } else if ((c == ' ' || c == '\t') && !quoted) {
                if (!word.empty()) {
                    words.push_back(word);
                    word.clear();
                }
            } else {
                word += c;
            }
        }
        if (!word.empty()) {
            words.push_back(word);
        }
        if (words.size() >= 2) {
            std::string first = words[0];
            std::transform(first.begin(), first.end(), first.begin(),
                           [](char c) { return static_cast<char>(c >= 'a' && c <= 'z' ? c - 32 : c); });
            if (first == "MERGEFIELD") {
                f.Tag = MergeFieldTag(words[1]);
            }
        }
    }

    void FontWord(const Token& t, bool ignorable) {
        GroupState& s = S();
        if (t.Name == "f") {
            if (!fontName_.empty()) {
                CommitFont();
            }
            fontNumber_ = t.Param;
            s.FontEntry = true;
        } else if (t.Name == "u") {
            Unicode(t.Param);
        } else if (ignorable || IsSkippedDestination(t.Name) || t.Name == "falt" || t.Name == "panose") {
            s.Destination = Dest::Skip;
        }
    }

    void CommitFont() {
        // Names end with ';'; white space around them is not part of the name.
        size_t b = 0;
        size_t e = fontName_.size();
        while (b < e && fontName_[b] == u' ') {
            ++b;
        }
        while (e > b && fontName_[e - 1] == u' ') {
            --e;
        }
        if (e > b && !fonts_.contains(fontNumber_)) {
            fonts_[fontNumber_] = fontName_.substr(b, e - b);
        }
        fontName_.clear();
    }

    bool CharWord(std::string_view w, bool hasParam, int p) {
        CharState& c = S().Chr;
        const bool on = !hasParam || p != 0;
        if (w == "plain") {
            c = CharState{};
        } else if (w == "b") {
            c.Bold = on;
        } else if (w == "i") {
            c.Italic = on;
        } else if (IsUnderlineWord(w)) {
            c.Underline = on;
        } else if (w == "ulnone") {
            c.Underline = false;
        } else if (w == "f") {
            c.Font = p;
        } else if (w == "fs") {
            c.HalfPoints = hasParam && p > 0 ? Clamp(p, 2, kMaxHalfPoints) : 24;
        } else if (w == "cf") {
            c.Color = std::max(p, 0);
        } else if (w == "v") {
            c.Hidden = on;
        } else {
            return false;
        }
        return true;
    }

    bool ParaWord(std::string_view w, bool hasParam, int p) {
        ParaFormat& f = S().Para;
        const int len = Clamp(p, -kMaxTwips, kMaxTwips);
        if (w == "pard") {
            f = ParaFormat{};
        } else if (w == "ql") {
            f.Align = Alignment::Left;
        } else if (w == "qr") {
            f.Align = Alignment::Right;
        } else if (w == "qc") {
            f.Align = Alignment::Center;
        } else if (w == "qj" || w == "qd") {
            f.Align = Alignment::Justify;
        } else if (w == "fi") {
            f.FirstIndent = len;
        } else if (w == "li" || w == "lin") {
            f.LeftIndent = len;
        } else if (w == "ri" || w == "rin") {
            f.RightIndent = len;
        } else if (w == "sb") {
            f.SpaceBefore = std::max(len, 0);
        } else if (w == "sa") {
            f.SpaceAfter = std::max(len, 0);
        } else if (w == "sl") {
            f.LineSpacing = len;
            if (len == 0) {
                f.LineMultiple = false;
            }
        } else if (w == "slmult") {
            f.LineMultiple = !hasParam || p != 0;
        } else if (w == "pagebb") {
            f.PageBreakBefore = !hasParam || p != 0;
        } else {
            return false;
        }
        return true;
    }

    bool DocWord(std::string_view w, int p) {
        PageSetup& pg = doc_.Page;
        const int len = Clamp(p, 0, kMaxTwips);
        const bool firstSection = !seenSect_;
        if (w == "deff") {
            deff_ = p;
        } else if (w == "paperw" || (w == "pgwsxn" && firstSection)) {
            pg.Width = std::max(len, 1440);
        } else if (w == "paperh" || (w == "pghsxn" && firstSection)) {
            pg.Height = std::max(len, 1440);
        } else if (w == "margl" || (w == "marglsxn" && firstSection)) {
            pg.MarginLeft = len;
        } else if (w == "margr" || (w == "margrsxn" && firstSection)) {
            pg.MarginRight = len;
        } else if (w == "margt" || (w == "margtsxn" && firstSection)) {
            pg.MarginTop = len;
        } else if (w == "margb" || (w == "margbsxn" && firstSection)) {
            pg.MarginBottom = len;
        } else {
            return false;
        }
        return true;
    }

    void SpecialWord(std::string_view w, int p) {
        struct Named {
            std::string_view Word;
            char16_t Unit;
        };
        static constexpr std::array<Named, 16> kChars = {{
            {"tab", u'\t'},
            {"line", u'\u2028'},
            {"lquote", u'\u2018'},
            {"rquote", u'\u2019'},
            {"ldblquote", u'\u201C'},
            {"rdblquote", u'\u201D'},
            {"bullet", u'\u2022'},
            {"endash", u'\u2013'},
            {"emdash", u'\u2014'},
            {"enspace", u'\u2002'},
            {"emspace", u'\u2003'},
            {"qmspace", u'\u2005'},
            {"cell", u'\t'},
            {"nestcell", u'\t'},
            {"zwj", u'\u200D'},
            {"zwnj", u'\u200C'},
        }};
        for (const Named& n : kChars) {
            if (n.Word == w) {
                Char(n.Unit);
                return;
            }
        }
        if (w == "par" || w == "row" || w == "nestrow") {
            if (S().Destination == Dest::Normal) {
                EndParagraph();
            }
        } else if (w == "page") {
            if (S().Destination != Dest::Normal) {
                return;
            }
            if (!cur_.Runs.empty()) {
                EndParagraph();
            }
            pendingBreak_ = true;
            pendingFromSect_ = false;
        } else if (w == "sect") {
            if (S().Destination != Dest::Normal) {
                return;
            }
            if (!cur_.Runs.empty()) {
                EndParagraph();
            }
            seenSect_ = true;
            if (!pendingBreak_) {
                pendingBreak_ = true;
                pendingFromSect_ = true;
            }
        } else if (w == "sbknone" || w == "sbkcol") {
            // The break kind of a section is given after the \sect that begins it.
            if (pendingBreak_ && pendingFromSect_ && cur_.Runs.empty()) {
                pendingBreak_ = false;
            }
        } else if (w == "uc") {
            S().Uc = Clamp(p, 0, 16);
        } else if (w == "u") {
            Unicode(p);
        }
    }

    // \uN: a UTF-16 unit, negative above 32767; the fallback characters after it are skipped.
    void Unicode(int n) {
        if (n >= -32768 && n <= 65535) {
            Char(static_cast<char16_t>(n));
        }
        skip_ = S().Uc;
    }

    void Symbol(char c) {
        GroupState& s = S();
        if (c == '*') {
            s.Ignorable = true;
            return;
        }
        switch (c) {
        case '\\':
        case '{':
        case '}':
            Char(static_cast<char16_t>(c));
            break;
        case '~':
            Char(u'\u00A0');
            break;
        case '-':
            Char(u'\u00AD');
            break;
        case '_':
            Char(u'\u2011');
            break;
        case '\n':
        case '\r':
            // "\" before a line end is \par; the tokenizer drops CR and LF, so this is rare.
            if (s.Destination == Dest::Normal) {
                EndParagraph();
            }
            break;
        default:
            break;
        }
    }

    void Char(char16_t unit) {
        GroupState& s = S();
        switch (s.Destination) {
        case Dest::FontTable:
            if (unit == u';') {
                CommitFont();
            } else if (unit >= 0x20 && unit != 0x7F) {
                fontName_ += unit;
            }
            return;
        case Dest::ColorTable:
            if (unit == u';') {
                colors_.push_back(colorSet_ ? std::optional<Color>(color_) : std::nullopt);
                colorSet_ = false;
                color_ = {};
            }
            return;
        case Dest::FieldInst:
            if (!fields_.empty() && unit < 0x80 && fields_.back().Instruction.size() < 1024) {
                fields_.back().Instruction += static_cast<char>(unit);
            }
            return;
        case Dest::Normal:
            break;
        case Dest::Skip:
        case Dest::Upr:
            return;
        }
        if (s.Chr.Hidden || !IsTextUnit(unit)) {
            return;
        }
        if (cur_.Runs.empty() || cur_.Runs.back().Kind != RunKind::Text || lastChr_ != s.Chr ||
            cur_.Runs.back().MergeTag != s.MergeTag) {
            Run r;
            r.Format = Resolve(s.Chr);
            r.MergeTag = s.MergeTag;
            cur_.Runs.push_back(std::move(r));
            lastChr_ = s.Chr;
        }
        cur_.Runs.back().Text += unit;
    }

    void EmitMarker(int tag, const CharState& chr) {
        Run r;
        r.Kind = RunKind::MergeMarker;
        r.Format = Resolve(chr);
        r.MergeTag = tag;
        cur_.Runs.push_back(std::move(r));
    }

    CharFormat Resolve(const CharState& c) const {
        CharFormat f;
        auto font = fonts_.find(c.Font >= 0 ? c.Font : deff_);
        if (font == fonts_.end()) {
            font = fonts_.find(deff_);
        }
        if (font != fonts_.end()) {
            f.Font = font->second;
        }
        f.HalfPoints = c.HalfPoints;
        f.Bold = c.Bold;
        f.Italic = c.Italic;
        f.Underline = c.Underline;
        if (static_cast<size_t>(c.Color) < colors_.size()) {
            f.Foreground = colors_[static_cast<size_t>(c.Color)];
        }
        return f;
    }

    void EndParagraph() {
        cur_.Format = S().Para;
        cur_.Format.PageBreakBefore = cur_.Format.PageBreakBefore || pendingBreak_;
        cur_.MarkFormat = Resolve(S().Chr);
        doc_.Paragraphs.push_back(std::move(cur_));
        cur_ = Paragraph{};
        pendingBreak_ = false;
        pendingFromSect_ = false;
    }

    RtfTokenizer tok_;
    std::vector<GroupState> stack_;
    size_t overflow_ = 0;
    bool seenGroup_ = false;
    int skip_ = 0;
    Document doc_;
    Paragraph cur_;
    CharState lastChr_;
    bool pendingBreak_ = false;
    bool pendingFromSect_ = false;
    bool seenSect_ = false;
    std::map<int, std::u16string> fonts_;
    int fontNumber_ = 0;
    std::u16string fontName_;
    int deff_ = 0;
    std::vector<std::optional<Color>> colors_;
    Color color_;
    bool colorSet_ = false;
    std::vector<Field> fields_;
};

} // namespace

bool LooksLikeRtf(std::string_view bytes) {
    size_t i = 0;
    if (bytes.substr(0, 3) == "\xEF\xBB\xBF") {
        i = 3;
    }
    while (i < bytes.size() &&
           (bytes[i] == ' ' || bytes[i] == '\t' || bytes[i] == '\r' || bytes[i] == '\n')) {
        ++i;
    }
    return bytes.substr(i, 5) == "{\\rtf";
}

Document ReadRtf(std::string_view bytes) {
    return Reader(bytes).Read();
}

Document ReadPlainText(std::string_view bytes) {
    if (bytes.substr(0, 3) == "\xEF\xBB\xBF") {
        bytes.remove_prefix(3);
    }
    std::u16string text;
    if (auto utf8 = DecodeUtf8(bytes)) {
        text = std::move(*utf8);
    } else {
        text.reserve(bytes.size());
        for (const char c : bytes) {
            text += Cp1252ToUnicode(static_cast<uint8_t>(c));
        }
    }
    Document doc;
    Paragraph para;
    auto end = [&](bool breakAfter) {
        doc.Paragraphs.push_back(std::move(para));
        para = Paragraph{};
        para.Format.PageBreakBefore = breakAfter;
    };
    for (size_t i = 0; i < text.size(); ++i) {
        const char16_t c = text[i];
        if (c == u'\r' || c == u'\n') {
            if (c == u'\r' && i + 1 < text.size() && text[i + 1] == u'\n') {
                ++i;
            }
            end(false);
        } else if (c == u'\f') {
            if (!para.Runs.empty()) {
                end(true);
            } else {
                para.Format.PageBreakBefore = true;
            }
        } else if (IsTextUnit(c)) {
            if (para.Runs.empty()) {
                para.Runs.emplace_back();
            }
            para.Runs.back().Text += c;
        }
    }
    if (!para.Runs.empty() || para.Format.PageBreakBefore) {
        end(false);
    }
    return doc;
}

Document ReadDocument(std::string_view bytes) {
    return LooksLikeRtf(bytes) ? ReadRtf(bytes) : ReadPlainText(bytes);
}

} // namespace tolvane::rtf
