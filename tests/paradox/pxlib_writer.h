// Test support: writes Paradox tables through pxlib, an independent writer,
// so that the engine can be checked against files it did not produce.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace paradox_test {

struct PxField {
    std::string name;
    char type;  // pxlib's type code (pxfAlpha, pxfLong, ...)
    int size;
};

// Fills one record buffer; the field offsets follow the field order.
using RecordFiller = std::function<void(void* doc, char* record, int64_t row)>;

// Writes rows records to path; key_fields > 0 makes a keyed table (rows must
// come in key order). Returns false when pxlib fails.
bool WritePxlibTable(const std::string& path, const std::vector<PxField>& fields, int key_fields, int code_page,
                     int64_t rows, const RecordFiller& fill);

// Directory under the system temp dir, removed with its files on destruction.
class TempDir {
public:
    TempDir();
    ~TempDir();
    const std::string& path() const { return path_; }
    std::string File(const std::string& name) const { return path_ + "/" + name; }

private:
    std::string path_;
};

std::vector<uint8_t> ReadBytes(const std::string& path);
void WriteBytes(const std::string& path, const std::vector<uint8_t>& bytes);
// Copies a file of the shared sample set into dir, keeping its name.
std::string CopySample(const std::string& relative, const TempDir& dir);
std::string SamplesDir();

}  // namespace paradox_test
