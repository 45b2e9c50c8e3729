// xbtool: looks after xBase tables (DBF with FPT memos and a structural CDX index).
//   xbtool dump [--json] TABLE.DBF          fields, then records with deleted flag and memo texts
//   xbtool create TABLE.DBF --from FILE.json a table from the dump's JSON form
//   xbtool pack TABLE.DBF                    removes deleted records, compacts memos, rebuilds tags
//   xbtool reindex TABLE.DBF                 rebuilds every tag
//   xbtool tags TABLE.DBF                    tag name, key, FOR, direction, key count
//   xbtool check TABLE.DBF                   table, memo and index agree (exit 1 with findings)
// Exit status: 0 done, 1 failed (message on stderr), 2 wrong usage.
#include "Json.h"
#include "platform/xbase/XbTable.h"
#include "platform/xbase/XbTextCodec.h"

#include <cstdio>
#include <fstream>
#include <iostream>
#include <sstream>
#include <string>
#include <vector>

using namespace tolvane;
using xbtool::JsonQuote;
using xbtool::JsonValue;

namespace {

constexpr int kFailed = 1;
constexpr int kUsage = 2;

int Usage() {
    std::cerr << "usage: xbtool dump [--json] TABLE.DBF\n"
                 "       xbtool create TABLE.DBF --from FILE.json\n"
                 "       xbtool pack|reindex|tags|check TABLE.DBF\n";
    return kUsage;
}

std::string NumberText(const XbRecord& rec, const XbFieldLayout& f, int i) {
    char buf[64];
    std::snprintf(buf, sizeof buf, "%.*f", f.def.decimals, rec.Number(i));
    return buf;
}

// A field's value as JSON.
std::string JsonField(XbTable& table, const XbRecord& rec, int i) {
    const XbFieldLayout& f = table.Fields()[static_cast<size_t>(i)];
    switch (f.def.type) {
    case XbFieldType::Character:
        return JsonQuote(XbToUtf8(rec.Text(i), table.CodePage()));
    case XbFieldType::Memo:
        return JsonQuote(XbToUtf8(table.ReadMemo(rec.RecNo(), i), table.CodePage()));
    case XbFieldType::Logical:
        return rec.Bool(i) ? "true" : "false";
    case XbFieldType::Date:
        return JsonQuote(rec.Text(i));
    case XbFieldType::Numeric:
        return rec.IsBlank(i) ? "null" : NumberText(rec, f, i);
    }
    return "null";
}

int Dump(const std::string& path, bool json) {
    XbTable table;
    table.Open(path, XbAccess::ReadOnly);
    const auto& fields = table.Fields();
    std::ostringstream out;
    if (json) {
        out << "{\"fields\": [";
        for (size_t i = 0; i < fields.size(); ++i) {
            const XbFieldDef& d = fields[i].def;
            out << (i ? ", " : "") << "{\"name\": " << JsonQuote(d.name) << ", \"type\": \""
                << static_cast<char>(d.type) << "\", \"width\": " << d.width
                << ", \"decimals\": " << d.decimals << "}";
        }
        out << "], \"records\": [";
    } else {
        out << "Fields:\n";
        for (const XbFieldLayout& f : fields) {
            out << "  " << f.def.name << " " << static_cast<char>(f.def.type) << "(" << f.def.width;
            if (f.def.decimals != 0) {
                out << "," << f.def.decimals;
            }
            out << ")\n";
        }
        out << "Records: " << table.RecordCount() << "\n";
    }
    for (uint32_t n = 1; n <= table.RecordCount(); ++n) {
        const XbRecord rec = table.ReadRecord(n);
        if (json) {
            out << (n > 1 ? ", " : "") << "{\"deleted\": " << (rec.Deleted() ? "true" : "false")
                << ", \"values\": {";
            for (size_t i = 0; i < fields.size(); ++i) {
                out << (i ? ", " : "") << JsonQuote(fields[i].def.name) << ": "
                    << JsonField(table, rec, static_cast<int>(i));
            }
            out << "}}";
            continue;
        }
        out << "#" << n << (rec.Deleted() ? " (deleted)" : "") << "\n";
        for (size_t i = 0; i < fields.size(); ++i) {
            const int fi = static_cast<int>(i);
            const std::string value =
                fields[i].def.type == XbFieldType::Memo ? table.ReadMemo(n, fi) : rec.Text(fi);
            out << "  " << fields[i].def.name << ": " << XbToUtf8(value, table.CodePage()) << "\n";
        }
    }
    if (json) {
        out << "]}\n";
    }
    std::cout << out.str();
    return 0;
}

[[noreturn]] void Bad(const std::string& what) {
    throw EXBaseError(XbError::BadValue, what);
}

XbFieldType TypeOf(const std::string& letter) {
    if (letter.size() == 1) {
        switch (letter[0]) {
        case 'C':
        case 'L':
        case 'D':
        case 'N':
        case 'M':
            return static_cast<XbFieldType>(letter[0]);
        default:
            break;
        }
    }
    Bad("unknown field type \"" + letter + "\"");
}

int IntMember(const JsonValue& v, const char* key, int fallback) {
    const JsonValue* m = v.Find(key);
    if (m == nullptr || m->type == JsonValue::Type::Null) {
        return fallback;
    }
    if (m->type != JsonValue::Type::Number || m->number < 0 || m->number > 1000) {
        Bad(std::string("\"") + key + "\" must be a small number");
    }
    return static_cast<int>(m->number);
}

void SetValue(XbTable& table, int field, const JsonValue& v) {
    const XbFieldLayout& f = table.Fields()[static_cast<size_t>(field)];
    const std::string where = "field " + f.def.name + ": ";
    if (v.type == JsonValue::Type::Null) {
        table.SetBlank(field);
        return;
    }
    switch (f.def.type) {
    case XbFieldType::Character:
    case XbFieldType::Memo:
    case XbFieldType::Date:
        if (v.type != JsonValue::Type::String) {
            Bad(where + "expected a string");
        }
        table.SetString(field,
                        f.def.type == XbFieldType::Date ? v.text : XbFromUtf8(v.text, table.CodePage()));
        return;
    case XbFieldType::Logical:
        if (v.type != JsonValue::Type::Bool) {
            Bad(where + "expected true or false");
        }
        table.SetBool(field, v.boolean);
        return;
    case XbFieldType::Numeric:
        if (v.type != JsonValue::Type::Number) {
            Bad(where + "expected a number");
        }
        table.SetNumber(field, v.number);
        return;
    }
}

int Create(const std::string& path, const std::string& from) {
    std::ifstream in(from, std::ios::binary);
    if (!in) {
        std::cerr << "xbtool: " << from << ": cannot read\n";
        return kFailed;
    }
    std::ostringstream text;
    text << in.rdbuf();
    JsonValue doc;
    std::string error;
    if (!xbtool::ParseJson(text.str(), doc, error)) {
        std::cerr << "xbtool: " << from << ": " << error << "\n";
        return kFailed;
    }
    const JsonValue* fields = doc.Find("fields");
    if (fields == nullptr || fields->type != JsonValue::Type::Array) {
        Bad("\"fields\" must be an array");
    }
    std::vector<XbFieldDef> defs;
    for (const JsonValue& f : fields->items) {
        const JsonValue* name = f.Find("name");
        const JsonValue* type = f.Find("type");
        if (name == nullptr || name->type != JsonValue::Type::String || type == nullptr ||
            type->type != JsonValue::Type::String) {
            Bad("every field needs a \"name\" and a \"type\"");
        }
        defs.push_back(
            {name->text, TypeOf(type->text), IntMember(f, "width", 0), IntMember(f, "decimals", 0)});
    }
    XbTable::Create(path, defs);
    XbTable table;
    table.Open(path);
    const JsonValue* records = doc.Find("records");
    if (records != nullptr && records->type != JsonValue::Type::Array) {
        Bad("\"records\" must be an array");
    }
    for (const JsonValue& r : records != nullptr ? records->items : std::vector<JsonValue>{}) {
        table.Append();
        if (const JsonValue* values = r.Find("values")) {
            for (size_t i = 0; i < values->names.size(); ++i) {
                const int field = table.FieldIndex(values->names[i]);
                if (field < 0) {
                    Bad("no field " + values->names[i]);
                }
                SetValue(table, field, values->memberValues[i]);
            }
        }
        table.Post();
        const JsonValue* deleted = r.Find("deleted");
        if (deleted != nullptr && deleted->type == JsonValue::Type::Bool && deleted->boolean) {
            table.SetDeleted(XbDeleted::Show);
            table.Goto(table.RecordCount());
            table.Delete();
        }
    }
    table.Close();
    return 0;
}

int Tags(const std::string& path) {
    XbTable table;
    table.Open(path, XbAccess::ReadOnly);
    for (const XbTagInfo& t : table.Tags()) {
        std::cout << t.name << "\tkey " << t.keyExpression << "\tfor "
                  << (t.forExpression.empty() ? "-" : t.forExpression) << "\t"
                  << (t.direction == XbDirection::Descending ? "descending" : "ascending") << "\t"
                  << t.keyCount << " keys\n";
    }
    return 0;
}

int Check(const std::string& path) {
    const std::vector<std::string> findings = XbTable::Check(path);
    for (const std::string& f : findings) {
        std::cout << f << "\n";
    }
    if (!findings.empty()) {
        return kFailed;
    }
    std::cout << "ok\n";
    return 0;
}

void PrintNotices(const XbTable& table) {
    for (const std::string& n : table.Notices()) {
        std::cerr << "xbtool: " << n << "\n";
    }
}

} // namespace

int main(int argc, char** argv) {
    const std::vector<std::string> args(argv + 1, argv + argc);
    if (args.empty()) {
        return Usage();
    }
    const std::string& command = args[0];
    try {
        if (command == "dump") {
            const bool json = args.size() == 3 && args[1] == "--json";
            if (args.size() != 2 && !json) {
                return Usage();
            }
            return Dump(args.back(), json);
        }
        if (command == "create") {
            if (args.size() != 4 || args[2] != "--from") {
                return Usage();
            }
            return Create(args[1], args[3]);
        }
        if (args.size() != 2) {
            return Usage();
        }
        if (command == "tags") {
            return Tags(args[1]);
        }
        if (command == "check") {
            return Check(args[1]);
        }
        if (command == "pack" || command == "reindex") {
            XbTable table;
            table.Open(args[1]);
            PrintNotices(table);
            if (command == "pack") {
                table.Pack();
            } else {
                table.Reindex();
            }
            table.Close();
            return 0;
        }
    } catch (const EXBaseError& e) {
        std::cerr << "xbtool: " << e.what() << "\n";
        return kFailed;
    }
    return Usage();
}
