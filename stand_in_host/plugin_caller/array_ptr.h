// An owned host array, destroyed with mxDestroyArray: the array library's
// owning pointer, under the name the command-line host uses.
#ifndef STAND_IN_HOST_PLUGIN_CALLER_ARRAY_PTR_H
#define STAND_IN_HOST_PLUGIN_CALLER_ARRAY_PTR_H

#include "mx_array.h"

using standin::ArrayPtr;

#endif
