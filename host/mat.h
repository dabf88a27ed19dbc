/* MAT-file operations of the host library libmat. */
#ifndef HOST_MAT_H
#define HOST_MAT_H

#include "matrix.h"

#ifdef __cplusplus
extern "C" {
#endif

/* Opaque handle to an open MAT-file. */
typedef struct MATFile_tag MATFile;

LIBMAT_API MATFile *matOpen(const char *fileName, const char *mode);
LIBMAT_API int matClose(MATFile *file);
LIBMAT_API char **matGetDir(MATFile *file, int *count);
LIBMAT_API mxArray *matGetNextVariableInfo(MATFile *file, const char **name);
LIBMAT_API mxArray *matGetNextVariable(MATFile *file, const char **name);

#ifdef __cplusplus
}
#endif

#endif
