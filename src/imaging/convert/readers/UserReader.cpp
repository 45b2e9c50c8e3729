// idUser input: raster lines from the caller's events.
#include "imaging/convert/ConverterContext.h"
#include "imaging/convert/readers/Readers.h"
#include "imaging/errors/ResultCodes.h"

namespace tolvane {
namespace {

class UserReader : public InputReader {
public:
    void SetEvents(UserLineEvents events) { events_ = std::move(events); }

    int Open(ConverterContext& ctx, const std::string& name) override {
        ctx.bytesToConvert = 0;
        DecidePageGeometry(ctx, ctx.pageWidth);
        if (events_.open) {
            events_.open(name);
        }
        return ecOK;
    }

    int ReadLine(ConverterContext& /*ctx*/, uint8_t* raster, LineRead& line) override {
        if (!events_.readLine) {
            line.endOfPage = true;
            line.morePages = false;
            return ecOK;
        }
        events_.readLine(raster, line.length, line.endOfPage, line.morePages);
        return ecOK;
    }

    void Close(ConverterContext& /*ctx*/) override {
        if (events_.close) {
            events_.close();
        }
    }

private:
    UserLineEvents events_;
};

} // namespace

std::unique_ptr<InputReader> MakeUserReader() {
    return std::make_unique<UserReader>();
}

int SetUserReaderEvents(InputReader& reader, UserLineEvents events) {
    auto* user = dynamic_cast<UserReader*>(&reader);
    if (!user) {
        return ecBadArgument;
    }
    user->SetEvents(std::move(events));
    return ecOK;
}

} // namespace tolvane
