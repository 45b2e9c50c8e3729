// An xBase table (FoxPro 2.x DBF with its FPT memo file and structural CDX index), opened for
// exclusive use. Every failing operation raises EXBaseError.
//
// Positions: the cursor is on one record (RecNo) or on none (HasCurrentRecord false). The
// current order is a tag or the natural record order; navigation, counts and the view pass only
// over visible records: those that satisfy the query, are in the tag (its FOR condition) and are
// not deleted while deleted records are hidden. The view gives random access to the visible
// records by row, so a grid can show any part of a large table without reading all of it.
//
// Durability: Post writes the memo, then the record, then the record count. A process killed at
// any instant leaves a readable table with every posted record; the index is checked against
// the table at every open and rebuilt when it lags.
#pragma once

#include "platform/xbase/XbRecord.h"
#include "platform/xbase/XbTypes.h"

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace tolvane {

class XbTable {
public:
    XbTable();
    ~XbTable(); // closes (cancelling an unposted record)
    XbTable(const XbTable&) = delete;
    XbTable& operator=(const XbTable&) = delete;

    // Writes a new empty table file (and its memo file when a field is M). An existing file of
    // that name is replaced, with its memo and index files.
    static void Create(const std::string& path, const std::vector<XbFieldDef>& fields);

    // Checks a table without changing it: every memo can be read, and every tag of the
    // structural index holds exactly the records its condition selects, once each, in key order.
    // Returns the findings (empty when all agree); raises like Open when the table cannot be read.
    static std::vector<std::string> Check(const std::string& path);

    // Program-wide default for XbDeleted of tables opened afterwards (initially Hide).
    static void SetDefaultDeleted(XbDeleted deleted);
    static XbDeleted DefaultDeleted();

    // --- Opening ------------------------------------------------------------------------------
    // Opens exclusively; a table open elsewhere (this or another process) gives InUse. The file
    // name is matched without regard to letter case. Opening an open table closes it first.
    void Open(const std::string& path, XbAccess access = XbAccess::ReadWrite);
    void Open(const std::string& folder, const std::string& fileName, XbAccess access = XbAccess::ReadWrite);
    void Close(); // no effect when closed
    bool IsOpen() const;
    const std::string& Path() const;          // the table file actually opened
    std::string IndexPath() const;            // the structural index file (may not exist)
    std::vector<std::string> Notices() const; // what the last open found and repaired

    // --- Structure ----------------------------------------------------------------------------
    const std::vector<XbFieldLayout>& Fields() const;
    int FieldIndex(std::string_view name) const; // case-insensitive; -1 when absent
    uint8_t CodePage() const;                    // code page mark (0x03 = Windows ANSI)

    // --- Index tags ---------------------------------------------------------------------------
    // Creates (or replaces) a tag in the structural index and builds it from the table; the
    // expressions are checked first (BadExpression). Does not change the current order.
    void CreateTag(const std::string& name, const std::string& keyExpression, XbDirection direction,
                   const std::string& forExpression = "");
    std::vector<XbTagInfo> Tags() const;
    void SelectOrder(const std::string& tagName); // NoSuchTag; "" selects the natural order
    void SelectNaturalOrder();
    std::string CurrentOrder() const; // tag name, or "" in natural order
    // Writes and closes the structural index: the tags are gone from this table and the index
    // file may be deleted. The order becomes natural.
    void CloseIndexes();
    // Rebuilds every tag from the table.
    void Reindex();

    // --- Visibility ---------------------------------------------------------------------------
    void SetQuery(const std::string& expression); // logical expression; "" shows every record
    const std::string& Query() const;
    void SetDeleted(XbDeleted deleted); // until closed; Open takes the program-wide default
    XbDeleted Deleted() const;
    // Records that satisfy the query (and are not deleted while hidden), in any order.
    uint32_t QueryCount();

    // --- Counts and cursor --------------------------------------------------------------------
    uint32_t RecordCount() const; // all records in the file, deleted ones included
    uint32_t RecNo() const;       // 0 when there is no current record (or while appending)
    bool HasCurrentRecord() const;
    bool Bof() const; // the last move tried to go before the first visible record
    bool Eof() const; // the last move tried to go past the last visible record

    // Moves over visible records in the current order. Raise WrongState while editing.
    void First();
    void Last();
    void Next();  // past the last: no current record, Eof
    void Prior(); // before the first: stays on the first, Bof
    // Positions on a visible record; false (cursor unchanged) when it is not visible.
    bool Goto(uint32_t recNo);

    // --- View (random access in the current order) --------------------------------------------
    uint32_t ViewCount();                // visible records
    uint32_t ViewRecNo(uint32_t row);    // record number at row 0..ViewCount()-1
    int64_t ViewRow(uint32_t recNo);     // row of a visible record, -1 otherwise
    XbRecord ReadRecord(uint32_t recNo); // any record 1..RecordCount(), cursor unchanged
    std::string ReadMemo(uint32_t recNo, int field);

    // --- Current record -----------------------------------------------------------------------
    // The record under the cursor, or the edit buffer while editing or appending.
    const XbRecord& Current() const;        // NoCurrentRecord
    std::string GetString(int field) const; // display text (XbRecord::Text); memo text for M
    bool GetBool(int field) const;
    XbDate GetDate(int field) const;
    double GetNumber(int field) const;
    int64_t GetInteger(int field) const;
    std::string GetMemo(int field) const;

    // --- Changing records ---------------------------------------------------------------------
    XbState State() const;
    void Append(); // a blank record in the edit buffer; Post adds it
    void Edit();   // the current record into the edit buffer
    void Post();   // writes the buffer; the cursor goes to the posted record
    void Cancel(); // drops the buffer
    // Marks the current record deleted; the cursor moves to the next visible record.
    void Delete();
    void Recall(); // clears the deleted mark of the current record
    // Drops cached data and reads the current record again (WrongState while editing).
    void Refresh();

    // Setters work on the edit buffer (WrongState outside Edit and Append). Text longer than a
    // C field is cut; a number that does not fit its N field is BadValue.
    void SetString(int field, std::string_view value); // C, M; also L ("T"/"F"), D ("YYYYMMDD"), N
    void SetBool(int field, bool value);
    void SetDate(int field, const XbDate& value); // empty date blanks the field
    void SetNumber(int field, double value);
    void SetBlank(int field);
    void SetMemo(int field, std::string_view text);

    // Copies a memo of the current record to a file: false (no file written) when the memo is
    // empty. Replaces a memo from a file's content: in Edit or Append the record stays in that
    // state for further changes; in Browse the record is edited and posted at once.
    bool MemoToFile(int field, const std::string& path);
    void MemoFromFile(int field, const std::string& path);

    // --- Maintenance --------------------------------------------------------------------------
    // Removes deleted records for good and compacts the memo file; tags are rebuilt.
    void Pack();
    // Writes the index and forces all files to stable storage.
    void Flush();
    void SetProgressHandler(XbProgress progress); // pack, tag creation and reindex report here

private:
    struct Impl;
    std::unique_ptr<Impl> d_;
};

} // namespace tolvane
