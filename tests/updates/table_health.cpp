#include "table_health.h"

#include "paradox/table.h"

extern "C" {
#include <paradox.h>
}

#include <QDir>
#include <QFileInfo>

#include <cstdlib>
#include <memory>

namespace zelvon::test {
namespace {

std::string Quoted(const std::string& text) { return "'" + text + "'"; }

void PxtoolCheck(const std::string& path, std::vector<std::string>& faults) {
    const std::string command = std::string(PXTOOL_BINARY) + " check " + Quoted(path) + " >/dev/null 2>&1";
    if (std::system(command.c_str()) != 0) faults.push_back("pxtool check: " + path);
}

// pxlib's memo reader crashes on some .MB files, so only the .DB is read.
int PxlibRecords(const std::string& path, std::vector<std::string>& faults) {
    pxdoc_t* doc = PX_new();
    if (PX_open_file(doc, path.c_str()) != 0) {
        faults.push_back("pxlib open: " + path);
        PX_delete(doc);
        return -1;
    }
    const int count = PX_get_num_records(doc);
    for (int r = 0; r < count; ++r) {
        pxval_t** values = PX_retrieve_record(doc, r);
        if (!values) {
            faults.push_back("pxlib record " + std::to_string(r) + ": " + path);
            break;
        }
        for (int f = 0; f < PX_get_num_fields(doc); ++f) FREE_PXVAL(doc, values[f]);
        doc->free(doc, values);
    }
    PX_close(doc);
    PX_delete(doc);
    return count;
}

void EngineRead(const std::string& path, int pxlibCount, std::vector<std::string>& faults) {
    std::unique_ptr<paradox::Table> table;
    paradox::OpenOptions options;
    options.require_password = false;
    if (!paradox::Table::Open(path, options, &table).ok()) {
        faults.push_back("engine open: " + path);
        return;
    }
    for (uint64_t i = 0; i < table->record_count(); ++i) {
        paradox::RecordRef record;
        if (!table->ReadRecord(i, &record).ok()) {
            faults.push_back("engine record " + std::to_string(i) + ": " + path);
            return;
        }
    }
    if (pxlibCount >= 0 && uint64_t(pxlibCount) != table->record_count())
        faults.push_back("pxlib and engine disagree on the record count: " + path);
}

}  // namespace

std::vector<std::string> Faults(const QString& directory, bool withCheck);

std::vector<std::string> TablesIn(const QString& directory) {
    std::vector<std::string> paths;
    const QStringList names = QDir(directory).entryList({QStringLiteral("*.db")}, QDir::Files, QDir::Name);
    for (const QString& name : names) paths.push_back(QDir(directory).filePath(name).toStdString());
    return paths;
}

std::vector<std::string> TableFaults(const QString& directory) { return Faults(directory, true); }

std::vector<std::string> ReadFaults(const QString& directory) { return Faults(directory, false); }

std::vector<std::string> Faults(const QString& directory, bool withCheck) {
    std::vector<std::string> faults;
    for (const std::string& path : TablesIn(directory)) {
        // The depot tables are protected; pxtool needs the password for them.
        if (path.find("Transaktionen") != std::string::npos) continue;
        // A refused download stays for inspection; it is no table of the suite.
        if (QFileInfo(QString::fromStdString(path)).fileName().startsWith(QStringLiteral("Tmp"), Qt::CaseInsensitive)) continue;
        if (withCheck) PxtoolCheck(path, faults);
        EngineRead(path, PxlibRecords(path, faults), faults);
    }
    return faults;
}

}  // namespace zelvon::test
