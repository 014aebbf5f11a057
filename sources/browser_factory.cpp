#include "sources/browser_factory.h"

#include "sources/http_browser_engine.h"

namespace zelvon {

std::unique_ptr<BrowserEngine> CreateBrowserEngine(const QString& browserSetting, HttpClient& client,
                                                   const WebEngineOptions& options, QObject* parent)
{
    if (browserSetting.compare(QLatin1String("http"), Qt::CaseInsensitive) == 0 || !WebEngineBrowserEngine::CanStart())
        return std::make_unique<HttpBrowserEngine>(client, parent);
    return std::make_unique<WebEngineBrowserEngine>(options, parent);
}

}  // namespace zelvon
