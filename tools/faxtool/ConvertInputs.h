// Input types of "faxtool convert", found by --type name or by the input's extension. Each type
// registers itself at static initialisation, like the commands do. Types that render documents
// (RTF, PDF, PNG, JPEG through Qt) add a file that registers a type whose convert function draws
// each page into a MonoBitmap and hands the pages to TFaxConverter::BitmapsToApf.
#pragma once

#include <string>
#include <vector>

namespace tolvane {
class TFaxConverter;
}

namespace faxtool {

struct ConvertInput {
    const char* name;       // --type value, e.g. "tiff"
    const char* extensions; // lower case, space-separated, e.g. ".tif .tiff"
    // Converts the input with the converter, whose properties are set from the options and whose
    // OutFileName is the output. Raises as the component does; returns the pages written.
    int (*convert)(tolvane::TFaxConverter& converter, const std::string& input);
};

// Adds a type; returns true so it can initialise a constant.
bool RegisterConvertInput(const ConvertInput& input);
const std::vector<ConvertInput>& ConvertInputs();
const ConvertInput* FindConvertInputByName(const std::string& name);
// By the file's extension, without regard to letter case.
const ConvertInput* FindConvertInputForFile(const std::string& file);

} // namespace faxtool
