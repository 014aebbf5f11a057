// The teletext filter and page list update: downloads the standard page list
// from the update server, adds new pages to DDESeiten.Db and corrects page
// ranges and filter names in it and in TVAktiv.Db and DDEAktiv.Db, then
// downloads every filter file the list names into the filter directory.
#pragma once

#include "updates/page_list.h"
#include "updates/update_context.h"

namespace zelvon::updates {

class UpdateFilter {
public:
    explicit UpdateFilter(UpdateContext& context);

    // The whole run; the caller closes the main window when UpdateLesen is set.
    void Run();

private:
    bool LoadPageList(QByteArray& body);
    void UpdateTables(const QByteArray& body);
    void WriteTables(const PagePassResult& result);
    void DownloadFilters();
    bool DownloadFilter(const QString& line);

    UpdateContext& ctx_;
    int newPages_ = 0;
};

// A filter name that would leave the filter directory or is no file name.
bool UnsafeFilterName(const QString& name);

}  // namespace zelvon::updates
