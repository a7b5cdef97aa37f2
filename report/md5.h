// MD5 digests as lower-case hexadecimal text, through the system's CryptoAPI
// (present from Windows XP on, like every other import of the program).
#pragma once
#include <string>

// Writes the 32-digit digest of `length` bytes at `data` into `out` and returns
// true. False, leaving `out` unchanged, for null data, a length of 0 or less, or
// when the system cannot hash.
bool md5Hex(const void* data, int length, std::string& out);
