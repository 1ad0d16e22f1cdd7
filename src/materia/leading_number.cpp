#include "materia/leading_number.h"

namespace tellwick {
namespace {

// First units of the runs of ten decimal digits that the Windows C library
// accepts besides "0" to "9" (Arabic-Indic, Devanagari, Thai, full-width...).
constexpr char16_t kOtherDigitZeros[] = {0x0660, 0x06F0, 0x0966, 0x09E6, 0x0A66, 0x0AE6, 0x0B66, 0x0C66, 0x0CE6,
                                         0x0D66, 0x0E50, 0x0ED0, 0x0F20, 0x1040, 0x17E0, 0x1810, 0xFF10};
constexpr int kDigitsPerRun = 10;

// One past the largest magnitude a clamped result can need (2^31).
constexpr std::int64_t kMagnitudeLimit = std::int64_t{1} << 31;

}  // namespace

bool is_c_library_space(char16_t unit) {
  if (unit < 0x80) return unit == u' ' || (unit >= 0x09 && unit <= 0x0D);
  switch (unit) {
    case 0x00A0:
    case 0x1680:
    case 0x2028:
    case 0x2029:
    case 0x202F:
    case 0x205F:
    case 0x3000: return true;
    default: return unit >= 0x2000 && unit <= 0x200A;
  }
}

int c_library_digit_value(char16_t unit) {
  if (unit >= u'0' && unit <= u'9') return unit - u'0';
  if (unit < kOtherDigitZeros[0]) return -1;
  for (char16_t zero : kOtherDigitZeros) {
    if (unit >= zero && unit < zero + kDigitsPerRun) return unit - zero;
  }
  return -1;
}

std::int32_t leading_number(const char16_t* line) {
  const char16_t* p = line;
  while (is_c_library_space(*p)) ++p;
  bool negative = false;
  if (*p == u'-' || *p == u'+') negative = *p++ == u'-';
  std::int64_t magnitude = 0;
  for (int digit = c_library_digit_value(*p); digit >= 0; digit = c_library_digit_value(*++p)) {
    magnitude = magnitude * 10 + digit;
    if (magnitude >= kMagnitudeLimit) return negative ? kLeadingNumberMin : kLeadingNumberMax;
  }
  return static_cast<std::int32_t>(negative ? -magnitude : magnitude);
}

}  // namespace tellwick
