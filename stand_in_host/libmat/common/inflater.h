// Inflating zlib streams (deflate data behind a zlib header, ended by an
// Adler-32 checksum), the form both compressed version 7 elements and
// compressed version 7.3 chunks take. One small interface, so that the
// readers do not depend on which library inflates (inflater_zlib.cc,
// inflater_isal.cc).
#ifndef STAND_IN_HOST_LIBMAT_COMMON_INFLATER_H
#define STAND_IN_HOST_LIBMAT_COMMON_INFLATER_H

#include <cstddef>
#include <cstdint>
#include <memory>

// Deflate cannot expand data by more than this factor: a stream of n bytes
// inflates to at most kMaxInflation * n + kInflationSlack bytes. Claimed
// sizes beyond that are refused before anything is allocated for them.
constexpr uint64_t kMaxInflation = 1032;
constexpr uint64_t kInflationSlack = 64;

class Inflater {
 public:
  enum class Status {
    Full,       // the output room is full; the stream may go on
    NeedInput,  // all input given is used up and the stream goes on
    End,        // the stream ended here, its checksum right
    Broken,     // the stream is damaged (errorText says how)
  };

  virtual ~Inflater() = default;

  // Starts a new stream; false if the inflater cannot be set up.
  virtual bool start() = 0;
  // Gives the next compressed bytes, which must stay in place until used
  // up (inputLeft() is 0).
  virtual void giveInput(const unsigned char *input, size_t length) = 0;
  virtual size_t inputLeft() const = 0;
  // Inflates into output[0, room) and says why it stopped; `produced` is
  // the number of bytes written. After End or Broken, the stream is over.
  virtual Status inflate(unsigned char *output, size_t room, size_t &produced) = 0;
  // Compressed bytes used so far in this stream.
  virtual uint64_t inputUsed() const = 0;
  // Why the stream broke, in the inflating library's words.
  virtual const char *errorText() const = 0;
};

// An inflater of the library this build inflates with: ISA-L where the
// build has it (x86-64 Linux), zlib elsewhere or when MAT_INFLATER=zlib is
// in the environment.
std::unique_ptr<Inflater> makeInflater();
// One of each library, for comparing them: makeIsalInflater() is null in a
// build without ISA-L.
std::unique_ptr<Inflater> makeZlibInflater();
std::unique_ptr<Inflater> makeIsalInflater();

#endif
