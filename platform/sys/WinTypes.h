// The basic vocabulary of the Windows API that the program's code is written
// in: integer types, BOOL, handles, wait results and code-page numbers, with
// their usual values. Only names; the behaviour lives in the other headers of
// platform/sys.
#pragma once

#include <cstddef>
#include <cstdint>

typedef int BOOL;
#ifndef TRUE
#define TRUE 1
#endif
#ifndef FALSE
#define FALSE 0
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

#define INFINITE 0xFFFFFFFFu
#define WAIT_OBJECT_0 0u
#define WAIT_ABANDONED 0x80u
#define WAIT_TIMEOUT 258u
#define WAIT_FAILED 0xFFFFFFFFu
#define STILL_ACTIVE 259u

#ifndef MAX_PATH
#define MAX_PATH 260
#endif

// Code pages: the program's "ANSI" code page is 936 (GBK).
#define CP_ACP 0u
#define CP_GBK 936u
#define CP_UTF8 65001u

// Win32 error codes, as returned by the registry functions and GetLastError.
#define ERROR_SUCCESS 0
#define ERROR_FILE_NOT_FOUND 2
#define ERROR_ACCESS_DENIED 5
#define ERROR_INVALID_HANDLE 6
#define ERROR_INVALID_PARAMETER 87
#define ERROR_MORE_DATA 234
