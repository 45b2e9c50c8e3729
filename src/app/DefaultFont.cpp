#include "app/DefaultFont.h"

#include "app/Settings.h"

#include <QFontDialog>
#include <QFontInfo>
#include <QTextCharFormat>
#include <QTextEdit>

namespace tolvane {

QFont DefaultFont() {
    const TSettingsValues& s = Settings();
    QFont font(s.FontName);
    if (s.FontSize > 0) {
        font.setPointSize(s.FontSize);
    }
    font.setBold(s.FontBold);
    font.setItalic(s.FontItalic);
    font.setUnderline(s.FontUnderline);
    return font;
}

void ApplyDefaultFont(QTextEdit& edit) {
    const TSettingsValues& s = Settings();
    QTextCharFormat format = edit.currentCharFormat();
    format.setFontFamilies({s.FontName});
    if (s.FontSize > 0) {
        format.setFontPointSize(s.FontSize);
    }
    format.setFontWeight(s.FontBold ? QFont::Bold : QFont::Normal);
    format.setFontItalic(s.FontItalic);
    format.setFontUnderline(s.FontUnderline);
    edit.setCurrentCharFormat(format);
}

bool ChooseDefaultFont(QWidget* parent) {
    LoadSettings();
    // The dialog lists installed families; "Arial" may be provided by a substitute.
    QFont shown = DefaultFont();
    const QString installed = QFontInfo(shown).family();
    shown.setFamily(installed);
    QFontDialog dialog(shown, parent);
    dialog.setObjectName(QStringLiteral("DefaultFontDialog"));
    dialog.setOption(QFontDialog::DontUseNativeDialog);
    if (dialog.exec() != QDialog::Accepted) {
        return false;
    }
    const QFont font = dialog.selectedFont();
    TSettingsValues& s = Settings();
    // A substitute left as it was keeps the name the settings had.
    if (font.family() != installed) {
        s.FontName = font.family();
    }
    s.FontSize = font.pointSize();
    s.FontBold = font.bold();
    s.FontItalic = font.italic();
    s.FontUnderline = font.underline();
    SaveSettings();
    return true;
}

} // namespace tolvane
