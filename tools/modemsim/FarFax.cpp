#include "FarFax.h"

#include <spandsp.h>
#include <unistd.h>

#include <atomic>
#include <cstdio>
#include <filesystem>
#include <stdexcept>

namespace modemsim {

FarFax::FarFax(Role role, const Options& options, const std::string& file) : role_(role) {
    fax_ = fax_init(nullptr, role == Role::Call);
    if (fax_ == nullptr) {
        throw std::runtime_error("cannot start the far fax machine");
    }
    fax_set_transmit_on_idle(fax_, 1);
    t30_state_t* t30 = fax_get_t30_state(fax_);
    t30_set_tx_ident(t30, options.remoteId.c_str());
    t30_set_supported_modems(t30, T30_SUPPORT_V27TER | T30_SUPPORT_V29 | T30_SUPPORT_V17);
    t30_set_supported_compressions(t30, T30_SUPPORT_T4_1D_COMPRESSION);
    int resolutions = T30_SUPPORT_STANDARD_RESOLUTION;
    if (options.remoteFine) {
        resolutions |= T30_SUPPORT_FINE_RESOLUTION;
    }
    t30_set_supported_resolutions(t30, resolutions);
    t30_set_supported_image_sizes(t30, T30_SUPPORT_215MM_WIDTH |
                                           (options.remoteWide ? T30_SUPPORT_255MM_WIDTH : 0) |
                                           T30_SUPPORT_UNLIMITED_LENGTH | T30_SUPPORT_A4_LENGTH |
                                           T30_SUPPORT_US_LETTER_LENGTH | T30_SUPPORT_US_LEGAL_LENGTH);
    t30_set_ecm_capability(t30, 0);
    t30_set_phase_d_handler(t30, &FarFax::PageDone, this);
    t30_set_phase_e_handler(t30, &FarFax::CallDone, this);
    report_.faxClass = "1";
    if (role == Role::Answer) {
        report_.direction = "to-remote";
        std::string rx = file;
        if (rx.empty()) {
            static std::atomic<int> serial{0};
            tempFile_ = (std::filesystem::temp_directory_path() / ("modemsim-" + std::to_string(::getpid()) +
                                                                   "-rx" + std::to_string(++serial) + ".tif"))
                            .string();
            rx = tempFile_;
        } else {
            report_.file = rx;
        }
        t30_set_rx_file(t30, rx.c_str(), -1);
    } else {
        report_.direction = "from-remote";
        t30_set_tx_file(t30, file.c_str(), -1, -1);
    }
}

FarFax::~FarFax() {
    fax_free(fax_);
    if (!tempFile_.empty()) {
        std::remove(tempFile_.c_str());
    }
}

void FarFax::Transmit(int16_t* amp, int n) {
    const int got = fax_tx(fax_, amp, n);
    for (int i = got; i < n; ++i) {
        amp[i] = 0;
    }
}

void FarFax::Receive(int16_t* amp, int n) {
    fax_rx(fax_, amp, n);
}

int FarFax::PageDone(t30_state_s* s, void* self, int) {
    auto& far = *static_cast<FarFax*>(self);
    t30_stats_t stats{};
    t30_get_transfer_statistics(s, &stats);
    if (far.role_ == Role::Answer && stats.pages_rx > static_cast<int>(far.report_.rows.size())) {
        far.report_.rows.push_back(stats.length);
        far.report_.badRows += stats.bad_rows;
    }
    return T30_ERR_OK;
}

void FarFax::CallDone(t30_state_s* s, void* self, int completion) {
    auto& far = *static_cast<FarFax*>(self);
    t30_stats_t stats{};
    t30_get_transfer_statistics(s, &stats);
    CallReport& r = far.report_;
    r.pages = far.role_ == Role::Answer ? stats.pages_rx : stats.pages_tx;
    r.rate = stats.bit_rate;
    r.fine = stats.y_resolution >= T4_Y_RESOLUTION_FINE;
    r.hostId = t30_get_rx_ident(s);
    r.result = completion == T30_ERR_OK ? "ok" : t30_completion_code_to_str(completion);
    if (r.pages == 0) {
        r.file.clear();
    }
    far.done_ = true;
}

} // namespace modemsim
