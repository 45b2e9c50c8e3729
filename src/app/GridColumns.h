// The columns the grids show for each table: titles and display widths in characters.
#pragma once

#include "app/TableModel.h"

#include <vector>

namespace tolvane {

// FaxTableSentYesNo, the calculated "Sent" column: "Yes" when SENT is true, else "No ".
QString FaxTableSentYesNo(const XbRecord& record);

// "Sent", "Date Sent", "Time Sent", "Recipient", "Phone", "Pages", "Subject", "Last Attempt".
std::vector<TGridColumn> FaxGridColumns();
// "Date Rec'd", "Time Rec'd", "From", "Pages", "Notes".
std::vector<TGridColumn> RecFaxGridColumns();
// "Description".
std::vector<TGridColumn> CoverGridColumns();
// "Name", "Fax #".
std::vector<TGridColumn> PhoneGridColumns();

} // namespace tolvane
