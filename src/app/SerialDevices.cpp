#include "app/SerialDevices.h"

#include <fcntl.h>
#include <linux/serial.h>
#include <sys/ioctl.h>
#include <unistd.h>

#include <QDir>
#include <QFile>
#include <cerrno>

namespace tolvane {
namespace {

QStringList Matching(const QString& folder, const QString& pattern) {
    QStringList found;
    const QDir dir(folder);
    for (const QString& name :
         dir.entryList({pattern}, QDir::System | QDir::Files | QDir::NoDotAndDotDot, QDir::Name)) {
        found << dir.filePath(name);
    }
    return found;
}

// A built-in serial port node exists for every possible UART; only some have one.
bool HasUart(const QString& device) {
    const int fd = ::open(QFile::encodeName(device).constData(), O_RDWR | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (fd < 0) {
        return errno == EACCES || errno == EBUSY;
    }
    struct serial_struct info {};
    const bool uart = ::ioctl(fd, TIOCGSERIAL, &info) == 0 && info.type != PORT_UNKNOWN;
    ::close(fd);
    return uart;
}

} // namespace

QStringList ListSerialDevices() {
    QStringList devices = Matching(QStringLiteral("/dev/serial/by-id"), QStringLiteral("*"));
    devices << Matching(QStringLiteral("/dev"), QStringLiteral("ttyACM*"));
    devices << Matching(QStringLiteral("/dev"), QStringLiteral("ttyUSB*"));
    for (const QString& device : Matching(QStringLiteral("/dev"), QStringLiteral("ttyS*"))) {
        if (HasUart(device)) {
            devices << device;
        }
    }
    return devices;
}

} // namespace tolvane
