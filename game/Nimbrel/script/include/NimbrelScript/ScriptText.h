#pragma once
// Text functions of the script language: its own bounded wide formatter (the error reporter
// formats with it) and the small 8-bit helpers of the compiler and the image reader.
// StringCompareA, WideToAnsiCopy and the duplicators are the engine's (VornelUtils/UtilsString.h):
// the script language uses those, and its STRING values are allocated the same way.
#include "NimbrelScript/ScriptStatus.h"
#include "VornelUtils/UtilsString.h"

#include <cstdarg>
#include <cstddef>
#include <cstdint>

// Size of the formatter's buffers (messages, error texts), terminator included.
constexpr size_t kScriptTextCapacity = 4096;

// The wide formatter. A directive is '%', flags (' ' '#' '+' '-' '0'), a width (digits or '*'),
// a precision ('.' then digits or '*'), a size ("h": 8-bit text for c and s; "l"/"w": wide;
// "I", "I64", "ll": 64-bit number; "L" accepted) and a conversion:
//   c C   one character (8-bit with "h")
//   s S   a string: s wide, S and hs 8-bit; null prints "<NULL>"; cut to the precision and
//         padded to the width with blanks (on the left unless '-')
//   d i u decimal; x X hexadecimal; o octal; b base 2
//   p     a pointer in upper-case hexadecimal, at least eight digits unless a width is given
//   n     stores the number of characters written so far into an int
//   f     a double: the integer part (truncated), then with a precision (at most 9 digits)
//         '.' and the truncated fraction, left-padded with '0'
//   %%    '%'
// Other conversions are copied as written. The output is cut at capacity - 1 characters and
// always terminated when capacity > 0; returns the number of characters written.
int ScriptFormatV(char16_t* buffer, size_t capacity, const char16_t* format, va_list args);
int ScriptFormatW(char16_t* buffer, size_t capacity, const char16_t* format, ...);

// 0 when one string is a prefix of the other (an empty or null token matches every keyword),
// -1 when they differ at a position both have. The compiler recognises keywords with it.
int32_t ScriptKeywordMatch(const char* token, const char* keyword);

// Heap copies (UtilsMalloc; free with UtilsFree), null when out of memory. length 0 = whole.
inline char* StrDupA(const char* text, size_t length = 0) { return UtilsString_DupA(text, length); }
inline char16_t* StrDupW(const char16_t* text, size_t length = 0) { return UtilsString_DupW(text, length); }
inline char* StrDupWToA(const char16_t* text, size_t length = 0) { return UtilsString_DupWToA(text, length); }

// "_%s_%d_": the variable that carries argument `index` of a call to `name` (0 is the result).
// False when it does not fit the buffer (the buffer then holds an empty string).
bool ScriptParamName(char* buffer, size_t capacity, const char* name, uint32_t index);
// The same as a new heap text (UtilsMalloc), null when out of memory.
char* ScriptParamNameDup(const char* name, uint32_t index);

// Skips blanks, tabs, carriage returns and line feeds, lowers `remaining` and returns the number
// of line feeds passed.
uint32_t ScriptSkipBlanks(const char** cursor, size_t* remaining);

// Copies size x count bytes from the cursor and advances it; kScriptFailed when fewer remain.
Status ScriptMemRead(void* destination, size_t size, size_t count, const uint8_t** cursor, size_t* remaining);
