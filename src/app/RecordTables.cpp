#include "app/RecordTables.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace tolvane {
namespace {

XbFieldDef Field(const char* name, XbFieldType type, int width) {
    return XbFieldDef{name, type, width, 0};
}

constexpr auto C = XbFieldType::Character;
constexpr auto L = XbFieldType::Logical;
constexpr auto D = XbFieldType::Date;
constexpr auto N = XbFieldType::Numeric;
constexpr auto M = XbFieldType::Memo;

std::string Native(const QString& path) {
    return QFile::encodeName(path).toStdString();
}

// Code page 1252 at 0x80 to 0x9F; the rest of the code page is Latin-1. 0 marks an unused place.
constexpr char16_t kCp1252High[32] = {0x20AC, 0,      0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
                                      0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0,      0x017D, 0,
                                      0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
                                      0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0,      0x017E, 0x0178};

} // namespace

const TTableLayout& FaxTableLayout() {
    static const TTableLayout layout{
        QStringLiteral("QOB.DBF"),
        {Field("SUBJECT", C, 50), Field("SENT", L, 1), Field("DATESENT", D, 8), Field("TIMESENT", C, 5),
         Field("RECIPIENT", C, 35), Field("PHONE", C, 25), Field("PAGES", N, 2), Field("LASTRESULT", C, 100),
         Field("RTFCOVER", M, 10), Field("RTFDOC", M, 10)},
        "DATESENT",
        "DTOS(DATESENT)+TIMESENT",
        XbDirection::Descending};
    return layout;
}

const TTableLayout& RecTableLayout() {
    static const TTableLayout layout{QStringLiteral("QOBREC.DBF"),
                                     {Field("DATEREC", D, 8), Field("TIMEREC", C, 5), Field("FROM", C, 20),
                                      Field("PAGES", N, 2), Field("FAXFILE", C, 12), Field("NOTES", C, 60)},
                                     "DATETIME",
                                     "DTOS(DATEREC)+TIMEREC",
                                     XbDirection::Descending};
    return layout;
}

const TTableLayout& CoverTableLayout() {
    static const TTableLayout layout{QStringLiteral("QOBCOV.DBF"),
                                     {Field("DESCRIPT", C, 35), Field("COVER", M, 10)},
                                     "DESCRIPT",
                                     "DESCRIPT",
                                     XbDirection::Ascending};
    return layout;
}

const TTableLayout& PhoneTableLayout() {
    static const TTableLayout layout{QStringLiteral("QOBPB.DBF"),
                                     {Field("NAME", C, 35), Field("PHONE", C, 25)},
                                     "NAME",
                                     "NAME",
                                     XbDirection::Ascending};
    return layout;
}

QString FindFileNoCase(const QString& folder, const QString& fileName) {
    const QDir dir(folder);
    if (QFileInfo::exists(dir.filePath(fileName))) {
        return dir.filePath(fileName);
    }
    const QStringList found = dir.entryList({fileName}, QDir::Files | QDir::Hidden);
    for (const QString& name : found) {
        if (name.compare(fileName, Qt::CaseInsensitive) == 0) {
            return dir.filePath(name);
        }
    }
    return QString();
}

QString FromTableText(std::string_view bytes) {
    QString text;
    text.reserve(static_cast<qsizetype>(bytes.size()));
    for (const char byte : bytes) {
        const auto b = static_cast<unsigned char>(byte);
        const char16_t high = b >= 0x80 && b < 0xA0 ? kCp1252High[b - 0x80] : 0;
        text += QChar(high ? high : char16_t(b));
    }
    return text;
}

std::string ToTableText(const QString& text) {
    std::string bytes;
    bytes.reserve(static_cast<size_t>(text.size()));
    for (const QChar c : text) {
        const char16_t u = c.unicode();
        char byte = '?';
        if (u < 0x80 || (u >= 0xA0 && u < 0x100)) {
            byte = static_cast<char>(u);
        } else {
            for (int i = 0; i < 32; ++i) {
                if (kCp1252High[i] == u) {
                    byte = static_cast<char>(0x80 + i);
                }
            }
        }
        bytes += byte;
    }
    return bytes;
}

QString IndexFileOf(const QString& tablePath) {
    return tablePath.left(tablePath.size() - 3) + QStringLiteral("CDX");
}

bool MakeTable(const QString& folder, const TTableLayout& layout) {
    const QString path = QDir(folder).filePath(layout.fileName);
    try {
        XbTable::Create(Native(path), layout.fields);
    } catch (const Exception&) {
        return false;
    }
    return QFileInfo::exists(path);
}

bool OpenOrCreateTable(XbTable& table, const QString& folder, const TTableLayout& layout,
                       ReopenFirst reopen) {
    if (FindFileNoCase(folder, layout.fileName).isEmpty() && !MakeTable(folder, layout)) {
        return false;
    }
    try {
        if (reopen == ReopenFirst::Yes) {
            table.Close();
        }
        table.Open(Native(folder), Native(layout.fileName));
    } catch (const Exception&) {
        return false;
    }
    try {
        const QString index = FindFileNoCase(folder, QFileInfo(IndexFileOf(layout.fileName)).fileName());
        if (index.isEmpty()) {
            table.CreateTag(layout.tag, layout.key, layout.direction, kNotDeleted);
        }
    } catch (const Exception&) {
        // An index that cannot be made leaves the table in natural order.
    }
    try {
        table.SetQuery(kNotDeleted);
    } catch (const Exception&) {
        // Deleted records stay hidden by the engine.
    }
    return true;
}

} // namespace tolvane
