#include "engine/FaxRates.h"

namespace tolvane {
namespace {

constexpr std::array<int, 7> kRates{0, 2400, 4800, 7200, 9600, 12000, 14400};
constexpr std::array<std::string_view, 7> kCodes{"", "24", "48", "72", "96", "121", "145"};
constexpr int kScanNormal[8] = {0, 5, 10, 10, 20, 20, 40, 40};
constexpr int kScanFine[8] = {0, 5, 5, 10, 10, 20, 20, 40};

} // namespace

int RateOfIndex(int index) {
    return index >= kLowestRateIndex && index <= kHighestRateIndex ? kRates[index] : 0;
}

std::string_view ModulationCode(int index) {
    return index >= kLowestRateIndex && index <= kHighestRateIndex ? kCodes[index] : std::string_view();
}

int MinimumLineBytes(int scanTimeCode, bool fine, int bps) {
    if (scanTimeCode < 0 || scanTimeCode > 7) {
        return 0;
    }
    return (fine ? kScanFine : kScanNormal)[scanTimeCode] * bps / 8000;
}

} // namespace tolvane
