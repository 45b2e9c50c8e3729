#include "app/GridColumns.h"

#include "app/RecordTables.h"

namespace tolvane {
namespace {

constexpr int kDefaultDateWidth = 10;
constexpr int kDefaultSmallintWidth = 6;

} // namespace

QString FaxTableSentYesNo(const XbRecord& record) {
    return record.Bool(fax::SENT) ? QStringLiteral("Yes") : QStringLiteral("No ");
}

std::vector<TGridColumn> FaxGridColumns() {
    return {
        {QStringLiteral("Sent"), 3, [](const XbRecord& r, uint8_t) { return FaxTableSentYesNo(r); }},
        DateColumn(QStringLiteral("Date Sent"), kDefaultDateWidth, fax::DATESENT),
        TextColumn(QStringLiteral("Time Sent"), 5, fax::TIMESENT),
        TextColumn(QStringLiteral("Recipient"), 20, fax::RECIPIENT),
        TextColumn(QStringLiteral("Phone"), 15, fax::PHONE),
        IntegerColumn(QStringLiteral("Pages"), 5, fax::PAGES),
        TextColumn(QStringLiteral("Subject"), 20, fax::SUBJECT),
        TextColumn(QStringLiteral("Last Attempt"), 35, fax::LASTRESULT),
    };
}

std::vector<TGridColumn> RecFaxGridColumns() {
    return {
        DateColumn(QStringLiteral("Date Rec'd"), kDefaultDateWidth, rec::DATEREC),
        TextColumn(QStringLiteral("Time Rec'd"), 5, rec::TIMEREC),
        TextColumn(QStringLiteral("From"), 20, rec::FROM),
        IntegerColumn(QStringLiteral("Pages"), kDefaultSmallintWidth, rec::PAGES),
        TextColumn(QStringLiteral("Notes"), 60, rec::NOTES),
    };
}

std::vector<TGridColumn> CoverGridColumns() {
    return {TextColumn(QStringLiteral("Description"), 100, cover::DESCRIPT)};
}

std::vector<TGridColumn> PhoneGridColumns() {
    return {TextColumn(QStringLiteral("Name"), 31, phone::NAME),
            TextColumn(QStringLiteral("Fax #"), 25, phone::PHONE)};
}

} // namespace tolvane
