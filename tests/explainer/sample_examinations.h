// Examinations built in place, as the engine would report them, for the
// tests of kestrum-explain's reports.
#ifndef TESTS_EXPLAINER_SAMPLE_EXAMINATIONS_H
#define TESTS_EXPLAINER_SAMPLE_EXAMINATIONS_H

#include <string>
#include <vector>

#include "explanation.h"

// A compressed version 5 file with every kind of field: an intact complex
// global array of three dimensions, a damaged sparse logical one, a
// variable not described whose fault lies inside its inflated bytes, an
// intact char array, and locating stopped before the end; salvaged.
Explanation damagedVersion5();

// An intact version 4 file: no header text.
Explanation intactVersion4();

// A version 7.3 file with a chunked dataset, whose salvage failed.
Explanation version73WithFailedSalvage();

// A version 5 file where nothing was located and so nothing salvaged.
Explanation emptyVersion5();

// An intact version 5 file whose variables are named `names`, in order.
Explanation namedVariables(const std::vector<std::string> &names);

#endif
