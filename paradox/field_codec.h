// Encoding and decoding of single fields in record bytes. Numbers are stored
// big-endian with the sign bit flipped so that byte order is value order;
// all-zero bytes are NULL.
#pragma once

#include <cstdint>
#include <string>

#include "paradox/header.h"
#include "paradox/text_codec.h"
#include "paradox/value.h"

namespace paradox {

// Where a blob field's value lives, from the descriptor at the end of the field.
struct BlobDescriptor {
    uint32_t locator = 0;
    uint32_t length = 0;
    uint16_t mod_number = 0;
    uint32_t leader_size = 0;
    bool InLeader() const { return length <= leader_size; }
};

BlobDescriptor ReadBlobDescriptor(const FieldInfo& field, const uint8_t* record);

// Decodes every type except blobs stored in the .MB (those come back with
// is_null false and empty bytes; the table fills them in).
void DecodeField(const FieldInfo& field, const uint8_t* record, const TextDecoder& decoder, Value* value);

int64_t DecodeInt(const uint8_t* p, size_t width);
double DecodeDouble(const uint8_t* p);
std::string DecodeBcd(const uint8_t* p, bool* truncated);

// Store side, used for building search keys (and later for writing).
void EncodeInt(int64_t v, uint8_t* p, size_t width);
void EncodeDouble(double v, uint8_t* p);

}  // namespace paradox
