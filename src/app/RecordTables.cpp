#include "app/RecordTables.h"

#include "platform/xbase/XbTextCodec.h"

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

QString FromTableText(std::string_view stored, uint8_t codePage) {
    return QString::fromStdString(XbToUtf8(stored, codePage));
}

std::string ToTableText(const QString& text, uint8_t codePage) {
    return XbFromUtf8(text.toStdString(), codePage);
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
