// The numbers the C runtime's wcstol / wcstoul (base 0) and strtoul (base 16)
// give on Windows, where long is 32 bits: the settings file reads the same on
// every platform. Only ASCII white space and digits count.
#pragma once

#include <cstdint>

// wcstol base 0: white space, sign, "0x" hex, leading 0 octal, else decimal;
// stops at the first character that does not fit; no digits give 0; out of
// range saturates to INT32_MAX or INT32_MIN.
int32_t WideToLong(const char16_t* text);

// wcstoul base 0: as above; a minus sign negates modulo 2^32; a magnitude
// above UINT32_MAX gives UINT32_MAX whatever the sign.
uint32_t WideToULong(const char16_t* text);

// strtoul base 16 (an optional "0x" is allowed), same saturation.
uint32_t HexToULong(const char* text);
