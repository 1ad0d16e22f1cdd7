// The check code of an item and materia pair: two accumulators run over the
// ANSI bytes of both names and print as one decimal string, normally twelve
// digits. It depends on the ANSI code page (932 on the systems the program is
// made for, and always 932 in the POSIX build).
#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>

namespace tellwick {

constexpr std::uint32_t kCheckStartA = 369955;
constexpr std::uint32_t kCheckStartB = 756847;
constexpr std::uint32_t kCheckModulus = 1000000;  // subtracted once, never a remainder
constexpr std::uint32_t kCheckMinimum = 100000;   // smaller results get this added
constexpr std::uint32_t kCheckByteFactor = 17;
constexpr std::size_t kCheckCodeCapacity = 256;  // units, terminator included
// The ANSI form of one name is converted into 256 bytes and read up to its
// terminator; a longer form is cut after the last whole character that fits.
constexpr std::size_t kCheckNameAnsiMax = 254;

struct CheckAccumulators {
  std::uint32_t a = kCheckStartA;
  std::uint32_t b = kCheckStartB;
};

// Runs the accumulators over the bytes of one name; positions count from 1.
void accumulate_check_bytes(CheckAccumulators& acc, const unsigned char* bytes, std::size_t count);

// "%lu%lu" of both accumulators, each raised by 100000 when below it. Writes
// the zero-terminated code into `out` (kCheckCodeCapacity units) and returns
// its length.
std::size_t format_check_code(const CheckAccumulators& acc, char16_t* out);

// The check code of a pair of names.
std::size_t compute_check_code(std::u16string_view item, std::u16string_view materia, char16_t* out);

}  // namespace tellwick
