// SHA-256 from the platform's crypto library (libcrypto on Linux, CNG on Windows).
#pragma once

#include <stddef.h>

#include <string>

// The digest of the bytes as 64 lower-case hexadecimal digits; empty if the
// library fails, which then matches no digest.
std::string sha256_hex(const void *bytes, size_t size);
