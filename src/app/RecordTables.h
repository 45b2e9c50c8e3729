// The four record tables of the data folder: their layouts and index tags, and the operations
// that create a missing table and open one.
//
//   QOB.DBF     sent and outgoing faxes   tag DATESENT  DTOS(DATESENT)+TIMESENT  descending
//   QOBREC.DBF  received faxes            tag DATETIME  DTOS(DATEREC)+TIMEREC    descending
//   QOBCOV.DBF  cover-sheet templates     tag DESCRIPT  DESCRIPT                 ascending
//   QOBPB.DBF   phone-book entries        tag NAME      NAME                     ascending
//
// Every tag has the condition ".not. deleted()", and every table is given it as its query.
#pragma once

#include "platform/xbase/XbTable.h"

#include <QString>
#include <cstdint>
#include <string_view>
#include <vector>

namespace tolvane {

inline constexpr char kNotDeleted[] = ".not. deleted()";

// Field numbers (0-based, in file order).
namespace fax {
enum Field { SUBJECT, SENT, DATESENT, TIMESENT, RECIPIENT, PHONE, PAGES, LASTRESULT, RTFCOVER, RTFDOC };
}
namespace rec {
enum Field { DATEREC, TIMEREC, FROM, PAGES, FAXFILE, NOTES };
}
namespace cover {
enum Field { DESCRIPT, COVER };
}
namespace phone {
enum Field { NAME, PHONE };
}

struct TTableLayout {
    QString fileName;               // "QOB.DBF"
    std::vector<XbFieldDef> fields; // in file order
    std::string tag;                // the index tag
    std::string key;                // its key expression
    XbDirection direction;          // its direction
};

const TTableLayout& FaxTableLayout();
const TTableLayout& RecTableLayout();
const TTableLayout& CoverTableLayout();
const TTableLayout& PhoneTableLayout();

// The file of that name in the folder, matched without regard to letter case; empty when there
// is none.
QString FindFileNoCase(const QString& folder, const QString& fileName);

// MakeX: writes a new empty table file in the folder. True only when that worked and the file
// exists afterwards; any error gives false.
bool MakeTable(const QString& folder, const TTableLayout& layout);

enum class ReopenFirst { No, Yes };

// The open-or-create pattern shared by the four open operations: creates a missing table with
// MakeTable, opens it (closing it first with ReopenFirst::Yes), and then, ignoring any error,
// creates the index tag when the index file is missing and sets the query ".not. deleted()".
// False when the table could be neither created nor opened.
bool OpenOrCreateTable(XbTable& table, const QString& folder, const TTableLayout& layout, ReopenFirst reopen);

// Text as stored in a table of the given code page mark (our tables: 0x03, Windows ANSI), and
// back; characters the code page lacks become '?'.
QString FromTableText(std::string_view stored, uint8_t codePage);
std::string ToTableText(const QString& text, uint8_t codePage);

// The index file of a table file: its name with the last three characters replaced by "CDX".
QString IndexFileOf(const QString& tablePath);

} // namespace tolvane
