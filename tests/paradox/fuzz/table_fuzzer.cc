// Fuzz target: the input is a .DB file; it is opened, every record and field
// is read and the consistency check runs. Errors are fine, crashes are not.
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <string>

#include "paradox/check.h"
#include "paradox/dump.h"
#include "paradox/secondary_index.h"

namespace {

std::string ScratchDir() {
    static std::string dir = [] {
        char pattern[] = "/tmp/paradox-fuzz-XXXXXX";
        return std::string(mkdtemp(pattern) ? pattern : "/tmp");
    }();
    return dir;
}

void ReadEverything(const std::string& path) {
    std::unique_ptr<paradox::Table> table;
    paradox::OpenOptions options;
    options.require_password = false;
    if (!paradox::Table::Open(path, options, &table).ok()) return;
    std::string line;
    for (uint64_t r = 0; r < table->record_count() && r < 100000; ++r) {
        paradox::RecordRef record;
        if (!table->ReadRecord(r, &record).ok()) break;
        paradox::FormatRecord(*table, record, &line);
    }
    if (table->is_keyed() && table->record_count() > 0) {
        paradox::RecordRef record;
        if (table->ReadRecord(table->record_count() / 2, &record).ok()) {
            std::vector<uint8_t> key(record.data, record.data + table->primary_key().width());
            uint64_t found;
            table->LowerBound(key, table->primary_key().field_count(), &found);
            table->UpperBound(key, 1, &found);
        }
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::string path = ScratchDir() + "/T.DB";
    FILE* f = std::fopen(path.c_str(), "wb");
    if (!f) return 0;
    std::fwrite(data, 1, size, f);
    std::fclose(f);
    ReadEverything(path);
    std::vector<std::string> problems;
    paradox::OpenOptions options;
    options.require_password = false;
    paradox::CheckTable(path, options, &problems);
    return 0;
}
