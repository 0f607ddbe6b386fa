#pragma once

#include <nlohmann/json.hpp>
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

}  // namespace zamrit
