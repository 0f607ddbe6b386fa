#pragma once

#include <cstddef>
#include <nlohmann/json.hpp>
#include <optional>
#include <span>

#include "melody/MusicEvent.h"
#include "platform/RecordingMessageSink.h"

namespace zamrit {

// {"kind", "delta", "channel", "key", "duration", "velocity", "code", "value", "data"}: every
// field always present, numbers in decimal, data as upper-case hex without blanks.
nlohmann::ordered_json EventToJson(const MusicEvent& event);
nlohmann::ordered_json EventsToJson(std::span<const MusicEvent> events);

// Upper-case hex of the bytes, without blanks ("" for none).
std::string HexBytes(std::span<const std::uint8_t> bytes);

// The report lines recorded so far, in order.
nlohmann::ordered_json ReportsToJson(const RecordingMessageSink& reports);

// A command's JSON lists at most this many report lines; standard error has every one.
inline constexpr std::size_t kListedReports = 1000;

// The document as it is printed when its "reports" array is longer than kListedReports: the
// array keeps its first kListedReports lines and "reportsNotListed", right after it, counts
// the others. Nothing when there is nothing to cut.
std::optional<nlohmann::ordered_json> WithReportsCut(const nlohmann::ordered_json& document);

}  // namespace zamrit
