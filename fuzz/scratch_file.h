// The file a fuzz target writes each input to, so that the code under test
// reads it by name as it reads any MAT-file. Made once, rewritten per input
// and removed at exit.
#ifndef FUZZ_SCRATCH_FILE_H
#define FUZZ_SCRATCH_FILE_H

#include <cstddef>
#include <cstdint>

// Creates the scratch file (under /tmp, its name starting with `prefix`);
// aborts if it cannot.
void createScratchFile(const char *prefix);
// Replaces the file's contents with the input; aborts if it cannot.
void writeScratchFile(const uint8_t *data, size_t size);
const char *scratchFilePath();
// Sends this process's standard output to /dev/null, where the reports of
// the code under test go; aborts if it cannot.
void silenceStandardOutput();

#endif
