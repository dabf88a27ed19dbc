// Plans as bytes, for the channel between the version 7.3 reader process
// and the process it reads for. Numbers are 64-bit in the host's byte
// order (both ends run on one machine). Decoding checks every count
// against the bytes left before it reserves anything, so a message that
// is cut short or made up fails cleanly; it does not check that the plan
// makes sense for the file (array_from_plan.h does).
#ifndef STAND_IN_HOST_LIBMAT_V73_PLAN_WIRE_H
#define STAND_IN_HOST_LIBMAT_V73_PLAN_WIRE_H

#include <string>
#include <vector>

#include "common/byte_cursor.h"
#include "v73/plan.h"

namespace mat_v73 {

// Nesting deeper than this is refused when decoding.
constexpr unsigned kMaxPlanDepth = 80;

// Appends the plan to `out`.
void encodePlan(const ArrayPlan &plan, std::string &out);
// Decodes a plan from `in`; false if the bytes do not hold one.
bool decodePlan(ByteCursor &in, ArrayPlan &plan);

void encodeNames(const std::vector<std::string> &names, std::string &out);
bool decodeNames(ByteCursor &in, std::vector<std::string> &names);

}  // namespace mat_v73

#endif
