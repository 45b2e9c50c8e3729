#include "printing/FaxPrintLayout.h"

#include <QLocale>
#include <cmath>
#include <cstdint>

namespace tolvane {

TPrintArea SheetArea(QSize sheet, bool multiPage, TSheetOrientation orientation, int page) {
    int left = 0;
    int top = 0;
    int right = sheet.width();
    int bottom = sheet.height();
    if (multiPage) {
        const bool portrait = orientation == TSheetOrientation::Portrait;
        const int q = page % 4;
        const int halfWidth = right / 2;
        const int halfHeight = bottom / 2;
        right = halfWidth;
        if (portrait) {
            bottom = halfHeight;
        }
        if (q == 1 || q == 3) {
            left = halfWidth;
            right = sheet.width();
        }
        if (portrait && q >= 2) {
            top = halfHeight;
            bottom = sheet.height();
        }
    }
    return {left + 2, top + 2, right - 2, bottom - 2};
}

bool StartsSheet(bool multiPage, TSheetOrientation orientation, int page) {
    if (page == 0) {
        return false;
    }
    if (!multiPage) {
        return true;
    }
    return page % (orientation == TSheetOrientation::Portrait ? 4 : 2) == 0;
}

QSize FaxImageSize(TFaxPrintScale scale, const TPrintArea& area, QSize bitmap) {
    const int64_t areaWidth = area.Width();
    const int64_t areaHeight = area.Height();
    if (scale == TFaxPrintScale::psNone) {
        return {bitmap.width(), static_cast<int>(std::min<int64_t>(bitmap.height(), areaHeight))};
    }
    const auto width = static_cast<int>(std::trunc(static_cast<double>(areaWidth) * 0.93));
    const int64_t fullPage = bitmap.width() <= 1728 ? 2156 : 1728;
    const int64_t height = (areaHeight * bitmap.height() + fullPage / 2) / fullPage;
    return {width, static_cast<int>(height)};
}

QString ShortDateText(const QDate& date) {
    return QLocale::system().toString(date, QLocale::ShortFormat);
}

QString TimeText(const QTime& time) {
    // The long form without the time zone.
    QString format = QLocale::system().timeFormat(QLocale::LongFormat);
    format.remove(QLatin1Char('t'));
    return QLocale::system().toString(time, format.trimmed());
}

QString DateTimeText(const QDateTime& when) {
    return ShortDateText(when.date()) + QLatin1Char(' ') + TimeText(when.time());
}

QString ExpandMarginTokens(const QString& caption, const TMarginValues& values) {
    QString text = caption;
    qsizetype from = 0;
    for (;;) {
        const qsizetype at = text.indexOf(QLatin1Char('$'), from);
        if (at < 0) {
            return text;
        }
        qsizetype end = text.indexOf(QLatin1Char(' '), at);
        if (end < 0) {
            end = text.size();
        }
        const QChar letter = at + 1 < end ? text[at + 1].toUpper() : QChar();
        QString value;
        if (letter == QLatin1Char('D')) {
            value = ShortDateText(values.now.date());
        } else if (letter == QLatin1Char('F')) {
            value = values.fileName;
        } else if (letter == QLatin1Char('N')) {
            value = QString::number(values.totalPages);
        } else if (letter == QLatin1Char('P')) {
            value = QString::number(values.currentPage);
        } else if (letter == QLatin1Char('T')) {
            value = TimeText(values.now.time());
        }
        text.replace(at, end - at, value);
        from = at + value.size();
    }
}

} // namespace tolvane
