// Tests of the implode/explode library through its C interface.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "dcl.h"
extern "C" {
#include "dcl_tables.h"
}

namespace {

using Bytes = std::vector<uint8_t>;

Bytes hex(const std::string &text) {
  Bytes out;
  for (size_t i = 0; i + 1 < text.size(); i += 3)
    out.push_back(static_cast<uint8_t>(std::stoul(text.substr(i, 2), nullptr, 16)));
  return out;
}

Bytes str(const std::string &text) { return Bytes(text.begin(), text.end()); }

// Feeds a buffer to the library in portions of at most `portion` bytes and collects its output.
// The work area is an exact-size heap block at an odd address, filled with garbage first, so
// overruns, alignment assumptions and reliance on a cleared area all show.
struct Pipe {
  const Bytes *input;
  size_t pos = 0;
  size_t portion;
  Bytes output;
  unsigned writes = 0;

  static unsigned int read(char *buf, unsigned int *size, void *param) {
    auto *self = static_cast<Pipe *>(param);
    size_t n =
        std::min({static_cast<size_t>(*size), self->portion, self->input->size() - self->pos});
    if (n) std::memcpy(buf, self->input->data() + self->pos, n);
    self->pos += n;
    return static_cast<unsigned int>(n);
  }
  static void write(char *buf, unsigned int *size, void *param) {
    auto *self = static_cast<Pipe *>(param);
    self->output.insert(self->output.end(), buf, buf + *size);
    self->writes++;
  }
};

struct WorkArea {
  std::vector<char> block;
  explicit WorkArea(size_t size) : block(size + 1, static_cast<char>(0xA5)) {}
  char *get() { return block.data() + 1; }
};

struct Result {
  unsigned rc;
  Bytes out;
};

Result explode(const Bytes &in, size_t portion = SIZE_MAX) {
  Pipe pipe{&in, 0, portion, {}};
  WorkArea work(DCL_EXPLODE_WORK_SIZE);
  unsigned rc = dcl_explode(Pipe::read, Pipe::write, work.get(), &pipe);
  return {rc, pipe.output};
}

Result implode(const Bytes &in, unsigned type, unsigned dict, size_t portion = SIZE_MAX) {
  Pipe pipe{&in, 0, portion, {}};
  WorkArea work(DCL_IMPLODE_WORK_SIZE);
  unsigned rc = dcl_implode(Pipe::read, Pipe::write, work.get(), &pipe, &type, &dict);
  return {rc, pipe.output};
}

// Writes tokens the way the format lays them out, for streams no encoder would produce.
struct BitWriter {
  Bytes out;
  uint64_t acc = 0;
  unsigned n = 0;
  unsigned dict_bits;

  BitWriter(unsigned mode, unsigned dict_code)
      : out{uint8_t(mode), uint8_t(dict_code)}, dict_bits(dict_code) {}
  void bits(unsigned count, unsigned value) {
    acc |= uint64_t(value) << n;
    n += count;
    for (; n >= 8; n -= 8, acc >>= 8) out.push_back(uint8_t(acc));
  }
  void literal(uint8_t b) { bits(9, unsigned(b) << 1); }
  void length(unsigned len) {
    unsigned li = DCL_LEN_SYMBOLS - 1;
    while (dcl_len_base[li] > len) li--;
    bits(1, 1);
    bits(dcl_len_bits[li], dcl_len_code[li]);
    bits(dcl_len_extra[li], len - dcl_len_base[li]);
  }
  void copy(unsigned len, unsigned dist) {
    length(len);
    unsigned low = len == 2 ? 2 : dict_bits;
    unsigned high = (dist - 1) >> low;
    bits(dcl_dist_bits[high], dcl_dist_code[high]);
    bits(low, (dist - 1) & ((1u << low) - 1));
  }
  Bytes finish() {
    length(DCL_END_LENGTH);
    if (n) out.push_back(uint8_t(acc));
    return out;
  }
};

// ---------------------------------------------------------------------------------------------
// The fixed codes: regenerated from their bit counts alone (canonical code, bits complemented,
// sent most significant bit first), they must equal the stored code values, and each code must be
// complete so that every bit sequence decodes.

std::vector<unsigned> regenerate(const std::vector<unsigned> &bits) {
  std::vector<unsigned> order(bits.size()), code(bits.size());
  for (unsigned i = 0; i < order.size(); i++) order[i] = i;
  std::stable_sort(order.begin(), order.end(),
                   [&](unsigned a, unsigned b) { return bits[a] < bits[b]; });
  unsigned c = 0, prev_bits = bits[order[0]];
  for (size_t k = 0; k < order.size(); k++) {
    unsigned n = bits[order[k]];
    if (k) c = (c + 1) << (n - prev_bits);
    prev_bits = n;
    unsigned sent = c ^ ((1u << n) - 1), value = 0;
    for (unsigned i = 0; i < n; i++)  // first bit sent becomes bit 0
      value |= ((sent >> (n - 1 - i)) & 1u) << i;
    code[order[k]] = value;
  }
  return code;
}

template <typename Bits, typename Codes>
void expect_canonical_and_complete(const Bits &bits, const Codes &codes, size_t count) {
  std::vector<unsigned> b(bits, bits + count), stored(codes, codes + count);
  EXPECT_EQ(regenerate(b), stored);
  uint64_t kraft = 0;  // sum of 2^(16 - n): exactly 2^16 for a complete code
  for (unsigned n : b) kraft += uint64_t(1) << (16 - n);
  EXPECT_EQ(kraft, uint64_t(1) << 16);
}

TEST(DclTables, CodesMatchTheirBitCountsAndAreComplete) {
  expect_canonical_and_complete(dcl_len_bits, dcl_len_code, DCL_LEN_SYMBOLS);
  expect_canonical_and_complete(dcl_dist_bits, dcl_dist_code, DCL_DIST_SYMBOLS);
  expect_canonical_and_complete(dcl_ascii_bits, dcl_ascii_code, 256);
}

// ---------------------------------------------------------------------------------------------
// Streams from the format document, decoded whole and one byte per read. `stream_len` is where
// the end marker's last byte is; anything after it is not part of the stream.

struct Vector {
  const char *name;
  std::string packed;
  Bytes plain;
  size_t stream_len;
};

std::vector<Vector> document_vectors() {
  const Bytes v3 =
      hex("10 20 30 40 10 20 30 40 10 20 30 40 10 20 30 40 10 20 30 40 FF FE FF FE 00 01 02 03 78 "
          "79 7A 78 79 7A 78 79 7A ");
  return {
      {"binary_1024", "00 04 82 24 ED CD D3 5F C0 3F ", str("AIAIAIAIAIAIA"), 10},
      {"ascii_2048",
       "01 05 50 6C D3 D4 F1 3D A5 6C E6 E6 E1 75 CD A4 83 D2 B3 36 52 57 5E 75 AC 6D BA 05 1E 71 "
       "C0 3F ",
       str("Hello, hello, hello world! The world said hello.\n"), 32},
      {"binary_4096_trailing_zero",
       "00 06 20 80 80 01 34 0F F9 63 7E FC F3 DF 03 20 80 80 01 78 F2 E8 7D E1 17 01 FF 00 ", v3,
       27},
      {"overlapping_copy", "00 04 82 24 25 8F 80 7F ", str("AIAIAIAIAIAIA"), 8},
      {"empty_binary", "00 04 01 FF ", {}, 4},
      {"empty_ascii", "01 06 01 FF ", {}, 4},
      {"empty_with_extra_zero", "00 06 01 FF 00 ", {}, 4},
      {"one_byte_binary", "00 06 82 02 FE 01 ", str("A"), 6},
      {"one_byte_ascii", "01 06 E2 80 7F ", str("A"), 5},
      // Two literals by hand. Binary: fields 0x82 (9 bits), 0x84 (9 bits), end 0xFF01 (16 bits)
      // = 0x3FC050882 little-endian. Text: 'A' is 6 bits 0x31, 'B' 7 bits 0x54, each after a 0
      // flag: 0x62 (7 bits), 0xA8 (8 bits), then 0xFF01 = 0x7F80D462.
      {"two_bytes_binary", "00 04 82 08 05 FC 03 ", str("AB"), 7},
      {"two_bytes_ascii", "01 06 62 D4 80 7F ", str("AB"), 6},
  };
}

TEST(DclExplode, DocumentVectorsDecodeWholeAndBytewise) {
  for (const auto &v : document_vectors()) {
    SCOPED_TRACE(v.name);
    Bytes packed = hex(v.packed);
    for (size_t portion : {SIZE_MAX, size_t(1), size_t(3)}) {
      Result r = explode(packed, portion);
      EXPECT_EQ(r.rc, DCL_OK);
      EXPECT_EQ(r.out, v.plain);
    }
  }
}

// Every cut before the end marker's last byte fails and what was delivered is a true prefix of
// the output; every cut after it succeeds.
TEST(DclExplode, TruncatedStreamsFailAndDeliverOnlyAPrefix) {
  for (const auto &v : document_vectors()) {
    Bytes packed = hex(v.packed);
    for (size_t cut = 0; cut <= packed.size(); cut++) {
      SCOPED_TRACE(std::string(v.name) + " cut at " + std::to_string(cut));
      Bytes part(packed.begin(), packed.begin() + cut);
      Result r = explode(part);
      if (cut >= v.stream_len) {
        EXPECT_EQ(r.rc, DCL_OK);
        EXPECT_EQ(r.out, v.plain);
        continue;
      }
      EXPECT_EQ(r.rc, cut < 2 ? DCL_BAD_DATA : DCL_ABORT);
      ASSERT_LE(r.out.size(), v.plain.size());
      EXPECT_TRUE(std::equal(r.out.begin(), r.out.end(), v.plain.begin()));
    }
  }
}

TEST(DclExplode, BadHeadersAreRefusedWithoutOutput) {
  struct Case {
    const char *packed;
    unsigned rc;
  } cases[] = {
      {"02 04 01 FF ", DCL_INVALID_MODE},
      {"FF 06 01 FF ", DCL_INVALID_MODE},
      {"00 03 01 FF ", DCL_INVALID_DICTSIZE},
      {"01 07 01 FF ", DCL_INVALID_DICTSIZE},
      {"00 00 01 FF ", DCL_INVALID_DICTSIZE},
      {"02 07 01 FF ", DCL_INVALID_DICTSIZE},
      {"", DCL_BAD_DATA},
      {"00 ", DCL_BAD_DATA},
  };
  for (const auto &c : cases) {
    SCOPED_TRACE(c.packed);
    Result r = explode(hex(c.packed));
    EXPECT_EQ(r.rc, c.rc);
    EXPECT_TRUE(r.out.empty());
  }
}

TEST(DclExplode, CopyReachingBeforeTheOutputIsBadData) {
  struct Case {
    const char *name;
    unsigned literals, len, dist;
    unsigned rc;
  } cases[] = {
      {"copy first", 0, 3, 1, DCL_BAD_DATA},          {"one too far", 5, 3, 6, DCL_BAD_DATA},
      {"exactly back to the start", 5, 3, 5, DCL_OK}, {"length two too far", 3, 2, 4, DCL_BAD_DATA},
      {"length two at the start", 3, 2, 3, DCL_OK},
  };
  for (const auto &c : cases) {
    SCOPED_TRACE(c.name);
    BitWriter w(DCL_BINARY, 6);
    Bytes expected;
    for (unsigned i = 0; i < c.literals; i++) {
      w.literal(uint8_t('a' + i));
      expected.push_back(uint8_t('a' + i));
    }
    w.copy(c.len, c.dist);
    w.literal('z');
    Result r = explode(w.finish());
    EXPECT_EQ(r.rc, c.rc);
    if (c.rc == DCL_OK) {
      for (unsigned i = 0; i < c.len; i++) expected.push_back(expected[expected.size() - c.dist]);
      expected.push_back('z');
    }
    EXPECT_EQ(r.out, expected);  // on failure: everything before the bad copy
  }
}

// Lengths above what classic encoders emit, and the largest distance of each dictionary.
TEST(DclExplode, AcceptsLongestLengthsAndFarthestDistances) {
  for (unsigned code : {4u, 5u, 6u}) {
    SCOPED_TRACE(code);
    unsigned window = 1u << (code + 6);
    BitWriter w(DCL_BINARY, code);
    Bytes expected;
    for (unsigned i = 0; i < window; i++) {
      uint8_t b = uint8_t(i * 7 + i / 256);
      w.literal(b);
      expected.push_back(b);
    }
    for (unsigned len : {518u, 517u, 2u}) {
      unsigned dist = len == 2 ? 256 : window;
      w.copy(len, dist);
      for (unsigned i = 0; i < len; i++) expected.push_back(expected[expected.size() - dist]);
    }
    Result r = explode(w.finish(), 5);
    EXPECT_EQ(r.rc, DCL_OK);
    EXPECT_EQ(r.out, expected);
  }
}

TEST(DclExplode, NullArgumentsAreRefused) {
  WorkArea work(DCL_EXPLODE_WORK_SIZE);
  Bytes in = hex("00 04 01 FF ");
  Pipe pipe{&in, 0, SIZE_MAX, {}};
  EXPECT_EQ(dcl_explode(nullptr, Pipe::write, work.get(), &pipe), DCL_ABORT);
  EXPECT_EQ(dcl_explode(Pipe::read, nullptr, work.get(), &pipe), DCL_ABORT);
  EXPECT_EQ(dcl_explode(Pipe::read, Pipe::write, nullptr, &pipe), DCL_ABORT);
}

// ---------------------------------------------------------------------------------------------
// Round trips over both literal modes and all dictionary sizes.

Bytes pseudo_text(size_t size, unsigned seed) {
  static const char *words[] = {"the ",        "screen ",  "saver ",   "installer ", "window ",
                                "and ",        "of ",      "copies ",  "data ",      "compression ",
                                "is ",         "a ",       "Settings", ", ",         ".\r\n",
                                "dictionary ", "Windows ", "file "};
  std::mt19937 rng(seed);
  Bytes out;
  while (out.size() < size) {
    const char *w = words[rng() % (sizeof words / sizeof *words)];
    out.insert(out.end(), w, w + std::strlen(w));
  }
  out.resize(size);
  return out;
}

Bytes random_bytes(size_t size, unsigned seed) {
  std::mt19937 rng(seed);
  Bytes out(size);
  for (auto &b : out) b = uint8_t(rng());
  return out;
}

struct Sample {
  std::string name;
  Bytes data;
};

std::vector<Sample> samples() {
  std::vector<Sample> s = {
      {"empty", {}},
      {"one", str("x")},
      {"two", str("xy")},
      {"three", str("xyx")},
      {"run", Bytes(3000, 'a')},
      {"random", random_bytes(20000, 1)},
      {"text", pseudo_text(30000, 2)},
  };
  Bytes all;  // every byte value, also in runs, so every text-mode literal code is used
  for (int r = 0; r < 3; r++)
    for (int b = 0; b < 256; b++) all.insert(all.end(), size_t(r + 1), uint8_t(b));
  s.push_back({"all_bytes", all});
  // Larger than every dictionary, with repeats both inside and beyond reach.
  Bytes large = random_bytes(9000, 3);
  Bytes again(large.begin(), large.begin() + 5000);
  large.insert(large.end(), again.begin(), again.end());
  Bytes txt = pseudo_text(40000, 4);
  large.insert(large.end(), txt.begin(), txt.end());
  s.push_back({"large", large});
  return s;
}

TEST(DclRoundTrip, BothModesAllDictionariesVariedData) {
  for (const auto &sample : samples()) {
    for (unsigned type : {DCL_BINARY, DCL_ASCII}) {
      for (unsigned dict : {1024u, 2048u, 4096u}) {
        SCOPED_TRACE(sample.name + " type " + std::to_string(type) + " dict " +
                     std::to_string(dict));
        Result packed = implode(sample.data, type, dict);
        ASSERT_EQ(packed.rc, DCL_OK);
        ASSERT_GE(packed.out.size(), 4u);
        EXPECT_EQ(packed.out[0], type);
        EXPECT_EQ(packed.out[1], dict == 1024 ? 4 : dict == 2048 ? 5 : 6);
        // Never worse than sending every byte as a literal.
        size_t n = sample.data.size();
        size_t literal_bits = (type == DCL_BINARY ? 9 : 14) * n + 16;
        EXPECT_LE(packed.out.size(), 2 + (literal_bits + 7) / 8 + (n == 0));
        Result back = explode(packed.out);
        EXPECT_EQ(back.rc, DCL_OK);
        EXPECT_EQ(back.out, sample.data);
      }
    }
  }
}

// Reads of one byte at a time on both sides give the same stream and the same data back.
TEST(DclRoundTrip, OneByteReadsGiveTheSameResult) {
  Bytes data = pseudo_text(12000, 5);  // longer than the decoder's 8 KB output buffer
  for (unsigned type : {DCL_BINARY, DCL_ASCII}) {
    Result whole = implode(data, type, 4096);
    Result bytewise = implode(data, type, 4096, 1);
    ASSERT_EQ(bytewise.rc, DCL_OK);
    EXPECT_EQ(bytewise.out, whole.out);
    Result back = explode(bytewise.out, 1);
    EXPECT_EQ(back.rc, DCL_OK);
    EXPECT_EQ(back.out, data);
  }
}

TEST(DclImplode, FindsRepeatsAndHonoursTheDictionarySize) {
  // A run collapses to a handful of copies.
  EXPECT_LT(implode(Bytes(100000, 0), DCL_BINARY, 1024).out.size(), 600u);
  // A random block repeated 3000 bytes later is reachable with 4096 only.
  Bytes block = random_bytes(3000, 6);
  Bytes twice = block;
  twice.insert(twice.end(), block.begin(), block.end());
  size_t near = implode(twice, DCL_BINARY, 4096).out.size();
  size_t far = implode(twice, DCL_BINARY, 1024).out.size();
  EXPECT_LT(near, 3000u * 9 / 8 + 200);
  EXPECT_GT(far, 6000u);  // 6000 random bytes cannot shrink
  // Text mode spends fewer bits on text literals.
  Bytes text = pseudo_text(20000, 7);
  EXPECT_LT(implode(text, DCL_ASCII, 4096).out.size(), implode(text, DCL_BINARY, 4096).out.size());
}

TEST(DclImplode, BadArgumentsAreRefusedWithoutOutput) {
  struct Case {
    unsigned type, dict, rc;
  } cases[] = {
      {2, 4096, DCL_INVALID_MODE},
      {DCL_BINARY, 1000, DCL_INVALID_DICTSIZE},
      {DCL_ASCII, 8192, DCL_INVALID_DICTSIZE},
      {7, 0, DCL_INVALID_DICTSIZE},
  };
  Bytes in = str("abc");
  for (const auto &c : cases) {
    SCOPED_TRACE(std::to_string(c.type) + "/" + std::to_string(c.dict));
    Result r = implode(in, c.type, c.dict);
    EXPECT_EQ(r.rc, c.rc);
    EXPECT_TRUE(r.out.empty());
  }
  WorkArea work(DCL_IMPLODE_WORK_SIZE);
  unsigned type = DCL_BINARY, dict = 4096;
  Pipe pipe{&in, 0, SIZE_MAX, {}};
  EXPECT_EQ(dcl_implode(Pipe::read, Pipe::write, work.get(), &pipe, nullptr, &dict),
            DCL_INVALID_MODE);
  EXPECT_EQ(dcl_implode(Pipe::read, Pipe::write, work.get(), &pipe, &type, nullptr),
            DCL_INVALID_DICTSIZE);
  EXPECT_EQ(dcl_implode(Pipe::read, Pipe::write, nullptr, &pipe, &type, &dict), DCL_ABORT);
}

// The empty input's stream carries one zero byte after the end marker: decoders derived from the
// classic library refuse a stream of 4 bytes or fewer.
TEST(DclImplode, EmptyInputStreamIsLongerThanFourBytes) {
  for (unsigned type : {DCL_BINARY, DCL_ASCII}) {
    Result r = implode({}, type, 2048);
    ASSERT_EQ(r.rc, DCL_OK);
    EXPECT_GT(r.out.size(), 4u);
    EXPECT_EQ(explode(r.out).rc, DCL_OK);
  }
}

// ---------------------------------------------------------------------------------------------

TEST(DclCrc32, KnownValueAndChaining) {
  char digits[] = "123456789";
  unsigned int size = 9;
  unsigned long start = 0xFFFFFFFFul;
  unsigned long reg = dcl_crc32(digits, &size, &start);
  EXPECT_EQ(reg, 0x340BC6D9ul);
  EXPECT_EQ(~reg & 0xFFFFFFFFul, 0xCBF43926ul);

  unsigned int first = 4, rest = 5;
  unsigned long mid = dcl_crc32(digits, &first, &start);
  EXPECT_EQ(dcl_crc32(digits + 4, &rest, &mid), reg);

  unsigned int none = 0;
  EXPECT_EQ(dcl_crc32(digits, &none, &mid), mid);
}

}  // namespace
