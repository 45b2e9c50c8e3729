// Shared helpers of the rich-text tests: fixtures and documents.
#pragma once

#include "platform/richtext/RichTextDocument.h"

#include <QFile>
#include <QString>
#include <QTextBlock>
#include <QTextDocument>
#include <stdexcept>

namespace tolvane::test {

inline QString FixturePath(const QString& name) {
    return QStringLiteral(TOLVANE_SOURCE_DIR "/tests/platform/richtext/fixtures/") + name;
}

inline QByteArray ReadBytes(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        throw std::runtime_error("cannot read " + path.toStdString());
    }
    return file.readAll();
}

// The block with this exact text.
inline QTextBlock BlockWithText(const QTextDocument& doc, const QString& text) {
    for (QTextBlock b = doc.begin(); b.isValid(); b = b.next()) {
        if (b.text() == text) {
            return b;
        }
    }
    throw std::runtime_error("no block " + text.toStdString());
}

// The character format of the first occurrence of `text` (of its first character).
inline QTextCharFormat FormatOfText(const QTextDocument& doc, const QString& text) {
    const QTextCursor found = doc.find(text);
    if (found.isNull()) {
        throw std::runtime_error("no text " + text.toStdString());
    }
    QTextCursor c(const_cast<QTextDocument*>(&doc));
    c.setPosition(found.selectionStart() + 1);
    return c.charFormat();
}

} // namespace tolvane::test
