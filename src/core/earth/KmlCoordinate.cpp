#include "earth/KmlCoordinate.h"

#include <bit>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstring>

namespace vireo {

namespace {

constexpr char kDigitPairs[] =
    "00010203040506070809101112131415161718192021222324252627282930313233343536373839"
    "40414243444546474849505152535455565758596061626364656667686970717273747576777879"
    "8081828384858687888990919293949596979899";

constexpr std::uint64_t kPow10[] = {1,           10,           100,          1000,      10000,
                                    100000,      1000000,      10000000,     100000000, 1000000000,
                                    10000000000, 100000000000, 1000000000000};

// Decimal exponents the fast path covers before rounding; coordinates always fall here.
constexpr int kFastMinExponent = -5;
constexpr int kFastMaxExponent = 6;
constexpr double kPow10Double[] = {1e-5, 1e-4, 1e-3, 1e-2, 1e-1, 1e0, 1e1, 1e2, 1e3, 1e4, 1e5, 1e6};

// round-half-even(m * 2^-shift * 10^k) for 0 <= k <= 11 and 0 <= shift < 64.
std::uint64_t ScaledDigits(std::uint64_t m, int shift, int k) {
    const std::uint64_t scaled = m * kPow10[k];  // below 2^24 * 10^11 < 2^64
    if (shift == 0) return scaled;
    const std::uint64_t whole = scaled >> shift;
    const std::uint64_t rest = scaled & ((std::uint64_t{1} << shift) - 1);
    const std::uint64_t half = std::uint64_t{1} << (shift - 1);
    if (rest > half || (rest == half && (whole & 1))) return whole + 1;
    return whole;
}

// Writes a plain decimal from `digits` (no leading zero) scaled by 10^(exponent) for the first
// digit, trailing zeros dropped.
char* WritePlain(const char* digits, int count, int exponent, char* out) {
    while (count > 1 && digits[count - 1] == '0') --count;
    if (exponent < 0) {
        *out++ = '0';
        *out++ = '.';
        for (int i = -1; i > exponent; --i) *out++ = '0';
        std::memcpy(out, digits, static_cast<std::size_t>(count));
        return out + count;
    }
    const int whole = exponent + 1;
    for (int i = 0; i < whole; ++i) *out++ = i < count ? digits[i] : '0';
    if (count > whole) {
        *out++ = '.';
        std::memcpy(out, digits + whole, static_cast<std::size_t>(count - whole));
        out += count - whole;
    }
    return out;
}

// Magnitudes outside the fast path, zero and non-finite values: the standard conversion, with
// an exponent form rewritten as a plain decimal.
char* FormatSlow(float value, char* out) {
    char buf[32];
    const auto [end, ec] =
        std::to_chars(buf, buf + sizeof buf, value, std::chars_format::general, 7);
    std::string_view text(buf, static_cast<std::size_t>(end - buf));
    const auto e = text.find('e');
    if (ec != std::errc() || e == std::string_view::npos) {
        std::memcpy(out, text.data(), text.size());
        return out + text.size();
    }
    int exponent = 0;
    std::from_chars(text.data() + e + (text[e + 1] == '+' ? 2 : 1), text.data() + text.size(),
                    exponent);
    std::string_view mantissa = text.substr(0, e);
    if (mantissa.front() == '-') {
        *out++ = '-';
        mantissa.remove_prefix(1);
    }
    char digits[16];
    int count = 0;
    for (char c : mantissa) {
        if (c != '.') digits[count++] = c;
    }
    return WritePlain(digits, count, exponent, out);
}

}  // namespace

char* FormatCoordinate(float value, char* out) {
    const auto bits = std::bit_cast<std::uint32_t>(value);
    const int biased = static_cast<int>((bits >> 23) & 0xFF);
    if (biased == 0 || biased == 0xFF) return FormatSlow(value, out);  // zero, tiny, inf, nan
    const std::uint64_t m = (bits & 0x7FFFFF) | 0x800000;
    const int shift = 150 - biased;  // |value| = m * 2^-shift
    const double magnitude = std::fabs(static_cast<double>(value));
    if (shift < 0 || shift > 63 || magnitude < kPow10Double[0] || magnitude >= 1e7) {
        return FormatSlow(value, out);
    }
    // floor(log10(magnitude)) from the binary exponent (log10(2) ~ 1233 / 4096), which is right
    // or one too small, then checked against the next power of ten.
    int exponent = ((biased - 127) * 1233) >> 12;
    if (exponent < kFastMinExponent) exponent = kFastMinExponent;
    if (exponent < kFastMaxExponent && magnitude >= kPow10Double[exponent + 1 - kFastMinExponent]) {
        ++exponent;
    }
    // Seven digits at that exponent; rounding may carry into an eighth, and the estimate may be
    // one off near powers of ten, so it is corrected and the digits taken again.
    std::uint64_t n = 0;
    for (;;) {
        n = ScaledDigits(m, shift, 6 - exponent);
        if (n >= kPow10[7]) {
            ++exponent;
        } else if (n < kPow10[6]) {
            --exponent;
        } else {
            break;
        }
        if (exponent < -4 || exponent > kFastMaxExponent) return FormatSlow(value, out);
    }
    if (exponent < -4) return FormatSlow(value, out);
    if (bits >> 31) *out++ = '-';
    // The seven digits, two at a time, padded so that fixed-size copies may read past them.
    char digits[16] = {};
    const auto head = static_cast<std::uint32_t>(n / 1000000);
    const auto rest = static_cast<std::uint32_t>(n % 1000000);
    digits[0] = static_cast<char>('0' + head);
    std::memcpy(digits + 1, kDigitPairs + 2 * (rest / 10000), 2);
    std::memcpy(digits + 3, kDigitPairs + 2 * (rest / 100 % 100), 2);
    std::memcpy(digits + 5, kDigitPairs + 2 * (rest % 100), 2);
    int count = 7;
    while (count > 1 && digits[count - 1] == '0') --count;
    if (exponent >= 0) {
        // Whole part, point and fraction written with fixed 8-byte copies, then cut to length.
        const int whole = exponent + 1;
        std::memcpy(out, digits, 8);
        if (count <= whole) return out + whole;
        out[whole] = '.';
        std::memcpy(out + whole + 1, digits + whole, 8);
        return out + count + 1;
    }
    *out++ = '0';
    *out++ = '.';
    for (int i = -1; i > exponent; --i) *out++ = '0';
    std::memcpy(out, digits, 8);
    return out + count;
}

std::string CoordinateText(float value) {
    char buf[kMaxCoordinateChars];
    return std::string(buf, FormatCoordinate(value, buf));
}

}  // namespace vireo
