// Types shared by the xBase table engine's public interface: field definitions, dates, tag
// descriptions, table states and the exception every table operation raises.
#pragma once

#include "imaging/errors/Exceptions.h"

#include <cstdint>
#include <functional>
#include <string>

namespace tolvane {

// Field type letters as stored in the table file.
enum class XbFieldType : char {
    Character = 'C',
    Logical = 'L',
    Date = 'D',
    Numeric = 'N',
    Memo = 'M',
};

struct XbFieldDef {
    std::string name; // up to 10 ASCII letters, digits or '_'; stored upper case
    XbFieldType type = XbFieldType::Character;
    int width = 0;    // C 1-254, N 1-20, D 8, L 1, M 10 (0 takes the fixed width of D, L, M)
    int decimals = 0; // N only

    bool operator==(const XbFieldDef&) const = default;
};

// A calendar date; all zero is the empty date.
struct XbDate {
    int year = 0;
    int month = 0;
    int day = 0;

    bool Empty() const { return year == 0 && month == 0 && day == 0; }
    bool operator==(const XbDate&) const = default;
};

enum class XbDirection { Ascending, Descending };

struct XbTagInfo {
    std::string name;          // upper case
    std::string keyExpression; // as stored
    std::string forExpression; // empty when the tag has no condition
    XbDirection direction = XbDirection::Ascending;
    uint32_t keyCount = 0;
};

// Whether navigation, views and counts pass over records marked as deleted.
enum class XbDeleted { Show, Hide };

// How a table is opened. Both are exclusive; ReadOnly never writes (the index is checked and
// rebuilt in memory only) and refuses every change.
enum class XbAccess { ReadWrite, ReadOnly };

enum class XbState {
    Inactive, // no table open
    Browse,   // positioned (or not) on a stored record
    Edit,     // the current record is being changed (Post or Cancel ends it)
    Append,   // a new record is being filled in (Post appends it, Cancel drops it)
};

// Progress of a long operation (pack, tag creation, reindex) in percent, 0 to 100.
using XbProgress = std::function<void(int percent)>;

enum class XbError {
    Io,              // the operating system refused a read or write
    NotFound,        // the table file does not exist
    InUse,           // another program or component has the table open
    BadTable,        // the table file cannot be read as a table
    BadMemo,         // the memo file, or one memo in it, cannot be read
    BadIndex,        // an index file cannot be written
    BadExpression,   // an expression outside the supported language
    BadFieldList,    // a field list that cannot make a table
    NoSuchField,     // a field name or number the table does not have
    NoSuchTag,       // a tag name the index does not have
    WrongType,       // a value of the wrong kind for the field
    BadValue,        // a value that does not fit its field
    NoCurrentRecord, // the operation needs a current record
    WrongState,      // the operation needs another state (browse, edit, append)
    NotOpen,         // no table is open
};

// Raised by every table operation that fails; the message names the file and the fault.
class EXBaseError : public Exception {
public:
    EXBaseError(XbError code, std::string message) : Exception(std::move(message)), code_(code) {}
    XbError Code() const { return code_; }

private:
    XbError code_;
};

} // namespace tolvane
