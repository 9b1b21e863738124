// SHA-256 from the system: nettle on Linux, the CNG hash provider (bcrypt.dll)
// on Windows.
#include "journal/journal.hpp"

#include <cstdint>

#ifdef _WIN32
#include <windows.h>
#include <bcrypt.h>
#else
#include <nettle/sha2.h>
#endif

namespace {

std::string hex_digits(const uint8_t* digest, std::size_t size) {
    static const char DIGITS[] = "0123456789abcdef";
    std::string text;
    text.reserve(size * 2);
    for (std::size_t i = 0; i < size; ++i) {
        text += DIGITS[digest[i] >> 4];
        text += DIGITS[digest[i] & 0x0F];
    }
    return text;
}

}  // namespace

std::string sha256_hex(const void* data, std::size_t size) {
    uint8_t digest[32] = {};
#ifdef _WIN32
    BCRYPT_ALG_HANDLE algorithm = nullptr;
    BCRYPT_HASH_HANDLE hash = nullptr;
    bool ok = BCryptOpenAlgorithmProvider(&algorithm, BCRYPT_SHA256_ALGORITHM, nullptr, 0) == 0 &&
              BCryptCreateHash(algorithm, &hash, nullptr, 0, nullptr, 0, 0) == 0;
    // BCryptHashData takes at most a ULONG at a time.
    const auto* bytes = static_cast<const uint8_t*>(data);
    for (std::size_t done = 0; ok && done < size;) {
        const ULONG part = static_cast<ULONG>(size - done > 0x40000000u ? 0x40000000u : size - done);
        ok = BCryptHashData(hash, const_cast<PUCHAR>(bytes + done), part, 0) == 0;
        done += part;
    }
    ok = ok && BCryptFinishHash(hash, digest, sizeof digest, 0) == 0;
    if (hash != nullptr) BCryptDestroyHash(hash);
    if (algorithm != nullptr) BCryptCloseAlgorithmProvider(algorithm, 0);
    if (!ok) return std::string();
#else
    sha256_ctx context;
    sha256_init(&context);
    sha256_update(&context, size, static_cast<const uint8_t*>(data));
    sha256_digest(&context, sizeof digest, digest);
#endif
    return hex_digits(digest, sizeof digest);
}
