// Bytes taken from a MAT-file (variable names, class names, the header
// text, the engine's words) and from the command line, written out as data.
// Such bytes may hold anything: control characters that would move a
// terminal's cursor, and bytes that are not UTF-8. Neither report passes
// them through raw.
#ifndef STAND_IN_HOST_MAT_EXPLAINER_ESCAPING_H
#define STAND_IN_HOST_MAT_EXPLAINER_ESCAPING_H

#include <cstddef>
#include <string>

// The length of the well-formed UTF-8 sequence that starts at `at` (1 to 4),
// or 0 if none does there: a stray continuation byte, an overlong form, an
// encoded surrogate, a code point past U+10FFFF, or a sequence cut short.
size_t utf8SequenceAt(const std::string &bytes, size_t at);

// For the text report and messages: a control character (U+0000 to U+001F,
// U+007F to U+009F) and each byte that is not part of a well-formed UTF-8
// sequence become "\xHH", one per byte; everything else is copied, the
// backslash too (a Windows path reads as itself; the JSON report is the
// exact form).
std::string escapedText(const std::string &bytes);

// For the JSON report: `bytes` as a JSON string, quotes included (RFC 8259).
// '"' and '\' are escaped, control characters are written \b \f \n \r \t
// or \u00XX (U+007F to U+009F too), well-formed UTF-8 is copied, and each
// byte that is not part of a well-formed UTF-8 sequence is written as the
// code point of the same value, \u00XX (the byte 0xFF is "\u00ff").
std::string jsonString(const std::string &bytes);

#endif
