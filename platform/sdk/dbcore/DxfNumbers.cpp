#include "DxfNumbers.h"

#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cstring>

namespace dxf {

namespace {

// The decimal digits of `n` into the end of `digits`; returns where they start. Most numbers fit
// 32 bits, whose divisions are the cheaper.
template <class Unsigned>
inline char* decimalDigitsOf(Unsigned n, char* end)
{
  static constexpr char kPairs[] = "00010203040506070809101112131415161718192021222324252627282930313233343536373839"
                                   "40414243444546474849505152535455565758596061626364656667686970717273747576777879"
                                   "8081828384858687888990919293949596979899";
  while (n >= 100) {
    const unsigned pair = unsigned(n % 100) * 2;
    n /= 100;
    *--end = kPairs[pair + 1];
    *--end = kPairs[pair];
  }
  if (n >= 10) {
    *--end = kPairs[n * 2 + 1];
    *--end = kPairs[n * 2];
  } else {
    *--end = char('0' + n);
  }
  return end;
}

inline char* decimalDigits(uint64_t n, char* end)
{
  return n <= 0xFFFFFFFFu ? decimalDigitsOf(uint32_t(n), end) : decimalDigitsOf(n, end);
}

constexpr uint64_t kWholePowers[] = {1ull,
                                     10ull,
                                     100ull,
                                     1000ull,
                                     10000ull,
                                     100000ull,
                                     1000000ull,
                                     10000000ull,
                                     100000000ull,
                                     1000000000ull,
                                     10000000000ull,
                                     100000000000ull,
                                     1000000000000ull,
                                     10000000000000ull,
                                     100000000000000ull,
                                     1000000000000000ull,
                                     10000000000000000ull,
                                     100000000000000000ull,
                                     1000000000000000000ull,
                                     10000000000000000000ull};

// Digits of n, from its bit length (log10 2 is about 1233 / 4096) and one comparison.
int digitCount(uint64_t n)
{
  const int bits = 64 - __builtin_clzll(n | 1);
  const int count = (bits * 1233) >> 12;
  return count + (n >= kWholePowers[count] ? 1 : 0);
}

// n (not 0) without its trailing zeros, each taking a decimal away; 32 bits divide faster.
template <class Unsigned>
Unsigned withoutTrailingZeros(Unsigned n, int& decimals)
{
  while (n % 10000 == 0)
    n /= 10000, decimals -= 4;
  if (n % 100 == 0)
    n /= 100, decimals -= 2;
  if (n % 10 == 0)
    n /= 10, --decimals;
  return n;
}

// The shortest decimal that reads back as `magnitude` (in [1e-3, 1e15)), as `whole` over 10 to
// the `decimals`, worked out exactly in 128-bit integers. The decimal of 15, then 16, then 17
// significant digits nearest to the value is tried: when any decimal of a length reads back, the
// nearest does, and no two decimals of at most 15 digits read back as one double. So the first
// that reads back is the shortest, and the nearest of the shortest, as std::to_chars chooses.
bool exactShortest(double magnitude, uint64_t& whole, int& decimals)
{
  uint64_t bits;
  std::memcpy(&bits, &magnitude, sizeof bits);
  const uint64_t fraction = bits & ((uint64_t(1) << 52) - 1);
  const uint64_t m = fraction | (uint64_t(1) << 52);
  const int shift = 1075 - int(bits >> 52); // magnitude = m / 2^shift
  // The doubles beside a power of two are not equally far; every one in range is a short decimal
  // anyway, which the caller's grid fits.
  if (!(magnitude >= 1e-3 && magnitude < 1e15) || fraction == 0 || shift < 1 || shift > 62)
    return false;
  typedef unsigned __int128 Wide;
  // Of the leading digit: 10^exponent <= magnitude. The doubles of 0.1, 0.01 and 0.001 lie above
  // those numbers, so comparing with them is exact.
  const int exponent = magnitude >= 1.0   ? digitCount(uint64_t(magnitude)) - 1
                       : magnitude >= 0.1  ? -1
                       : magnitude >= 0.01 ? -2
                                           : -3;
  for (int digits = 15; digits <= 17; ++digits) {
    const int places = digits - 1 - exponent;
    const Wide scaled = Wide(m) * kWholePowers[places];
    uint64_t n = uint64_t(scaled >> shift);
    const Wide rest = scaled - (Wide(n) << shift), half = Wide(1) << (shift - 1);
    if (rest > half || (rest == half && (n & 1)))
      ++n;
    // Both sides times 10^places * 2^(shift + 2): the decimal, the double, and half the gap to
    // the doubles beside it, all integers. A point halfway between two doubles here has over 17
    // digits, so no decimal tried lies on one.
    const Wide decimal = Wide(n) << (shift + 2), value = scaled * 4, gap = Wide(kWholePowers[places]) * 2;
    if ((decimal >= value ? decimal - value : value - decimal) < gap) {
      whole = n;
      decimals = places;
      return true;
    }
  }
  return false;
}

} // namespace

char* formatShortest(char* out, double value)
{
  // A value below 10^15 that, scaled by the largest power of ten that keeps it below 10^15 (at
  // most 10^9), is an integer reads back from that decimal exactly: both are exact doubles and
  // their quotient is rounded once. Its grid is coarser than two steps of the double there, so no
  // other decimal with as few decimals reads back too: the shortest digits are that integer's
  // without its trailing zeros. Other values from 10^-3 on are worked out exactly. std::to_chars
  // writes the digits in the shorter of fixed and scientific form, fixed where both are as long;
  // anything else goes to std::to_chars itself.
  static constexpr double kPowers[] = {1e0, 1e1, 1e2, 1e3, 1e4, 1e5, 1e6, 1e7, 1e8, 1e9};
  const double magnitude = std::fabs(value);
  if (value == 0.0 && !std::signbit(value)) {
    *out = '0';
    return out + 1;
  }
  if (!(magnitude < 1e15) || magnitude == 0.0)
    return std::to_chars(out, out + 32, value).ptr;
  int decimals = 9;
  while (decimals > 0 && !(magnitude * kPowers[decimals] < 1e15))
    --decimals;
  uint64_t whole = static_cast<uint64_t>(magnitude * kPowers[decimals] + 0.5);
  if (double(whole) / kPowers[decimals] != magnitude && !exactShortest(magnitude, whole, decimals))
    return std::to_chars(out, out + 32, value).ptr;
  // The integer part comes from the value itself, on whose side of every integer the decimal
  // lies; the fraction is what remains of the decimal.
  const uint64_t integer = static_cast<uint64_t>(magnitude);
  uint64_t fraction = whole - integer * kWholePowers[decimals];
  if (fraction == 0)
    decimals = 0;
  else
    fraction = fraction <= 0xFFFFFFFFu ? withoutTrailingZeros(uint32_t(fraction), decimals)
                                       : withoutTrailingZeros(fraction, decimals);
  char* const start = out;
  if (value < 0)
    *out++ = '-';
  if (integer > 0 && decimals > 0) {
    // Digits on both sides of the point: the fixed form is the shorter.
    char* const point = out + digitCount(integer);
    decimalDigits(integer, point);
    *point = '.';
    char* const end = point + 1 + decimals;
    std::memset(point + 1, '0', size_t(decimals));
    decimalDigits(fraction, end);
    return end;
  }
  // An integer, or a fraction below 1.
  whole = decimals > 0 ? fraction : integer;
  const int count = digitCount(whole);
  int significant = count; // an integer's trailing zeros are not significant
  if (decimals == 0)
    for (uint64_t rest = whole; significant > 1 && rest % 10 == 0; rest /= 10)
      --significant;
  const int exponent = count - 1 - decimals;
  const int fixedLength = exponent >= 0 ? count : 2 - exponent - 1 + count;
  const int scientificLength = significant + (significant > 1 ? 1 : 0) + 2 + (std::abs(exponent) >= 100 ? 3 : 2);
  if (fixedLength > scientificLength)
    return std::to_chars(start, start + 32, value).ptr;
  char* const end = out + fixedLength;
  if (exponent < 0) {
    // 0.00ddd: the digits right-aligned after the point and its zeros
    std::memset(out, '0', size_t(fixedLength - count));
    out[1] = '.';
  }
  decimalDigits(whole, end);
  return end;
}

} // namespace dxf
