#include "tools/demodata/catalog.h"

namespace zelvon::demodata {

const std::vector<Security>& KitSecurities() {
    static const std::vector<Security> kSecurities = {
        {1, "SAP SE", "716460", "716460", "DE0007164600", "SAP.DE", "EUR", kGermanShares, 1, 1, true,
         "SAP", "SAP G", "", "SAP", "https://www.sap.com", "Softwarehaus aus Walldorf.", 5.31, 7.02, 2.20, 1228504232},
        {2, "Siemens AG", "723610", "723610", "DE0007236101", "SIE.DE", "EUR", kGermanShares, 2, 1, true,
         "SIEMENS", "SIE G", "", "SIE", "https://www.siemens.com", "", 10.12, 12.40, 4.70, 800000000},
        {3, "BASF SE", "BASF11", "BASF11", "DE000BASF111", "BAS.DE", "EUR", kGermanShares, 3, 1, false,
         "BASF", "BAS G", "", "", "https://www.basf.com", "", 0.25, 8.10, 3.40, 892522164},
        {4, "Allianz SE", "840400", "840400", "DE0008404005", "ALV.DE", "EUR", kGermanShares, 4, 1, true,
         "ALLIANZ", "ALV G", "", "ALV", "https://www.allianz.com", "Versicherer; Dividende im Mai.", 21.94, 30.00, 13.80, 391000000},
        {5, "Deutsche Bank AG", "514000", "514000", "DE0005140008", "DBK.DE", "EUR", kGermanShares, 5, 1, false,
         "DT BANK", "DBK G", "", "", "https://www.db.com", "", 2.37, 0, 0.45, 1990000000},
        {6, "Bayerische Motoren Werke AG", "519000", "519000", "DE0005190003", "BMW.DE", "EUR", kGermanShares, 6, 1, false,
         "BMW", "BMW G", "", "", "https://www.bmwgroup.com", "", 18.77, 25.10, 6.00, 638000000},
        {7, "Bayer AG", "BAY001", "BAY001", "DE000BAY0017", "BAYN.DE", "EUR", kGermanShares, 7, 1, true,
         "BAYER", "BAYN G", "", "", "https://www.bayer.com", "", -2.99, 4.80, 0.11, 982424082},
        {8, "Müller Maschinenbau AG", "654321", "654321", "DE0006543210", "MMB.DE", "EUR", kGermanShares, 8, 1, true,
         "MUELLER", "MMB G", "", "MMB",
         "https://www.mueller-maschinenbau.example",
         "Familienunternehmen aus Göppingen, gegründet 1897. Fertigt Drehbänke, Fräsen und Sondermaschinen "
         "für die Automobilindustrie. Größter Einzelaktionär ist die Familie Müller mit 52 % der Stimmrechte. "
         "Hauptversammlung jedes Jahr im Juni in Stuttgart; Dividende wird am dritten Börsentag danach gezahlt. "
         "Werke in Göppingen, Zwickau und Linz.",
         1.85, 2.40, 0.60, 12500000},
        {9, "Straßenbahn Köln AG", "765432", "765432", "DE0007654321", "SBK.DE", "EUR", kSmallCaps, 9, 1, false,
         "STRASSENB", "SBK G", "", "", "", "", 0.42, 1.10, 0.20, 4000000},
        {10, "Bäckerei Öhlmann & Söhne KGaA", "876543", "876543", "DE0008765432", "BOE.DE", "EUR", kSmallCaps, 10, 1, false,
         "OEHLMANN", "BOE G", "", "", "https://www.oehlmann.example", "Brötchen, Brezeln, Kuchen.", 0.95, 1.30, 0.35, 2100000},
        {11, "Überseehandel Altbestand GmbH", "", "", "DE0001234566", "", "EUR", kGermanShares, 10, 4, true,
         "UEBERSEE", "", "", "", "", "Ohne Kennung: wird nie abgefragt.", 0, 0, 0, 0},
        {12, "Apple Inc.", "865985", "865985", "US0378331005", "AAPL", "USD", kUsShares, 11, 2, true,
         "APPLE", "AAPL", "", "AAPL", "https://www.apple.com", "", 6.13, 7.40, 0.96, 15550061000},
        {13, "Microsoft Corp.", "870747", "870747", "US5949181045", "MSFT", "USD", kUsShares, 1, 2, false,
         "MICROSOFT", "MSFT", "", "", "https://www.microsoft.com", "", 9.68, 11.20, 2.72, 7430000000},
        {14, "Coca-Cola Co.", "850663", "850663", "US1912161007", "KO", "USD", kUsShares, 10, 2, false,
         "COCA COLA", "KO", "", "", "https://www.coca-colacompany.com", "", 2.47, 2.60, 1.84, 4310000000},
        {15, "International Business Machines Corp.", "851399", "851399", "US4592001014", "IBM", "USD", kUsShares, 11, 2, false,
         "IBM", "IBM", "", "", "https://www.ibm.com", "", 8.14, 12.00, 6.64, 916000000},
        {16, "Nestlé S.A.", "NESN", "A0Q4DC", "CH0038863350", "NESN.SW", "CHF", kSwissShares, 10, 3, true,
         "NESTLE", "NESN", "NESN", "", "https://www.nestle.com", "", 4.30, 5.10, 3.00, 2650000000},
        {17, "Novartis AG", "NOVN", "904278", "CH0012005267", "NOVN.SW", "CHF", kSwissShares, 7, 3, false,
         "NOVARTIS", "NOVN", "NOVN", "", "https://www.novartis.com", "", 3.90, 6.20, 3.30, 2040000000},
        {18, "Roche Holding AG Genussschein", "ROG", "855167", "CH0012032048", "ROG.SW", "CHF", kSwissShares, 7, 3, false,
         "ROCHE", "ROG", "ROG", "", "https://www.roche.com", "", 14.30, 18.90, 9.60, 702562700},
        {19, "UBS Group AG", "UBSG", "A12DFH", "CH0244767585", "UBSG.SW", "CHF", kSwissShares, 5, 3, false,
         "UBS", "UBSG", "UBSG", "", "https://www.ubs.com", "", 8.70, 0, 0.70, 3460000000},
        {20, "Deutsche Telekom AG", "555750", "555750", "DE0005557508", "DTE.DE", "EUR", kGermanShares, 11, 1, false,
         "TELEKOM", "DTE G", "", "", "https://www.telekom.com", "", 3.59, 4.20, 0.77, 4980000000},
        {21, "Volkswagen AG Vz.", "766403", "766403", "DE0007664039", "VOW3.DE", "EUR", kGermanShares, 6, 1, false,
         "VW VZ", "VOW3 G", "", "", "https://www.volkswagen.de", "", 35.14, 50.00, 9.06, 206205445},
        {22, "Münchener Rückversicherungs-Gesellschaft AG", "843002", "843002", "DE0008430026", "MUV2.DE", "EUR",
         kGermanShares, 4, 1, true, "MUENCH RUE", "MUV2 G", "", "", "https://www.munichre.com", "", 32.00, 40.00, 15.00, 137000000},
        {23, "Löwenbräu Süd Brauerei AG", "912345", "912345", "DE0009123450", "LSB.DE", "EUR", kSmallCaps, 10, 1, false,
         "LOEWENBR", "LSB G", "", "", "", "", 1.10, 1.50, 0.50, 3000000},
        {24, "Amazon.com Inc.", "906866", "906866", "US0231351067", "AMZN", "USD", kUsShares, 11, 2, false,
         "AMAZON", "AMZN", "", "", "https://www.amazon.com", "", 2.90, 8.00, 0, 10400000000},
        {101, "DWS Vermögensbildungsfonds I", "847652", "847652", "DE0008476524", "", "EUR", kFunds, 12, 1, false,
         "DWS VB I", "", "", "", "https://www.dws.de", "Aktienfonds global.", 0, 0, 0, 0},
        {102, "iShares Core MSCI World UCITS ETF", "A0RPWH", "A0RPWH", "IE00B4L5Y983", "EUNL.DE", "USD", kFunds, 12, 5, false,
         "MSCI WORLD", "", "", "", "https://www.ishares.com", "", 0, 0, 0, 0},
        {201, "Call DAX 18000 12/2025 Optionsschein", "HX1234", "HX1234", "DE000HX12345", "", "EUR", kWarrants, 13, 1, false,
         "DAX C1800", "", "", "", "", "Basispreis 18.000, Bezugsverhältnis 0,01.", 0, 0, 0, 0},
        {202, "Put Siemens 120 06/2025 Optionsschein", "CB9876", "CB9876", "DE000CB98765", "", "EUR", kWarrants, 13, 1, false,
         "SIE P120", "", "", "", "", "", 0, 0, 0, 0},
        {301, "DAX Performance-Index", "846900", "846900", "DE0008469008", "^GDAXI", "EUR", kIndices, 14, 1, true,
         "DAX", "DAX", "DAX", "DAX", "", "", 0, 0, 0, 0},
        {302, "Dow Jones Industrial Average", "969420", "969420", "US2605661048", "^DJI", "USD", kIndices, 14, 2, false,
         "DOW JONES", "DJIA", "DJI", "", "", "", 0, 0, 0, 0},
        {401, "Discount-Zertifikat Allianz 250 03/2026", "DB4AL2", "DB4AL2", "DE000DB4AL25", "", "EUR", kCertificates, 13, 1,
         false, "ALV DISC", "", "", "", "", "Cap 250, Bewertungstag 20.03.2026.", 0, 0, 0, 0},
        {402, "Bonus-Zertifikat BASF 40 09/2026", "DB7BA4", "DB7BA4", "DE000DB7BA46", "", "EUR", kCertificates, 13, 1,
         false, "BAS BONUS", "", "", "", "", "", 0, 0, 0, 0},
        {501, "Rheinmetall AG", "703000", "703000", "DE0007030009", "RHM.DE", "EUR", kWinBisShares, 6, 1, false,
         "RHEINMET", "RHM G", "", "", "https://www.rheinmetall.com", "Kurse über WinBis.", 12.00, 15.00, 5.70, 43500000},
        {502, "Infineon Technologies AG", "623100", "623100", "DE0006231004", "IFX.DE", "EUR", kWinBisShares, 11, 1,
         false, "INFINEON", "IFX G", "", "", "https://www.infineon.com", "Kurse über WinBis.", 1.40, 2.60, 0.35,
         1305000000},
        {601, "Porsche Automobil Holding SE Vz.", "PAH003", "PAH003", "DE000PAH0038", "PAH3.DE", "EUR", kTaiPanShares,
         6, 1, false, "PORSCHE", "PAH3 G", "", "", "https://www.porsche-se.com", "Kurse über TaiPanRT.", 16.40, 0,
         2.56, 153125000},
        {602, "Zalando SE", "ZAL111", "ZAL111", "DE000ZAL1111", "ZAL.DE", "EUR", kTaiPanShares, 11, 1, false,
         "ZALANDO", "ZAL G", "", "", "https://www.zalando.de", "Kurse über TaiPanRT.", 0.96, 2.10, 0, 263000000},
    };
    return kSecurities;
}

const std::vector<NamedIndex>& KitGroups() {
    static const std::vector<NamedIndex> kGroups = {
        {kAllGroup, "Alle Werte"},       {kGermanShares, "Aktien Deutschland"}, {kUsShares, "Aktien USA"},
        {kSwissShares, "Aktien Schweiz"}, {kFunds, "Fonds"},                     {kWarrants, "Optionsscheine"},
        {kIndices, "Indizes"},          {kSmallCaps, "Nebenwerte"},            {kCertificates, "Zertifikate"},
        {kWinBisShares, "WinBis-Werte"}, {kTaiPanShares, "TaiPan-Werte"},
    };
    return kGroups;
}

const std::vector<NamedIndex>& KitSectors() {
    static const std::vector<NamedIndex> kSectors = {
        {1, "Software"},       {2, "Elektrotechnik"},  {3, "Chemie"},          {4, "Versicherungen"}, {5, "Banken"},
        {6, "Automobil"},      {7, "Pharma"},          {8, "Maschinenbau"},    {9, "Verkehr"},        {10, "Nahrungsmittel"},
        {11, "Technologie"},   {12, "Investmentfonds"}, {13, "Derivate"},      {14, "Indizes"},
    };
    return kSectors;
}

const std::vector<NamedIndex>& KitMarks() {
    static const std::vector<NamedIndex> kMarks = {
        {1, "Deutschland"}, {2, "USA"}, {3, "Schweiz"}, {4, "Europa"}, {5, "Welt"},
    };
    return kMarks;
}

const std::vector<std::string>& KitCurrencies() {
    static const std::vector<std::string> kCurrencies = {"EUR", "USD", "CHF", "GBP", "JPY"};
    return kCurrencies;
}

const std::vector<int32_t>& KitWatchList(int k) {
    static const std::vector<int32_t> kLists[4] = {
        {1, 4, 12, 16},
        {2, 8, 101},
        {11, 13},
        {},
    };
    static const std::vector<int32_t> kNone;
    return k >= 1 && k <= 4 ? kLists[k - 1] : kNone;
}

const std::vector<Transaction>& KitTransactions() {
    static const std::vector<Transaction> kTransactions = {
        {1, {2021, 3, 15}, 1, 50, 120.50, {}, 0},
        {4, {2019, 5, 2}, 2, 20, 180.10, {2022, 8, 10}, 205.40},
        {4, {2023, 1, 12}, 3, 15, 221.30, {}, 0},
        {5, {2018, 2, 1}, 4, 200, 15.30, {2020, 6, 30}, 7.90},
        {8, {2017, 7, 7}, 9, 300, 24.00, {}, 0},
        {11, {2016, 4, 4}, 10, 1000, 1.00, {}, 0},
        {12, {2020, 9, 1}, 5, 40, 110.20, {}, 0},
        {16, {2022, 11, 11}, 6, 30, 108.00, {}, 0},
        {101, {2015, 1, 5}, 7, 125.5, 98.40, {}, 0},
        {201, {2024, 2, 1}, 8, 1000, 0.85, {2024, 5, 15}, 1.40},
    };
    return kTransactions;
}

const std::vector<IntradayQuote>& KitIntraday() {
    static const std::vector<IntradayQuote> kQuotes = {
        {1, {2024, 3, 1}, 9, 5, 174.20, 12040},   {1, {2024, 3, 1}, 12, 30, 175.02, 40112},
        {1, {2024, 3, 1}, 17, 35, 176.40, 98000}, {12, {2024, 3, 1}, 15, 30, 179.66, 250000},
        {12, {2024, 3, 1}, 22, 0, 180.75, 0},     {16, {2024, 2, 29}, 17, 30, 94.12, 30500},
        {101, {2024, 2, 29}, 0, 0, 188.33, 0},
    };
    return kQuotes;
}

const std::vector<NewsItem>& KitNews() {
    static const std::vector<NewsItem> kNews = {
        {1001, 1, "SAP SE: Vorläufige Zahlen zum Geschäftsjahr 2023", {2024, 1, 24}, 22, 5, true},
        {1002, 8, "Müller Maschinenbau AG: Auftragseingang über Plan", {2024, 2, 12}, 7, 30, true},
        {1003, 5, "Deutsche Bank AG: Veränderung im Vorstand", {2024, 2, 20}, 18, 45, false},
    };
    return kNews;
}

const std::vector<TeletextPage>& KitTeletextPages() {
    static const std::vector<TeletextPage> kPages = {
        {"ZDF Aktien Inland", "ZDF", "ZDFAKT.vtf", 520, 529, "Deutsche Aktien im ZDF-Text"},
        {"n-tv DAX", "N-TV", "NTVDAX.vtf", 230, 239, "DAX-Werte bei n-tv"},
        {"SF1 Börse Schweiz", "SF1", "SF1SMI.vtf", 540, 545, "Schweizer Aktien"},
        {"ZDF Devisen", "ZDF", "ZDFDEV.vtf", 540, 541, "Devisenkurse"},
    };
    return kPages;
}

const std::vector<TeletextPage>& KitActiveTvPages() {
    static const std::vector<TeletextPage> kPages = {KitTeletextPages()[0], KitTeletextPages()[1]};
    return kPages;
}

const std::vector<TeletextPage>& KitActiveDdePages() {
    static const std::vector<TeletextPage> kPages = {KitTeletextPages()[1]};
    return kPages;
}

const std::vector<SourceDefault>& KitSourceDefaults() {
    // German shares keep the program's default source (Yahoo); funds from
    // comdirect, Swiss shares from the Swiss source's intraday trade lists,
    // warrants from wallstreet-online by ISIN, small caps from Consors by WKN,
    // US shares from Teleboerse by ISIN, indices from Onvista (the Dow Jones
    // through its search result page), certificates from Onvista's
    // DB-Zertifikate pages; the WinBis shares from the WinBis feed's XETRA
    // topic, the TaiPan shares from the TaiPan feed's Xetra code.
    static const std::vector<SourceDefault> kDefaults = {
        {kFunds, 1, 0},      {kSwissShares, 6, 1}, {kWarrants, 10, 0},     {kSmallCaps, 12, 0},
        {kUsShares, 14, 2},  {kIndices, 11, 9},    {kCertificates, 11, 6}, {kWinBisShares, 9, 0},
        {kTaiPanShares, 13, 7}};
    return kDefaults;
}

const std::vector<FeedValue>& KitFeedValues() {
    static const std::vector<FeedValue> kValues = {
        {"WinBis", "XETRA", "703000/L", "612,40 EUR"},  {"WinBis", "XETRA", "703000/G", "184500"},
        {"WinBis", "XETRA", "703000/A", "612,60"},      {"WinBis", "XETRA", "703000/AV", "350"},
        {"WinBis", "XETRA", "703000/B", "612,20"},      {"WinBis", "XETRA", "703000/NV", "420"},
        {"WinBis", "XETRA", "623100/L", "33,875 EUR"},  {"WinBis", "XETRA", "623100/G", "2417300"},
        {"WinBis", "XETRA", "623100/A", "33,88"},       {"WinBis", "XETRA", "623100/AV", "5000"},
        {"WinBis", "XETRA", "623100/B", "33,86"},       {"WinBis", "XETRA", "623100/NV", "7200"},
        {"TaiPanRT", "PAH003.ETR", "last", "38,12 €"},  {"TaiPanRT", "PAH003.ETR", "volumen", "512800"},
        {"TaiPanRT", "PAH003.ETR", "lasttime", "17:35:02"},
        {"TaiPanRT", "ZAL111.ETR", "last", "24,66 €"},  {"TaiPanRT", "ZAL111.ETR", "volumen", "689100"},
        {"TaiPanRT", "ZAL111.ETR", "lasttime", "17:35:04"},
    };
    return kValues;
}

size_t KitOpenPositionCount() {
    size_t n = 0;
    for (const Transaction& t : KitTransactions()) n += t.verkauf.empty() ? 1 : 0;
    return n;
}

const Security* FindKitSecurity(int32_t firma) {
    for (const Security& s : KitSecurities())
        if (s.firma == firma) return &s;
    return nullptr;
}

}  // namespace zelvon::demodata
