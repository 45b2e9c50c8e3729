// Operating-system errors as negated I/O error numbers (-2 to -162).
#pragma once

namespace tolvane {

enum class IoOperation { Open, Create, Read, Write, Seek, Close };

// The negative result code for an errno value seen during the operation.
int IoErrorFromErrno(int err, IoOperation op);

} // namespace tolvane
