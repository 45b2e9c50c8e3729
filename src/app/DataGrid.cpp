#include "app/DataGrid.h"

#include "app/TableModel.h"

#include <QHeaderView>
#include <algorithm>

namespace tolvane {

TDataGrid::TDataGrid(TTableModel& model, QWidget* parent) : QTableView(parent), model_(model) {
    setModel(&model);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setShowGrid(true);
    setWordWrap(false);
    setTabKeyNavigation(false);
    horizontalHeader()->setSectionResizeMode(QHeaderView::Interactive);
    horizontalHeader()->setHighlightSections(false);
    horizontalHeader()->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    verticalHeader()->setDefaultSectionSize(fontMetrics().height() + 4);
    verticalHeader()->setFixedWidth(12);
    verticalHeader()->setDefaultAlignment(Qt::AlignCenter);
    // A column is as wide as its display width in digits, or its title when that is wider.
    const int digit = fontMetrics().horizontalAdvance(QLatin1Char('0'));
    const QFontMetrics titles(horizontalHeader()->font());
    for (int c = 0; c < model_.columnCount(); ++c) {
        const TGridColumn& column = model_.Column(c);
        widths_.push_back(std::max(column.displayWidth * digit, titles.horizontalAdvance(column.title)) + 10);
    }
    ApplyColumnWidths();
    connect(horizontalHeader(), &QHeaderView::sectionResized, this, [this](int column, int, int size) {
        if (!applying_ && column >= 0 && column < static_cast<int>(widths_.size())) {
            widths_[static_cast<size_t>(column)] = size;
        }
    });
    connect(&model, &TTableModel::CurrentRowChanged, this, [this] { FollowCursor(); });
    connect(&model, &QAbstractItemModel::modelReset, this, [this] { ApplyColumnWidths(); });
}

void TDataGrid::ApplyColumnWidths() {
    applying_ = true;
    for (size_t c = 0; c < widths_.size(); ++c) {
        setColumnWidth(static_cast<int>(c), widths_[c]);
    }
    applying_ = false;
}

void TDataGrid::FollowCursor() {
    const int row = model_.CurrentRow();
    following_ = true;
    if (row >= 0) {
        const int column = currentIndex().isValid() ? currentIndex().column() : 0;
        setCurrentIndex(model_.index(row, column));
        model_.MoveTo(row);
    } else {
        setCurrentIndex(QModelIndex());
    }
    following_ = false;
}

void TDataGrid::currentChanged(const QModelIndex& current, const QModelIndex& previous) {
    QTableView::currentChanged(current, previous);
    if (!following_ && current.isValid() && current.row() != previous.row()) {
        model_.MoveTo(current.row());
    }
}

} // namespace tolvane
