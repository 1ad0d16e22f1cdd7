#include "materia/check_code.h"

#include "platform/encoding.h"

namespace tellwick {
namespace {

constexpr std::size_t kUint32Digits = 10;

void accumulate_name(CheckAccumulators& acc, std::u16string_view name) {
  char ansi[kCheckNameAnsiMax];
  const std::size_t n = utf16_to_ansi(name.data(), name.size(), ansi, kCheckNameAnsiMax);
  std::size_t end = 0;
  while (end < n && ansi[end] != '\0') ++end;  // the name is read up to its terminator
  accumulate_check_bytes(acc, reinterpret_cast<const unsigned char*>(ansi), end);
}

std::size_t append_decimal(std::uint32_t value, char16_t* out) {
  char16_t digits[kUint32Digits];
  std::size_t count = 0;
  do {
    digits[count++] = static_cast<char16_t>(u'0' + value % 10);
    value /= 10;
  } while (value != 0);
  for (std::size_t i = 0; i < count; ++i) out[i] = digits[count - 1 - i];
  return count;
}

std::uint32_t raised(std::uint32_t value) { return value >= kCheckMinimum ? value : value + kCheckMinimum; }

}  // namespace

void accumulate_check_bytes(CheckAccumulators& acc, const unsigned char* bytes, std::size_t count) {
  for (std::size_t i = 0; i < count; ++i) {
    const std::uint32_t b = bytes[i];
    const std::uint32_t j = static_cast<std::uint32_t>(i + 1);
    acc.b += b * j * kCheckByteFactor;
    acc.a = 2 * acc.a + b;
    if (acc.a >= kCheckModulus) acc.a -= kCheckModulus;
    if (acc.b >= kCheckModulus) acc.b -= kCheckModulus;
  }
}

std::size_t format_check_code(const CheckAccumulators& acc, char16_t* out) {
  std::size_t n = append_decimal(raised(acc.a), out);
  n += append_decimal(raised(acc.b), out + n);
  out[n] = u'\0';
  return n;
}

std::size_t compute_check_code(std::u16string_view item, std::u16string_view materia, char16_t* out) {
  CheckAccumulators acc;
  accumulate_name(acc, item);
  accumulate_name(acc, materia);
  return format_check_code(acc, out);
}

}  // namespace tellwick
