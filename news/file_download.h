// Downloads for the news run, with the rules of the program's download
// helper: the body replaces the target file only when it arrived whole with a
// status below 400; an error status writes no file; no whole answer raises.
#pragma once

#include "platform/run_progress.h"
#include "sources/http_client.h"

#include <QString>

namespace zelvon::news {

// The outcome goes to panel 0 of the progress display ("Received n bytes",
// "Failed : code reason"). Raises HttpTransportError when no whole answer came.
void DownloadFile(HttpClient& client, const QString& url, const QString& path, RunProgress& progress);

}  // namespace zelvon::news
