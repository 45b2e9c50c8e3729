#include "platform/richtext/RichTextDocument.h"

#include "platform/richtext/rtf/RtfReader.h"
#include "platform/richtext/rtf/RtfWriter.h"

#include <QFont>
#include <QTextBlock>
#include <QTextCursor>
#include <algorithm>

// QtGui's own reference resolution, the one QTextDocumentLayout scales lengths from when it
// lays out for another paint device (exported by QtGui, not in its public headers).
Q_GUI_EXPORT int qt_defaultDpiY();

namespace tolvane::richtext {

namespace {

constexpr int kMaxHalfPoints = 3200;

rtf::CharFormat CharOf(const QTextCharFormat& f, const QFont& fallback) {
    rtf::CharFormat c;
    QString family = FontFamilyOf(f);
    if (family.isEmpty()) {
        family = fallback.family();
    }
    c.Font = family.toStdU16String();
    qreal points = f.fontPointSize();
    if (points <= 0) {
        points = fallback.pointSizeF() > 0 ? fallback.pointSizeF() : 12;
    }
    c.HalfPoints = std::clamp(qRound(points * 2), 2, kMaxHalfPoints);
    c.Bold = f.fontWeight() >= QFont::DemiBold;
    c.Italic = f.fontItalic();
    c.Underline = f.fontUnderline();
    if (f.hasProperty(QTextFormat::ForegroundBrush) && f.foreground().style() != Qt::NoBrush) {
        const QColor color = f.foreground().color();
        c.Foreground = rtf::Color{static_cast<uint8_t>(color.red()), static_cast<uint8_t>(color.green()),
                                  static_cast<uint8_t>(color.blue())};
    }
    return c;
}

QTextCharFormat FormatOf(const rtf::CharFormat& c) {
    QTextCharFormat f;
    if (!c.Font.empty()) {
        f.setFontFamilies(QStringList{QString::fromStdU16String(c.Font)});
    }
    f.setFontPointSize(c.HalfPoints / 2.0);
    f.setFontWeight(c.Bold ? QFont::Bold : QFont::Normal);
    f.setFontItalic(c.Italic);
    f.setFontUnderline(c.Underline);
    if (c.Foreground) {
        f.setForeground(QColor(c.Foreground->Red, c.Foreground->Green, c.Foreground->Blue));
    }
    return f;
}

rtf::ParaFormat ParaOf(const QTextBlockFormat& b) {
    rtf::ParaFormat p;
    const Qt::Alignment h = b.alignment() & Qt::AlignHorizontal_Mask;
    if (h & Qt::AlignJustify) {
        p.Align = rtf::Alignment::Justify;
    } else if (h & Qt::AlignHCenter) {
        p.Align = rtf::Alignment::Center;
    } else if (h & Qt::AlignRight) {
        p.Align = rtf::Alignment::Right;
    }
    p.FirstIndent = PixelsToTwips(b.textIndent());
    p.LeftIndent = PixelsToTwips(b.leftMargin());
    p.RightIndent = PixelsToTwips(b.rightMargin());
    p.SpaceBefore = PixelsToTwips(b.topMargin());
    p.SpaceAfter = PixelsToTwips(b.bottomMargin());
    switch (b.lineHeightType()) {
    case QTextBlockFormat::ProportionalHeight:
        p.LineSpacing = qRound(b.lineHeight() * 240 / 100);
        p.LineMultiple = p.LineSpacing != 0;
        break;
    case QTextBlockFormat::MinimumHeight:
        p.LineSpacing = PixelsToTwips(b.lineHeight());
        break;
    case QTextBlockFormat::FixedHeight:
        p.LineSpacing = -PixelsToTwips(b.lineHeight());
        break;
    default:
        break;
    }
    p.PageBreakBefore = (b.pageBreakPolicy() & QTextFormat::PageBreak_AlwaysBefore) != 0;
    return p;
}

QTextBlockFormat BlockOf(const rtf::ParaFormat& p) {
    QTextBlockFormat b;
    switch (p.Align) {
    case rtf::Alignment::Left:
        b.setAlignment(Qt::AlignLeft);
        break;
    case rtf::Alignment::Right:
        b.setAlignment(Qt::AlignRight);
        break;
    case rtf::Alignment::Center:
        b.setAlignment(Qt::AlignHCenter);
        break;
    case rtf::Alignment::Justify:
        b.setAlignment(Qt::AlignJustify);
        break;
    }
    auto set = [](int twips, auto setter) {
        if (twips != 0) {
            setter(TwipsToPixels(twips));
        }
    };
    set(p.FirstIndent, [&](qreal v) { b.setTextIndent(v); });
    set(p.LeftIndent, [&](qreal v) { b.setLeftMargin(v); });
    set(p.RightIndent, [&](qreal v) { b.setRightMargin(v); });
    set(p.SpaceBefore, [&](qreal v) { b.setTopMargin(v); });
    set(p.SpaceAfter, [&](qreal v) { b.setBottomMargin(v); });
    if (p.LineSpacing != 0 && p.LineMultiple) {
        b.setLineHeight(p.LineSpacing * 100.0 / 240, QTextBlockFormat::ProportionalHeight);
    } else if (p.LineSpacing > 0) {
        b.setLineHeight(TwipsToPixels(p.LineSpacing), QTextBlockFormat::MinimumHeight);
    } else if (p.LineSpacing < 0) {
        b.setLineHeight(TwipsToPixels(-p.LineSpacing), QTextBlockFormat::FixedHeight);
    }
    if (p.PageBreakBefore) {
        b.setPageBreakPolicy(QTextFormat::PageBreak_AlwaysBefore);
    }
    return b;
}

// Characters of QTextDocument's own structure that are not text.
bool IsStructure(QChar c) {
    return c == QChar(0xFDD0) || c == QChar(0xFDD1) || c == QChar::ObjectReplacementCharacter ||
           c == QChar::ParagraphSeparator;
}

} // namespace

QString FontFamilyOf(const QTextCharFormat& format) {
    const QStringList families = format.fontFamilies().toStringList();
    return families.isEmpty() ? QString() : families.first();
}

int ReferenceDpi() {
    return qt_defaultDpiY();
}

qreal TwipsToPixels(int twips) {
    return twips * ReferenceDpi() / 1440.0;
}

int PixelsToTwips(qreal pixels) {
    return qRound(pixels * 1440.0 / ReferenceDpi());
}

QTextCharFormat MarkerFormat(const QTextCharFormat& base, int tag) {
    QTextCharFormat f = base;
    f.setObjectType(kMergeMarkerObject);
    f.setProperty(kMergeTagProperty, tag);
    return f;
}

bool IsMarker(QChar c, const QTextCharFormat& format) {
    return c == QChar::ObjectReplacementCharacter && format.objectType() == kMergeMarkerObject &&
           format.intProperty(kMergeTagProperty) > 0;
}

void ToTextDocument(const rtf::Document& model, QTextDocument& doc) {
    doc.clear();
    QTextCursor c(&doc);
    c.beginEditBlock();
    bool first = true;
    for (const rtf::Paragraph& para : model.Paragraphs) {
        const QTextBlockFormat block = BlockOf(para.Format);
        const QTextCharFormat mark = FormatOf(para.MarkFormat);
        if (first) {
            c.setBlockFormat(block);
            c.setBlockCharFormat(mark);
            first = false;
        } else {
            c.insertBlock(block, mark);
        }
        for (const rtf::Run& run : para.Runs) {
            QTextCharFormat f = FormatOf(run.Format);
            if (run.Kind == rtf::RunKind::MergeMarker) {
                c.insertText(QString(QChar::ObjectReplacementCharacter), MarkerFormat(f, run.MergeTag));
                continue;
            }
            if (run.MergeTag > 0) {
                f.setProperty(kMergeTagProperty, run.MergeTag);
            }
            c.insertText(QString::fromStdU16String(run.Text), f);
        }
    }
    c.endEditBlock();
}

rtf::Document FromTextDocument(const QTextDocument& doc) {
    rtf::Document model;
    const QFont fallback = doc.defaultFont();
    for (QTextBlock block = doc.begin(); block.isValid(); block = block.next()) {
        rtf::Paragraph para;
        para.Format = ParaOf(block.blockFormat());
        para.MarkFormat = CharOf(block.charFormat(), fallback);
        int openTag = 0; // tag of the field whose visible text may continue here
        auto append = [&](const QString& text, const rtf::CharFormat& format, int tag) {
            if (para.Runs.empty() || para.Runs.back().Kind != rtf::RunKind::Text ||
                para.Runs.back().MergeTag != tag || !(para.Runs.back().Format == format)) {
                rtf::Run run;
                run.Format = format;
                run.MergeTag = tag;
                para.Runs.push_back(std::move(run));
            }
            para.Runs.back().Text += text.toStdU16String();
        };
        for (auto it = block.begin(); !it.atEnd(); ++it) {
            const QTextFragment fragment = it.fragment();
            const QTextCharFormat f = fragment.charFormat();
            const rtf::CharFormat format = CharOf(f, fallback);
            const QString text = fragment.text();
            const int tag = f.intProperty(kMergeTagProperty);
            QString pending;
            auto flush = [&] {
                if (!pending.isEmpty()) {
                    if (tag != openTag) {
                        openTag = 0;
                    }
                    append(pending, format, openTag);
                    pending.clear();
                }
            };
            for (const QChar ch : text) {
                if (IsMarker(ch, f)) {
                    flush();
                    rtf::Run marker;
                    marker.Kind = rtf::RunKind::MergeMarker;
                    marker.Format = format;
                    marker.MergeTag = tag;
                    para.Runs.push_back(std::move(marker));
                    openTag = tag;
                } else if (!IsStructure(ch)) {
                    pending += ch;
                }
            }
            flush();
        }
        model.Paragraphs.push_back(std::move(para));
    }
    return model;
}

TPageSetup ReadRtf(const QByteArray& bytes, QTextDocument& doc) {
    const rtf::Document model = rtf::ReadDocument(std::string_view(bytes.constData(), bytes.size()));
    ToTextDocument(model, doc);
    return model.Page;
}

QByteArray WriteRtf(const QTextDocument& doc, const TPageSetup& page) {
    rtf::Document model = FromTextDocument(doc);
    model.Page = page;
    const std::string rtf = rtf::WriteRtf(model);
    return QByteArray(rtf.data(), static_cast<qsizetype>(rtf.size()));
}

} // namespace tolvane::richtext
