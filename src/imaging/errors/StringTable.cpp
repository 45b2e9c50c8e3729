#include "imaging/errors/StringTable.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstdlib>

namespace tolvane {
namespace {

struct Entry {
    int id;
    std::string_view text;
};

// Sorted by identifier.
constexpr std::array kEntries{
    Entry{11000, "OK"},
    // I/O errors 2 to 99 (identifier 11000 + number).
    Entry{11002, "File not found"},
    Entry{11003, "Path not found"},
    Entry{11004, "Too many open files"},
    Entry{11005, "File access denied"},
    Entry{11006, "Invalid file handle"},
    Entry{11008, "Insufficient memory"},
    Entry{11015, "Invalid drive"},
    Entry{11018, "No more files"},
    // General errors of the components.
    Entry{11101, "Bad handle passed to com function"},
    Entry{11102, "Bad argument passed to function"},
    Entry{11103, "Got quit message"},
    Entry{11104, "Terminal buffer greater than 65521"},
    Entry{11105, "ComPort component not assigned"},
    Entry{11106, "Internal error creating window class"},
    Entry{11107, "Modem component not assigned"},
    Entry{11108, "Phonebook component not assigned"},
    Entry{11109, "Component not compatible with WinSock"},
    // Opening a serial port.
    Entry{11201, "ie_BadId - Specified comport doesn't exist"},
    Entry{11202, "ie_Baudrate - unsupported baud rate"},
    Entry{11203, "ie_Bytesize - invalid byte size"},
    Entry{11204, "ie_Default - error in default parameters"},
    Entry{11205, "ie_Hardware - Specified comport in use"},
    Entry{11206, "ie_Memory - unable to allocate queues"},
    Entry{11207, "ie_NOpen - device not open"},
    Entry{11208, "ie_Open - device already open"},
    Entry{11209, "No more handles, can't open port"},
    Entry{11210, "No timers available"},
    Entry{11211, "The ComNumber property of the TComPort has not been set"},
    // Serial device layer.
    Entry{11301, "No device layer specified"},
    Entry{11302, "Function not supported by driver"},
    Entry{11303, "EnableCommNotification failed"},
    Entry{11304, "Failed to put entire block"},
    Entry{11305, "Failed to get entire block"},
    Entry{11306, "Output buffer too small for block"},
    Entry{11307, "Buffer is empty"},
    Entry{11308, "Tracing not enabled"},
    Entry{11309, "Logging not enabled"},
    // Modem component.
    Entry{11401, "StartModem has not been called"},
    Entry{11402, "Modem is busy elsewhere"},
    Entry{11403, "Modem is not currently dialing"},
    Entry{11404, "Dialer is not dialing"},
    Entry{11405, "Dialer is already dialing"},
    Entry{11406, "Modem is not responding"},
    Entry{11407, "Invalid command sent to modem"},
    Entry{11408, "Wrong modem status requested"},
    // Data triggers.
    Entry{11501, "No more trigger slots"},
    Entry{11502, "Data trigger too long"},
    Entry{11503, "Bad trigger handle"},
    // Protocols and session control.
    Entry{11605, "Cancel requested"},
    Entry{11606, "Fatal time out"},
    Entry{11608, "Too many errors during protocol"},
    Entry{11609, "Block sequence error in Xmodem"},
    Entry{11610, "No filename specified in protocol receive"},
    Entry{11611, "File was rejected"},
    // Settings file and small record store.
    Entry{11701, "Key string too long"},
    Entry{11702, "Data string too long"},
    Entry{11703, "No fields defined in database"},
    Entry{11704, "Generic INI file write error"},
    Entry{11705, "Generic INI file read error"},
    Entry{11706, "No index defined for database"},
    Entry{11707, "Record already exists"},
    Entry{11708, "Record not found in database"},
    Entry{11710, "Maximum database records (999) reached"},
    Entry{11711, "No records in database"},
    Entry{11712, "iPrepareIniDatabase not called"},
    Entry{11713, "Bad field list in INI component"},
    Entry{11714, "Bad field index in INI component"},
    // Fax imaging and session.
    Entry{11801, "File is not an APF file"},
    Entry{11802, "Unsupported graphics file format"},
    Entry{11803, "User aborted fax conversion"},
    Entry{11804, "User aborted fax unpack"},
    Entry{11805, "CreateBitmapIndirect API failure"},
    Entry{11870, "Fax incompatible with remote fax"},
    Entry{11871, "Bad response from modem"},
    Entry{11872, "Modems failed to train"},
    Entry{11873, "Error while initializing modem"},
    Entry{11874, "Called fax number was busy"},
    Entry{11875, "Called fax number answered with voice"},
    Entry{11876, "Incoming data call"},
    Entry{11877, "No dial tone"},
    Entry{11878, "Failed to connect to remote fax"},
    Entry{11879, "Fax failed in mid-session"},
    Entry{11880, "Fax failed at page end"},
    // I/O errors 100 to 162 (identifier number + 11800).
    Entry{11900, "Attempt to read beyond end of file"},
    Entry{11901, "Disk is full"},
    Entry{11902, "File/device not assigned"},
    Entry{11903, "File/device not open"},
    Entry{11904, "File/device not open for input"},
    Entry{11905, "File/device not open for output"},
    Entry{11950, "Disk is write-protected"},
    Entry{11951, "Unknown disk unit"},
    Entry{11952, "Drive is not ready"},
    Entry{11953, "Unknown command"},
    Entry{11954, "Data error"},
    Entry{11955, "Bad request structure length"},
    Entry{11956, "Seek error"},
    Entry{11957, "Unknown media type"},
    Entry{11958, "Disk sector not found"},
    Entry{11959, "Printer is out of paper"},
    Entry{11960, "Device write error"},
    Entry{11961, "Device read error"},
    Entry{11962, "General failure"},
    // Session status texts (13000 + status code).
    Entry{13001, "Initializing modem for fax processing"},
    Entry{13002, "Dialing"},
    Entry{13003, "Busy, waiting until redial..."},
    Entry{13004, "Sending page data"},
    Entry{13005, "Sending EOP"},
    Entry{13006, "Error sending page"},
    Entry{13007, "Page accepted by remote"},
    Entry{13020, "Waiting for incoming call"},
    Entry{13021, "No connect on this call"},
    Entry{13022, "Answering incoming call"},
    Entry{13023, "Incoming call validated as fax"},
    Entry{13024, "Getting page data"},
    Entry{13025, "Getting end-of-page signal"},
    Entry{13026, "Getting end-of-document status"},
    Entry{13027, "Getting hangup command"},
    Entry{13028, "Got Class 2 FHNG code"},
    Entry{13040, "Getting connection params"},
    Entry{13041, "Got called-station ID"},
    Entry{13042, "User abort"},
    Entry{13043, "Finished"},
    // Telephony interface errors.
    Entry{13801, "already allocated"},
    Entry{13802, "bad device ID"},
    Entry{13803, "bearer mode unavailable"},
    Entry{13805, "call unavailable"},
    Entry{13806, " completion overrun"},
    Entry{13807, "conference full"},
    Entry{13808, "dial failed"},
    Entry{13809, "dial failed, no dialtone"},
    Entry{13810, "dial failed"},
    Entry{13811, "dial failed"},
    Entry{13812, "incompatible API version"},
    Entry{13813, "incompatible EXT version"},
    Entry{13814, "INI file corrupt"},
    Entry{13815, "resource in use"},
    Entry{13816, "invalid address"},
    Entry{13817, "invalid address ID"},
    Entry{13818, "invalid address mode"},
    Entry{13819, "invalid address state"},
    Entry{13820, "invalid application handle"},
    Entry{13821, "invalid Application name"},
    Entry{13822, "invalid bearer mode"},
    Entry{13823, "invalid call completion mode"},
    Entry{13825, "invalid call parameters"},
    Entry{13826, "invalid call privilege"},
    Entry{13827, "invalid call select"},
    Entry{13828, "invalid call state"},
    Entry{13829, "invalid call state list"},
    Entry{13830, "invalid card"},
    Entry{13831, "invalid completion ID"},
    Entry{13832, "invalid conference call handle"},
    Entry{13833, "invalid consultation call handle"},
    Entry{13834, "invalid country code"},
    Entry{13835, "invalid device class"},
    Entry{13836, "invalid device handle"},
    Entry{13837, "invalid dial params"},
    Entry{13838, "invalid digit list"},
    Entry{13839, "invalid digit mode"},
    Entry{13840, "invalid digits"},
    Entry{13841, "invalid ext version"},
    Entry{13842, "invalid group ID"},
    Entry{13843, "invalid line handle"},
    Entry{13844, "invalid line state"},
    Entry{13845, "invalid location"},
    Entry{13846, "invalid media list"},
    Entry{13847, "invalid media mode"},
    Entry{13848, "invalid message ID"},
    Entry{13850, "invalid parameter"},
    Entry{13851, "invalid park ID"},
    Entry{13852, "invalid park mode"},
    Entry{13853, "invalid pointer"},
    Entry{13854, "invalid privilege select"},
    Entry{13855, "invalid rate"},
    Entry{13856, "invalid request mode"},
    Entry{13857, "invalid terminal ID"},
    Entry{13858, "invalid terminal mode"},
    Entry{13859, "invalid timeout"},
    Entry{13860, "invalid tone"},
    Entry{13861, "invalid tone list"},
    Entry{13862, "Invalid tone mode"},
    Entry{13863, "Invalid transfer mode"},
    Entry{13864, "line mapper failed"},
    Entry{13865, "no conference"},
    Entry{13866, "no device"},
    Entry{13867, "no driver"},
    Entry{13868, "no memory"},
    Entry{13869, "no request"},
    Entry{13870, "not owner"},
    Entry{13871, "not registered"},
    Entry{13872, "operation failed"},
    Entry{13873, "operation unavailable"},
    Entry{13874, "rate unavailable"},
    Entry{13875, "resource unavailable"},
    Entry{13876, "request overrun"},
    Entry{13877, "structure too small"},
    Entry{13878, "target not found"},
    Entry{13879, "target is self"},
    Entry{13880, "uninitialized"},
    Entry{13881, "user info too big"},
    Entry{13882, "reinit failed"},
    Entry{13883, "address blocked"},
    Entry{13884, "billing rejected"},
    Entry{13885, "invalid feature"},
    Entry{13886, "no multiple instance"},
};

static_assert(std::is_sorted(kEntries.begin(), kEntries.end(),
                             [](const Entry& a, const Entry& b) { return a.id < b.id; }));

} // namespace

std::string_view StringTableEntry(int id) {
    auto it = std::lower_bound(kEntries.begin(), kEntries.end(), id,
                               [](const Entry& e, int key) { return e.id < key; });
    if (it != kEntries.end() && it->id == id) {
        return it->text;
    }
    return {};
}

int MessageIdForCode(int code) {
    const unsigned absolute = static_cast<unsigned>(std::abs(static_cast<long long>(code)));
    const unsigned m = absolute & 0xFFFFu;
    if (m > 13799 && m <= 13900) {
        return static_cast<int>(absolute);
    }
    if (m >= 100 && m <= 199) {
        return static_cast<int>(absolute + 11800);
    }
    return static_cast<int>(11000 + 100 * (m / 1000) + m % 1000);
}

std::string ErrorMessage(int code) {
    return std::string(StringTableEntry(MessageIdForCode(code)));
}

std::string StatusText(int status) {
    if (status < 1 || status > 43) {
        return {};
    }
    return std::string(StringTableEntry(13000 + status));
}

} // namespace tolvane
