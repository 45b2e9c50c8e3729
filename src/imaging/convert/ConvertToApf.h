// The conversion engine: reads the input through the context's reader, codes every line and
// writes an APF file of length-prefixed line records.
#pragma once

#include "imaging/convert/ConverterContext.h"

#include <string>

namespace tolvane {

// Converts inputName into the APF file outputName. Returns the number of pages written or a
// negative result code; on failure no output file is left (an older file of that name is kept)
// and ctx.failedFile names the file concerned.
//   outputName empty: the input's folder and base name with ".APF"; without extension: ".APF"
//   appended. inputName without extension: the reader's default extension appended, unless a
//   file of exactly that name exists.
int ConvertToApf(ConverterContext& ctx, const std::string& inputName, const std::string& outputName);

// The output name ConvertToApf uses.
std::string ApfOutputName(const std::string& outputName, const std::string& inputName);
// The input name ConvertToApf uses.
std::string InputFileName(const std::string& inputName, const std::string& defaultExtension);
// True when the name's last path component contains a '.'.
bool HasExtension(const std::string& name);

} // namespace tolvane
