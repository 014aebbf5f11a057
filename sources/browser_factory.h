// Picks the browser engine: Qt WebEngine, unless the setting Zelvon_Browser
// says "http" or WebEngine cannot start here; then the HTTP-client engine.
#pragma once

#include "sources/browser_engine.h"
#include "sources/webengine_browser_engine.h"

#include <memory>

namespace zelvon {

class HttpClient;

std::unique_ptr<BrowserEngine> CreateBrowserEngine(const QString& browserSetting, HttpClient& client,
                                                   const WebEngineOptions& options, QObject* parent = nullptr);

}  // namespace zelvon
