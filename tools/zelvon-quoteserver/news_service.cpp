#include "tools/zelvon-quoteserver/news_service.h"

#include <algorithm>
#include <cctype>
#include <vector>

namespace zelvon::quoteserver {
namespace {

struct DemoNews {
    const char* number;
    const char* time;      // "dd.mm.yy hh:nn"
    const char* headline;  // Windows-1252
    const char* lead;      // UTF-8; holds the identifier, before the first line break
    const char* body;      // UTF-8, with the references the pages use
};

// One matched by WKN, one by "ISIN: ", one by "(ISIN ", one unmatched, one in
// English, one for an active security, and one the demo data already holds.
const std::vector<DemoNews>& Items() {
    static const std::vector<DemoNews> kItems = {
        {"4001", "05.03.24 08:15", "BASF SE: Prognose f\xfcr 2024 best\xe4tigt", "BASF SE (WKN: BASF11) gibt bekannt:",
         "Der Vorstand best&auml;tigt die Prognose f&uuml;r das Gesch&auml;ftsjahr 2024.<br>Die Dividende soll stabil "
         "bleiben."},
        {"4002", "05.03.24 09:30", "Deutsche Bank AG: Ver\xe4nderung im Aufsichtsrat",
         "Deutsche Bank AG, ISIN: DE0005140008, Frankfurt am Main.",
         "Herr M\xc3\xbcller scheidet zum 31.03.2024 aus dem Aufsichtsrat aus.<br>Ein Nachfolger wird gesucht."},
        {"4003", "05.03.24 11:00", "Stra\xdf" "enbahn K\xf6ln AG: Neue Linie", "Stra\xc3\x9f" "enbahn K\xc3\xb6ln AG (ISIN DE0007654321)",
         "Die Stra&szlig;enbahn K&ouml;ln AG er&ouml;ffnet eine neue Linie.&nbsp;&nbsp;Baubeginn ist im Mai."},
        {"4004", "05.03.24 12:45", "Nordlicht Beteiligungen AG: Kapitalerh\xf6hung",
         "Nordlicht Beteiligungen AG, Hamburg.",
         "Die Gesellschaft erh&ouml;ht ihr Grundkapital um 10&nbsp;%.<br>Die Bezugsfrist l&auml;uft zwei Wochen."},
        {"4005", "05.03.24 14:00", "Microsoft Corp.: Quarterly dividend (engl.)", "Microsoft Corp. (WKN: 870747) announces:",
         "The board declared a quarterly dividend of &quot;USD 0.75&quot; per share."},
        {"4006", "05.03.24 16:20", "M\xfcller Maschinenbau AG: Gro\xdf" "auftrag aus China",
         "M\xc3\xbcller Maschinenbau AG (WKN: 654321) meldet:",
         "Die Gesellschaft hat einen Gro&szlig;auftrag &uuml;ber 40 Drehb&auml;nke erhalten.<br>"
         "Der Auftrag sichert die Auslastung bis 2025."},
        {"1002", "12.02.24 07:30", "M\xfcller Maschinenbau AG: Auftragseingang \xfc" "ber Plan", "", ""},
    };
    return kItems;
}

// Enough line breaks before the first item and enough room between items that
// each item's window holds its own link only.
std::string Overview() {
    std::string page = "<html>\n<head>\n<title>Ad-hoc-Meldungen</title>\n</head>\n<body>\n";
    for (int i = 0; i < 8; ++i) page += "<!-- Zelvon Demo-Nachrichtendienst -->\n";
    page += "<h2>Realtime News</h2>\n";
    const std::string padding(600, '-');
    for (const DemoNews& item : Items()) {
        page += std::string("<div class=\"content_type news_type\"><a href=\"/news/detail?id=") + item.number
                + "\"><strong><br>" + item.time + "&nbsp;" + item.headline + "</strong></a></div><!-- " + padding
                + " -->\n";
    }
    return page + "<a href=\"/mehr\">weitere NASDAQ OMX News</a>\n</body>\n</html>\n";
}

std::string Detail(const DemoNews& item) {
    return std::string("<html><head><meta http-equiv=\"Content-Type\" content=\"text/html; charset=utf-8\">"
                       "<title>Ad-hoc-Meldung</title></head><body><h6>Ad-hoc-Meldung</h6> ")
           + item.lead + "<br>" + item.body + "<br>Ende der Ad-hoc-Mitteilung<br>\n\n\n\n\n"
           + "<script type=\"text/javascript\">var demo = 1;</script>\n</body></html>\n";
}

}  // namespace

bool IsNewsHost(const std::string& host) {
    std::string lower = host;
    std::transform(lower.begin(), lower.end(), lower.begin(), [](unsigned char c) { return std::tolower(c); });
    return lower.rfind("news.", 0) == 0;
}

NewsAnswer AnswerNews(const std::string& path, const std::string& id) {
    if (path == "/") return {200, "text/html; charset=iso-8859-1", Overview()};
    if (path == "/news/detail") {
        for (const DemoNews& item : Items()) {
            if (id == item.number && *item.lead) return {200, "text/html; charset=utf-8", Detail(item)};
        }
    }
    return {404, "text/plain; charset=utf-8", "Keine Meldung unter " + path + "\n"};
}

}  // namespace zelvon::quoteserver
