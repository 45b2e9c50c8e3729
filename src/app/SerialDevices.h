// Serial devices found on this machine, offered for the ports Com1 .. Com6.
#pragma once

#include <QStringList>

namespace tolvane {

// /dev/serial/by-id/* (stable names of USB modems), /dev/ttyACM*, /dev/ttyUSB*, and those
// /dev/ttyS* that have a UART behind them (or that this user may not open, so cannot tell).
QStringList ListSerialDevices();

} // namespace tolvane
