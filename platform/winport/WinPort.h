#pragma once
// The few Windows calls the product makes, on top of POSIX.
#include <cstdint>
#include <string>

typedef void* HMODULE;
typedef uint32_t DWORD;
typedef char16_t WCHAR;

#ifndef MAX_PATH
#define MAX_PATH 260
#endif

// Writes the full path of the module file behind `module` (a handle from dlopen, or null for the
// executable) into `buffer`, NUL-terminated and cut to `size` characters as Windows does.
// Returns the number of characters written without the terminator; 0 on failure.
DWORD GetModuleFileNameW(HMODULE module, WCHAR* buffer, DWORD size);

void Sleep(DWORD milliseconds);

// UTF-8 <-> UTF-16, as MultiByteToWideChar/WideCharToMultiByte do for CP_UTF8: malformed input
// becomes U+FFFD, never a read past the end.
namespace winport {
std::u16string utf8ToUtf16(const std::string& text);
std::string utf16ToUtf8(const std::u16string& text);
}
