// SHA-256 through the platform's crypto library: libcrypto's EVP on Linux, CNG on Windows.
#include "platform/sha256.h"

#ifdef _WIN32
#include <windows.h>
#include <bcrypt.h>
#else
#include <openssl/evp.h>
#endif

static const unsigned digest_size = 32;

#ifdef _WIN32
static bool digest(const void *bytes, size_t size, unsigned char out[digest_size])
{
    BCRYPT_ALG_HANDLE algorithm = NULL;
    BCRYPT_HASH_HANDLE hash = NULL;
    bool ok = BCRYPT_SUCCESS(BCryptOpenAlgorithmProvider(&algorithm, BCRYPT_SHA256_ALGORITHM, NULL, 0)) &&
              BCRYPT_SUCCESS(BCryptCreateHash(algorithm, &hash, NULL, 0, NULL, 0, 0));
    // CNG takes a ULONG length, so large inputs go in pieces.
    const unsigned char *next = static_cast<const unsigned char *>(bytes);
    while (ok && size > 0) {
        ULONG piece = size > 0x40000000 ? 0x40000000 : (ULONG)size;
        ok = BCRYPT_SUCCESS(BCryptHashData(hash, const_cast<PUCHAR>(next), piece, 0));
        next += piece;
        size -= piece;
    }
    ok = ok && BCRYPT_SUCCESS(BCryptFinishHash(hash, out, digest_size, 0));
    if (hash)
        BCryptDestroyHash(hash);
    if (algorithm)
        BCryptCloseAlgorithmProvider(algorithm, 0);
    return ok;
}
#else
static bool digest(const void *bytes, size_t size, unsigned char out[digest_size])
{
    unsigned int length = 0;
    return EVP_Digest(bytes, size, out, &length, EVP_sha256(), NULL) == 1 && length == digest_size;
}
#endif

std::string sha256_hex(const void *bytes, size_t size)
{
    unsigned char out[digest_size];
    if (!digest(bytes, size, out))
        return "";
    static const char hex[] = "0123456789abcdef";
    std::string text;
    for (unsigned char b : out) {
        text += hex[b >> 4];
        text += hex[b & 15];
    }
    return text;
}
