/* The inflate-only side of the kestrum benchmark: walks the top-level
 * elements of a little-endian version 7 MAT-file and inflates each compressed
 * element, discarding the output; every other element is skipped. This is
 * the least work any reader of the file must do, with zlib or with ISA-L's
 * igzip (zlib wrapper, checksum checked, streaming into a reused 256 KiB
 * buffer). Prints the number of compressed elements and the bytes they
 * inflate to.
 *
 *   inflate_streams zlib|isal FILE */
#include <stdint.h>
#include <stdio.h>
#include <string.h>

#include <zlib.h>
#if defined(INFLATE_WITH_ISAL)
#include <isa-l/igzip_lib.h>
#endif

enum { kHeaderBytes = 128, kCompressedType = 15, kChunkBytes = 1 << 20, kIsalOutput = 256 << 10 };

static unsigned char input[kChunkBytes];
static unsigned char output[kChunkBytes];
static int useIsal;

static uint32_t littleEndian32(const unsigned char *bytes) {
  return (uint32_t)bytes[0] | (uint32_t)bytes[1] << 8 | (uint32_t)bytes[2] << 16 |
         (uint32_t)bytes[3] << 24;
}

/* Inflates the next `length` bytes of `file`, one zlib stream, and adds the
 * inflated size to `inflated`. Returns 0 when the stream ends exactly there. */
static int inflateElement(FILE *file, z_stream *stream, uint32_t length, uint64_t *inflated) {
  if (inflateReset(stream) != Z_OK) return 1;
  int status = Z_OK;
  while (length > 0 && status != Z_STREAM_END) {
    size_t wanted = length < kChunkBytes ? length : kChunkBytes;
    if (fread(input, 1, wanted, file) != wanted) return 1;
    length -= (uint32_t)wanted;
    stream->next_in = input;
    stream->avail_in = (uInt)wanted;
    do {
      stream->next_out = output;
      stream->avail_out = kChunkBytes;
      status = inflate(stream, Z_NO_FLUSH);
      if (status != Z_OK && status != Z_STREAM_END) return 1;
      *inflated += kChunkBytes - stream->avail_out;
    } while (stream->avail_out == 0 && status != Z_STREAM_END);
  }
  return status == Z_STREAM_END && length == 0 && stream->avail_in == 0 ? 0 : 1;
}

#if defined(INFLATE_WITH_ISAL)
static struct inflate_state isalState;

static int inflateElementIsal(FILE *file, uint32_t length, uint64_t *inflated) {
  isal_inflate_init(&isalState);
  isalState.crc_flag = ISAL_ZLIB;
  while (length > 0 && isalState.block_state != ISAL_BLOCK_FINISH) {
    size_t wanted = length < kChunkBytes ? length : kChunkBytes;
    if (fread(input, 1, wanted, file) != wanted) return 1;
    length -= (uint32_t)wanted;
    isalState.next_in = input;
    isalState.avail_in = (uint32_t)wanted;
    do {
      isalState.next_out = output;
      isalState.avail_out = kIsalOutput;
      if (isal_inflate(&isalState) < 0) return 1;
      *inflated += kIsalOutput - isalState.avail_out;
    } while (isalState.avail_out == 0 && isalState.block_state != ISAL_BLOCK_FINISH);
  }
  return isalState.block_state == ISAL_BLOCK_FINISH && length == 0 ? 0 : 1;
}
#endif

/* Skips an uncompressed element's data and its padding to 8 bytes. */
static int skipElement(FILE *file, uint32_t length) {
  return fseeko(file, (off_t)((length + 7u) & ~7u), SEEK_CUR);
}

static int inflateAllElements(FILE *file, z_stream *stream) {
  unsigned char header[kHeaderBytes];
  if (fread(header, 1, kHeaderBytes, file) != kHeaderBytes || memcmp(header + 126, "IM", 2) != 0) {
    fprintf(stderr, "inflate_streams: not a little-endian version 5-7 MAT-file\n");
    return 1;
  }
  uint64_t elements = 0, inflated = 0;
  unsigned char tag[8];
  while (fread(tag, 1, sizeof tag, file) == sizeof tag) {
    uint32_t type = littleEndian32(tag), length = littleEndian32(tag + 4);
    int failed;
    if (type != kCompressedType) {
      failed = skipElement(file, length);
    } else {
#if defined(INFLATE_WITH_ISAL)
      failed = useIsal ? inflateElementIsal(file, length, &inflated)
                       : inflateElement(file, stream, length, &inflated);
#else
      failed = inflateElement(file, stream, length, &inflated);
#endif
    }
    if (failed) {
      fprintf(stderr, "inflate_streams: element %llu is damaged\n", (unsigned long long)elements);
      return 1;
    }
    if (type == kCompressedType) ++elements;
  }
  printf("%llu compressed elements, %llu bytes inflated\n", (unsigned long long)elements,
         (unsigned long long)inflated);
  return elements > 0 ? 0 : 1;
}

int main(int argc, char *argv[]) {
  if (argc != 3 || (strcmp(argv[1], "zlib") != 0 && strcmp(argv[1], "isal") != 0)) {
    fprintf(stderr, "usage: inflate_streams zlib|isal FILE\n");
    return 2;
  }
  useIsal = strcmp(argv[1], "isal") == 0;
#if !defined(INFLATE_WITH_ISAL)
  if (useIsal) {
    fprintf(stderr, "inflate_streams: built without ISA-L (libisal-dev)\n");
    return 2;
  }
#endif
  FILE *file = fopen(argv[2], "rb");
  if (file == NULL) {
    fprintf(stderr, "inflate_streams: cannot open %s\n", argv[2]);
    return 1;
  }
  z_stream stream;
  memset(&stream, 0, sizeof stream);
  if (inflateInit(&stream) != Z_OK) return 1;
  int failed = inflateAllElements(file, &stream);
  inflateEnd(&stream);
  fclose(file);
  return failed;
}
