// A data directory with Firma.db and Intraday.db for tests of the storage step.
#pragma once

#include "db/table.h"
#include "extract/intraday_store.h"
#include "extraction_harness.h"
#include "paradox/table_create.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <vector>

namespace zelvon::extract::testing {

struct StoredRow {
    int firma;
    double kurs;
    int volumen;
    double zeit;
};

// A data directory with Firma.db (securities 3 and 7) and an empty Intraday.db
// keyed on (Firma, Zeit), Table1 on security 7.
class IntradayKit : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(dir_.isValid());
        Create("Firma.db", {{"Firma", paradox::FieldType::kLong, 0}, {"ZDF", paradox::FieldType::kAlpha, 10}}, 1);
        CreateIntraday({{"Firma", paradox::FieldType::kLong, 0}, {"Zeit", paradox::FieldType::kTimestamp, 0},
                        {"Kurs", paradox::FieldType::kNumber, 0}, {"Volumen", paradox::FieldType::kLong, 0}});
        zelvon::db::Table firma(session_);
        Open(firma, "Firma.db");
        for (int key : {3, 7}) {
            ASSERT_TRUE(firma.Append().ok());
            ASSERT_TRUE(firma.FindField("Firma")->SetInteger(key).ok());
            ASSERT_TRUE(firma.FindField("ZDF")->SetString("Z" + std::to_string(key)).ok());
            ASSERT_TRUE(firma.Post().ok());
        }
        firma.Close();
        Open(table1_, "Firma.db");
        bool found = false;
        ASSERT_TRUE(table1_.FindKey({int64_t(7)}, &found).ok() && found);
        dataSource1_.SetDataSet(&table1_);
    }

    void Create(const char* name, const std::vector<paradox::FieldSpec>& fields, int keys)
    {
        paradox::CreateOptions options;
        options.key_fields = uint16_t(keys);
        const auto s = paradox::CreateTable(path(name), fields, options);
        ASSERT_TRUE(s.ok()) << s.ToString();
    }
    void CreateIntraday(const std::vector<paradox::FieldSpec>& fields) { Create("Intraday.db", fields, 2); }

    void Open(zelvon::db::Table& table, const char* name)
    {
        table.SetDatabaseName(dir_.path().toStdString() + "/");
        table.SetTableName(name);
        const auto s = table.Open();
        ASSERT_TRUE(s.ok()) << s.ToString();
    }

    std::string path(const char* name) const { return dir_.filePath(name).toStdString(); }

    std::vector<StoredRow> Rows()
    {
        zelvon::db::Table intraday(session_);
        Open(intraday, "Intraday.db");
        std::vector<StoredRow> rows;
        for (intraday.First(); !intraday.Eof(); intraday.Next())
            rows.push_back({intraday.FindField("Firma")->AsInteger(), intraday.FindField("Kurs")->AsFloat(),
                            intraday.FindField("Volumen")->AsInteger(), intraday.FindField("Zeit")->AsDateTime()});
        return rows;
    }

    void Store(double kurs, int volumen, double zeit) { store_.Store({7, kurs, volumen, zeit}); }

    QTemporaryDir dir_;
    zelvon::db::Session session_;
    zelvon::db::Table table1_{session_};
    zelvon::db::DataLink dataSource1_;
    IntradayStore store_{session_, dataSource1_};
};

}  // namespace zelvon::extract::testing
