// Paradox table encryption: block decryption and encryption for .DB-type and
// .MB files, and the password checksum stored in the header. The key is the
// checksum itself; the password only proves the user may open the table.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace paradox {

extern const uint8_t kCryptTableA[256];
extern const uint8_t kCryptTableB[256];
extern const uint8_t kCryptTableC[256];

constexpr size_t kCryptChunk = 256;

// Decrypts/encrypts a block of a .DB, .PX, .X or .Y file in place. size is a
// multiple of 256; block_number counts from 1.
void DecryptDbBlock(uint8_t* data, size_t size, uint32_t checksum, uint32_t block_number);
void EncryptDbBlock(uint8_t* data, size_t size, uint32_t checksum, uint32_t block_number);
// .MB files are encrypted chunk by chunk, independent of the position.
void DecryptMbChunks(uint8_t* data, size_t size, uint32_t checksum);
void EncryptMbChunks(uint8_t* data, size_t size, uint32_t checksum);

// The checksum Paradox stores for password (0 for the empty password).
uint32_t PasswordChecksum(const std::string& password);

}  // namespace paradox
