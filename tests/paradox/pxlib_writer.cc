#include "pxlib_writer.h"

extern "C" {
#include <paradox.h>
}

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>

namespace paradox_test {

bool WritePxlibTable(const std::string& path, const std::vector<PxField>& fields, int key_fields, int code_page,
                     int64_t rows, const RecordFiller& fill) {
    pxdoc_t* doc = PX_new();
    if (!doc) return false;
    pxfield_t* px_fields = static_cast<pxfield_t*>(doc->malloc(doc, sizeof(pxfield_t) * fields.size(), "fields"));
    int record_size = 0;
    for (size_t i = 0; i < fields.size(); ++i) {
        px_fields[i].px_fname = PX_strdup(doc, fields[i].name.c_str());
        px_fields[i].px_ftype = fields[i].type;
        px_fields[i].px_flen = fields[i].size;
        px_fields[i].px_fdc = 0;
        record_size += fields[i].size;
    }
    FILE* fp = std::fopen(path.c_str(), "w+b");
    if (!fp || PX_create_fp(doc, px_fields, int(fields.size()), fp, key_fields ? pxfFileTypIndexDB : pxfFileTypNonIndexDB) < 0) {
        if (fp) std::fclose(fp);
        PX_delete(doc);
        return false;
    }
    if (key_fields) PX_set_value(doc, "numprimkeys", float(key_fields));
    PX_set_value(doc, "codepage", float(code_page));
    PX_set_parameter(doc, "tablename", std::filesystem::path(path).filename().c_str());
    std::vector<char> record(static_cast<size_t>(record_size));
    bool ok = true;
    for (int64_t r = 0; r < rows && ok; ++r) {
        std::fill(record.begin(), record.end(), 0);
        fill(doc, record.data(), r);
        ok = PX_put_record(doc, record.data()) >= 0;
    }
    PX_close(doc);
    PX_delete(doc);
    std::fclose(fp);
    return ok;
}

TempDir::TempDir() {
    std::string pattern = (std::filesystem::temp_directory_path() / "paradox-test-XXXXXX").string();
    std::vector<char> buffer(pattern.begin(), pattern.end());
    buffer.push_back('\0');
    path_ = mkdtemp(buffer.data()) ? buffer.data() : "";
}

TempDir::~TempDir() {
    std::error_code ec;
    if (!path_.empty()) std::filesystem::remove_all(path_, ec);
}

std::vector<uint8_t> ReadBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), {});
}

void WriteBytes(const std::string& path, const std::vector<uint8_t>& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
}

std::string SamplesDir() {
    const char* env = std::getenv("PARADOX_SAMPLES");
    return env ? env : "/work/shared/paradox-samples";
}

std::string CopySample(const std::string& relative, const TempDir& dir) {
    std::filesystem::path source = std::filesystem::path(SamplesDir()) / relative;
    std::filesystem::path target = std::filesystem::path(dir.path()) / source.filename();
    std::filesystem::copy_file(source, target, std::filesystem::copy_options::overwrite_existing);
    std::filesystem::permissions(target, std::filesystem::perms::owner_read | std::filesystem::perms::owner_write);
    return target.string();
}

}  // namespace paradox_test
