// A read-only grid over a TTableModel: column titles, a row indicator, resizable columns,
// column and row lines. The grid's current row and the table's cursor follow each other.
#pragma once

#include <QTableView>
#include <vector>

namespace tolvane {

class TTableModel;

class TDataGrid : public QTableView {
    Q_OBJECT
public:
    TDataGrid(TTableModel& model, QWidget* parent = nullptr);
    TTableModel& Model() const { return model_; }
    // Column widths start from the columns' display widths in characters; widths the user sets
    // are kept when the table is read again.
    void ApplyColumnWidths();
    // Shows the table's current record as the current row.
    void FollowCursor();

protected:
    void currentChanged(const QModelIndex& current, const QModelIndex& previous) override;

private:
    TTableModel& model_;
    std::vector<int> widths_;
    bool following_ = false;
    bool applying_ = false;
};

} // namespace tolvane
