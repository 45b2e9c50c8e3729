#include "app/TableModel.h"

#include "app/RecordTables.h"

#include <QDate>
#include <QLocale>
#include <algorithm>

namespace tolvane {
namespace {

constexpr int kCachedRows = 512;

QString FieldText(const XbRecord& record, int field, uint8_t codePage) {
    return FromTableText(record.Text(field), codePage);
}

} // namespace

TGridColumn TextColumn(const QString& title, int displayWidth, int field) {
    return {title, displayWidth,
            [field](const XbRecord& r, uint8_t codePage) { return FieldText(r, field, codePage); }};
}

TGridColumn DateColumn(const QString& title, int displayWidth, int field) {
    // Wide enough for the longest date of the locale's format.
    displayWidth = std::max(displayWidth, static_cast<int>(DisplayDate(XbDate{2000, 12, 28}).size()));
    return {title, displayWidth, [field](const XbRecord& r, uint8_t) { return DisplayDate(r.Date(field)); }};
}

TGridColumn IntegerColumn(const QString& title, int displayWidth, int field) {
    return {title, displayWidth,
            [field](const XbRecord& r, uint8_t) {
                return r.IsBlank(field) ? QString() : QString::number(r.Integer(field));
            },
            Qt::AlignRight | Qt::AlignVCenter};
}

QString DisplayDate(const XbDate& date) {
    if (date.Empty()) {
        return QString();
    }
    QString format = QLocale().dateFormat(QLocale::ShortFormat);
    if (!format.contains(QStringLiteral("yyyy"))) {
        format.replace(QStringLiteral("yy"), QStringLiteral("yyyy"));
    }
    return QLocale().toString(QDate(date.year, date.month, date.day), format);
}

TTableModel::TTableModel(XbTable& table, std::vector<TGridColumn> columns, QObject* parent)
    : QAbstractTableModel(parent), table_(table), columns_(std::move(columns)), cache_(kCachedRows) {}

bool TTableModel::Active() const {
    return !disabled_ && table_.IsOpen();
}

int TTableModel::rowCount(const QModelIndex& parent) const {
    if (parent.isValid() || !Active()) {
        return 0;
    }
    if (rows_ < 0) {
        try {
            rows_ = static_cast<int>(table_.ViewCount());
        } catch (const Exception&) {
            rows_ = 0;
        }
    }
    return rows_;
}

int TTableModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(columns_.size());
}

const XbRecord* TTableModel::Row(int row) const {
    if (XbRecord* cached = cache_.object(row)) {
        return cached;
    }
    try {
        auto record =
            std::make_unique<XbRecord>(table_.ReadRecord(table_.ViewRecNo(static_cast<uint32_t>(row))));
        XbRecord* shown = record.get();
        cache_.insert(row, record.release());
        return shown;
    } catch (const Exception&) {
        return nullptr;
    }
}

QVariant TTableModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.row() >= rowCount() || index.column() >= columnCount()) {
        return {};
    }
    const TGridColumn& column = Column(index.column());
    if (role == Qt::TextAlignmentRole) {
        return QVariant::fromValue(column.alignment);
    }
    if (role != Qt::DisplayRole) {
        return {};
    }
    const XbRecord* record = Row(index.row());
    return record ? column.text(*record, table_.CodePage()) : QString();
}

QVariant TTableModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation == Qt::Horizontal) {
        if (role == Qt::DisplayRole && section >= 0 && section < columnCount()) {
            return Column(section).title;
        }
        return {};
    }
    // The row indicator: a marker beside the current record.
    if (role == Qt::DisplayRole) {
        return section == indicatorRow_ ? QStringLiteral("\u25B8") : QString();
    }
    return {};
}

void TTableModel::Reload() {
    beginResetModel();
    rows_ = -1;
    cache_.clear();
    indicatorRow_ = -1;
    endResetModel();
    emit CurrentRowChanged(CurrentRow());
}

void TTableModel::DisableControls() {
    beginResetModel();
    disabled_ = true;
    rows_ = -1;
    cache_.clear();
    endResetModel();
}

void TTableModel::EnableControls() {
    disabled_ = false;
    Reload();
}

int TTableModel::CurrentRow() const {
    if (!Active()) {
        return -1;
    }
    try {
        if (!table_.HasCurrentRecord()) {
            return -1;
        }
        const int64_t row = table_.ViewRow(table_.RecNo());
        return row < rowCount() ? static_cast<int>(row) : -1;
    } catch (const Exception&) {
        return -1;
    }
}

void TTableModel::MoveTo(int row) {
    if (!Active() || row < 0 || row >= rowCount()) {
        return;
    }
    try {
        if (table_.State() == XbState::Browse) {
            table_.Goto(table_.ViewRecNo(static_cast<uint32_t>(row)));
        }
    } catch (const Exception&) {
        return;
    }
    const int old = indicatorRow_;
    indicatorRow_ = row;
    if (old >= 0) {
        emit headerDataChanged(Qt::Vertical, old, old);
    }
    emit headerDataChanged(Qt::Vertical, row, row);
}

} // namespace tolvane
