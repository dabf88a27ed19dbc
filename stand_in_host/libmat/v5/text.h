// Character data of char arrays: stored as uint16 (or another numeric type),
// UTF-8, UTF-16 or UTF-32, held as UTF-16 code units.
#ifndef STAND_IN_HOST_LIBMAT_V5_TEXT_H
#define STAND_IN_HOST_LIBMAT_V5_TEXT_H

#include <cstddef>
#include <cstdint>

#include "v5/element.h"

namespace mat_v5 {

// True if a character element with this tag can decode to `count` code
// units; checked before the units' buffer is allocated.
bool canHoldCharacters(const Tag &tag, size_t count);

// Reads the character element (tag already read) into `units`, which holds
// exactly `count` UTF-16 code units; the element must decode to exactly that
// many. Malformed text is not a failure: a UTF-8 byte that begins no
// well-formed sequence reads as the character of its value (Latin-1), a
// surrogate keeps its code unit, and a UTF-32 number beyond U+10FFFF reads
// as U+FFFD.
bool readCharacters(Span &span, const Tag &tag, size_t count, uint16_t *units);

}  // namespace mat_v5

#endif
