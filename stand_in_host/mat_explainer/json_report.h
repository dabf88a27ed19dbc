// The JSON report of kestrum-explain (--json): the facts of the text report
// as one JSON document, described by docs/kestrum-explain.schema.json.
// Strings are written through jsonString.
#ifndef STAND_IN_HOST_MAT_EXPLAINER_JSON_REPORT_H
#define STAND_IN_HOST_MAT_EXPLAINER_JSON_REPORT_H

#include <string>

#include "explanation.h"

// The document, ending with a newline.
std::string jsonReport(const Explanation &explanation);

#endif
