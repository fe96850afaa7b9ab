#pragma once
// Text helpers of the engine: the bounded formatter, wide (16-bit) and 8-bit string helpers,
// and the conversions at the edges (UTF-8 for files, paths, the terminal and libraries).
//
// Wide text is 16-bit everywhere (char16_t). Every function that writes into a caller's
// buffer takes the buffer's capacity in characters (terminator included), truncates to it
// and always terminates when the capacity is above 0.
#include "VornelUtils/Status.h"

#include <cstdarg>
#include <cstddef>
#include <cstdint>
#include <string>

// ---------------------------------------------------------------------------------------
// Formatter
//
// Conversions: %s %S %c %d %i %u %x %X %p %f %%, with the flags '-' '0' '+' ' ' '#',
// a width and a precision (either may be '*'), and the length modifiers h, l, ll, I64.
// - In a wide format %s takes a wide (char16_t*) string and %S an 8-bit one; in an 8-bit
//   format %s takes an 8-bit string and %S a wide one. %hs is always 8-bit, %ls always wide.
//   An 8-bit string in wide output is widened byte by byte (0x00-0xFF); a wide character above
//   0xFF in 8-bit output becomes '?'. A null string prints "(null)".
// - %c takes an int: a 16-bit unit in a wide format, a byte in an 8-bit one.
// - %d %i %u %x %X take 32-bit values; 'l' keeps them 32-bit (a long was 32 bits where these
//   texts were written). "ll" and "I64" take 64-bit values.
// - %p prints the pointer in upper-case hexadecimal, zero-padded to the pointer's width.
// - %f takes a double; default precision 6. Numbers never depend on the locale.
// - An unknown conversion is copied to the output as written and consumes no argument.
// Output is truncated at capacity - 1 characters and always terminated (capacity 0 writes
// nothing). The result is the number of characters written, terminator excluded.
int UtilsString_Format(char16_t* buffer, size_t capacity, const char16_t* format, ...);
int UtilsString_VFormat(char16_t* buffer, size_t capacity, const char16_t* format, va_list args);
int UtilsString_FormatA(char* buffer, size_t capacity, const char* format, ...);
int UtilsString_VFormatA(char* buffer, size_t capacity, const char* format, va_list args);

// ---------------------------------------------------------------------------------------
// Basics

// Number of 16-bit units before the terminator; 0 for null.
size_t UtilsString_Length(const char16_t* text);

// Bounded copies: copy src (null counts as empty) into dst of `capacity` characters,
// truncating and terminating. False when the text was truncated or capacity is 0.
bool UtilsString_Copy(char16_t* dst, size_t capacity, const char16_t* src);
bool UtilsString_CopyA(char* dst, size_t capacity, const char* src);

// UTF-8 <-> 16-bit text. Surrogate pairs are combined/split; a lone surrogate or an invalid
// UTF-8 sequence becomes U+FFFD. Null gives an empty string.
std::string UtilsString_ToUtf8(const char16_t* text);
std::u16string UtilsString_FromUtf8(const char* utf8);

// Integer parsing with _wtoi/atoi rules: leading blanks, one optional sign, then digits; stops
// at the first other character; 0 when there are no digits or for null. Saturates at the
// int32_t limits.
int32_t UtilsString_ToInt(const char16_t* text);
int32_t UtilsString_ToIntA(const char* text);

// ---------------------------------------------------------------------------------------
// 8-bit helpers shared with the script language

// Copies src keeping the low byte of each 16-bit unit; truncates to capacity and terminates.
// Null src gives an empty destination.
void WideToAnsiCopy(const char16_t* src, char* dst, size_t capacity);

// 0 when both strings hold the same bytes and end together (case-sensitive), -1 otherwise;
// no ordering. Two nulls are equal; null and non-null are not.
int32_t StringCompareA(const char* a, const char* b);

// ---------------------------------------------------------------------------------------
// Allocating copies. The result comes from UtilsMalloc and is freed with UtilsFree; null when
// out of memory or when the source is null. `length` 0 copies the whole string; a length
// beyond the string's end stops at its terminator.

char16_t* UtilsString_DupW(const char16_t* text, size_t length = 0);
char* UtilsString_DupA(const char* text, size_t length = 0);
// Each character's low byte.
char* UtilsString_DupWToA(const char16_t* text, size_t length = 0);
// Each byte sign-extended, as UtilsString_AToW.
char16_t* UtilsString_DupAToW(const char* text, size_t length = 0);

// ---------------------------------------------------------------------------------------
// In-place and lookup helpers

// Widens src into dst (capacity in characters), truncating and terminating. Each byte is
// sign-extended: a byte from 0x80 up gives a character whose high byte is 0xFF (0xE9 -> 0xFFE9).
void UtilsString_AToW(const char* src, char16_t* dst, size_t capacity);

// Ends the string at the last occurrence of `ch`; returns that position (now the terminator)
// or null when `ch` is absent or the string is null.
char16_t* UtilsString_CutAt(char16_t* text, char16_t ch);

// Pointer to the last '.' (dot included) when it lies after the last '\\' and '/';
// otherwise (no dot, a dot only in a folder name, or null) a shared empty string.
const char16_t* UtilsString_GetExtension(const char16_t* path);

// Pointer after the later of the last '\\' and the last '/'; the path itself when it has
// neither; null for null.
const char16_t* UtilsString_GetFileName(const char16_t* path);
const char* UtilsString_GetFileNameA(const char* path);

// 0 when both hold the same characters and end together, -1 otherwise (no ordering).
// Two nulls are equal; null and non-null are not.
int32_t UtilsString_Compare(const char16_t* a, const char16_t* b);

// kStatusFailed (0x80000001) when the lengths differ; 0 when equal with A-Z/a-z compared
// without case; kStatusFailed otherwise.
Status UtilsString_CompareSameLength(const char16_t* a, const char16_t* b);

// Inverts every bit of every character before the terminator, in place. Null is ignored.
void UtilsString_InvertW(char16_t* text);
void UtilsString_InvertA(char* text);

// Replaces every `from` with `to` in place; returns the number replaced. Null gives 0.
uint32_t UtilsString_ReplaceChar(char16_t* text, char16_t from, char16_t to);
uint32_t UtilsString_ReplaceCharA(char* text, char from, char to);

// Number of occurrences of `ch`; 0 for null.
uint32_t UtilsString_CountChar(const char16_t* text, char16_t ch);
uint32_t UtilsString_CountCharA(const char* text, char ch);

// True when the string is not empty and holds only '0'-'9', '+' and '-' (in any order).
bool UtilsString_IsInteger(const char16_t* text);

// "major.minor" followed by some other character, after skipping to the first digit:
// "1.5.0" gives 1 and 5; "1.5" is refused because the minor digits end the text. On false
// `major` may already be set. Null out pointers are allowed.
bool UtilsString_ParseVersion(const char* text, int32_t* major, int32_t* minor);
