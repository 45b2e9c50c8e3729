#include "imaging/errors/IoError.h"

#include "imaging/errors/ResultCodes.h"

#include <cerrno>

namespace tolvane {

int IoErrorFromErrno(int err, IoOperation op) {
    switch (err) {
    case ENOENT:
        return op == IoOperation::Create ? ecPathNotFound : ecFileNotFound;
    case ENOTDIR:
    case ENAMETOOLONG:
    case ELOOP:
        return ecPathNotFound;
    case EMFILE:
    case ENFILE:
        return ecTooManyFiles;
    case EACCES:
    case EPERM:
    case EISDIR:
    case EBUSY:
    case ETXTBSY:
        return ecAccessDenied;
    case EBADF:
        return ecInvalidHandle;
    case ENOMEM:
        return ecOutOfMemory;
    case ENOSPC:
    case EDQUOT:
    case EFBIG:
        return ecDiskFull;
    case EROFS:
        return ecWriteProtected;
    case ESPIPE:
    case EINVAL:
        return op == IoOperation::Seek ? ecSeekError : ecHardwareFailure;
    default:
        break;
    }
    switch (op) {
    case IoOperation::Read:
        return ecDeviceRead;
    case IoOperation::Write:
        return ecDeviceWrite;
    case IoOperation::Seek:
        return ecSeekError;
    default:
        return ecHardwareFailure;
    }
}

} // namespace tolvane
