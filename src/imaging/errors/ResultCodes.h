// Result codes shared by every engine: 0 and above succeed, negative values are errors.
// Values are stable: they are stored in records and shown to users.
#pragma once

namespace tolvane {

inline constexpr int ecOK = 0;

// Operating-system and file I/O errors: the negated I/O error number (-2 to -162).
inline constexpr int ecFileNotFound = -2;
inline constexpr int ecPathNotFound = -3;
inline constexpr int ecTooManyFiles = -4;
inline constexpr int ecAccessDenied = -5;
inline constexpr int ecInvalidHandle = -6;
inline constexpr int ecOutOfMemory = -8;
inline constexpr int ecInvalidDrive = -15;
inline constexpr int ecNoMoreFiles = -18;
inline constexpr int ecDiskRead = -100; // read beyond end of file
inline constexpr int ecDiskFull = -101;
inline constexpr int ecNotAssigned = -102;
inline constexpr int ecNotOpen = -103;
inline constexpr int ecNotOpenInput = -104;
inline constexpr int ecNotOpenOutput = -105;
inline constexpr int ecWriteProtected = -150;
inline constexpr int ecSeekError = -156;
inline constexpr int ecDeviceWrite = -160;
inline constexpr int ecDeviceRead = -161;
inline constexpr int ecHardwareFailure = -162;

// General errors of the components.
inline constexpr int ecBadHandle = -1001;
inline constexpr int ecBadArgument = -1002;
inline constexpr int ecGotQuitMsg = -1003;
inline constexpr int ecBufferTooBig = -1004;
inline constexpr int ecPortNotAssigned = -1005;
inline constexpr int ecInternal = -1006;
inline constexpr int ecModemNotAssigned = -1007;
inline constexpr int ecPhonebookNotAssigned = -1008;
inline constexpr int ecCannotUseWithWinSock = -1009;

// Opening a serial port.
inline constexpr int ecBadId = -2001;
inline constexpr int ecBaudRate = -2002;
inline constexpr int ecByteSize = -2003;
inline constexpr int ecDefault = -2004;
inline constexpr int ecHardware = -2005; // port in use
inline constexpr int ecMemory = -2006;
inline constexpr int ecCommNotOpen = -2007;
inline constexpr int ecAlreadyOpen = -2008;
inline constexpr int ecNoHandles = -2009;
inline constexpr int ecNoTimers = -2010;
inline constexpr int ecNoPortSelected = -2011;

// Serial device layer.
inline constexpr int ecNullApi = -3001;
inline constexpr int ecNotSupported = -3002;
inline constexpr int ecRegisterHandlerFailed = -3003;
inline constexpr int ecPutBlockFail = -3004;
inline constexpr int ecGetBlockFail = -3005;
inline constexpr int ecOutputBufferTooSmall = -3006;
inline constexpr int ecBufferIsEmpty = -3007;
inline constexpr int ecTracingNotEnabled = -3008;
inline constexpr int ecLoggingNotEnabled = -3009;

// Modem component.
inline constexpr int ecModemNotStarted = -4001;
inline constexpr int ecModemBusy = -4002;
inline constexpr int ecModemNotDialing = -4003;
inline constexpr int ecNotDialing = -4004;
inline constexpr int ecAlreadyDialing = -4005;
inline constexpr int ecModemNotResponding = -4006;
inline constexpr int ecModemRejectedCommand = -4007;
inline constexpr int ecModemStatusMismatch = -4008;

// Data triggers of the serial port.
inline constexpr int ecNoMoreTriggers = -5001;
inline constexpr int ecTriggerTooLong = -5002;
inline constexpr int ecBadTriggerHandle = -5003;

// Transfer protocols and session control.
inline constexpr int ecCancelRequested = -6005;
inline constexpr int ecFatalTimeout = -6006;
inline constexpr int ecTooManyErrors = -6008;
inline constexpr int ecSequenceError = -6009;
inline constexpr int ecNoFilename = -6010;
inline constexpr int ecFileRejected = -6011;

// Settings file and small record store.
inline constexpr int ecKeyTooLong = -7001;
inline constexpr int ecDataTooLarge = -7002;
inline constexpr int ecNoFieldsDefined = -7003;
inline constexpr int ecIniWrite = -7004;
inline constexpr int ecIniRead = -7005;
inline constexpr int ecNoIndexKey = -7006;
inline constexpr int ecRecordExists = -7007;
inline constexpr int ecRecordNotFound = -7008;
inline constexpr int ecDatabaseFull = -7010;
inline constexpr int ecDatabaseEmpty = -7011;
inline constexpr int ecDatabaseNotPrepared = -7012;
inline constexpr int ecBadFieldList = -7013;
inline constexpr int ecBadFieldForIndex = -7014;

// Fax imaging.
inline constexpr int ecFaxBadFormat = -8001;      // not an APF file, or page beyond PageCount
inline constexpr int ecBadGraphicsFormat = -8002; // unsupported input image
inline constexpr int ecConvertAbort = -8003;
inline constexpr int ecUnpackAbort = -8004;
inline constexpr int ecCantMakeBitmap = -8005;
inline constexpr int ecFontFileNotFound = -8052; // built-in fax font missing

// Fax session failures.
inline constexpr int ecFaxBadMachine = -8070;
inline constexpr int ecFaxBadModemResult = -8071;
inline constexpr int ecFaxTrainError = -8072;
inline constexpr int ecFaxInitError = -8073;
inline constexpr int ecFaxBusy = -8074;
inline constexpr int ecFaxVoiceCall = -8075;
inline constexpr int ecFaxDataCall = -8076;
inline constexpr int ecFaxNoDialTone = -8077;
inline constexpr int ecFaxNoCarrier = -8078;
inline constexpr int ecFaxSessionError = -8079;
inline constexpr int ecFaxPageError = -8080;

} // namespace tolvane
