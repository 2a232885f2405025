// Numbers read and written the way the C runtime does it, for byte-identical settings files.
#include "settings/crt_numbers.h"

#include <type_traits>

namespace {

struct ScannedNumber {
    uint64_t magnitude;
    bool negative;
    bool overflow; // magnitude went past 32 bits
};

int DigitValue(uint32_t c) {
    if (c >= '0' && c <= '9') return static_cast<int>(c - '0');
    if (c >= 'a' && c <= 'z') return static_cast<int>(c - 'a' + 10);
    if (c >= 'A' && c <= 'Z') return static_cast<int>(c - 'A' + 10);
    return 99;
}

bool IsCSpace(uint32_t c) {
    return c == ' ' || (c >= '\t' && c <= '\r');
}

// Char is char or char16_t; units are compared as unsigned values so bytes
// above 0x7F never look like digits or spaces.
template <typename Char> ScannedNumber Scan(const Char* text, int base) {
    using Unit = typename std::make_unsigned<Char>::type;
    auto at = [&](int i) { return static_cast<uint32_t>(static_cast<Unit>(text[i])); };
    ScannedNumber result{0, false, false};
    if (!text) return result;
    while (IsCSpace(at(0))) ++text;
    if (at(0) == '+' || at(0) == '-') {
        result.negative = at(0) == '-';
        ++text;
    }
    if ((base == 0 || base == 16) && at(0) == '0' && (at(1) == 'x' || at(1) == 'X')) {
        // "0x" with no hex digit after it reads as 0 either way.
        text += 2;
        base = 16;
    } else if (base == 0) {
        base = at(0) == '0' ? 8 : 10;
    }
    for (;; ++text) {
        int digit = DigitValue(at(0));
        if (digit >= base) break;
        if (!result.overflow) {
            result.magnitude = result.magnitude * static_cast<uint64_t>(base) + digit;
            if (result.magnitude > 0xFFFFFFFFu) result.overflow = true;
        }
    }
    return result;
}

int32_t ToLong(const ScannedNumber& n) {
    if (n.negative) {
        if (n.overflow || n.magnitude > 0x80000000u) return INT32_MIN;
        return static_cast<int32_t>(0 - static_cast<uint32_t>(n.magnitude));
    }
    if (n.overflow || n.magnitude > 0x7FFFFFFFu) return INT32_MAX;
    return static_cast<int32_t>(n.magnitude);
}

uint32_t ToULong(const ScannedNumber& n) {
    if (n.overflow) return UINT32_MAX;
    uint32_t value = static_cast<uint32_t>(n.magnitude);
    return n.negative ? 0 - value : value;
}

} // namespace

int32_t WideToLong(const char16_t* text) {
    return ToLong(Scan(text, 0));
}

uint32_t WideToULong(const char16_t* text) {
    return ToULong(Scan(text, 0));
}

uint32_t HexToULong(const char* text) {
    return ToULong(Scan(text, 16));
}
