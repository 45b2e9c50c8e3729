// faxtool convert [options] INPUT [-o OUT.apf]: converts a page image or text file into an APF
// fax file. The options are the converter's properties; without -o the output is the input's
// name with ".APF".
#include "Command.h"
#include "ConvertInputs.h"
#include "imaging/convert/ConvertToApf.h"
#include "imaging/convert/FaxConverter.h"

#include <charconv>
#include <iostream>
#include <optional>

namespace faxtool {
namespace {

using namespace tolvane;

const char* const kUsage = "usage: faxtool convert [options] INPUT [-o OUT.apf]\n"
                           "  --type TYPE          input type instead of the one the extension names (%s)\n"
                           "  --fine               fine resolution (about 196 lines per inch)\n"
                           "  --wide               2048-pixel lines instead of 1728\n"
                           "  --margin N           white pixels in front of every line (50)\n"
                           "  --top-margin N       blank lines at the top of every page (0)\n"
                           "  --double-width       double narrow images (normal resolution)\n"
                           "  --half-height        code every other line (normal resolution)\n"
                           "  --center             centre narrow images\n"
                           "  --lines-per-page N   text: lines per page, 0 = unlimited (60)\n"
                           "  --tab-stop N         text: tab interval (4)\n"
                           "  --small-font         text: the 12 x 8 font instead of 20 x 16\n"
                           "  --station ID         station identifier written into the file\n";

std::string TypeNames() {
    std::string names;
    for (const auto& input : ConvertInputs()) {
        names += (names.empty() ? "" : ", ") + std::string(input.name);
    }
    return names;
}

std::string Usage() {
    std::string text = kUsage;
    const size_t at = text.find("%s");
    return text.replace(at, 2, TypeNames());
}

std::optional<unsigned> Number(const std::string& text) {
    unsigned value = 0;
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (ec != std::errc() || end != text.data() + text.size() || text.empty()) {
        return std::nullopt;
    }
    return value;
}

// The message of an exception the converter raised.
std::string MessageOf(const std::exception& e) {
    const std::string text = e.what();
    return text.empty() ? "conversion failed" : text;
}

int RunConvert(const Args& args) {
    TFaxConverter converter;
    converter.SetOptions(0);
    std::string input, output, typeName;
    TFaxCvtOptions options = 0;
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        const auto value = [&]() -> std::optional<std::string> {
            if (i + 1 >= args.size()) {
                return std::nullopt;
            }
            return args[++i];
        };
        const auto number = [&](void (TFaxConverter::*set)(unsigned)) {
            const auto text = value();
            const auto n = text ? Number(*text) : std::nullopt;
            if (!n) {
                return false;
            }
            (converter.*set)(*n);
            return true;
        };
        if (a == "-o" || a == "--output") {
            const auto v = value();
            if (!v) {
                return Fail("convert: " + a + " needs a file name");
            }
            output = *v;
        } else if (a == "--type") {
            const auto v = value();
            if (!v) {
                return Fail("convert: --type needs one of " + TypeNames());
            }
            typeName = *v;
        } else if (a == "--station") {
            const auto v = value();
            if (!v) {
                return Fail("convert: --station needs an identifier");
            }
            converter.SetStationID(*v);
        } else if (a == "--margin" || a == "--top-margin" || a == "--lines-per-page" || a == "--tab-stop") {
            const auto set = a == "--margin"           ? &TFaxConverter::SetLeftMargin
                             : a == "--top-margin"     ? &TFaxConverter::SetTopMargin
                             : a == "--lines-per-page" ? &TFaxConverter::SetLinesPerPage
                                                       : &TFaxConverter::SetTabStop;
            if (!number(set)) {
                return Fail("convert: " + a + " needs a number");
            }
        } else if (a == "--fine") {
            converter.SetResolution(TFaxResolution::frHigh);
        } else if (a == "--wide") {
            converter.SetWidth(TFaxWidth::fwWide);
        } else if (a == "--double-width") {
            options |= coDoubleWidth;
        } else if (a == "--half-height") {
            options |= coHalfHeight;
        } else if (a == "--center") {
            options |= coCenterImage;
        } else if (a == "--small-font") {
            converter.SetFontType(TFaxFont::ffSmall);
        } else if (a == "-h" || a == "--help") {
            std::cout << Usage();
            return 0;
        } else if (a.size() > 1 && a[0] == '-') {
            return Fail("convert: unknown option " + a + "\n" + Usage());
        } else if (input.empty()) {
            input = a;
        } else {
            return Fail("convert: one input file at a time");
        }
    }
    if (input.empty()) {
        return Fail(Usage());
    }
    converter.SetOptions(options);

    const ConvertInput* type =
        typeName.empty() ? FindConvertInputForFile(input) : FindConvertInputByName(typeName);
    if (!type) {
        return Fail(typeName.empty()
                        ? "convert: " + input + ": unknown input type; use --type (" + TypeNames() + ")"
                        : "convert: unknown type " + typeName + " (" + TypeNames() + ")");
    }
    output = ApfOutputName(output, input);
    converter.SetOutFileName(output);
    try {
        const int pages = type->convert(converter, input);
        std::cout << output << ": " << pages << (pages == 1 ? " page\n" : " pages\n");
        return 0;
    } catch (const std::exception& e) {
        const std::string& file = converter.FailedFile().empty() ? input : converter.FailedFile();
        return Fail(file + ": " + MessageOf(e));
    }
}

[[maybe_unused]] const bool registered = RegisterCommand(
    {"convert", "convert [options] INPUT [-o OUT.apf]   page image or text to an APF file", &RunConvert});

} // namespace
} // namespace faxtool
