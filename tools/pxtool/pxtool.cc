// pxtool: looks into Paradox tables.
//   pxtool dump TABLE [--index NAME] [--password P]   records in the canonical form
//   pxtool info TABLE [--password P]                  header, fields, keys, indexes
//   pxtool check TABLE [--password P]                 validates; exit 1 on any fault (warnings do not count)
//   pxtool copy SRC DST [--shuffle] [--password P]    rebuilds SRC into DST record by record
#include <cstdio>
#include <cstring>
#include <iostream>
#include <random>
#include <string>
#include <vector>

#include "paradox/check.h"
#include "paradox/dump.h"
#include "paradox/secondary_index.h"
#include "paradox/table.h"
#include "paradox/table_copy.h"

namespace {

struct Arguments {
    std::string command;
    std::string table;
    std::string index;
    std::string destination;
    bool shuffle = false;
    paradox::OpenOptions options;
};

int Usage() {
    std::cerr << "usage: pxtool dump TABLE [--index NAME] [--password P]\n"
                 "       pxtool info TABLE [--password P]\n"
                 "       pxtool check TABLE [--password P]\n"
                 "       pxtool copy SRC DST [--shuffle] [--password P]\n";
    return 2;
}

bool Parse(int argc, char** argv, Arguments* args) {
    if (argc < 3) return false;
    args->command = argv[1];
    for (int i = 2; i < argc; ++i) {
        std::string a = argv[i];
        if ((a == "--index" || a == "--password") && i + 1 < argc) {
            (a == "--index" ? args->index : args->options.passwords.emplace_back()) = argv[++i];
        } else if (a == "--shuffle") {
            args->shuffle = true;
        } else if (args->table.empty() && a.rfind("--", 0) != 0) {
            args->table = a;
        } else if (args->command == "copy" && args->destination.empty() && a.rfind("--", 0) != 0) {
            args->destination = a;
        } else {
            return false;
        }
    }
    return !args->table.empty() && (args->command != "copy" || !args->destination.empty());
}

int Fail(const paradox::Status& s) {
    std::cerr << "pxtool: " << s.ToString() << "\n";
    return 1;
}

int Dump(const Arguments& args) {
    std::unique_ptr<paradox::Table> table;
    paradox::Status s = paradox::Table::Open(args.table, args.options, &table);
    if (!s.ok()) return Fail(s);
    std::unique_ptr<paradox::IndexOrder> order;
    if (!args.index.empty()) {
        s = paradox::IndexOrder::Open(*table, args.index, &order);
        if (!s.ok()) return Fail(s);
    }
    paradox::WriteDumpHeader(*table, std::cout);
    std::string line;
    uint64_t n = table->record_count();
    for (uint64_t i = 0; i < n; ++i) {
        paradox::RecordRef record;
        s = table->ReadRecord(order ? order->RecordAt(i) : i, &record);
        if (s.ok()) s = paradox::FormatRecord(*table, record, &line);
        if (!s.ok()) return Fail(s);
        std::cout << line << "\n";
    }
    std::cout << "# end: " << n << " records\n";
    return 0;
}

int Info(const Arguments& args) {
    std::unique_ptr<paradox::Table> table;
    paradox::Status s = paradox::Table::Open(args.table, args.options, &table);
    if (!s.ok()) return Fail(s);
    const paradox::FileHeader& h = table->header();
    std::cout << "table: " << table->name() << "\n"
              << "version: " << h.VersionLevel() << " (header byte " << int(h.version_byte) << ")\n"
              << "file type: " << int(h.file_type) << (table->is_keyed() ? " (keyed)" : " (not keyed)") << "\n"
              << "records: " << table->record_count() << " (header " << h.num_records << ")\n"
              << "record size: " << h.record_size << "\n"
              << "block size: " << h.block_size << ", blocks: " << h.file_blocks << " (in use " << h.used_blocks << ")\n"
              << "code page: " << h.code_page << " (read as " << paradox::TextEncodingName(h) << ")\n"
              << "sort order: " << int(h.sort_order) << " " << h.sort_order_name << "\n"
              << "encrypted: " << (h.IsEncrypted() ? "yes" : "no") << "\n"
              << "auto increment: " << h.auto_increment << "\n"
              << "memo file: " << (table->blob_file() ? table->blob_file()->file().Name() : "none") << "\n"
              << "primary index: " << (table->primary_index() ? table->primary_index()->blocks().file().Name() : "none") << "\n";
    for (size_t i = 0; i < h.fields.size(); ++i) {
        const paradox::FieldInfo& f = h.fields[i];
        std::cout << "field " << i + 1 << ": " << f.name << " " << paradox::FieldTypeLetter(f.type) << " "
                  << int(f.size_byte) << (i < h.key_fields ? " key" : "") << "\n";
    }
    std::vector<paradox::SecondaryIndexInfo> indexes;
    s = paradox::ListSecondaryIndexes(*table, &indexes);
    if (!s.ok()) return Fail(s);
    for (const paradox::SecondaryIndexInfo& x : indexes) {
        paradox::IndexLayout layout;
        s = paradox::ParseIndexLayout(x.header, paradox::BaseName(x.path), &layout);
        if (!s.ok()) return Fail(s);
        std::cout << "index: " << x.name << " (" << paradox::BaseName(x.path) << ") fields:";
        for (size_t i = 0; i < layout.value_fields; ++i) std::cout << " " << x.header.fields[i].name;
        std::cout << ((x.header.index_flags & 1) ? " case-insensitive" : "") << "\n";
    }
    return 0;
}

int Check(const Arguments& args) {
    std::vector<std::string> problems, warnings;
    paradox::Status s = paradox::CheckTable(args.table, args.options, &problems, &warnings);
    if (!s.ok()) return Fail(s);
    for (const std::string& w : warnings) std::cout << "warning: " << w << "\n";
    for (const std::string& p : problems) std::cout << p << "\n";
    if (!problems.empty()) return 1;
    std::cout << "ok\n";
    return 0;
}

int Copy(const Arguments& args) {
    paradox::CopyOptions options;
    options.shuffle = args.shuffle;
    options.seed = std::random_device()();
    paradox::Status s = paradox::CopyTable(args.table, args.destination, args.options, options);
    return s.ok() ? 0 : Fail(s);
}

}  // namespace

int main(int argc, char** argv) {
    Arguments args;
    if (!Parse(argc, argv, &args)) return Usage();
    if (args.command == "dump") return Dump(args);
    if (args.command == "info") return Info(args);
    if (args.command == "check") return Check(args);
    if (args.command == "copy") return Copy(args);
    return Usage();
}
