#include "paradox/dump.h"

#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstdlib>

#include "paradox/date_time.h"

namespace paradox {
namespace {

void AppendEscaped(const std::string& text, std::string* out) {
    for (unsigned char c : text) {
        switch (c) {
            case '\\': *out += "\\\\"; break;
            case '\t': *out += "\\t"; break;
            case '\n': *out += "\\n"; break;
            case '\r': *out += "\\r"; break;
            default:
                if (c < 0x20 || c == 0x7F) {
                    char buffer[8];
                    std::snprintf(buffer, sizeof buffer, "\\x%02x", c);
                    *out += buffer;
                } else {
                    out->push_back(char(c));
                }
        }
    }
}

std::string BlobSummary(const std::vector<uint8_t>& bytes) {
    std::string out = std::to_string(bytes.size()) + ":";
    static const char* kHex = "0123456789abcdef";
    for (size_t i = 0; i < bytes.size() && i < 32; ++i) {
        out.push_back(kHex[bytes[i] >> 4]);
        out.push_back(kHex[bytes[i] & 15]);
    }
    return out;
}

}  // namespace

std::string FormatDouble(double value) {
    if (std::isnan(value)) return "NaN";
    if (std::isinf(value)) return value < 0 ? "-Infinity" : "Infinity";
    if (value == 0) return "0";
    char buffer[64];
    auto result = std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::scientific);
    std::string sci(buffer, result.ptr);
    bool negative = sci[0] == '-';
    if (negative) sci.erase(0, 1);
    size_t e = sci.find('e');
    int exponent = std::atoi(sci.c_str() + e + 1);
    std::string digits;
    for (size_t i = 0; i < e; ++i)
        if (sci[i] != '.') digits.push_back(sci[i]);
    int k = int(digits.size());
    int n = exponent + 1;  // position of the decimal point
    std::string out;
    if (k <= n && n <= 21) {
        out = digits + std::string(size_t(n - k), '0');
    } else if (0 < n && n <= 21) {
        out = digits.substr(0, size_t(n)) + "." + digits.substr(size_t(n));
    } else if (-6 < n && n <= 0) {
        out = "0." + std::string(size_t(-n), '0') + digits;
    } else {
        std::string exp = (n - 1 < 0 ? "-" : "+") + std::to_string(std::abs(n - 1));
        out = digits.substr(0, 1) + (k > 1 ? "." + digits.substr(1) : "") + "e" + exp;
    }
    return negative ? "-" + out : out;
}

std::string FormatValue(const Value& v) {
    if (v.is_null) return "\\N";
    std::string out;
    switch (v.type) {
        case FieldType::kAlpha: AppendEscaped(v.text, &out); return out;
        case FieldType::kShort: case FieldType::kLong: case FieldType::kAutoIncrement: return std::to_string(v.integer);
        case FieldType::kNumber: case FieldType::kCurrency: return FormatDouble(v.number);
        case FieldType::kBcd: return v.text;
        case FieldType::kDate: return FormatDate(v.integer);
        case FieldType::kTime: return FormatTime(v.integer);
        case FieldType::kTimestamp: {
            int64_t day = v.integer / kMillisPerDay, ms = v.integer % kMillisPerDay;
            return FormatDate(day) + " " + FormatTime(ms);
        }
        case FieldType::kLogical: return v.integer ? "true" : "false";
        default: return BlobSummary(v.bytes);
    }
}

Status FormatRecord(const Table& table, const RecordRef& record, std::string* line) {
    line->clear();
    Value value;
    for (size_t f = 0; f < table.fields().size(); ++f) {
        PX_RETURN_IF_ERROR(table.ReadValue(record, f, &value));
        if (f) line->push_back('\t');
        *line += FormatValue(value);
    }
    return Status::Ok();
}

void WriteDumpHeader(const Table& table, std::ostream& out) {
    const FileHeader& h = table.header();
    out << "# table: " << table.name() << "\n";
    out << "# version: " << h.VersionLevel() << "\n";
    out << "# records: " << table.record_count() << "\n";
    out << "# fields: " << h.num_fields << "\n";
    out << "# keyfields: " << h.key_fields << "\n";
    out << "# codepage: " << h.code_page << "\n";
    out << "#cols";
    for (const FieldInfo& f : h.fields) out << "\t" << f.name;
    out << "\n";
}

}  // namespace paradox
