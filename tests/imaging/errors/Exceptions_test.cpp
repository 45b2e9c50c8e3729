#include "imaging/errors/Component.h"
#include "imaging/errors/Exceptions.h"
#include "imaging/errors/ResultCodes.h"

#include <gtest/gtest.h>

#include <functional>
#include <typeinfo>

namespace tolvane {
namespace {

// Runs RaiseOnError and hands back what was thrown.
template <class E> E Caught(int code) {
    try {
        RaiseOnError(code);
    } catch (const E& e) {
        return e;
    } catch (const std::exception& e) {
        ADD_FAILURE() << "code " << code << " raised " << typeid(e).name();
        throw;
    }
    ADD_FAILURE() << "code " << code << " raised nothing";
    throw std::logic_error("nothing raised");
}

TEST(RaiseOnError, SuccessCodesComeBackUnchanged) {
    EXPECT_EQ(RaiseOnError(0), 0);
    EXPECT_EQ(RaiseOnError(17), 17);
}

TEST(RaiseOnError, LoadingComponentGetsCodesBack) {
    TComponent c;
    c.SetLoading(true);
    EXPECT_EQ(RaiseOnError(&c, ecFaxBadFormat), ecFaxBadFormat);
    c.SetLoading(false);
    EXPECT_THROW(RaiseOnError(&c, ecFaxBadFormat), EFaxBadFormat);
}

TEST(RaiseOnError, ClassesAndMessagesOfOwnCodes) {
    const struct {
        int code;
        std::function<void(int)> expectClass;
        const char* message;
    } cases[] = {
        {-1006, [](int c) { EXPECT_THROW(RaiseOnError(c), EInternal); },
         "Internal error creating window class"},
        {-7003, [](int c) { EXPECT_THROW(RaiseOnError(c), EInternal); }, "No fields defined in database"},
        {-7006, [](int c) { EXPECT_THROW(RaiseOnError(c), EInternal); }, "No index defined for database"},
        {-7012, [](int c) { EXPECT_THROW(RaiseOnError(c), EInternal); }, "iPrepareIniDatabase not called"},
        {-8003, [](int c) { EXPECT_THROW(RaiseOnError(c), EConvertAbort); }, "User aborted fax conversion"},
        {-8004, [](int c) { EXPECT_THROW(RaiseOnError(c), EUnpackAbort); }, "User aborted fax unpack"},
        {-2005, [](int c) { EXPECT_THROW(RaiseOnError(c), EHardware); },
         "ie_Hardware - Specified comport in use"},
        {-6006, [](int c) { EXPECT_THROW(RaiseOnError(c), EProtocol); }, "Fatal time out"},
        {-8074, [](int c) { EXPECT_THROW(RaiseOnError(c), EFaxBusy); }, "Called fax number was busy"},
        {-13933, [](int c) { EXPECT_THROW(RaiseOnError(c), ETapi16Disabled); }, ""},
        {-13850, [](int c) { EXPECT_THROW(RaiseOnError(c), ETapiInvalParam); }, "invalid parameter"},
    };
    for (const auto& c : cases) {
        c.expectClass(c.code);
        const auto e = Caught<EDeroException>(c.code);
        EXPECT_EQ(e.ResultCode, c.code);
        EXPECT_EQ(e.Message(), c.message) << "code " << c.code;
    }
}

TEST(RaiseOnError, GroupsAreCatchableByBase) {
    EXPECT_THROW(RaiseOnError(ecBadArgument), EGeneral);
    EXPECT_THROW(RaiseOnError(ecHardware), EOpenComm);
    EXPECT_THROW(RaiseOnError(ecPutBlockFail), ESerialIO);
    EXPECT_THROW(RaiseOnError(ecModemBusy), EModem);
    EXPECT_THROW(RaiseOnError(ecNoMoreTriggers), ETrigger);
    EXPECT_THROW(RaiseOnError(ecIniWrite), EINI);
    EXPECT_THROW(RaiseOnError(ecFaxPageError), EFax);
    EXPECT_THROW(RaiseOnError(-13801), ETapi);
}

TEST(RaiseOnError, InsufficientMemoryIsTheOutOfMemoryException) {
    const auto e = Caught<EOutOfMemory>(ecOutOfMemory);
    EXPECT_EQ(e.Message(), "Insufficient memory");
}

TEST(RaiseOnError, IoErrorsCarryTheirNumber) {
    const auto e = Caught<EInOutError>(ecDiskRead);
    EXPECT_EQ(e.ErrorCode, 100);
    EXPECT_EQ(e.Message(), "Attempt to read beyond end of file");
    const auto untexted = Caught<EInOutError>(-7);
    EXPECT_EQ(untexted.ErrorCode, 7);
    EXPECT_EQ(untexted.Message(), "");
}

TEST(RaiseOnError, CodesWithoutClassBecomePlainDeroException) {
    for (const int code : {-9999, -8052, ecCancelRequested, -1, -163}) {
        const auto e = Caught<EDeroException>(code);
        EXPECT_EQ(typeid(e), typeid(EDeroException));
        EXPECT_EQ(e.ResultCode, 0);
        EXPECT_EQ(e.Message(), "Dero exception");
    }
}

TEST(EDeroException, ConstructionFromCodeAndText) {
    EXPECT_EQ(EDeroException(-8001, false).Message(), "File is not an APF file");
    EXPECT_EQ(EDeroException(13001, true).Message(), "Initializing modem for fax processing");
    EXPECT_EQ(EDeroException(-13043, true).Message(), "Finished");
    const EDeroException text("plain text");
    EXPECT_EQ(text.Message(), "plain text");
    EXPECT_EQ(text.ResultCode, 0);
}

} // namespace
} // namespace tolvane
