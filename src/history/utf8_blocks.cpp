#include "history/utf8_blocks.h"

#if defined(__x86_64__) || defined(__i386__)
#include <immintrin.h>
#define TELLWICK_UTF8_BLOCKS 1
#endif

namespace tellwick {

#if defined(TELLWICK_UTF8_BLOCKS)
namespace {

// Sixteen bytes at a time, by the lookup method of Keiser and Lemire
// ("Validating UTF-8 In Less Than One Instruction Per Byte", 2021): three
// table lookups on the high and low nibbles of each byte and of the byte
// before it name every fault a pair of bytes can show; the third and fourth
// bytes of long sequences are checked apart. Each bit is one kind of fault.
constexpr char kTooShort = 1 << 0;                     // a lead or ASCII byte where a continuation was due
constexpr char kTooLong = 1 << 1;                      // a continuation after ASCII
constexpr char kOverlong3 = 1 << 2;                    // E0 80..9F
constexpr char kTooLarge = 1 << 3;                     // F4 90.. and above
constexpr char kSurrogate = 1 << 4;                    // ED A0..BF
constexpr char kOverlong2 = 1 << 5;                    // C0, C1
constexpr char kTooLarge1000 = 1 << 6;                 // F5.. 80..8F
constexpr char kOverlong4 = 1 << 6;                    // F0 80..8F
constexpr char kTwoConts = static_cast<char>(1 << 7);  // a continuation after a continuation
constexpr char kCarry = kTooShort | kTooLong | kTwoConts;

__attribute__((target("ssse3"))) __m128i lookup(__m128i nibbles, __m128i table) {
  return _mm_shuffle_epi8(table, nibbles);
}

__attribute__((target("ssse3"))) __m128i high_nibbles(__m128i bytes) {
  return _mm_and_si128(_mm_srli_epi16(bytes, 4), _mm_set1_epi8(0x0F));
}

// The faults of the block `input`, whose 16 bytes follow those of `previous`.
__attribute__((target("ssse3"))) __m128i block_faults(__m128i input, __m128i previous) {
  const __m128i first_high =
      _mm_setr_epi8(kTooLong, kTooLong, kTooLong, kTooLong, kTooLong, kTooLong, kTooLong, kTooLong, kTwoConts,
                    kTwoConts, kTwoConts, kTwoConts, kTooShort | kOverlong2, kTooShort,
                    kTooShort | kOverlong3 | kSurrogate, kTooShort | kTooLarge | kTooLarge1000 | kOverlong4);
  const __m128i first_low = _mm_setr_epi8(
      kCarry | kOverlong3 | kOverlong2 | kOverlong4, kCarry | kOverlong2, kCarry, kCarry, kCarry | kTooLarge,
      kCarry | kTooLarge | kTooLarge1000, kCarry | kTooLarge | kTooLarge1000, kCarry | kTooLarge | kTooLarge1000,
      kCarry | kTooLarge | kTooLarge1000, kCarry | kTooLarge | kTooLarge1000, kCarry | kTooLarge | kTooLarge1000,
      kCarry | kTooLarge | kTooLarge1000, kCarry | kTooLarge | kTooLarge1000,
      kCarry | kTooLarge | kTooLarge1000 | kSurrogate, kCarry | kTooLarge | kTooLarge1000,
      kCarry | kTooLarge | kTooLarge1000);
  const __m128i second_high = _mm_setr_epi8(
      kTooShort, kTooShort, kTooShort, kTooShort, kTooShort, kTooShort, kTooShort, kTooShort,
      kTooLong | kOverlong2 | kTwoConts | kOverlong3 | kTooLarge1000 | kOverlong4,
      kTooLong | kOverlong2 | kTwoConts | kOverlong3 | kTooLarge,
      kTooLong | kOverlong2 | kTwoConts | kSurrogate | kTooLarge,
      kTooLong | kOverlong2 | kTwoConts | kSurrogate | kTooLarge, kTooShort, kTooShort, kTooShort, kTooShort);

  const __m128i prev1 = _mm_alignr_epi8(input, previous, 15);
  const __m128i pair_faults = _mm_and_si128(_mm_and_si128(lookup(high_nibbles(prev1), first_high),
                                                          lookup(_mm_and_si128(prev1, _mm_set1_epi8(0x0F)), first_low)),
                                            lookup(high_nibbles(input), second_high));
  // A byte two after a three- or four-byte lead, or three after a four-byte
  // lead, must be a continuation: exactly where the pair check saw two.
  const __m128i prev2 = _mm_alignr_epi8(input, previous, 14);
  const __m128i prev3 = _mm_alignr_epi8(input, previous, 13);
  const __m128i third = _mm_subs_epu8(prev2, _mm_set1_epi8(static_cast<char>(0xE0 - 0x80)));
  const __m128i fourth = _mm_subs_epu8(prev3, _mm_set1_epi8(static_cast<char>(0xF0 - 0x80)));
  const __m128i must_continue = _mm_and_si128(_mm_or_si128(third, fourth), _mm_set1_epi8(static_cast<char>(0x80)));
  return _mm_xor_si128(must_continue, pair_faults);
}

// Bytes at the end of a block that start a sequence the block does not
// finish: a lead of four bytes in the last three places, of three in the
// last two, of two in the last.
__attribute__((target("ssse3"))) __m128i unfinished(__m128i input) {
  const __m128i limits = _mm_setr_epi8(-1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, static_cast<char>(0xF0 - 1),
                                       static_cast<char>(0xE0 - 1), static_cast<char>(0xC0 - 1));
  return _mm_subs_epu8(input, limits);
}

__attribute__((target("ssse3"))) std::size_t well_formed_blocks_ssse3(const std::uint8_t* data, std::size_t size) {
  __m128i previous = _mm_setzero_si128();
  __m128i previous_unfinished = _mm_setzero_si128();
  __m128i faults = _mm_setzero_si128();
  std::size_t pos = 0;
  std::size_t checked = 0;  // every block before it is well-formed and ends a sequence
  for (; pos + 16 <= size; pos += 16) {
    const __m128i input = _mm_loadu_si128(reinterpret_cast<const __m128i*>(data + pos));
    if (_mm_movemask_epi8(input) == 0) {
      // ASCII: only a sequence left open by the block before is a fault.
      faults = _mm_or_si128(faults, previous_unfinished);
      previous_unfinished = _mm_setzero_si128();
    } else {
      faults = _mm_or_si128(faults, block_faults(input, previous));
      previous_unfinished = unfinished(input);
    }
    previous = input;
    // Looked at every few blocks: a fault is rare, a branch per block is not free.
    if ((pos & 0x3F0) == 0x3F0 || pos + 32 > size) {
      if (_mm_movemask_epi8(_mm_cmpeq_epi8(faults, _mm_setzero_si128())) != 0xFFFF) return checked;
      if (_mm_movemask_epi8(_mm_cmpeq_epi8(previous_unfinished, _mm_setzero_si128())) == 0xFFFF) checked = pos + 16;
    }
  }
  return checked;
}

// The same method thirty-two bytes at a time. The lookups work in each half
// of the register, so every table is given twice; the bytes before a block
// are taken across its halves.
__attribute__((target("avx2"))) __m256i twice(__m128i table) { return _mm256_broadcastsi128_si256(table); }

__attribute__((target("avx2"))) __m256i high_nibbles(__m256i bytes) {
  return _mm256_and_si256(_mm256_srli_epi16(bytes, 4), _mm256_set1_epi8(0x0F));
}

// The block `input` moved on by `n` bytes, the last `n` of `previous` in front.
template <int n>
__attribute__((target("avx2"))) __m256i before(__m256i input, __m256i previous) {
  return _mm256_alignr_epi8(input, _mm256_permute2x128_si256(previous, input, 0x21), 16 - n);
}

__attribute__((target("avx2"))) __m256i block_faults(__m256i input, __m256i previous) {
  const __m256i first_high =
      twice(_mm_setr_epi8(kTooLong, kTooLong, kTooLong, kTooLong, kTooLong, kTooLong, kTooLong, kTooLong, kTwoConts,
                          kTwoConts, kTwoConts, kTwoConts, kTooShort | kOverlong2, kTooShort,
                          kTooShort | kOverlong3 | kSurrogate, kTooShort | kTooLarge | kTooLarge1000 | kOverlong4));
  const __m256i first_low = twice(_mm_setr_epi8(
      kCarry | kOverlong3 | kOverlong2 | kOverlong4, kCarry | kOverlong2, kCarry, kCarry, kCarry | kTooLarge,
      kCarry | kTooLarge | kTooLarge1000, kCarry | kTooLarge | kTooLarge1000, kCarry | kTooLarge | kTooLarge1000,
      kCarry | kTooLarge | kTooLarge1000, kCarry | kTooLarge | kTooLarge1000, kCarry | kTooLarge | kTooLarge1000,
      kCarry | kTooLarge | kTooLarge1000, kCarry | kTooLarge | kTooLarge1000,
      kCarry | kTooLarge | kTooLarge1000 | kSurrogate, kCarry | kTooLarge | kTooLarge1000,
      kCarry | kTooLarge | kTooLarge1000));
  const __m256i second_high = twice(_mm_setr_epi8(
      kTooShort, kTooShort, kTooShort, kTooShort, kTooShort, kTooShort, kTooShort, kTooShort,
      kTooLong | kOverlong2 | kTwoConts | kOverlong3 | kTooLarge1000 | kOverlong4,
      kTooLong | kOverlong2 | kTwoConts | kOverlong3 | kTooLarge,
      kTooLong | kOverlong2 | kTwoConts | kSurrogate | kTooLarge,
      kTooLong | kOverlong2 | kTwoConts | kSurrogate | kTooLarge, kTooShort, kTooShort, kTooShort, kTooShort));

  const __m256i prev1 = before<1>(input, previous);
  const __m256i pair_faults = _mm256_and_si256(
      _mm256_and_si256(_mm256_shuffle_epi8(first_high, high_nibbles(prev1)),
                       _mm256_shuffle_epi8(first_low, _mm256_and_si256(prev1, _mm256_set1_epi8(0x0F)))),
      _mm256_shuffle_epi8(second_high, high_nibbles(input)));
  const __m256i third = _mm256_subs_epu8(before<2>(input, previous), _mm256_set1_epi8(static_cast<char>(0xE0 - 0x80)));
  const __m256i fourth = _mm256_subs_epu8(before<3>(input, previous), _mm256_set1_epi8(static_cast<char>(0xF0 - 0x80)));
  const __m256i must_continue =
      _mm256_and_si256(_mm256_or_si256(third, fourth), _mm256_set1_epi8(static_cast<char>(0x80)));
  return _mm256_xor_si256(must_continue, pair_faults);
}

__attribute__((target("avx2"))) __m256i unfinished(__m256i input) {
  const __m256i limits = _mm256_setr_epi8(-1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1,
                                          -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, static_cast<char>(0xF0 - 1),
                                          static_cast<char>(0xE0 - 1), static_cast<char>(0xC0 - 1));
  return _mm256_subs_epu8(input, limits);
}

__attribute__((target("avx2"))) bool all_zero(__m256i v) { return _mm256_testz_si256(v, v) != 0; }

__attribute__((target("avx2"))) std::size_t well_formed_blocks_avx2(const std::uint8_t* data, std::size_t size) {
  __m256i previous = _mm256_setzero_si256();
  __m256i previous_unfinished = _mm256_setzero_si256();
  __m256i faults = _mm256_setzero_si256();
  std::size_t pos = 0;
  std::size_t checked = 0;
  for (; pos + 32 <= size; pos += 32) {
    const __m256i input = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(data + pos));
    if (_mm256_movemask_epi8(input) == 0) {
      faults = _mm256_or_si256(faults, previous_unfinished);
      previous_unfinished = _mm256_setzero_si256();
    } else {
      faults = _mm256_or_si256(faults, block_faults(input, previous));
      previous_unfinished = unfinished(input);
    }
    previous = input;
    if ((pos & 0x3E0) == 0x3E0 || pos + 64 > size) {
      if (!all_zero(faults)) return checked;
      if (all_zero(previous_unfinished)) checked = pos + 32;
    }
  }
  return checked;
}

bool has_ssse3() {
  static const bool supported = __builtin_cpu_supports("ssse3");
  return supported;
}

bool has_avx2() {
  static const bool supported = __builtin_cpu_supports("avx2");
  return supported;
}

}  // namespace

std::size_t well_formed_utf8_blocks(const std::uint8_t* data, std::size_t size, Utf8Blocks blocks) {
  if (blocks == Utf8Blocks::kWidest && has_avx2()) return well_formed_blocks_avx2(data, size);
  return has_ssse3() ? well_formed_blocks_ssse3(data, size) : 0;
}

#else

std::size_t well_formed_utf8_blocks(const std::uint8_t*, std::size_t, Utf8Blocks) { return 0; }

#endif

}  // namespace tellwick
