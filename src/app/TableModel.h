// A Qt table model over an xBase table: one row per visible record in the table's current
// order, one column per shown field. Rows are read when the view asks for them (through the
// table's view, never the whole table), and a small cache keeps the rows on screen.
#pragma once

#include "platform/xbase/XbTable.h"

#include <QAbstractTableModel>
#include <QCache>
#include <functional>

namespace tolvane {

struct TGridColumn {
    QString title;
    int displayWidth = 0; // in characters
    // The text shown for a record (a field's text or a calculated value) of a table with the
    // given code page.
    std::function<QString(const XbRecord&, uint8_t codePage)> text;
    Qt::Alignment alignment = Qt::AlignLeft | Qt::AlignVCenter;
};

// Column factories for the field kinds.
TGridColumn TextColumn(const QString& title, int displayWidth, int field);
TGridColumn DateColumn(const QString& title, int displayWidth, int field);
TGridColumn IntegerColumn(const QString& title, int displayWidth, int field);

// The date as the grids show it: the locale's short date with a four-digit year; "" when empty.
QString DisplayDate(const XbDate& date);

class TTableModel : public QAbstractTableModel {
    Q_OBJECT
public:
    TTableModel(XbTable& table, std::vector<TGridColumn> columns, QObject* parent = nullptr);

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

    XbTable& Table() const { return table_; }
    const TGridColumn& Column(int column) const { return columns_[static_cast<size_t>(column)]; }

    // The table's records, order or visibility changed: the views read them again.
    void Reload();
    // Suspends and resumes what the views see (while a table is packed or re-indexed, or closed).
    void DisableControls();
    void EnableControls();

    // The row of the table's current record, -1 when there is none.
    int CurrentRow() const;
    // Moves the table's cursor to the record of the row.
    void MoveTo(int row);

signals:
    void CurrentRowChanged(int row);

private:
    bool Active() const;
    const XbRecord* Row(int row) const;

    XbTable& table_;
    std::vector<TGridColumn> columns_;
    bool disabled_ = false;
    mutable int rows_ = -1; // cached count of visible records
    mutable QCache<int, XbRecord> cache_;
    int indicatorRow_ = -1;
};

} // namespace tolvane
