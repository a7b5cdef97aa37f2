// The few Win32 types and calls that the parsing cores use, so that they can
// be built natively (x86_64 Linux) for fuzzing. The UTF-8 conversion behaves
// as Windows documents it; the file calls fail as if no file could be made.
// wchar_t is 32-bit here: a UTF-16 unit goes into each wchar_t.
#pragma once
#include <cstddef>
#include <cstdint>

typedef uint32_t DWORD;
typedef int32_t LONG;
typedef int BOOL;
typedef uint8_t BYTE;
typedef unsigned int UINT;
typedef void* HANDLE;

#define TRUE 1
#define FALSE 0
#define INVALID_HANDLE_VALUE ((HANDLE)(intptr_t)-1)
#define CP_UTF8 65001u
#define GENERIC_WRITE 0x40000000u
#define FILE_SHARE_READ 0x1u
#define FILE_SHARE_WRITE 0x2u
#define FILE_SHARE_DELETE 0x4u
#define CREATE_ALWAYS 2u
#ifndef FILE_ATTRIBUTE_NORMAL  // the LZMA SDK has its own off Windows
#define FILE_ATTRIBUTE_NORMAL 0x80u
#endif

struct SIZE {
  LONG cx;
  LONG cy;
};

struct RECT {
  LONG left;
  LONG top;
  LONG right;
  LONG bottom;
};

// UTF-8 to UTF-16 (code page CP_UTF8 only): `count` bytes, or up to the NUL
// with -1; each invalid byte becomes U+FFFD. With `capacity` 0 the units
// needed; 0 when they do not fit.
int MultiByteToWideChar(UINT codePage, DWORD flags, const char* bytes, int count, wchar_t* out,
                        int capacity);

HANDLE CreateFileW(const wchar_t* path, DWORD access, DWORD share, void* security,
                   DWORD disposition, DWORD attributes, HANDLE model);
BOOL WriteFile(HANDLE file, const void* data, DWORD count, DWORD* written, void* overlapped);
BOOL CloseHandle(HANDLE handle);
BOOL CreateDirectoryW(const wchar_t* path, void* security);
