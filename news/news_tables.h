// The two tables the news run opens on the data directory: Nachrichten.db on
// its primary key (news number) and Firma.db through the index IWKN. Every
// engine failure is raised as an Error naming the table.
#pragma once

#include "db/session.h"
#include "db/table.h"
#include "platform/formats.h"

#include <QString>

#include <cstdint>

namespace zelvon::news {

void CheckTable(const db::Status& status, const db::Table& table);
QString TextField(const db::Table& table, const char* name);
int32_t IntegerField(const db::Table& table, const char* name);
bool BooleanField(const db::Table& table, const char* name);

struct NewsRow {
    int32_t nummer = 0;
    int32_t firma = 0;
    QString nachricht;
    DateTime zeit = 0;
    bool aktiv = true;
};

class NewsTables {
public:
    // home: the data directory, ending with "/". The rows of one run reach
    // the disk together when the tables close.
    NewsTables(db::Session& session, const QString& home);
    ~NewsTables();

    bool Holds(int32_t nummer);
    // A headline longer than the field is shortened to it, so one long
    // headline cannot block every later run at the same item.
    void Append(const NewsRow& row);

    db::Table& Firma() { return firma_; }

private:
    db::Table news_;
    db::Table firma_;
};

}  // namespace zelvon::news
