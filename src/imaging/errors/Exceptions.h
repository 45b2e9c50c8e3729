// Exception classes raised at the component boundary. Engines return result codes; RaiseOnError
// turns a negative code into the class chosen by the code, with the string table's message.
#pragma once

#include <exception>
#include <string>

namespace tolvane {

class TComponent;

// The run-time library's general exception: a message and a help context.
class Exception : public std::exception {
public:
    explicit Exception(std::string message, int helpContext = 0)
        : message_(std::move(message)), helpContext_(helpContext) {}
    const char* what() const noexcept override { return message_.c_str(); }
    const std::string& Message() const { return message_; }
    int HelpContext() const { return helpContext_; }

private:
    std::string message_;
    int helpContext_;
};

// I/O error of the run-time library; ErrorCode is the positive I/O error number.
class EInOutError : public Exception {
public:
    EInOutError(std::string message, int errorCode) : Exception(std::move(message)), ErrorCode(errorCode) {}
    int ErrorCode;
};

class EOutOfMemory : public Exception {
public:
    using Exception::Exception;
};

class EDeroException : public Exception {
public:
    // Message from the string table: entry |code| when useAsIs, else the entry of the lookup rule.
    EDeroException(int code, bool useAsIs);
    // A plain message; ResultCode is 0.
    explicit EDeroException(std::string message);
    int ResultCode;
};

#define TOLVANE_DECLARE_EXCEPTION(Name, Base)                                                                \
    class Name : public Base {                                                                               \
    public:                                                                                                  \
        using Base::Base;                                                                                    \
    }

// Groups.
TOLVANE_DECLARE_EXCEPTION(EGeneral, EDeroException);
TOLVANE_DECLARE_EXCEPTION(EOpenComm, EDeroException);
TOLVANE_DECLARE_EXCEPTION(ESerialIO, EDeroException);
TOLVANE_DECLARE_EXCEPTION(EModem, EDeroException);
TOLVANE_DECLARE_EXCEPTION(ETrigger, EDeroException);
TOLVANE_DECLARE_EXCEPTION(EProtocol, EDeroException);
TOLVANE_DECLARE_EXCEPTION(EINI, EDeroException);
TOLVANE_DECLARE_EXCEPTION(EFax, EDeroException);
TOLVANE_DECLARE_EXCEPTION(ETapi, EDeroException);

// General.
TOLVANE_DECLARE_EXCEPTION(EBadHandle, EGeneral);
TOLVANE_DECLARE_EXCEPTION(EBadArgument, EGeneral);
TOLVANE_DECLARE_EXCEPTION(EGotQuitMsg, EGeneral);
TOLVANE_DECLARE_EXCEPTION(EBufferTooBig, EGeneral);
TOLVANE_DECLARE_EXCEPTION(EPortNotAssigned, EGeneral);
TOLVANE_DECLARE_EXCEPTION(EInternal, EGeneral);
TOLVANE_DECLARE_EXCEPTION(EModemNotAssigned, EGeneral);
TOLVANE_DECLARE_EXCEPTION(EPhonebookNotAssigned, EGeneral);
TOLVANE_DECLARE_EXCEPTION(ECannotUseWithWinSock, EGeneral);

// Opening a serial port.
TOLVANE_DECLARE_EXCEPTION(EBadId, EOpenComm);
TOLVANE_DECLARE_EXCEPTION(EBaudRate, EOpenComm);
TOLVANE_DECLARE_EXCEPTION(EByteSize, EOpenComm);
TOLVANE_DECLARE_EXCEPTION(EDefault, EOpenComm);
TOLVANE_DECLARE_EXCEPTION(EHardware, EOpenComm);
TOLVANE_DECLARE_EXCEPTION(EMemory, EOpenComm);
TOLVANE_DECLARE_EXCEPTION(ECommNotOpen, EOpenComm);
TOLVANE_DECLARE_EXCEPTION(EAlreadyOpen, EOpenComm);
TOLVANE_DECLARE_EXCEPTION(ENoHandles, EOpenComm);
TOLVANE_DECLARE_EXCEPTION(ENoTimers, EOpenComm);
TOLVANE_DECLARE_EXCEPTION(ENoPortSelected, EOpenComm);

// Serial device layer.
TOLVANE_DECLARE_EXCEPTION(ENullApi, ESerialIO);
TOLVANE_DECLARE_EXCEPTION(ENotSupported, ESerialIO);
TOLVANE_DECLARE_EXCEPTION(ERegisterHandlerFailed, ESerialIO);
TOLVANE_DECLARE_EXCEPTION(EPutBlockFail, ESerialIO);
TOLVANE_DECLARE_EXCEPTION(EGetBlockFail, ESerialIO);
TOLVANE_DECLARE_EXCEPTION(EOutputBufferTooSmall, ESerialIO);
TOLVANE_DECLARE_EXCEPTION(EBufferIsEmpty, ESerialIO);
TOLVANE_DECLARE_EXCEPTION(ETracingNotEnabled, ESerialIO);
TOLVANE_DECLARE_EXCEPTION(ELoggingNotEnabled, ESerialIO);

// Modem component.
TOLVANE_DECLARE_EXCEPTION(EModemNotStarted, EModem);
TOLVANE_DECLARE_EXCEPTION(EModemBusy, EModem);
TOLVANE_DECLARE_EXCEPTION(EModemNotDialing, EModem);
TOLVANE_DECLARE_EXCEPTION(ENotDialing, EModem);
TOLVANE_DECLARE_EXCEPTION(EAlreadyDialing, EModem);
TOLVANE_DECLARE_EXCEPTION(EModemNotResponding, EModem);
TOLVANE_DECLARE_EXCEPTION(EModemRejectedCommand, EModem);
TOLVANE_DECLARE_EXCEPTION(EModemStatusMismatch, EModem);

// Data triggers.
TOLVANE_DECLARE_EXCEPTION(ENoMoreTriggers, ETrigger);
TOLVANE_DECLARE_EXCEPTION(ETriggerTooLong, ETrigger);
TOLVANE_DECLARE_EXCEPTION(EBadTriggerHandle, ETrigger);

// Settings file and small record store.
TOLVANE_DECLARE_EXCEPTION(EKeyTooLong, EINI);
TOLVANE_DECLARE_EXCEPTION(EDataTooLarge, EINI);
TOLVANE_DECLARE_EXCEPTION(EIniWrite, EINI);
TOLVANE_DECLARE_EXCEPTION(EIniRead, EINI);
TOLVANE_DECLARE_EXCEPTION(ERecordExists, EINI);
TOLVANE_DECLARE_EXCEPTION(ERecordNotFound, EINI);
TOLVANE_DECLARE_EXCEPTION(EDatabaseFull, EINI);
TOLVANE_DECLARE_EXCEPTION(EDatabaseEmpty, EINI);
TOLVANE_DECLARE_EXCEPTION(EBadFieldList, EINI);
TOLVANE_DECLARE_EXCEPTION(EBadFieldForIndex, EINI);

// Fax imaging and session.
TOLVANE_DECLARE_EXCEPTION(EFaxBadFormat, EFax);
TOLVANE_DECLARE_EXCEPTION(EBadGraphicsFormat, EFax);
TOLVANE_DECLARE_EXCEPTION(EConvertAbort, EFax);
TOLVANE_DECLARE_EXCEPTION(EUnpackAbort, EFax);
TOLVANE_DECLARE_EXCEPTION(ECantMakeBitmap, EFax);
TOLVANE_DECLARE_EXCEPTION(EFaxBadMachine, EFax);
TOLVANE_DECLARE_EXCEPTION(EFaxBadModemResult, EFax);
TOLVANE_DECLARE_EXCEPTION(EFaxTrainError, EFax);
TOLVANE_DECLARE_EXCEPTION(EFaxInitError, EFax);
TOLVANE_DECLARE_EXCEPTION(EFaxBusy, EFax);
TOLVANE_DECLARE_EXCEPTION(EFaxVoiceCall, EFax);
TOLVANE_DECLARE_EXCEPTION(EFaxDataCall, EFax);
TOLVANE_DECLARE_EXCEPTION(EFaxNoDialTone, EFax);
TOLVANE_DECLARE_EXCEPTION(EFaxNoCarrier, EFax);
TOLVANE_DECLARE_EXCEPTION(EFaxSessionError, EFax);
TOLVANE_DECLARE_EXCEPTION(EFaxPageError, EFax);

// Telephony interface.
TOLVANE_DECLARE_EXCEPTION(ETapiAllocated, ETapi);
TOLVANE_DECLARE_EXCEPTION(ETapiBadDeviceID, ETapi);
TOLVANE_DECLARE_EXCEPTION(ETapiBearerModeUnavail, ETapi);
TOLVANE_DECLARE_EXCEPTION(ETapiCallUnavail, ETapi);
TOLVANE_DECLARE_EXCEPTION(ETapiCompletionOverrun, ETapi);
TOLVANE_DECLARE_EXCEPTION(ETapiConferenceFull, ETapi);
TOLVANE_DECLARE_EXCEPTION(ETapiDialBilling, ETapi);
TOLVANE_DECLARE_EXCEPTION(ETapiDialDialtone, ETapi);
TOLVANE_DECLARE_EXCEPTION(ETapiDialPrompt, ETapi);
TOLVANE_DECLARE_EXCEPTION(ETapiDialQuiet, ETapi);
TOLVANE_DECLARE_EXCEPTION(ETapiIncompatibleApiVersion, ETapi);
TOLVANE_DECLARE_EXCEPTION(ETapiIncompatibleExtVersion, ETapi);
TOLVANE_DECLARE_EXCEPTION(ETapiIniFileCorrupt, ETapi);
TOLVANE_DECLARE_EXCEPTION(ETapiInUse, ETapi);
TOLVANE_DECLARE_EXCEPTION(ETapiInvalAddress, ETapi);
TOLVANE_DECLARE_EXCEPTION(ETapiInvalAddressID, ETapi);
TOLVANE_DECLARE_EXCEPTION(ETapiInvalAddressMode, ETapi);
TOLVANE_DECLARE_EXCEPTION(ETapiInvalAddressState, ETapi);
TOLVANE_DECLARE_EXCEPTION(ETapiInvalAppHandle, ETapi);
TOLVANE_DECLARE_EXCEPTION(ETapiInvalAppName, ETapi);
TOLVANE_DECLARE_EXCEPTION(ETapiInvalBearerMode, ETapi);
TOLVANE_DECLARE_EXCEPTION(ETapiInvalCallComplMode, ETapi);
TOLVANE_DECLARE_EXCEPTION(ETapiInvalCallParams, ETapi);
TOLVANE_DECLARE_EXCEPTION(ETapiInvalCallPrivilege, ETapi);
TOLVANE_DECLARE_EXCEPTION(ETapiInvalCallSelect, ETapi);
TOLVANE_DECLARE_EXCEPTION(ETapiInvalCallState, ETapi);
TOLVANE_DECLARE_EXCEPTION(ETapiInvalCallStatelist, ETapi);
TOLVANE_DECLARE_EXCEPTION(ETapiInvalCard, ETapi);
TOLVANE_DECLARE_EXCEPTION(ETapiInvalCompletionID, ETapi);
TOLVANE_DECLARE_EXCEPTION(ETapiInvalConfCallHandle, ETapi);
TOLVANE_DECLARE_EXCEPTION(ETapiInvalConsultCallHandle, ETapi);
TOLVANE_DECLARE_EXCEPTION(ETapiInvalCountryCode, ETapi);
TOLVANE_DECLARE_EXCEPTION(ETapiInvalDeviceClass, ETapi);
TOLVANE_DECLARE_EXCEPTION(ETapiInvalDeviceHandle, ETapi);
TOLVANE_DECLARE_EXCEPTION(ETapiInvalDialParams, ETapi);
TOLVANE_DECLARE_EXCEPTION(ETapiInvalDigitList, ETapi);
TOLVANE_DECLARE_EXCEPTION(ETapiInvalDigitMode, ETapi);
TOLVANE_DECLARE_EXCEPTION(ETapiInvalDigits, ETapi);
TOLVANE_DECLARE_EXCEPTION(ETapiInvalExtVersion, ETapi);
TOLVANE_DECLARE_EXCEPTION(ETapiInvalGroupID, ETapi);
TOLVANE_DECLARE_EXCEPTION(ETapiInvalLineHandle, ETapi);
TOLVANE_DECLARE_EXCEPTION(ETapiInvalLineState, ETapi);
TOLVANE_DECLARE_EXCEPTION(ETapiInvalLocation, ETapi);
TOLVANE_DECLARE_EXCEPTION(ETapiInvalMediaList, ETapi);
TOLVANE_DECLARE_EXCEPTION(ETapiInvalMediaMode, ETapi);
TOLVANE_DECLARE_EXCEPTION(ETapiInvalMessageID, ETapi);
TOLVANE_DECLARE_EXCEPTION(ETapiInvalParam, ETapi);
TOLVANE_DECLARE_EXCEPTION(ETapiInvalParkID, ETapi);
TOLVANE_DECLARE_EXCEPTION(ETapiInvalParkMode, ETapi);
TOLVANE_DECLARE_EXCEPTION(ETapiInvalPointer, ETapi);
TOLVANE_DECLARE_EXCEPTION(ETapiInvalPrivSelect, ETapi);
TOLVANE_DECLARE_EXCEPTION(ETapiInvalRate, ETapi);
TOLVANE_DECLARE_EXCEPTION(ETapiInvalRequestMode, ETapi);
TOLVANE_DECLARE_EXCEPTION(ETapiInvalTerminalID, ETapi);
TOLVANE_DECLARE_EXCEPTION(ETapiInvalTerminalMode, ETapi);
TOLVANE_DECLARE_EXCEPTION(ETapiInvalTimeout, ETapi);
TOLVANE_DECLARE_EXCEPTION(ETapiInvalTone, ETapi);
TOLVANE_DECLARE_EXCEPTION(ETapiInvalToneList, ETapi);
TOLVANE_DECLARE_EXCEPTION(ETapiInvalToneMode, ETapi);
TOLVANE_DECLARE_EXCEPTION(ETapiInvalTransferMode, ETapi);
TOLVANE_DECLARE_EXCEPTION(ETapiLineMapperFailed, ETapi);
TOLVANE_DECLARE_EXCEPTION(ETapiNoConference, ETapi);
TOLVANE_DECLARE_EXCEPTION(ETapiNoDevice, ETapi);
TOLVANE_DECLARE_EXCEPTION(ETapiNoDriver, ETapi);
TOLVANE_DECLARE_EXCEPTION(ETapiNoMem, ETapi);
TOLVANE_DECLARE_EXCEPTION(ETapiNoRequest, ETapi);
TOLVANE_DECLARE_EXCEPTION(ETapiNotOwner, ETapi);
TOLVANE_DECLARE_EXCEPTION(ETapiNotRegistered, ETapi);
TOLVANE_DECLARE_EXCEPTION(ETapiOperationFailed, ETapi);
TOLVANE_DECLARE_EXCEPTION(ETapiOperationUnavail, ETapi);
TOLVANE_DECLARE_EXCEPTION(ETapiRateUnavail, ETapi);
TOLVANE_DECLARE_EXCEPTION(ETapiResourceUnavail, ETapi);
TOLVANE_DECLARE_EXCEPTION(ETapiRequestOverrun, ETapi);
TOLVANE_DECLARE_EXCEPTION(ETapiStructureTooSmall, ETapi);
TOLVANE_DECLARE_EXCEPTION(ETapiTargetNotFound, ETapi);
TOLVANE_DECLARE_EXCEPTION(ETapiTargetSelf, ETapi);
TOLVANE_DECLARE_EXCEPTION(ETapiUninitialized, ETapi);
TOLVANE_DECLARE_EXCEPTION(ETapiUserUserInfoTooBig, ETapi);
TOLVANE_DECLARE_EXCEPTION(ETapiReinit, ETapi);
TOLVANE_DECLARE_EXCEPTION(ETapiAddressBlocked, ETapi);
TOLVANE_DECLARE_EXCEPTION(ETapiBillingRejected, ETapi);
TOLVANE_DECLARE_EXCEPTION(ETapiInvalFeature, ETapi);
TOLVANE_DECLARE_EXCEPTION(ETapiNoMultipleInstance, ETapi);
TOLVANE_DECLARE_EXCEPTION(ETapiBusy, ETapi);
TOLVANE_DECLARE_EXCEPTION(ETapiNotSet, ETapi);
TOLVANE_DECLARE_EXCEPTION(ETapiNoSelect, ETapi);
TOLVANE_DECLARE_EXCEPTION(ETapiLoadFail, ETapi);
TOLVANE_DECLARE_EXCEPTION(ETapiGetAddrFail, ETapi);
TOLVANE_DECLARE_EXCEPTION(ETapi16Disabled, ETapi);

#undef TOLVANE_DECLARE_EXCEPTION

// Returns code unchanged when it is not negative or the component is loading; otherwise raises
// the exception of the code's class (see Exceptions.cpp for the mapping).
int RaiseOnError(const TComponent* component, int code);

// RaiseOnError for code outside any component.
inline int RaiseOnError(int code) {
    return RaiseOnError(nullptr, code);
}

} // namespace tolvane
