// One variable read whole from a MAT-file through the host's libmat.
#ifndef STAND_IN_HOST_PLUGIN_CALLER_MAT_VARIABLE_H
#define STAND_IN_HOST_PLUGIN_CALLER_MAT_VARIABLE_H

#include <string>

#include "array_ptr.h"

// Reads the variable `name` of the file; null with `error` set when the file
// cannot be opened or holds no readable variable of that name.
ArrayPtr readMatVariable(const std::string &file, const std::string &name, std::string &error);

#endif
