#include "paradox/crypt.h"

#include <cstring>

namespace paradox {
namespace {

void DecryptChunk(uint8_t* chunk, uint8_t a, uint8_t b, uint8_t c, uint8_t d) {
    uint8_t out[kCryptChunk];
    for (int x = 0; x < 256; ++x) {
        int y = (kCryptTableC[x] - d) & 0xFF;
        out[x] = chunk[y] ^ kCryptTableA[(x + a) & 0xFF] ^ kCryptTableB[(y + b) & 0xFF] ^ kCryptTableC[(y + c) & 0xFF];
    }
    std::memcpy(chunk, out, kCryptChunk);
}

void EncryptChunk(uint8_t* chunk, uint8_t a, uint8_t b, uint8_t c, uint8_t d) {
    uint8_t out[kCryptChunk];
    for (int x = 0; x < 256; ++x) {
        int y = (kCryptTableC[x] - d) & 0xFF;
        out[y] = chunk[x] ^ kCryptTableA[(x + a) & 0xFF] ^ kCryptTableB[(y + b) & 0xFF] ^ kCryptTableC[(y + c) & 0xFF];
    }
    std::memcpy(chunk, out, kCryptChunk);
}

}  // namespace

void DecryptDbBlock(uint8_t* data, size_t size, uint32_t checksum, uint32_t block_number) {
    uint8_t a = checksum & 0xFF, b = (checksum >> 8) & 0xFF;
    for (size_t j = 0; j < size / kCryptChunk; ++j)
        DecryptChunk(data + j * kCryptChunk, a, b, uint8_t(j), uint8_t(block_number));
}

void EncryptDbBlock(uint8_t* data, size_t size, uint32_t checksum, uint32_t block_number) {
    uint8_t a = checksum & 0xFF, b = (checksum >> 8) & 0xFF;
    for (size_t j = 0; j < size / kCryptChunk; ++j)
        EncryptChunk(data + j * kCryptChunk, a, b, uint8_t(j), uint8_t(block_number));
}

void DecryptMbChunks(uint8_t* data, size_t size, uint32_t checksum) {
    uint8_t a = checksum & 0xFF, b = (checksum >> 8) & 0xFF;
    for (size_t j = 0; j < size / kCryptChunk; ++j)
        DecryptChunk(data + j * kCryptChunk, a, b, uint8_t(a + 1), uint8_t(b + 1));
}

void EncryptMbChunks(uint8_t* data, size_t size, uint32_t checksum) {
    uint8_t a = checksum & 0xFF, b = (checksum >> 8) & 0xFF;
    for (size_t j = 0; j < size / kCryptChunk; ++j)
        EncryptChunk(data + j * kCryptChunk, a, b, uint8_t(a + 1), uint8_t(b + 1));
}

uint32_t PasswordChecksum(const std::string& password) {
    if (password.empty()) return 0;
    const size_t n = password.size() > 256 ? 256 : password.size();
    uint8_t t[kCryptChunk];
    for (size_t i = 0; i < kCryptChunk; ++i) t[i] = uint8_t(password[i % n]);
    EncryptChunk(t, t[0], t[1], t[2], t[3]);
    uint32_t low = uint32_t(t[0]) | (uint32_t(t[1]) << 8);

    uint8_t u[kCryptChunk];
    std::memcpy(u, password.data(), n);
    for (size_t i = n; i < kCryptChunk; ++i) u[i] = kCryptTableA[u[i - n]] ^ uint8_t(i);
    EncryptChunk(u, u[0], u[20], u[40], u[255]);
    uint32_t even = 0, odd = 0;
    for (size_t i = 0; i < kCryptChunk; i += 2) {
        even ^= u[i];
        odd ^= u[i + 1];
    }
    uint32_t high = even | (odd << 8);
    if (high == 0) high = 1;
    return (high << 16) | low;
}

}  // namespace paradox
