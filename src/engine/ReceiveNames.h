// Names of received fax files (ReceiveNameMode).
#pragma once

#include "engine/FaxTypes.h"

#include <ctime>
#include <string>

namespace tolvane {

// rnNoName: "noname.apf". rnSequential: "FAX" and a four-digit number; rnByDate: month and day
// (two digits each) and a four-digit number; both with "." and the extension, in `dir` (which
// ends in "/" or is empty), numbered from 1 to the first name not in use there -- compared
// without regard to letter case, as the records keep names. All 9999 in use: "NONAME.APF".
std::string ReceiveFileName(TReceiveNameMode mode, const std::string& dir, const std::string& ext,
                            const std::tm& today);

} // namespace tolvane
