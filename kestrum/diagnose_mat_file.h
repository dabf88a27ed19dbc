// The MAT-file diagnosis: the directory, the header pass and the contents
// pass, each over a fresh open of the file.
#ifndef KESTRUM_DIAGNOSE_MAT_FILE_H
#define KESTRUM_DIAGNOSE_MAT_FILE_H

// Writes the report of `fileName` to standard output. Returns 0 after a
// complete report, 1 after the first failure (whose message it printed).
int diagnoseMatFile(const char *fileName);

#endif
