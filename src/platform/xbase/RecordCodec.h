// Field values to and from their stored ASCII form inside a record.
#pragma once

#include "platform/xbase/XbRecord.h"

#include <cstdint>
#include <string_view>

namespace tolvane {

// Parses an N field's text (leading blanks, sign, digits, '.', digits). ok is false for text
// that is not a number; blank text is 0 with ok true.
double ParseStoredNumber(std::string_view raw, bool& ok);
// Parses "YYYYMMDD"; the empty date for blanks or anything that is not a valid date.
XbDate ParseStoredDate(std::string_view raw);
bool IsValidDate(const XbDate& date);
// Days since 1 January 4713 BC (Julian day number) of a valid date.
int64_t JulianDay(const XbDate& date);
// The memo block number of an M field (decimal digits, or 4 bytes LE in the later layout).
uint32_t ParseMemoBlock(std::string_view raw);

void PutBlank(uint8_t* record, const XbFieldLayout& field);
void PutText(uint8_t* record, const XbFieldLayout& field, std::string_view text); // cut or padded
void PutBool(uint8_t* record, const XbFieldLayout& field, bool value);
void PutDate(uint8_t* record, const XbFieldLayout& field, const XbDate& date);  // BadValue if invalid
void PutNumber(uint8_t* record, const XbFieldLayout& field, double value);      // BadValue if too wide
void PutMemoBlock(uint8_t* record, const XbFieldLayout& field, uint32_t block); // 0 blanks it

} // namespace tolvane
