// --salvage: where the intact variables may be written, and writing them.
#ifndef STAND_IN_HOST_MAT_EXPLAINER_SALVAGE_H
#define STAND_IN_HOST_MAT_EXPLAINER_SALVAGE_H

#include <string>

#include "examination.h"
#include "explanation.h"

// Whether the salvage of `file` may be written to `out`: never when `out`
// is `file`, by name or as the same file reached by another path (a link,
// another spelling); not when `out` exists, unless `overwrite`. False with
// `why` set when not.
bool salvageTargetAllowed(const std::string &file, const std::string &out, bool overwrite, std::string &why);

// Copies every variable of `file` that `examination` found intact into
// `out`; writes nothing when none is intact.
SalvageOutcome salvageIntactVariables(const std::string &file, const FileExamination &examination,
                                      const std::string &out, bool overwrite);

#endif
