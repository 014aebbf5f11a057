// Page retrieval wired as the main window wires it, on a recorded window, with
// either browser engine.
#pragma once

#include "platform/text_view.h"
#include "sources/http_browser_engine.h"
#include "sources/http_client.h"
#include "sources/page_files.h"
#include "sources/page_retrieval.h"
#include "sources/webengine_browser_engine.h"
#include "loopback_server.h"
#include "test_window.h"

#include <QTemporaryDir>

#include <memory>

namespace zelvon::test {

enum class Engine { Http, WebEngine };

struct RetrievalRig {
    explicit RetrievalRig(Engine engine = Engine::Http, RetrievalHosts hosts = {})
    {
        client.setExtraCaFile(TestCaFile());
        if (engine == Engine::Http) {
            browser = std::make_unique<HttpBrowserEngine>(client);
        } else {
            static int profiles = 0;
            WebEngineOptions options;
            options.profileName = QStringLiteral("ZelvonTest%1").arg(++profiles);
            options.storagePath = profileDir.path();
            options.caFile = TestCaFile();
            browser = std::make_unique<WebEngineBrowserEngine>(options);
        }
        retrieval = std::make_unique<PageRetrieval>(window, state, pageView, client, *browser, pageFiles, std::move(hosts));
        retrieval->setSpeedButton3Click([this](QObject*) {
            ++extractions;
            extractedText = pageView.text();
        });
        state.fileNameEdit = workDir.path() + QStringLiteral("/test.html");
    }

    void fetch(const QString& url)
    {
        state.urlEdit = url;
        retrieval->GetButtonClick(nullptr);
    }

    QTemporaryDir profileDir;
    QTemporaryDir workDir;
    TestWindow window;
    FetchState state;
    TextView pageView;
    TextView quoteList;
    HttpClient client;
    std::unique_ptr<BrowserEngine> browser;
    PageFiles pageFiles{window, state, pageView, quoteList};
    std::unique_ptr<PageRetrieval> retrieval;
    int extractions = 0;
    QString extractedText;
};

}  // namespace zelvon::test
