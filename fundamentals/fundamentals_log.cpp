#include "fundamentals/fundamentals_log.h"

#include "platform/codec.h"
#include "platform/error.h"

namespace zelvon {
namespace {

constexpr int kNameWidth = 30;
constexpr int kRuleWidth = 81;

}  // namespace

QString PaddedName(const QString& name) { return name.leftJustified(kNameWidth, u'_'); }

FundamentalsLog::FundamentalsLog(const QString& path, const QString& group, DateTime now) : file_(path) {
    if (!file_.open(QIODevice::WriteOnly | QIODevice::Truncate)) {
        throw Error(QStringLiteral("Protokolldatei %1 kann nicht angelegt werden: %2").arg(path, file_.errorString()));
    }
    WriteLine(QStringLiteral("Aktualisierung decr Fundamentaldaten je Aktie \"") + group + QStringLiteral("\" am ") +
              formats::DateTimeToStr(now));
    WriteLine(QStringLiteral(" "));
    WriteLine(QStringLiteral("Wertpapier\t\t\tKurs\tAnzahl\t\tGewinn\tCash\tDividende"));
    WriteLine(QString(kRuleWidth, u'-'));
}

void FundamentalsLog::WriteSecurity(const QString& name, double price, const FundamentalValues& v) {
    QString line = PaddedName(name);
    for (const double value : {price, v.shareCount, v.earnings, v.cashFlow, v.dividend}) {
        line += u'\t' + formats::FloatToStr(value);
    }
    WriteLine(line);
}

void FundamentalsLog::Finish(DateTime now) {
    WriteLine(QStringLiteral(" "));
    WriteLine(QStringLiteral("Aktualisierung beendet ") + formats::DateTimeToStr(now));
    if (!file_.flush()) {
        throw Error(QStringLiteral("Protokolldatei %1 kann nicht geschrieben werden: %2")
                        .arg(file_.fileName(), file_.errorString()));
    }
    file_.close();
}

void FundamentalsLog::WriteLine(const QString& line) {
    const QByteArray bytes = codec::EncodeWindows1252(line) + "\r\n";
    if (file_.write(bytes) != bytes.size()) {
        throw Error(QStringLiteral("Protokolldatei %1 kann nicht geschrieben werden: %2")
                        .arg(file_.fileName(), file_.errorString()));
    }
}

}  // namespace zelvon
