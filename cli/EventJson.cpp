#include "cli/EventJson.h"

namespace zamrit {

std::string HexBytes(std::span<const std::uint8_t> bytes) {
    static constexpr char kDigits[] = "0123456789ABCDEF";
    std::string hex;
    hex.reserve(bytes.size() * 2);
    for (std::uint8_t byte : bytes) {
        hex.push_back(kDigits[byte >> 4]);
        hex.push_back(kDigits[byte & 0x0F]);
    }
    return hex;
}

nlohmann::ordered_json EventToJson(const MusicEvent& event) {
    return {
        {"kind", event.kind},         {"delta", event.delta}, {"channel", event.channel},
        {"key", event.key},           {"duration", event.duration},
        {"velocity", event.velocity}, {"code", event.code},   {"value", event.value},
        {"data", HexBytes(event.DataBytes())},
    };
}

nlohmann::ordered_json EventsToJson(std::span<const MusicEvent> events) {
    nlohmann::ordered_json list = nlohmann::ordered_json::array();
    for (const MusicEvent& event : events) list.push_back(EventToJson(event));
    return list;
}

nlohmann::ordered_json ReportsToJson(const RecordingMessageSink& reports) { return reports.Lines(); }

std::optional<nlohmann::ordered_json> WithReportsCut(const nlohmann::ordered_json& document) {
    if (!document.is_object()) return std::nullopt;
    const auto reports = document.find("reports");
    if (reports == document.end() || !reports->is_array() || reports->size() <= kListedReports) {
        return std::nullopt;
    }
    nlohmann::ordered_json cut = nlohmann::ordered_json::object();
    for (const auto& [key, value] : document.items()) {
        if (key != "reports") {
            cut[key] = value;
            continue;
        }
        cut[key] = nlohmann::ordered_json(value.begin(), value.begin() + static_cast<std::ptrdiff_t>(kListedReports));
        cut["reportsNotListed"] = value.size() - kListedReports;
    }
    return cut;
}

}  // namespace zamrit
