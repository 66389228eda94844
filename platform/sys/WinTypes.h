// The basic vocabulary of the Windows API that the program's code is written
// in: integer types, BOOL, handles, wait results and code-page numbers, with
// their usual values. Only names; the behaviour lives in the other headers of
// platform/sys.
#pragma once

#include <cstddef>
#include <cstdint>

typedef int BOOL;
// glib (under pango) makes TRUE and FALSE macros of the same values when they
// are not macros already; a translation unit that included it first keeps
// those.
#ifndef TRUE
constexpr BOOL TRUE = 1;
#endif
#ifndef FALSE
constexpr BOOL FALSE = 0;
#endif

typedef uint8_t BYTE;
typedef uint16_t WORD;
typedef uint32_t DWORD;
typedef int32_t LONG;          // 32 bits, as on Windows (not the LP64 long)
typedef uint32_t ULONG;
typedef unsigned int UINT;
typedef int64_t LONGLONG;
typedef uint64_t ULONGLONG;
typedef char16_t WCHAR;        // UTF-16 code unit, whatever wchar_t is here
typedef uintptr_t WPARAM;
typedef intptr_t LPARAM;
typedef intptr_t LRESULT;

// An opaque handle to a kernel object of platform/sys (event, mutex,
// semaphore, thread). Null is "no object".
typedef void* HANDLE;

constexpr DWORD INFINITE = 0xFFFFFFFFu;
constexpr DWORD WAIT_OBJECT_0 = 0u;
constexpr DWORD WAIT_ABANDONED = 0x80u;
constexpr DWORD WAIT_TIMEOUT = 258u;
constexpr DWORD WAIT_FAILED = 0xFFFFFFFFu;
constexpr DWORD STILL_ACTIVE = 259u;

// Boost's regex file iterator defines its own MAX_PATH macro when none exists.
#ifndef MAX_PATH
constexpr int MAX_PATH = 260;
#endif

// Code pages: the program's "ANSI" code page is 936 (GBK).
constexpr UINT CP_ACP = 0u;
constexpr UINT CP_GBK = 936u;
constexpr UINT CP_UTF8 = 65001u;

// Win32 error codes, as returned by the registry functions and GetLastError.
constexpr int ERROR_SUCCESS = 0;
constexpr int ERROR_FILE_NOT_FOUND = 2;
constexpr int ERROR_ACCESS_DENIED = 5;
constexpr int ERROR_INVALID_HANDLE = 6;
constexpr int ERROR_INVALID_PARAMETER = 87;
constexpr int ERROR_MORE_DATA = 234;
