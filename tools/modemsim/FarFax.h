// The far fax machine of a Class 1 call: a spandsp T.30 terminal on the audio line. Answering,
// it stores what it receives as TIFF; calling, it sends a TIFF file.
#pragma once

#include "AudioLine.h"
#include "CallReport.h"
#include "Options.h"

#include <string>

struct fax_state_s;
struct t30_state_s;

namespace modemsim {

class FarFax final : public AudioPeer {
public:
    enum class Role { Answer, Call };

    // `file`: where received pages go (Answer; empty: nowhere kept) or the TIFF to send (Call).
    FarFax(Role role, const Options& options, const std::string& file);
    ~FarFax();
    FarFax(const FarFax&) = delete;
    FarFax& operator=(const FarFax&) = delete;

    void Transmit(int16_t* amp, int n) override;
    void Receive(int16_t* amp, int n) override;
    // The call is over on this side (T.30 phase E).
    bool Done() const { return done_; }
    const CallReport& Report() const { return report_; }

private:
    static int PageDone(t30_state_s* s, void* self, int result);
    static void CallDone(t30_state_s* s, void* self, int completion);

    Role role_;
    fax_state_s* fax_ = nullptr;
    std::string tempFile_;
    bool done_ = false;
    CallReport report_;
};

} // namespace modemsim
