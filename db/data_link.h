// A data link connects a table to whatever shows or follows its current
// record: its change event fires when the current record changes, when the
// records are re-read (open, filter change, refresh) and when a field of the
// current record changes. Detail tables follow their master through one.
#pragma once

#include <functional>

namespace zelvon::db {

class Table;

class DataLink {
public:
    DataLink() = default;
    ~DataLink();
    DataLink(const DataLink&) = delete;
    DataLink& operator=(const DataLink&) = delete;

    // Links to table (nullptr unlinks).
    void SetDataSet(Table* table);
    Table* DataSet() const { return table_; }
    void SetOnDataChange(std::function<void()> handler) { on_data_change_ = std::move(handler); }

    // Called by the table.
    void NotifyDataChange() {
        if (on_data_change_) on_data_change_();
    }

private:
    Table* table_ = nullptr;
    std::function<void()> on_data_change_;
};

}  // namespace zelvon::db
