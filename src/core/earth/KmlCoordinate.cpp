#include "earth/KmlCoordinate.h"

#include <array>
#include <bit>
#include <charconv>
#include <cstdint>
#include <cstring>

namespace vireo {

namespace {

constexpr std::uint64_t kPow10[] = {1,           10,           100,          1000,      10000,
                                    100000,      1000000,      10000000,     100000000, 1000000000,
                                    10000000000, 100000000000, 1000000000000};

// The fast path takes floats of biased binary exponent kFastMinBiased (magnitudes from 2^-16)
// up to 149 (below 2^23), where coordinates always fall. Such a float is m * 2^-shift with a
// 24-bit m (leading bit included) and 1 <= shift <= 39. Its decimal exponent, floor(log10), is
// `exponent`, or one more from m >= threshold on (a binade never spans two powers of ten); its
// seven digits are m * 10^(6 - decimal exponent) * 2^-shift, rounded. The scale carries
// 2^(39 - shift) as well, so that every row drops the same 39 bits: the product is the digits
// times 2^39, below 10^7 * 2^39 < 2^63.
constexpr int kFastMinBiased = 111;
constexpr int kFractionBits = 39;
struct alignas(32) FastRow {
    std::uint64_t scale[2];  // below the threshold and from it
    std::uint32_t threshold;
    int exponent;
};

constexpr std::array<FastRow, 150 - kFastMinBiased> kFastRows = [] {
    std::array<FastRow, 150 - kFastMinBiased> rows{};
    for (int biased = kFastMinBiased; biased < 150; ++biased) {
        const int shift = 150 - biased;
        const int power = biased - 127;  // the binade starts at 2^power
        // The largest e with 10^e <= 2^power.
        int e = 0;
        if (power >= 0) {
            while (kPow10[e + 1] <= std::uint64_t{1} << power) ++e;
        } else {
            while (kPow10[-e] < std::uint64_t{1} << -power) --e;
        }
        // The least m with m * 2^-shift >= 10^(e + 1); 2^24 when the binade ends below it.
        std::uint64_t threshold = 0;
        if (e + 1 >= 0) {
            threshold = kPow10[e + 1] << shift;
        } else {
            const std::uint64_t divisor = kPow10[-(e + 1)];
            threshold = ((std::uint64_t{1} << shift) + divisor - 1) / divisor;
        }
        if (threshold > std::uint64_t{1} << 24) threshold = std::uint64_t{1} << 24;
        const int extra = kFractionBits - shift;
        rows[biased - kFastMinBiased] = {
            {kPow10[6 - e] << extra, e < 6 ? kPow10[5 - e] << extra : 0},
            static_cast<std::uint32_t>(threshold),
            e};
    }
    return rows;
}();

// How a number of a decimal exponent from -6 to 6 (index exponent + 6) is laid out. From 0 on:
// the whole part (`whole` digits, under `mask`), the point, and the other digits one byte up,
// with the point cut off when no fraction is left. Below 0: "0." and zeros, the prefix, before
// the digits.
struct Form {
    std::uint64_t mask;
    std::uint64_t point;
    int whole;
    int pointChars;
    int prefixChars;
};

constexpr std::array<Form, 13> kForms = [] {
    std::array<Form, 13> forms{};
    for (int e = -6; e <= 6; ++e) {
        const int w = e + 1;
        forms[e + 6] =
            e < 0 ? Form{~std::uint64_t{0}, 0, 0, 0, 1 - e}
                  : Form{~std::uint64_t{0} >> (64 - 8 * w), std::uint64_t{'.'} << (8 * w), w, 1, 0};
    }
    return forms;
}();

// The four digits of 0 to 9999 as text, the first in the lowest byte.
constexpr std::array<std::uint32_t, 10000> kQuads = [] {
    std::array<std::uint32_t, 10000> quads{};
    for (std::uint32_t i = 0; i < 10000; ++i) {
        quads[i] = ('0' + i / 1000) | ('0' + i / 100 % 10) << 8 | ('0' + i / 10 % 10) << 16 |
                   ('0' + i % 10) << 24;
    }
    return quads;
}();

// The three digits of 0 to 999 as text, and in the high byte how many of them are left when
// trailing zeros are dropped.
constexpr std::array<std::uint32_t, 1000> kTriples = [] {
    std::array<std::uint32_t, 1000> triples{};
    for (std::uint32_t i = 0; i < 1000; ++i) {
        const std::uint32_t kept = i == 0 ? 0 : i % 10 ? 3 : i % 100 ? 2 : 1;
        triples[i] = ('0' + i / 100) | ('0' + i / 10 % 10) << 8 | ('0' + i % 10) << 16 | kept << 24;
    }
    return triples;
}();

// Writes the eight bytes of `v`, its lowest byte first.
inline void StoreBytes(char* out, std::uint64_t v) {
    if constexpr (std::endian::native == std::endian::little) {
        std::memcpy(out, &v, 8);
    } else {
        for (int i = 0; i < 8; ++i) out[i] = static_cast<char>(v >> (8 * i));
    }
}

// The text of a float on the fast path, worked out before anything is written: sign, prefix
// (prefixChars bytes of "0.000000") and body.
struct FastText {
    std::uint64_t body;
    int bodyChars;
    int prefixChars;
    bool negative;
    bool ok;  // false: the float is not on the fast path, and the rest is meaningless
};

[[gnu::always_inline]] inline FastText ToFastText(float value) {
    const auto bits = std::bit_cast<std::uint32_t>(value);
    unsigned row = ((bits >> 23) & 0xFF) - kFastMinBiased;
    const bool inRange = row < kFastRows.size();
    row = inRange ? row : 0;  // any row: the result is not used
    const FastRow& fast = kFastRows[row];
    const std::uint64_t m = (bits & 0x7FFFFF) | 0x800000;
    const bool up = m >= fast.threshold;
    // Seven digits rounded half to even from the exact value: adding just under half, plus one
    // when the quotient is odd, carries exactly when rounding up.
    const std::uint64_t scaled = m * fast.scale[up];
    const std::uint64_t half = (std::uint64_t{1} << (kFractionBits - 1)) - 1;
    std::uint64_t n = (scaled + half + ((scaled >> kFractionBits) & 1)) >> kFractionBits;
    const bool carry = n == kPow10[7];  // rounded up to the next power of ten
    n = carry ? kPow10[6] : n;
    const int exponent = fast.exponent + up + carry;
    // The digits as text, the first in the lowest byte and the eighth byte zero; `count` leaves
    // out the trailing zeros.
    const auto n32 = static_cast<std::uint32_t>(n);
    const std::uint32_t thousands = n32 / 1000;
    const std::uint32_t low = kTriples[n32 - thousands * 1000];
    const std::uint64_t text = kQuads[thousands] | std::uint64_t{low & 0xFFFFFF} << 32;
    int count = 4 + static_cast<int>(low >> 24);
    if (count == 4) {  // the last three are zeros: the first four decide
        const std::uint64_t digits = text - 0x0030303030303030;
        count = 8 - static_cast<int>(static_cast<unsigned>(std::countl_zero(digits)) >> 3);
    }
    const Form& form = kForms[exponent + 6];
    FastText t;
    t.body = (text & form.mask) | ((text & ~form.mask) << 8) | form.point;
    t.bodyChars = count > form.whole ? count + form.pointChars : form.whole;
    t.prefixChars = form.prefixChars;
    t.negative = bits >> 31;
    t.ok = inRange & (exponent >= -4);  // smaller ones are written in exponent form
    return t;
}

[[gnu::always_inline]] inline char* WriteFastText(const FastText& t, char* out) {
    *out = '-';
    out += t.negative;
    std::memcpy(out, "0.000000", 8);
    out += t.prefixChars;
    StoreBytes(out, t.body);
    return out + t.bodyChars;
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
    const FastText t = ToFastText(value);
    return t.ok ? WriteFastText(t, out) : FormatSlow(value, out);
}

char* FormatCoordinatePair(float first, float second, char* out) {
    const FastText a = ToFastText(first);
    const FastText b = ToFastText(second);
    if (!(a.ok & b.ok)) {
        out = FormatCoordinate(first, out);
        *out++ = ',';
        return FormatCoordinate(second, out);
    }
    out = WriteFastText(a, out);
    *out++ = ',';
    return WriteFastText(b, out);
}

std::string CoordinateText(float value) {
    char buf[kMaxCoordinateChars];
    return std::string(buf, FormatCoordinate(value, buf));
}

}  // namespace vireo
