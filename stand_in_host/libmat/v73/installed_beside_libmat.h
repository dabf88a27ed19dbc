// Files installed with libmat that it finds at run time: the version 7.3
// reader program and the module that runs libhdf5 in this process. They
// lie beside the library itself (a build tree, or an installed lib/), or in
// a directory relative to it (../libexec for programs).
#ifndef STAND_IN_HOST_LIBMAT_V73_INSTALLED_BESIDE_LIBMAT_H
#define STAND_IN_HOST_LIBMAT_V73_INSTALLED_BESIDE_LIBMAT_H

#include <string>

namespace mat_v73 {

// The path of `name` beside libmat, else in `alsoIn` (relative to libmat's
// directory, e.g. "../libexec"; null for none), that can be accessed with
// `mode` (access(2): X_OK, R_OK). Empty if there is none.
std::string installedBesideLibmat(const char *name, const char *alsoIn, int mode);

}  // namespace mat_v73

#endif
