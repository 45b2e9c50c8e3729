// Modem rates of fax sessions and the minimum scan-line time.
//
// Rate index (Class 1 modulation) -> bits per second -> code of AT+FTM= / AT+FRM=:
//   1 2400 "24"   2 4800 "48"   3 7200 "72"   4 9600 "96"   5 12000 "121"   6 14400 "145"
// Scan-time code (T.30 DIS/DCS bits 21-23 as the engine numbers them) -> minimum milliseconds per
// coded scan line at normal / fine resolution:
//   0: 0/0  1: 5/5  2: 10/5  3: 10/10  4: 20/10  5: 20/20  6: 40/20  7: 40/40
#pragma once

#include <array>
#include <string_view>

namespace tolvane {

inline constexpr int kLowestRateIndex = 1;
inline constexpr int kHighestRateIndex = 6;

// Rate flags by index 1..6 (element 0 unused).
using RateFlags = std::array<bool, kHighestRateIndex + 1>;

// Bits per second of a rate index; 0 outside 1..6.
int RateOfIndex(int index);
// Modulation code of a rate index ("24" ... "145"); empty outside 1..6.
std::string_view ModulationCode(int index);
// Minimum bytes per coded scan line: milliseconds x rate / 8000. 0 for codes outside 0..7.
int MinimumLineBytes(int scanTimeCode, bool fine, int bps);

} // namespace tolvane
