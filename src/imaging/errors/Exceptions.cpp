#include "imaging/errors/Exceptions.h"

#include "imaging/errors/Component.h"
#include "imaging/errors/ResultCodes.h"
#include "imaging/errors/StringTable.h"

#include <algorithm>
#include <array>

namespace tolvane {

EDeroException::EDeroException(int code, bool useAsIs)
    : Exception(useAsIs ? std::string(StringTableEntry(code < 0 ? -code : code)) : ErrorMessage(code)),
      ResultCode(code) {}

EDeroException::EDeroException(std::string message) : Exception(std::move(message)), ResultCode(0) {}

namespace {

using Thrower = void (*)(int);

template <class E> [[noreturn]] void Throw(int code) {
    throw E(code, false);
}

struct ClassEntry {
    int code;
    Thrower raise;
};

// Codes with a class of their own, sorted by code (descending values, so ascending magnitude).
constexpr std::array kClasses{
    ClassEntry{-1001, &Throw<EBadHandle>},
    ClassEntry{-1002, &Throw<EBadArgument>},
    ClassEntry{-1003, &Throw<EGotQuitMsg>},
    ClassEntry{-1004, &Throw<EBufferTooBig>},
    ClassEntry{-1005, &Throw<EPortNotAssigned>},
    ClassEntry{-1006, &Throw<EInternal>},
    ClassEntry{-1007, &Throw<EModemNotAssigned>},
    ClassEntry{-1008, &Throw<EPhonebookNotAssigned>},
    ClassEntry{-1009, &Throw<ECannotUseWithWinSock>},
    ClassEntry{-2001, &Throw<EBadId>},
    ClassEntry{-2002, &Throw<EBaudRate>},
    ClassEntry{-2003, &Throw<EByteSize>},
    ClassEntry{-2004, &Throw<EDefault>},
    ClassEntry{-2005, &Throw<EHardware>},
    ClassEntry{-2006, &Throw<EMemory>},
    ClassEntry{-2007, &Throw<ECommNotOpen>},
    ClassEntry{-2008, &Throw<EAlreadyOpen>},
    ClassEntry{-2009, &Throw<ENoHandles>},
    ClassEntry{-2010, &Throw<ENoTimers>},
    ClassEntry{-2011, &Throw<ENoPortSelected>},
    ClassEntry{-3001, &Throw<ENullApi>},
    ClassEntry{-3002, &Throw<ENotSupported>},
    ClassEntry{-3003, &Throw<ERegisterHandlerFailed>},
    ClassEntry{-3004, &Throw<EPutBlockFail>},
    ClassEntry{-3005, &Throw<EGetBlockFail>},
    ClassEntry{-3006, &Throw<EOutputBufferTooSmall>},
    ClassEntry{-3007, &Throw<EBufferIsEmpty>},
    ClassEntry{-3008, &Throw<ETracingNotEnabled>},
    ClassEntry{-3009, &Throw<ELoggingNotEnabled>},
    ClassEntry{-4001, &Throw<EModemNotStarted>},
    ClassEntry{-4002, &Throw<EModemBusy>},
    ClassEntry{-4003, &Throw<EModemNotDialing>},
    ClassEntry{-4004, &Throw<ENotDialing>},
    ClassEntry{-4005, &Throw<EAlreadyDialing>},
    ClassEntry{-4006, &Throw<EModemNotResponding>},
    ClassEntry{-4007, &Throw<EModemRejectedCommand>},
    ClassEntry{-4008, &Throw<EModemStatusMismatch>},
    ClassEntry{-5001, &Throw<ENoMoreTriggers>},
    ClassEntry{-5002, &Throw<ETriggerTooLong>},
    ClassEntry{-5003, &Throw<EBadTriggerHandle>},
    ClassEntry{-6006, &Throw<EProtocol>},
    ClassEntry{-6008, &Throw<EProtocol>},
    ClassEntry{-6009, &Throw<EProtocol>},
    ClassEntry{-7001, &Throw<EKeyTooLong>},
    ClassEntry{-7002, &Throw<EDataTooLarge>},
    ClassEntry{-7003, &Throw<EInternal>},
    ClassEntry{-7004, &Throw<EIniWrite>},
    ClassEntry{-7005, &Throw<EIniRead>},
    ClassEntry{-7006, &Throw<EInternal>},
    ClassEntry{-7007, &Throw<ERecordExists>},
    ClassEntry{-7008, &Throw<ERecordNotFound>},
    ClassEntry{-7010, &Throw<EDatabaseFull>},
    ClassEntry{-7011, &Throw<EDatabaseEmpty>},
    ClassEntry{-7012, &Throw<EInternal>},
    ClassEntry{-7013, &Throw<EBadFieldList>},
    ClassEntry{-7014, &Throw<EBadFieldForIndex>},
    ClassEntry{-8001, &Throw<EFaxBadFormat>},
    ClassEntry{-8002, &Throw<EBadGraphicsFormat>},
    ClassEntry{-8003, &Throw<EConvertAbort>},
    ClassEntry{-8004, &Throw<EUnpackAbort>},
    ClassEntry{-8005, &Throw<ECantMakeBitmap>},
    ClassEntry{-8070, &Throw<EFaxBadMachine>},
    ClassEntry{-8071, &Throw<EFaxBadModemResult>},
    ClassEntry{-8072, &Throw<EFaxTrainError>},
    ClassEntry{-8073, &Throw<EFaxInitError>},
    ClassEntry{-8074, &Throw<EFaxBusy>},
    ClassEntry{-8075, &Throw<EFaxVoiceCall>},
    ClassEntry{-8076, &Throw<EFaxDataCall>},
    ClassEntry{-8077, &Throw<EFaxNoDialTone>},
    ClassEntry{-8078, &Throw<EFaxNoCarrier>},
    ClassEntry{-8079, &Throw<EFaxSessionError>},
    ClassEntry{-8080, &Throw<EFaxPageError>},
    ClassEntry{-13801, &Throw<ETapiAllocated>},
    ClassEntry{-13802, &Throw<ETapiBadDeviceID>},
    ClassEntry{-13803, &Throw<ETapiBearerModeUnavail>},
    ClassEntry{-13805, &Throw<ETapiCallUnavail>},
    ClassEntry{-13806, &Throw<ETapiCompletionOverrun>},
    ClassEntry{-13807, &Throw<ETapiConferenceFull>},
    ClassEntry{-13808, &Throw<ETapiDialBilling>},
    ClassEntry{-13809, &Throw<ETapiDialDialtone>},
    ClassEntry{-13810, &Throw<ETapiDialPrompt>},
    ClassEntry{-13811, &Throw<ETapiDialQuiet>},
    ClassEntry{-13812, &Throw<ETapiIncompatibleApiVersion>},
    ClassEntry{-13813, &Throw<ETapiIncompatibleExtVersion>},
    ClassEntry{-13814, &Throw<ETapiIniFileCorrupt>},
    ClassEntry{-13815, &Throw<ETapiInUse>},
    ClassEntry{-13816, &Throw<ETapiInvalAddress>},
    ClassEntry{-13817, &Throw<ETapiInvalAddressID>},
    ClassEntry{-13818, &Throw<ETapiInvalAddressMode>},
    ClassEntry{-13819, &Throw<ETapiInvalAddressState>},
    ClassEntry{-13820, &Throw<ETapiInvalAppHandle>},
    ClassEntry{-13821, &Throw<ETapiInvalAppName>},
    ClassEntry{-13822, &Throw<ETapiInvalBearerMode>},
    ClassEntry{-13823, &Throw<ETapiInvalCallComplMode>},
    ClassEntry{-13825, &Throw<ETapiInvalCallParams>},
    ClassEntry{-13826, &Throw<ETapiInvalCallPrivilege>},
    ClassEntry{-13827, &Throw<ETapiInvalCallSelect>},
    ClassEntry{-13828, &Throw<ETapiInvalCallState>},
    ClassEntry{-13829, &Throw<ETapiInvalCallStatelist>},
    ClassEntry{-13830, &Throw<ETapiInvalCard>},
    ClassEntry{-13831, &Throw<ETapiInvalCompletionID>},
    ClassEntry{-13832, &Throw<ETapiInvalConfCallHandle>},
    ClassEntry{-13833, &Throw<ETapiInvalConsultCallHandle>},
    ClassEntry{-13834, &Throw<ETapiInvalCountryCode>},
    ClassEntry{-13835, &Throw<ETapiInvalDeviceClass>},
    ClassEntry{-13836, &Throw<ETapiInvalDeviceHandle>},
    ClassEntry{-13837, &Throw<ETapiInvalDialParams>},
    ClassEntry{-13838, &Throw<ETapiInvalDigitList>},
    ClassEntry{-13839, &Throw<ETapiInvalDigitMode>},
    ClassEntry{-13840, &Throw<ETapiInvalDigits>},
    ClassEntry{-13841, &Throw<ETapiInvalExtVersion>},
    ClassEntry{-13842, &Throw<ETapiInvalGroupID>},
    ClassEntry{-13843, &Throw<ETapiInvalLineHandle>},
    ClassEntry{-13844, &Throw<ETapiInvalLineState>},
    ClassEntry{-13845, &Throw<ETapiInvalLocation>},
    ClassEntry{-13846, &Throw<ETapiInvalMediaList>},
    ClassEntry{-13847, &Throw<ETapiInvalMediaMode>},
    ClassEntry{-13848, &Throw<ETapiInvalMessageID>},
    ClassEntry{-13850, &Throw<ETapiInvalParam>},
    ClassEntry{-13851, &Throw<ETapiInvalParkID>},
    ClassEntry{-13852, &Throw<ETapiInvalParkMode>},
    ClassEntry{-13853, &Throw<ETapiInvalPointer>},
    ClassEntry{-13854, &Throw<ETapiInvalPrivSelect>},
    ClassEntry{-13855, &Throw<ETapiInvalRate>},
    ClassEntry{-13856, &Throw<ETapiInvalRequestMode>},
    ClassEntry{-13857, &Throw<ETapiInvalTerminalID>},
    ClassEntry{-13858, &Throw<ETapiInvalTerminalMode>},
    ClassEntry{-13859, &Throw<ETapiInvalTimeout>},
    ClassEntry{-13860, &Throw<ETapiInvalTone>},
    ClassEntry{-13861, &Throw<ETapiInvalToneList>},
    ClassEntry{-13862, &Throw<ETapiInvalToneMode>},
    ClassEntry{-13863, &Throw<ETapiInvalTransferMode>},
    ClassEntry{-13864, &Throw<ETapiLineMapperFailed>},
    ClassEntry{-13865, &Throw<ETapiNoConference>},
    ClassEntry{-13866, &Throw<ETapiNoDevice>},
    ClassEntry{-13867, &Throw<ETapiNoDriver>},
    ClassEntry{-13868, &Throw<ETapiNoMem>},
    ClassEntry{-13869, &Throw<ETapiNoRequest>},
    ClassEntry{-13870, &Throw<ETapiNotOwner>},
    ClassEntry{-13871, &Throw<ETapiNotRegistered>},
    ClassEntry{-13872, &Throw<ETapiOperationFailed>},
    ClassEntry{-13873, &Throw<ETapiOperationUnavail>},
    ClassEntry{-13874, &Throw<ETapiRateUnavail>},
    ClassEntry{-13875, &Throw<ETapiResourceUnavail>},
    ClassEntry{-13876, &Throw<ETapiRequestOverrun>},
    ClassEntry{-13877, &Throw<ETapiStructureTooSmall>},
    ClassEntry{-13878, &Throw<ETapiTargetNotFound>},
    ClassEntry{-13879, &Throw<ETapiTargetSelf>},
    ClassEntry{-13880, &Throw<ETapiUninitialized>},
    ClassEntry{-13881, &Throw<ETapiUserUserInfoTooBig>},
    ClassEntry{-13882, &Throw<ETapiReinit>},
    ClassEntry{-13883, &Throw<ETapiAddressBlocked>},
    ClassEntry{-13884, &Throw<ETapiBillingRejected>},
    ClassEntry{-13885, &Throw<ETapiInvalFeature>},
    ClassEntry{-13886, &Throw<ETapiNoMultipleInstance>},
    ClassEntry{-13928, &Throw<ETapiBusy>},
    ClassEntry{-13929, &Throw<ETapiNotSet>},
    ClassEntry{-13930, &Throw<ETapiNoSelect>},
    ClassEntry{-13931, &Throw<ETapiLoadFail>},
    ClassEntry{-13932, &Throw<ETapiGetAddrFail>},
    ClassEntry{-13933, &Throw<ETapi16Disabled>},
};

static_assert(std::is_sorted(kClasses.begin(), kClasses.end(),
                             [](const ClassEntry& a, const ClassEntry& b) { return a.code > b.code; }));

} // namespace

int RaiseOnError(const TComponent* component, int code) {
    if (code >= 0 || (component != nullptr && component->Loading())) {
        return code;
    }
    auto it = std::lower_bound(kClasses.begin(), kClasses.end(), code,
                               [](const ClassEntry& e, int key) { return e.code > key; });
    if (it != kClasses.end() && it->code == code) {
        it->raise(code);
    }
    if (code >= -162 && code <= -2) {
        if (code == ecOutOfMemory) {
            throw EOutOfMemory(ErrorMessage(code));
        }
        throw EInOutError(ErrorMessage(code), -code);
    }
    throw EDeroException(std::string("Dero exception"));
}

} // namespace tolvane
