// Geometry and texts of a printed fax sheet: where a fax page goes on the sheet, how large its
// image is drawn, and the $-tokens of the header and footer lines.
#pragma once

#include <QDateTime>
#include <QSize>
#include <QString>

namespace tolvane {

enum class TFaxPrintScale {
    psNone,      // the bitmap's own size, cut to the area's height
    psFitToPage, // 93 % of the area's width, the height in proportion to a full fax page
};

enum class TSheetOrientation { Portrait, Landscape };

// A rectangle in printer pixels as the drawing steps move its edges; right and bottom are the
// edges' coordinates (a line drawn along them is inside the sheet).
struct TPrintArea {
    int left = 0;
    int top = 0;
    int right = 0;
    int bottom = 0;
    int Width() const { return right - left; }
    int Height() const { return bottom - top; }
    bool operator==(const TPrintArea&) const = default;
};

// The area of fax page `page` (counted from the first page printed, 0-based) on a sheet of
// `sheet` printer pixels: the whole sheet, or with multiPage a quarter of it in portrait (top
// left, top right, bottom left, bottom right) or a half in landscape (left, right); shrunk by
// 2 pixels on every side.
TPrintArea SheetArea(QSize sheet, bool multiPage, TSheetOrientation orientation, int page);

// True when fax page `page` (0-based from the first printed) starts a new sheet.
bool StartsSheet(bool multiPage, TSheetOrientation orientation, int page);

// Size the page bitmap is drawn at inside `area`. Fit to page: 93 % of the area's width, and
// the area's height scaled by the bitmap's height over a full page (2156 rows for a 1728-pixel
// page, 1728 for a wider one), rounded; none: the bitmap's width, its height cut to the area's.
QSize FaxImageSize(TFaxPrintScale scale, const TPrintArea& area, QSize bitmap);

// What the $-tokens of a header or footer are replaced with.
struct TMarginValues {
    QString fileName;
    int currentPage = 0;
    int totalPages = 0;
    QDateTime now;
};

// Replaces every token - "$" up to the next space or the end - by the value its letter selects
// (D date, F file name, N total pages, P current page, T time; in either case; anything else
// gives nothing). Inserted values are not scanned again.
QString ExpandMarginTokens(const QString& caption, const TMarginValues& values);

// The platform's short date, its time, and both as log entries show them.
QString ShortDateText(const QDate& date);
QString TimeText(const QTime& time);
QString DateTimeText(const QDateTime& when);

} // namespace tolvane
