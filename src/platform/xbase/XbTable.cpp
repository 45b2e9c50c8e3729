#include "platform/xbase/XbTable.h"

#include "platform/xbase/CdxFormat.h"
#include "platform/xbase/DbfFormat.h"
#include "platform/xbase/FptFile.h"
#include "platform/xbase/KeyStore.h"
#include "platform/xbase/RecordCodec.h"
#include "platform/xbase/XbExpression.h"
#include "platform/xbase/XbFile.h"

#include <algorithm>
#include <atomic>
#include <cctype>
#include <cstring>
#include <filesystem>
#include <map>
#include <numeric>

namespace tolvane {

namespace {

std::atomic<XbDeleted> gDefaultDeleted{XbDeleted::Hide};

constexpr uint8_t kFlagDeleted = 0x01;
constexpr uint8_t kFlagQuery = 0x02;
constexpr size_t kScanBytes = size_t{1} << 20;
constexpr uint64_t kMaxIndexFile = uint64_t{1} << 30;

struct Tag {
    std::string name;
    XbDirection direction = XbDirection::Ascending;
    bool unique = false;
    XbExpression key;
    XbExpression condition; // empty: every record
    KeyStore store;
};

std::string Upper(std::string s) {
    for (char& c : s) {
        c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    }
    return s;
}

// Pack writes the new files under these names; the marker says they are complete.
std::string PackTemp(const std::string& path) {
    return path + ".new";
}

std::string PackMarker(const std::string& tablePath) {
    return tablePath + ".commit";
}

bool Exists(const std::string& path) {
    std::error_code ec;
    return std::filesystem::exists(path, ec);
}

void RemoveFile(const std::string& path) {
    std::error_code ec;
    std::filesystem::remove(path, ec);
}

// Entries collected by a scan, before sorting.
struct TagBuild {
    std::vector<uint8_t> keys;
    std::vector<uint32_t> records;
};

void SortInto(const TagBuild& build, size_t keyLength, bool unique, KeyStore& store) {
    std::vector<uint32_t> order(build.records.size());
    std::iota(order.begin(), order.end(), 0u);
    const uint8_t* keys = build.keys.data();
    // Records were collected in ascending order, so a stable sort by key orders ties by record.
    std::stable_sort(order.begin(), order.end(), [&](uint32_t a, uint32_t b) {
        return std::memcmp(keys + size_t{a} * keyLength, keys + size_t{b} * keyLength, keyLength) < 0;
    });
    std::vector<uint8_t> sortedKeys;
    std::vector<uint32_t> sortedRecords;
    sortedKeys.reserve(build.keys.size());
    sortedRecords.reserve(order.size());
    for (const uint32_t i : order) {
        const uint8_t* k = keys + size_t{i} * keyLength;
        if (unique && !sortedRecords.empty() &&
            std::memcmp(sortedKeys.data() + sortedKeys.size() - keyLength, k, keyLength) == 0) {
            continue;
        }
        sortedKeys.insert(sortedKeys.end(), k, k + keyLength);
        sortedRecords.push_back(build.records[i]);
    }
    store = KeyStore(keyLength);
    store.Assign(sortedKeys, sortedRecords);
}

bool SameEntries(const KeyStore& store, const std::vector<uint8_t>& keys,
                 const std::vector<uint32_t>& records) {
    if (store.Size() != records.size()) {
        return false;
    }
    const size_t kl = store.KeyLength();
    size_t i = 0;
    bool same = true;
    store.ForEach([&](const uint8_t* key, uint32_t record) {
        same = same && record == records[i] && std::memcmp(key, keys.data() + i * kl, kl) == 0;
        ++i;
    });
    return same;
}

void CheckTagName(const std::string& name) {
    const bool ok =
        !name.empty() && name.size() <= 10 && !std::isdigit(static_cast<unsigned char>(name[0])) &&
        std::all_of(name.begin(), name.end(),
                    [](char c) { return std::isalnum(static_cast<unsigned char>(c)) || c == '_'; });
    if (!ok) {
        throw EXBaseError(XbError::BadExpression, "tag name \"" + name + "\" is not valid");
    }
}

} // namespace

struct XbTable::Impl {
    std::string path;
    XbFile dbf;
    DbfHeader header;
    std::shared_ptr<XbLayout> layout;
    FptFile fpt;
    std::string cdxPath;
    std::vector<Tag> tags;
    bool indexOpen = false;
    bool indexDirty = false;
    int order = -1;

    XbExpression query;
    XbDeleted deleted = XbDeleted::Hide;
    std::vector<uint8_t> flags; // per record: kFlagDeleted, kFlagQuery

    bool viewValid = false;
    std::vector<uint32_t> view;
    std::vector<uint32_t> rowOf; // record -> row + 1, 0 when not in the view

    uint32_t recNo = 0;
    bool bof = false;
    bool eof = false;
    XbRecord current;

    XbState state = XbState::Inactive;
    std::vector<uint8_t> buffer;
    std::map<int, std::string> pendingMemos;
    mutable XbRecord bufferView;

    bool readOnly = false;
    XbProgress progress;
    int lastReported = -1;
    std::vector<std::string> notices;

    // --- Basics ---------------------------------------------------------------------------

    std::string Name() const { return XbBaseName(path); }

    void RequireOpen() const {
        if (state == XbState::Inactive) {
            throw EXBaseError(XbError::NotOpen, "no table is open");
        }
    }

    void RequireBrowse() const {
        RequireOpen();
        if (state != XbState::Browse) {
            throw EXBaseError(XbError::WrongState, Name() + ": a record is being edited");
        }
    }

    void RequireWritable() const {
        RequireBrowse();
        if (readOnly) {
            throw EXBaseError(XbError::WrongState, Name() + " is open read-only");
        }
    }

    void RequireEditing() const {
        RequireOpen();
        if (state != XbState::Edit && state != XbState::Append) {
            throw EXBaseError(XbError::WrongState, Name() + ": no record is being edited");
        }
    }

    uint64_t RecordOffset(uint32_t rec) const {
        return header.headerLength + uint64_t{rec - 1} * header.recordLength;
    }

    XbRecord Read(uint32_t rec) const {
        if (rec < 1 || rec > header.recordCount) {
            throw EXBaseError(XbError::NoCurrentRecord, Name() + ": no record " + std::to_string(rec));
        }
        std::vector<uint8_t> bytes(header.recordLength);
        dbf.ReadAt(RecordOffset(rec), bytes.data(), bytes.size());
        return XbRecord(layout, rec, std::move(bytes));
    }

    void Report(int percent) {
        if (progress && percent != lastReported) {
            lastReported = percent;
            progress(percent);
        }
    }

    // Calls f(record number, bytes) for every record in file order, reading large runs.
    template <class F> void Scan(F&& f, bool report) {
        const size_t len = header.recordLength;
        const uint32_t count = header.recordCount;
        const uint32_t perRun = static_cast<uint32_t>(std::max<size_t>(1, kScanBytes / len));
        std::vector<uint8_t> run(std::min<size_t>(perRun, std::max<uint32_t>(count, 1)) * len);
        for (uint32_t start = 1; start <= count; start += perRun) {
            const uint32_t n = std::min(perRun, count - start + 1);
            dbf.ReadAt(RecordOffset(start), run.data(), size_t{n} * len);
            for (uint32_t i = 0; i < n; ++i) {
                f(start + i, run.data() + size_t{i} * len);
            }
            if (report) {
                Report(static_cast<int>(uint64_t{start + n - 1} * 90 / count));
            }
        }
    }

    uint8_t FlagsOf(const uint8_t* bytes) const {
        uint8_t f = bytes[0] == kDbfDeleted ? kFlagDeleted : 0;
        if (query.Empty() || query.EvalBool(bytes)) {
            f |= kFlagQuery;
        }
        return f;
    }

    bool FlagVisible(uint32_t rec) const {
        const uint8_t f = flags[rec - 1];
        return !((deleted == XbDeleted::Hide && (f & kFlagDeleted) != 0) || (f & kFlagQuery) == 0);
    }

    bool InTag(const Tag& tag, const uint8_t* bytes) const {
        return tag.condition.Empty() || tag.condition.EvalBool(bytes);
    }

    // One pass over the table: the flags of every record and the entries of the given tags.
    void ScanTables(std::vector<Tag*> build, bool report) {
        std::vector<TagBuild> builds(build.size());
        std::vector<uint8_t> newFlags(header.recordCount);
        for (size_t t = 0; t < build.size(); ++t) {
            builds[t].records.reserve(header.recordCount);
            builds[t].keys.reserve(size_t{header.recordCount} * build[t]->key.KeyLength());
        }
        Scan(
            [&](uint32_t rec, const uint8_t* bytes) {
                newFlags[rec - 1] = FlagsOf(bytes);
                for (size_t t = 0; t < build.size(); ++t) {
                    const Tag& tag = *build[t];
                    if (InTag(tag, bytes)) {
                        TagBuild& b = builds[t];
                        const size_t at = b.keys.size();
                        b.keys.resize(at + tag.key.KeyLength());
                        tag.key.EvalKey(bytes, b.keys.data() + at);
                        b.records.push_back(rec);
                    }
                }
            },
            report);
        for (size_t t = 0; t < build.size(); ++t) {
            SortInto(builds[t], build[t]->key.KeyLength(), build[t]->unique, build[t]->store);
        }
        flags = std::move(newFlags);
        viewValid = false;
        if (report) {
            Report(100);
        }
    }

    std::vector<Tag*> AllTags() {
        std::vector<Tag*> all;
        for (Tag& t : tags) {
            all.push_back(&t);
        }
        return all;
    }

    void WriteFixedHeader() {
        if (readOnly) {
            return;
        }
        UpdateDbfFixedHeader(header);
        dbf.WriteAt(0, header.fixed, kDbfHeaderSize);
    }

    void SetStructuralFlag(bool on) {
        if (((header.flags & kDbfFlagStructuralIndex) != 0) != on) {
            header.flags = static_cast<uint8_t>(header.flags ^ kDbfFlagStructuralIndex);
            WriteFixedHeader();
        }
    }

    // --- Index file ---------------------------------------------------------------------------

    void WriteIndex() {
        if (!indexOpen || !indexDirty || readOnly) {
            return;
        }
        if (tags.empty()) {
            RemoveFile(cdxPath);
            SetStructuralFlag(false);
            indexDirty = false;
            return;
        }
        std::vector<std::vector<uint8_t>> keys(tags.size());
        std::vector<std::vector<uint32_t>> records(tags.size());
        std::vector<CdxTagWrite> out;
        for (size_t i = 0; i < tags.size(); ++i) {
            const Tag& t = tags[i];
            keys[i].reserve(t.store.Size() * t.store.KeyLength());
            records[i].reserve(t.store.Size());
            t.store.ForEach([&](const uint8_t* key, uint32_t rec) {
                keys[i].insert(keys[i].end(), key, key + t.store.KeyLength());
                records[i].push_back(rec);
            });
            CdxTagWrite w;
            w.name = t.name;
            w.keyExpression = t.key.Text();
            w.forExpression = t.condition.Text();
            w.descending = t.direction == XbDirection::Descending;
            w.unique = t.unique;
            w.keyLength = t.key.KeyLength();
            w.pad = t.key.KeyPad();
            w.keys = &keys[i];
            w.records = &records[i];
            out.push_back(std::move(w));
        }
        const std::vector<uint8_t> bytes = WriteCdx(out);
        const std::string temp = cdxPath + ".tmp";
        {
            XbFile file = XbFile::Create(temp);
            file.WriteAt(0, bytes.data(), bytes.size());
        }
        XbReplaceFile(temp, cdxPath);
        SetStructuralFlag(true);
        indexDirty = false;
    }

    Tag MakeTag(const std::string& name, const std::string& keyText, XbDirection direction,
                const std::string& forText, bool unique) const {
        Tag t;
        t.name = Upper(name);
        t.direction = direction;
        t.unique = unique;
        t.key = XbExpression::Compile(keyText, *layout);
        if (!forText.empty()) {
            t.condition = XbExpression::Compile(forText, *layout);
            if (t.condition.ResultKind() != XbExpression::Kind::Logical) {
                throw EXBaseError(XbError::BadExpression,
                                  "expression \"" + forText + "\" is not a condition");
            }
        }
        t.store = KeyStore(t.key.KeyLength());
        return t;
    }

    // Reads the structural index and checks every tag against the table. With repair, what
    // does not match is rebuilt (or removed) and noted; without, it is only noted. Computes the
    // record flags either way.
    void LoadIndex(bool repair) {
        tags.clear();
        indexOpen = false;
        indexDirty = false;
        const std::string cdxName = XbBaseName(cdxPath);
        const auto note = [&](const std::string& finding, const char* action) {
            notices.push_back(repair ? finding + "; " + action : finding);
        };
        if (!Exists(cdxPath)) {
            ScanTables({}, false);
            if ((header.flags & kDbfFlagStructuralIndex) != 0) {
                note(cdxName + " is missing", "the table is opened without it");
                if (repair) {
                    SetStructuralFlag(false);
                }
            }
            return;
        }
        std::vector<uint8_t> bytes;
        std::string error;
        std::vector<CdxTagRead> read;
        std::vector<std::string> dropped;
        {
            XbFile file = XbFile::Open(cdxPath, XbFile::Access::ReadOnly);
            const uint64_t size = file.Size();
            if (size <= kMaxIndexFile) {
                bytes.resize(size);
                file.ReadAt(0, bytes.data(), bytes.size());
            }
        }
        const CdxPadOf padOf = [this](const std::string& expression, std::string& reason) {
            try {
                return static_cast<int>(XbExpression::Compile(expression, *layout).KeyPad());
            } catch (const EXBaseError& e) {
                reason = e.Message();
                return -1;
            }
        };
        if (bytes.empty() || !ReadCdx(bytes, header.recordCount, padOf, read, dropped, error)) {
            note(cdxName + ": " + (bytes.empty() ? std::string("cannot be read") : error),
                 "the index was removed");
            ScanTables({}, false);
            if (repair) {
                RemoveFile(cdxPath);
                SetStructuralFlag(false);
            }
            return;
        }
        indexOpen = true;
        for (const std::string& d : dropped) {
            note(cdxName + ": " + d, "the tag was removed");
            indexDirty = true;
        }
        for (const CdxTagRead& r : read) {
            try {
                tags.push_back(MakeTag(r.name, r.keyExpression,
                                       r.descending ? XbDirection::Descending : XbDirection::Ascending,
                                       r.forExpression, r.unique));
            } catch (const EXBaseError& e) {
                note(cdxName + ": tag " + r.name + ": " + e.Message(), "the tag was removed");
                indexDirty = true;
            }
        }
        ScanTables(AllTags(), false);
        for (const CdxTagRead& r : read) {
            const auto it =
                std::find_if(tags.begin(), tags.end(), [&](const Tag& t) { return t.name == Upper(r.name); });
            if (it == tags.end()) {
                continue;
            }
            std::string why;
            if (!r.pagesOk) {
                why = r.fault;
            } else if (r.keyLength != it->key.KeyLength()) {
                why = "does not match its key expression";
            } else if (!SameEntries(it->store, r.keys, r.records)) {
                why = "does not match the table: " + Difference(it->store, r.keys, r.records);
            }
            if (!why.empty()) {
                note(cdxName + ": tag " + it->name + " " + why, "the tag was rebuilt");
                indexDirty = true;
            }
        }
        if (repair) {
            WriteIndex();
            SetStructuralFlag(true);
        }
    }

    // The first way in which a tag read from the file differs from the table.
    std::string Difference(const KeyStore& expected, const std::vector<uint8_t>& keys,
                           const std::vector<uint32_t>& records) const {
        const size_t kl = expected.KeyLength();
        std::vector<int64_t> at(size_t{header.recordCount} + 1, -1); // record -> entry in the file
        for (size_t i = 0; i < records.size(); ++i) {
            if (at[records[i]] >= 0) {
                return "record " + std::to_string(records[i]) + " appears twice";
            }
            at[records[i]] = static_cast<int64_t>(i);
        }
        std::string found;
        std::vector<bool> wanted(size_t{header.recordCount} + 1, false);
        expected.ForEach([&](const uint8_t* key, uint32_t rec) {
            wanted[rec] = true;
            if (!found.empty()) {
                return;
            }
            if (at[rec] < 0) {
                found = "record " + std::to_string(rec) + " is missing";
            } else if (std::memcmp(key, keys.data() + static_cast<size_t>(at[rec]) * kl, kl) != 0) {
                found = "record " + std::to_string(rec) + " has a stale key";
            }
        });
        for (size_t i = 0; found.empty() && i < records.size(); ++i) {
            if (!wanted[records[i]]) {
                found = "record " + std::to_string(records[i]) + " does not belong in it";
            }
        }
        return found.empty() ? "entries differ" : found;
    }

    // Opens the table and memo files and reads the table header.
    void OpenFiles(const std::string& found, XbFile::Access access) {
        path = found;
        readOnly = access == XbFile::Access::ReadOnly;
        dbf = XbFile::Open(found, access);
        if (!dbf.TryLock()) {
            throw EXBaseError(XbError::InUse, Name() + " is in use by another program");
        }
        if (access == XbFile::Access::ReadWrite) {
            RecoverPack(found);
        }
        std::vector<uint8_t> head(static_cast<size_t>(std::min<uint64_t>(dbf.Size(), kDbfMaxHeaderRead)));
        dbf.ReadAt(0, head.data(), head.size());
        std::string error;
        if (!ParseDbfHeader(head.data(), head.size(), dbf.Size(), header, error)) {
            throw EXBaseError(XbError::BadTable, Name() + ": " + error);
        }
        layout = std::make_shared<XbLayout>(header.fields);
        if (layout->HasMemo()) {
            const std::string memo = XbCompanionPath(found, "FPT");
            if (!Exists(memo)) {
                throw EXBaseError(XbError::BadMemo, XbBaseName(memo) + ": memo file not found");
            }
            fpt.Open(memo, access);
        }
        deleted = gDefaultDeleted;
        query = XbExpression();
        order = -1;
        cdxPath = XbCompanionPath(found, "CDX");
        state = XbState::Browse;
    }

    // --- Cursor and view ----------------------------------------------------------------------

    void EnsureView() {
        if (viewValid) {
            return;
        }
        view.clear();
        rowOf.assign(size_t{header.recordCount} + 1, 0);
        if (order < 0) {
            for (uint32_t rec = 1; rec <= header.recordCount; ++rec) {
                if (FlagVisible(rec)) {
                    view.push_back(rec);
                }
            }
        } else {
            tags[static_cast<size_t>(order)].store.ForEach([&](const uint8_t*, uint32_t rec) {
                if (FlagVisible(rec)) {
                    view.push_back(rec);
                }
            });
            if (tags[static_cast<size_t>(order)].direction == XbDirection::Descending) {
                std::reverse(view.begin(), view.end());
            }
        }
        for (size_t i = 0; i < view.size(); ++i) {
            rowOf[view[i]] = static_cast<uint32_t>(i + 1);
        }
        viewValid = true;
    }

    void MoveTo(uint32_t rec) {
        recNo = rec;
        current = rec == 0 ? XbRecord() : Read(rec);
    }

    void First() {
        EnsureView();
        MoveTo(view.empty() ? 0 : view.front());
        bof = true;
        eof = view.empty();
    }

    void Last() {
        EnsureView();
        MoveTo(view.empty() ? 0 : view.back());
        eof = true;
        bof = view.empty();
    }

    void Next() {
        EnsureView();
        if (recNo == 0) {
            eof = true;
            return;
        }
        const uint32_t row = rowOf[recNo];
        if (row == 0) {
            First();
            return;
        }
        bof = false;
        if (row < view.size()) {
            MoveTo(view[row]);
            eof = false;
        } else {
            MoveTo(0);
            eof = true;
        }
    }

    void Prior() {
        EnsureView();
        eof = false;
        if (recNo == 0) {
            Last();
            eof = false;
            return;
        }
        const uint32_t row = rowOf[recNo];
        if (row == 0) {
            First();
            return;
        }
        if (row > 1) {
            MoveTo(view[row - 2]);
            bof = false;
        } else {
            bof = true;
        }
    }

    // --- Writing records ----------------------------------------------------------------------

    // Brings the tags and flags up to date with a record that changed from before (null for
    // a new record) to after.
    void UpdateIndexes(uint32_t rec, const uint8_t* before, const uint8_t* after) {
        std::vector<uint8_t> oldKey, newKey;
        for (Tag& t : tags) {
            const size_t kl = t.key.KeyLength();
            oldKey.resize(kl);
            newKey.resize(kl);
            const bool wasIn = before != nullptr && InTag(t, before);
            const bool isIn = InTag(t, after);
            if (wasIn) {
                t.key.EvalKey(before, oldKey.data());
            }
            if (isIn) {
                t.key.EvalKey(after, newKey.data());
            }
            if (wasIn && isIn && oldKey == newKey) {
                continue;
            }
            if (t.unique) {
                // Which record represents a key depends on the others: rebuild the tag.
                ScanTables({&t}, false);
            } else {
                if (wasIn) {
                    t.store.Erase(oldKey.data(), rec);
                }
                if (isIn) {
                    t.store.Insert(newKey.data(), rec);
                }
            }
            indexDirty = true;
        }
        if (rec > flags.size()) {
            flags.resize(rec);
        }
        flags[rec - 1] = FlagsOf(after);
        viewValid = false;
    }

    void WriteMemos() {
        for (const auto& [field, text] : pendingMemos) {
            const XbFieldLayout& f = layout->Field(field);
            PutMemoBlock(buffer.data(), f, text.empty() ? 0 : fpt.Append(text));
        }
    }

    void Post() {
        RequireEditing();
        WriteMemos();
        if (state == XbState::Append) {
            const uint32_t rec = header.recordCount + 1;
            std::vector<uint8_t> out(buffer);
            out.push_back(kDbfEndOfFile);
            dbf.WriteAt(RecordOffset(rec), out.data(), out.size());
            header.recordCount = rec;
            WriteFixedHeader();
            UpdateIndexes(rec, nullptr, buffer.data());
            recNo = rec;
        } else {
            dbf.WriteAt(RecordOffset(recNo), buffer.data(), buffer.size());
            UpdateIndexes(recNo, current.Bytes().data(), buffer.data());
        }
        current = XbRecord(layout, recNo, buffer);
        pendingMemos.clear();
        state = XbState::Browse;
        bof = eof = false;
    }

    void SetDeletedMark(uint8_t mark) {
        RequireWritable();
        if (recNo == 0) {
            throw EXBaseError(XbError::NoCurrentRecord, Name() + ": no current record");
        }
        std::vector<uint8_t> after = current.Bytes();
        after[0] = mark;
        dbf.WriteAt(RecordOffset(recNo), after.data(), 1);
        UpdateIndexes(recNo, current.Bytes().data(), after.data());
        current = XbRecord(layout, recNo, std::move(after));
    }

    // --- Pack ---------------------------------------------------------------------------------

    // Finishes or discards a pack that a killed process left behind.
    void RecoverPack(const std::string& tablePath) {
        const std::string fptPath = XbCompanionPath(tablePath, "FPT");
        const std::string marker = PackMarker(tablePath);
        if (Exists(marker)) {
            if (Exists(PackTemp(fptPath))) {
                XbReplaceFile(PackTemp(fptPath), fptPath);
            }
            if (Exists(PackTemp(tablePath))) {
                XbFile fresh = XbFile::Open(PackTemp(tablePath), XbFile::Access::ReadWrite);
                if (!fresh.TryLock()) {
                    throw EXBaseError(XbError::InUse,
                                      XbBaseName(tablePath) + " is in use by another program");
                }
                XbReplaceFile(PackTemp(tablePath), tablePath);
                fresh.SetPath(tablePath);
                dbf = std::move(fresh);
            }
            RemoveFile(marker);
            notices.push_back(XbBaseName(tablePath) + ": an interrupted pack was completed");
        } else {
            RemoveFile(PackTemp(fptPath));
            RemoveFile(PackTemp(tablePath));
        }
    }

    void Pack() {
        RequireWritable();
        Report(0);
        const std::string newTable = PackTemp(path);
        XbFile out = XbFile::Create(newTable);
        out.TryLock();
        std::vector<uint8_t> head(header.headerLength);
        dbf.ReadAt(0, head.data(), head.size());
        DbfHeader packed = header;
        FptFile newMemo;
        const bool memo = fpt.IsOpen();
        if (memo) {
            FptFile::CreateEmpty(PackTemp(fpt.Path()), fpt.Header().blockSize);
            newMemo.Open(PackTemp(fpt.Path()), XbFile::Access::ReadWrite);
        }
        uint32_t kept = 0;
        std::vector<uint8_t> rec(header.recordLength);
        const uint32_t count = header.recordCount;
        Scan(
            [&](uint32_t n, const uint8_t* bytes) {
                if (bytes[0] == kDbfDeleted) {
                    return;
                }
                std::memcpy(rec.data(), bytes, rec.size());
                for (const XbFieldLayout& f : layout->Fields()) {
                    if (f.def.type != XbFieldType::Memo) {
                        continue;
                    }
                    const uint32_t block = ParseMemoBlock(
                        {reinterpret_cast<const char*>(bytes) + f.offset, size_t(f.def.width)});
                    PutMemoBlock(rec.data(), f, block == 0 ? 0 : newMemo.Append(fpt.Read(block)));
                }
                ++kept;
                out.WriteAt(packed.headerLength + uint64_t{kept - 1} * packed.recordLength, rec.data(),
                            rec.size());
                Report(static_cast<int>(uint64_t{n} * 100 / count));
            },
            false);
        packed.recordCount = kept;
        packed.flags = static_cast<uint8_t>(packed.flags & ~kDbfFlagStructuralIndex);
        UpdateDbfFixedHeader(packed);
        std::copy(packed.fixed, packed.fixed + kDbfHeaderSize, head.begin());
        out.WriteAt(0, head.data(), head.size());
        const uint8_t eofMark = kDbfEndOfFile;
        out.WriteAt(packed.headerLength + uint64_t{kept} * packed.recordLength, &eofMark, 1);
        out.Sync();
        if (memo) {
            newMemo.Sync();
            newMemo.Close();
        }
        // From the marker on, a reopen completes the pack instead of discarding it.
        XbFile::Create(PackMarker(path)).Sync();
        if (memo) {
            XbReplaceFile(PackTemp(fpt.Path()), fpt.Path());
            fpt.Open(fpt.Path(), XbFile::Access::ReadWrite);
        }
        XbReplaceFile(newTable, path);
        RemoveFile(PackMarker(path));
        out.SetPath(path);
        dbf = std::move(out);
        header = packed;
        ScanTables(AllTags(), false);
        indexDirty = indexOpen;
        WriteIndex();
        Report(100);
        First();
    }

    void Close() {
        if (state == XbState::Inactive) {
            return;
        }
        pendingMemos.clear();
        state = XbState::Browse;
        try {
            WriteIndex();
        } catch (const EXBaseError&) {
            // The index is derived data: the next open checks and rebuilds it.
        }
        dbf.Close();
        fpt.Close();
        tags.clear();
        flags.clear();
        view.clear();
        rowOf.clear();
        viewValid = false;
        order = -1;
        recNo = 0;
        current = XbRecord();
        query = XbExpression();
        state = XbState::Inactive;
    }
};

// --- XbTable ----------------------------------------------------------------------------------

XbTable::XbTable() : d_(std::make_unique<Impl>()) {}

XbTable::~XbTable() {
    d_->Close();
}

void XbTable::SetDefaultDeleted(XbDeleted deleted) {
    gDefaultDeleted = deleted;
}

XbDeleted XbTable::DefaultDeleted() {
    return gDefaultDeleted;
}

void XbTable::Create(const std::string& path, const std::vector<XbFieldDef>& defs) {
    DbfHeader header;
    header.fields = PrepareFields(defs);
    const XbLayout layout(header.fields);
    header.version = layout.HasMemo() ? kDbfWithMemo : kDbfNoMemo;
    header.headerLength = static_cast<uint16_t>(kDbfHeaderSize + kDbfFieldSize * header.fields.size() + 1);
    header.recordLength = static_cast<uint16_t>(layout.RecordLength());
    UpdateDbfFixedHeader(header);
    std::vector<uint8_t> bytes = BuildDbfHeader(header);
    bytes.push_back(kDbfEndOfFile);

    const std::string existing = XbFindFile(path);
    const std::string target = existing.empty() ? path : existing;
    XbFile file;
    if (!existing.empty()) {
        file = XbFile::Open(existing, XbFile::Access::ReadWrite);
        if (!file.TryLock()) {
            throw EXBaseError(XbError::InUse, XbBaseName(existing) + " is in use by another program");
        }
        file.Truncate(0);
    } else {
        file = XbFile::Create(path);
        file.TryLock();
    }
    RemoveFile(XbCompanionPath(target, "CDX"));
    if (layout.HasMemo()) {
        FptFile::CreateEmpty(XbCompanionPath(target, "FPT"));
    }
    file.WriteAt(0, bytes.data(), bytes.size());
    file.Sync();
}

void XbTable::Open(const std::string& folder, const std::string& fileName, XbAccess access) {
    Open((std::filesystem::path(folder) / fileName).string(), access);
}

void XbTable::Open(const std::string& requested, XbAccess access) {
    Close();
    Impl& d = *d_;
    d.notices.clear();
    const std::string found = XbFindFile(requested);
    if (found.empty()) {
        throw EXBaseError(XbError::NotFound, XbBaseName(requested) + ": file not found");
    }
    try {
        const bool readOnly = access == XbAccess::ReadOnly;
        d.OpenFiles(found, readOnly ? XbFile::Access::ReadOnly : XbFile::Access::ReadWrite);
        d.LoadIndex(!readOnly);
        d.First();
    } catch (...) {
        d.state = XbState::Browse;
        d.indexDirty = false;
        d.Close();
        d.dbf.Close();
        d.fpt.Close();
        throw;
    }
}

std::vector<std::string> XbTable::Check(const std::string& requested) {
    const std::string found = XbFindFile(requested);
    if (found.empty()) {
        throw EXBaseError(XbError::NotFound, XbBaseName(requested) + ": file not found");
    }
    Impl d;
    d.OpenFiles(found, XbFile::Access::ReadOnly);
    d.LoadIndex(false);
    for (size_t i = 0; i < d.layout->Count(); ++i) {
        const XbFieldLayout& f = d.layout->Fields()[i];
        if (f.def.type != XbFieldType::Memo) {
            continue;
        }
        d.Scan(
            [&](uint32_t rec, const uint8_t* bytes) {
                const uint32_t block =
                    ParseMemoBlock({reinterpret_cast<const char*>(bytes) + f.offset, size_t(f.def.width)});
                if (block == 0) {
                    return;
                }
                try {
                    d.fpt.Read(block);
                } catch (const EXBaseError& e) {
                    d.notices.push_back("record " + std::to_string(rec) + " field " + f.def.name + ": " +
                                        e.Message());
                }
            },
            false);
    }
    d.state = XbState::Inactive;
    return d.notices;
}

void XbTable::Close() {
    d_->Close();
}

bool XbTable::IsOpen() const {
    return d_->state != XbState::Inactive;
}

const std::string& XbTable::Path() const {
    return d_->path;
}

std::string XbTable::IndexPath() const {
    d_->RequireOpen();
    return d_->cdxPath;
}

std::vector<std::string> XbTable::Notices() const {
    return d_->notices;
}

const std::vector<XbFieldLayout>& XbTable::Fields() const {
    d_->RequireOpen();
    return d_->layout->Fields();
}

int XbTable::FieldIndex(std::string_view name) const {
    d_->RequireOpen();
    return d_->layout->IndexOf(name);
}

uint8_t XbTable::CodePage() const {
    d_->RequireOpen();
    return d_->header.codePage;
}

// --- Tags ---------------------------------------------------------------------------------------

void XbTable::CreateTag(const std::string& name, const std::string& keyExpression, XbDirection direction,
                        const std::string& forExpression) {
    Impl& d = *d_;
    d.RequireWritable();
    CheckTagName(name);
    Tag tag = d.MakeTag(name, keyExpression, direction, forExpression, false);
    d.lastReported = -1;
    d.Report(0);
    d.ScanTables({&tag}, true);
    const auto it =
        std::find_if(d.tags.begin(), d.tags.end(), [&](const Tag& t) { return t.name == tag.name; });
    if (it != d.tags.end()) {
        *it = std::move(tag);
    } else {
        d.tags.push_back(std::move(tag));
    }
    d.indexOpen = true;
    d.indexDirty = true;
    d.WriteIndex();
}

std::vector<XbTagInfo> XbTable::Tags() const {
    d_->RequireOpen();
    std::vector<XbTagInfo> out;
    for (const Tag& t : d_->tags) {
        out.push_back(
            {t.name, t.key.Text(), t.condition.Text(), t.direction, static_cast<uint32_t>(t.store.Size())});
    }
    return out;
}

void XbTable::SelectOrder(const std::string& tagName) {
    Impl& d = *d_;
    d.RequireBrowse();
    if (tagName.empty()) {
        SelectNaturalOrder();
        return;
    }
    const std::string wanted = Upper(tagName);
    for (size_t i = 0; i < d.tags.size(); ++i) {
        if (d.tags[i].name == wanted) {
            d.order = static_cast<int>(i);
            d.viewValid = false;
            return;
        }
    }
    throw EXBaseError(XbError::NoSuchTag, d.Name() + ": no tag " + wanted);
}

void XbTable::SelectNaturalOrder() {
    d_->RequireBrowse();
    d_->order = -1;
    d_->viewValid = false;
}

std::string XbTable::CurrentOrder() const {
    d_->RequireOpen();
    return d_->order < 0 ? std::string() : d_->tags[static_cast<size_t>(d_->order)].name;
}

void XbTable::CloseIndexes() {
    Impl& d = *d_;
    d.RequireWritable();
    d.WriteIndex();
    d.tags.clear();
    d.order = -1;
    d.indexOpen = false;
    d.viewValid = false;
    d.SetStructuralFlag(false);
}

void XbTable::Reindex() {
    Impl& d = *d_;
    d.RequireWritable();
    d.lastReported = -1;
    d.Report(0);
    d.ScanTables(d.AllTags(), true);
    d.indexDirty = d.indexOpen;
    d.WriteIndex();
}

// --- Visibility -----------------------------------------------------------------------------

void XbTable::SetQuery(const std::string& expression) {
    Impl& d = *d_;
    d.RequireBrowse();
    XbExpression q;
    if (!expression.empty()) {
        q = XbExpression::Compile(expression, *d.layout);
        if (q.ResultKind() != XbExpression::Kind::Logical) {
            throw EXBaseError(XbError::BadExpression, "expression \"" + expression + "\" is not a condition");
        }
    }
    d.query = std::move(q);
    d.ScanTables({}, false);
    d.First();
}

const std::string& XbTable::Query() const {
    return d_->query.Text();
}

void XbTable::SetDeleted(XbDeleted deleted) {
    d_->deleted = deleted;
    d_->viewValid = false;
}

XbDeleted XbTable::Deleted() const {
    return d_->deleted;
}

uint32_t XbTable::QueryCount() {
    Impl& d = *d_;
    d.RequireOpen();
    uint32_t n = 0;
    for (uint32_t rec = 1; rec <= d.header.recordCount; ++rec) {
        n += d.FlagVisible(rec) ? 1 : 0;
    }
    return n;
}

// --- Cursor ---------------------------------------------------------------------------------

uint32_t XbTable::RecordCount() const {
    d_->RequireOpen();
    return d_->header.recordCount;
}

uint32_t XbTable::RecNo() const {
    return d_->state == XbState::Append ? 0 : d_->recNo;
}

bool XbTable::HasCurrentRecord() const {
    return d_->state != XbState::Inactive && (d_->recNo != 0 || d_->state == XbState::Append);
}

bool XbTable::Bof() const {
    return d_->bof;
}

bool XbTable::Eof() const {
    return d_->eof;
}

void XbTable::First() {
    d_->RequireBrowse();
    d_->First();
}

void XbTable::Last() {
    d_->RequireBrowse();
    d_->Last();
}

void XbTable::Next() {
    d_->RequireBrowse();
    d_->Next();
}

void XbTable::Prior() {
    d_->RequireBrowse();
    d_->Prior();
}

bool XbTable::Goto(uint32_t recNo) {
    Impl& d = *d_;
    d.RequireBrowse();
    d.EnsureView();
    if (recNo < 1 || recNo > d.header.recordCount || d.rowOf[recNo] == 0) {
        return false;
    }
    d.MoveTo(recNo);
    d.bof = d.eof = false;
    return true;
}

// --- View -----------------------------------------------------------------------------------

uint32_t XbTable::ViewCount() {
    d_->RequireOpen();
    d_->EnsureView();
    return static_cast<uint32_t>(d_->view.size());
}

uint32_t XbTable::ViewRecNo(uint32_t row) {
    d_->RequireOpen();
    d_->EnsureView();
    if (row >= d_->view.size()) {
        throw EXBaseError(XbError::NoCurrentRecord, d_->Name() + ": no row " + std::to_string(row));
    }
    return d_->view[row];
}

int64_t XbTable::ViewRow(uint32_t recNo) {
    d_->RequireOpen();
    d_->EnsureView();
    if (recNo < 1 || recNo > d_->header.recordCount) {
        return -1;
    }
    return static_cast<int64_t>(d_->rowOf[recNo]) - 1;
}

XbRecord XbTable::ReadRecord(uint32_t recNo) {
    d_->RequireOpen();
    return d_->Read(recNo);
}

std::string XbTable::ReadMemo(uint32_t recNo, int field) {
    Impl& d = *d_;
    d.RequireOpen();
    const XbRecord rec = d.Read(recNo);
    const uint32_t block = rec.MemoBlock(field);
    return block == 0 ? std::string() : d.fpt.Read(block);
}

// --- Current record -------------------------------------------------------------------------

const XbRecord& XbTable::Current() const {
    const Impl& d = *d_;
    d.RequireOpen();
    if (d.state == XbState::Edit || d.state == XbState::Append) {
        d.bufferView = XbRecord(d.layout, d.state == XbState::Edit ? d.recNo : 0, d.buffer);
        return d.bufferView;
    }
    if (d.recNo == 0) {
        throw EXBaseError(XbError::NoCurrentRecord, d.Name() + ": no current record");
    }
    return d.current;
}

std::string XbTable::GetString(int field) const {
    if (d_->layout && d_->layout->Field(field).def.type == XbFieldType::Memo) {
        return GetMemo(field);
    }
    return Current().Text(field);
}

bool XbTable::GetBool(int field) const {
    return Current().Bool(field);
}

XbDate XbTable::GetDate(int field) const {
    return Current().Date(field);
}

double XbTable::GetNumber(int field) const {
    return Current().Number(field);
}

int64_t XbTable::GetInteger(int field) const {
    return Current().Integer(field);
}

std::string XbTable::GetMemo(int field) const {
    const Impl& d = *d_;
    const XbRecord& rec = Current();
    const uint32_t block = rec.MemoBlock(field);
    if (d.state == XbState::Edit || d.state == XbState::Append) {
        const auto it = d.pendingMemos.find(field);
        if (it != d.pendingMemos.end()) {
            return it->second;
        }
    }
    return block == 0 ? std::string() : d.fpt.Read(block);
}

// --- Changing records -----------------------------------------------------------------------

XbState XbTable::State() const {
    return d_->state;
}

void XbTable::Append() {
    Impl& d = *d_;
    d.RequireWritable();
    d.buffer.assign(d.header.recordLength, ' ');
    for (const XbFieldLayout& f : d.layout->Fields()) {
        PutBlank(d.buffer.data(), f);
    }
    d.pendingMemos.clear();
    d.state = XbState::Append;
}

void XbTable::Edit() {
    Impl& d = *d_;
    d.RequireWritable();
    if (d.recNo == 0) {
        throw EXBaseError(XbError::NoCurrentRecord, d.Name() + ": no current record");
    }
    d.buffer = d.current.Bytes();
    d.pendingMemos.clear();
    d.state = XbState::Edit;
}

void XbTable::Post() {
    d_->Post();
}

void XbTable::Cancel() {
    Impl& d = *d_;
    d.RequireOpen();
    if (d.state == XbState::Edit || d.state == XbState::Append) {
        d.pendingMemos.clear();
        d.state = XbState::Browse;
    }
}

void XbTable::Delete() {
    Impl& d = *d_;
    d.RequireWritable();
    d.EnsureView();
    const uint32_t rec = d.recNo;
    const uint32_t row = rec == 0 ? 0 : d.rowOf[rec];
    const uint32_t next = row != 0 && row < d.view.size() ? d.view[row] : 0;
    const uint32_t prior = row > 1 ? d.view[row - 2] : 0;
    d.SetDeletedMark(kDbfDeleted);
    d.EnsureView();
    const uint32_t target = d.rowOf[rec] != 0 ? rec : next != 0 ? next : prior;
    d.MoveTo(target);
    d.eof = target == 0;
}

void XbTable::Recall() {
    d_->SetDeletedMark(kDbfLive);
}

void XbTable::Refresh() {
    Impl& d = *d_;
    d.RequireBrowse();
    d.viewValid = false;
    d.MoveTo(d.recNo <= d.header.recordCount ? d.recNo : 0);
}

namespace {

const XbFieldLayout& Settable(const XbLayout& layout, int field, XbFieldType type) {
    const XbFieldLayout& f = layout.Field(field);
    if (f.def.type != type) {
        throw EXBaseError(XbError::WrongType, "field " + f.def.name + " is of type " +
                                                  std::string(1, static_cast<char>(f.def.type)));
    }
    return f;
}

} // namespace

void XbTable::SetString(int field, std::string_view value) {
    Impl& d = *d_;
    d.RequireEditing();
    const XbFieldLayout& f = d.layout->Field(field);
    switch (f.def.type) {
    case XbFieldType::Character:
        PutText(d.buffer.data(), f, value);
        return;
    case XbFieldType::Memo:
        d.pendingMemos[field] = std::string(value);
        return;
    case XbFieldType::Logical:
        if (value.empty()) {
            PutBlank(d.buffer.data(), f);
        } else if (std::string_view("TtYy").find(value[0]) != std::string_view::npos) {
            PutBool(d.buffer.data(), f, true);
        } else if (std::string_view("FfNn").find(value[0]) != std::string_view::npos) {
            PutBool(d.buffer.data(), f, false);
        } else {
            throw EXBaseError(XbError::BadValue, "field " + f.def.name + ": not a logical value");
        }
        return;
    case XbFieldType::Date: {
        const XbDate date = ParseStoredDate(value);
        if (!value.empty() && date.Empty()) {
            throw EXBaseError(XbError::BadValue, "field " + f.def.name + ": not a date (YYYYMMDD)");
        }
        PutDate(d.buffer.data(), f, date);
        return;
    }
    case XbFieldType::Numeric: {
        bool ok = false;
        const double v = ParseStoredNumber(value, ok);
        if (!ok) {
            throw EXBaseError(XbError::BadValue, "field " + f.def.name + ": not a number");
        }
        if (value.find_first_not_of(' ') == std::string_view::npos) {
            PutBlank(d.buffer.data(), f);
        } else {
            PutNumber(d.buffer.data(), f, v);
        }
        return;
    }
    }
}

void XbTable::SetBool(int field, bool value) {
    d_->RequireEditing();
    PutBool(d_->buffer.data(), Settable(*d_->layout, field, XbFieldType::Logical), value);
}

void XbTable::SetDate(int field, const XbDate& value) {
    d_->RequireEditing();
    PutDate(d_->buffer.data(), Settable(*d_->layout, field, XbFieldType::Date), value);
}

void XbTable::SetNumber(int field, double value) {
    d_->RequireEditing();
    PutNumber(d_->buffer.data(), Settable(*d_->layout, field, XbFieldType::Numeric), value);
}

void XbTable::SetBlank(int field) {
    Impl& d = *d_;
    d.RequireEditing();
    const XbFieldLayout& f = d.layout->Field(field);
    if (f.def.type == XbFieldType::Memo) {
        d.pendingMemos[field].clear();
    } else {
        PutBlank(d.buffer.data(), f);
    }
}

void XbTable::SetMemo(int field, std::string_view text) {
    d_->RequireEditing();
    Settable(*d_->layout, field, XbFieldType::Memo);
    d_->pendingMemos[field] = std::string(text);
}

bool XbTable::MemoToFile(int field, const std::string& path) {
    const std::string text = GetMemo(field);
    if (text.empty()) {
        return false;
    }
    XbFile file = XbFile::Create(path);
    file.WriteAt(0, text.data(), text.size());
    return true;
}

void XbTable::MemoFromFile(int field, const std::string& path) {
    Impl& d = *d_;
    d.RequireOpen();
    Settable(*d.layout, field, XbFieldType::Memo);
    const XbFile file = XbFile::Open(path, XbFile::Access::ReadOnly);
    std::string text(static_cast<size_t>(file.Size()), '\0');
    file.ReadAt(0, text.data(), text.size());
    if (d.state == XbState::Browse) {
        Edit();
        SetMemo(field, text);
        try {
            Post();
        } catch (...) {
            Cancel();
            throw;
        }
        return;
    }
    SetMemo(field, text);
}

// --- Maintenance ----------------------------------------------------------------------------

void XbTable::Pack() {
    d_->lastReported = -1;
    d_->Pack();
}

void XbTable::Flush() {
    Impl& d = *d_;
    d.RequireOpen();
    d.WriteIndex();
    d.dbf.Sync();
    if (d.fpt.IsOpen()) {
        d.fpt.Sync();
    }
}

void XbTable::SetProgressHandler(XbProgress progress) {
    d_->progress = std::move(progress);
}

} // namespace tolvane
