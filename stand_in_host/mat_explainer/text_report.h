// The text report of kestrum-explain: the file's facts, a table of its
// variables with the reason and place of each fault below its row, where
// locating stopped, the salvage, and a summary. Text from the file is
// written through escapedText.
#ifndef STAND_IN_HOST_MAT_EXPLAINER_TEXT_REPORT_H
#define STAND_IN_HOST_MAT_EXPLAINER_TEXT_REPORT_H

#include <cstdint>
#include <string>

#include "explanation.h"

std::string textReport(const Explanation &explanation);

// "0x1C0": a byte offset as the reports write it.
std::string hexOffset(uint64_t offset);

// "damaged at offset 0x1C0, at inflated byte 120: REASON", the place given
// as far as it is known ("damaged: REASON" when it is not). The place comes
// first, apart from the reason, whose own words may speak of other places.
std::string faultText(const Fault &fault);

#endif
