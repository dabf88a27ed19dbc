// Storing a source's elements into the blocks of an array: each stored
// element holds one value per target (the real and imaginary parts of a
// complex compound, or a single number), which is taken at its offset,
// put in the host's byte order and converted to the block's class.
#ifndef STAND_IN_HOST_LIBMAT_V73_ELEMENT_STORE_H
#define STAND_IN_HOST_LIBMAT_V73_ELEMENT_STORE_H

#include <cstddef>
#include <cstdint>
#include <vector>

#include "mx_array.h"
#include "v73/plan.h"

namespace mat_v73 {

// A block of an array: its data and the class of its values.
struct Block {
  void *data = nullptr;
  ArrayClass cls = ArrayClass::Double;
  uint64_t count = 0;  // values
};

// The blocks of one array, by BlockRole.
struct ArrayBlocks {
  Block blocks[4];
};

class ElementStore {
 public:
  // The targets of `source` in `blocks`; check valid() before use. A store
  // that `discards` checks its targets as any other, keeps no block's data
  // (the blocks have none) and stores nothing: it serves an examination,
  // which reads every byte and keeps none.
  ElementStore(const DataSource &source, ArrayBlocks &blocks, bool discards = false);

  // True if every target names a distinct block of exactly the source's
  // element count, with a number that lies inside the stored element.
  bool valid() const { return valid_; }

  // The block the stored elements can be copied into as they are, when
  // there is one target and each element is its value in memory form;
  // null otherwise.
  unsigned char *directBlock() const { return direct_; }

  // Stores the `count` stored elements at `stored` as elements `first`
  // onwards. Safe to call from several threads for disjoint elements.
  void store(uint64_t first, const unsigned char *stored, size_t count) const;

  size_t elementSize() const { return elementSize_; }
  bool discards() const { return discards_; }

 private:
  struct Destination {
    unsigned char *data;
    ArrayClass cls;
    size_t size;  // bytes of one value of cls
    StoredNumber number;
  };

  std::vector<Destination> destinations_;
  size_t elementSize_ = 0;
  bool discards_ = false;
  unsigned char *direct_ = nullptr;
  bool valid_ = false;
};

}  // namespace mat_v73

#endif
