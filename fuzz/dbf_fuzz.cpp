// Reads arbitrary bytes as a table file: header parse, open, every record's fields, the view.
#include "FuzzTarget.h"
#include "platform/xbase/DbfFormat.h"
#include "platform/xbase/XbTable.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    tolvane::DbfHeader header;
    std::string error;
    tolvane::ParseDbfHeader(data, size, size, header, error);

    fuzz::InputFile input(data, size, ".dbf");
    tolvane::XbTable table;
    try {
        table.Open(input.Name(), tolvane::XbAccess::ReadOnly);
        table.SetDeleted(tolvane::XbDeleted::Show);
        for (uint32_t n = 1; n <= table.RecordCount() && n <= 1000; ++n) {
            const tolvane::XbRecord rec = table.ReadRecord(n);
            for (size_t f = 0; f < table.Fields().size(); ++f) {
                const int i = static_cast<int>(f);
                rec.Text(i);
                rec.IsBlank(i);
                switch (table.Fields()[f].def.type) {
                case tolvane::XbFieldType::Numeric:
                    rec.Number(i);
                    break;
                case tolvane::XbFieldType::Date:
                    rec.Date(i);
                    break;
                case tolvane::XbFieldType::Logical:
                    rec.Bool(i);
                    break;
                default:
                    break;
                }
            }
        }
        for (table.First(); table.HasCurrentRecord(); table.Next()) {
        }
        table.QueryCount();
    } catch (const tolvane::EXBaseError&) {
    }
    return 0;
}
