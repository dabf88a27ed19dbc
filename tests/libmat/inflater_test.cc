// The two inflaters against each other: zlib streams of several kinds of
// data and levels, whole, cut short, with bytes changed and with bytes
// after them, fed in pieces of random sizes, must get the same verdict from
// ISA-L as from zlib, and whole streams the same bytes.
#include <gtest/gtest.h>

#include <zlib.h>

#include <random>
#include <string>
#include <vector>

#include "common/inflater.h"

namespace {

struct Outcome {
  bool ended = false;   // the stream ended, its checksum right
  std::string output;   // what was inflated
  uint64_t used = 0;    // compressed bytes used
  bool operator==(const Outcome &other) const {
    return ended == other.ended && (!ended || (output == other.output && used == other.used));
  }
};

// Inflates `stream` handed over in random pieces, into room of random
// sizes, at most `limit` bytes.
Outcome inflateAll(Inflater &inflater, const std::string &stream, size_t limit, uint32_t seed) {
  std::mt19937 random(seed);
  Outcome outcome;
  if (!inflater.start()) return outcome;
  size_t given = 0;
  std::vector<unsigned char> room;
  while (outcome.output.size() < limit) {
    room.resize(1 + random() % 70000);
    size_t produced = 0;
    Inflater::Status status = inflater.inflate(room.data(), room.size(), produced);
    outcome.output.append(reinterpret_cast<const char *>(room.data()), produced);
    if (status == Inflater::Status::End) {
      outcome.ended = true;
      break;
    }
    if (status == Inflater::Status::Broken) break;
    if (status == Inflater::Status::NeedInput) {
      if (given == stream.size()) break;
      size_t piece = std::min<size_t>(1 + random() % 9000, stream.size() - given);
      inflater.giveInput(reinterpret_cast<const unsigned char *>(stream.data()) + given, piece);
      given += piece;
    }
  }
  outcome.used = inflater.inputUsed();
  return outcome;
}

std::string compressed(const std::string &data, int level) {
  uLongf size = compressBound(data.size());
  std::string out(size, '\0');
  compress2(reinterpret_cast<Bytef *>(&out[0]), &size, reinterpret_cast<const Bytef *>(data.data()),
            data.size(), level);
  out.resize(size);
  return out;
}

std::vector<std::string> sampleData() {
  std::mt19937 random(3);
  std::string noise(300000, '\0'), doubles, text;
  for (char &c : noise) c = static_cast<char>(random());
  for (int i = 0; i < 60000; ++i) {
    double value = (i % 1000) * 0.25;
    doubles.append(reinterpret_cast<const char *>(&value), sizeof value);
  }
  for (int i = 0; i < 20000; ++i) text += "row " + std::to_string(i % 97) + ";";
  return {std::string(), std::string(1, 'x'), std::string(200000, '\0'), noise, doubles, text};
}

TEST(Inflaters, SameVerdictOnWholeCutChangedAndTrailedStreams) {
  std::unique_ptr<Inflater> zlib = makeZlibInflater(), isal = makeIsalInflater();
  if (!isal) GTEST_SKIP() << "this build has no ISA-L";
  std::mt19937 random(11);
  int compared = 0;
  for (const std::string &data : sampleData()) {
    for (int level : {0, 1, 6, 9}) {
      std::string stream = compressed(data, level);
      std::vector<std::string> variants = {stream, stream + "tail", stream.substr(0, 2)};
      for (int cut = 0; cut < 8; ++cut) variants.push_back(stream.substr(0, random() % stream.size()));
      for (int change = 0; change < 40; ++change) {
        std::string changed = stream;
        changed[random() % changed.size()] ^= static_cast<char>(1 + random() % 255);
        variants.push_back(changed);
      }
      for (const std::string &variant : variants) {
        uint32_t seed = random();
        Outcome byZlib = inflateAll(*zlib, variant, data.size() + 1000, seed);
        Outcome byIsal = inflateAll(*isal, variant, data.size() + 1000, seed);
        ASSERT_TRUE(byZlib == byIsal)
            << "level " << level << ", " << data.size() << " bytes of data, stream of "
            << variant.size() << ": zlib " << (byZlib.ended ? "ended" : "failed") << ", ISA-L "
            << (byIsal.ended ? "ended" : "failed");
        if (variant == stream) {
          EXPECT_TRUE(byIsal.ended && byIsal.output == data);
        }
        ++compared;
      }
    }
  }
  EXPECT_GT(compared, 1000);
}

}  // namespace
