#include "ConvertInputs.h"

#include "imaging/convert/FaxConverter.h"

#include <algorithm>
#include <cctype>
#include <sstream>

namespace faxtool {
namespace {

std::vector<ConvertInput>& Registry() {
    static std::vector<ConvertInput> inputs;
    return inputs;
}

std::string Lower(std::string s) {
    std::transform(s.begin(), s.end(), s.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return s;
}

// The readers of the conversion engine.
template <tolvane::TFaxInputDocumentType type>
int ConvertDocument(tolvane::TFaxConverter& converter, const std::string& input) {
    const std::string out = converter.OutFileName();
    converter.SetInputDocumentType(type);
    converter.SetDocumentFile(input);
    converter.SetOutFileName(out);
    return converter.ConvertDocument();
}

using Type = tolvane::TFaxInputDocumentType;
[[maybe_unused]] const bool builtIn =
    RegisterConvertInput({"pbm", ".pbm", &ConvertDocument<Type::idPbm>}) &&
    RegisterConvertInput({"bmp", ".bmp", &ConvertDocument<Type::idBmp>}) &&
    RegisterConvertInput({"tiff", ".tif .tiff", &ConvertDocument<Type::idTiff>}) &&
    RegisterConvertInput({"pcx", ".pcx", &ConvertDocument<Type::idPcx>}) &&
    RegisterConvertInput({"dcx", ".dcx", &ConvertDocument<Type::idDcx>}) &&
    RegisterConvertInput({"text", ".txt", &ConvertDocument<Type::idText>});

} // namespace

bool RegisterConvertInput(const ConvertInput& input) {
    Registry().push_back(input);
    return true;
}

const std::vector<ConvertInput>& ConvertInputs() {
    return Registry();
}

const ConvertInput* FindConvertInputByName(const std::string& name) {
    for (const auto& input : Registry()) {
        if (Lower(name) == input.name) {
            return &input;
        }
    }
    return nullptr;
}

const ConvertInput* FindConvertInputForFile(const std::string& file) {
    const size_t slash = file.find_last_of('/');
    const size_t dot = file.find_last_of('.');
    if (dot == std::string::npos || (slash != std::string::npos && dot < slash)) {
        return nullptr;
    }
    const std::string extension = Lower(file.substr(dot));
    for (const auto& input : Registry()) {
        std::istringstream list(input.extensions);
        std::string candidate;
        while (list >> candidate) {
            if (candidate == extension) {
                return &input;
            }
        }
    }
    return nullptr;
}

} // namespace faxtool
