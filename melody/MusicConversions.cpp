#include "melody/MusicConversions.h"

#include <limits>

#include "melody/ErrorReporting.h"

namespace zamrit {

std::int32_t TempoToBpm(std::int32_t microsecondsPerQuarter) {
    std::int32_t millisecondsPerQuarter = microsecondsPerQuarter / 1000;
    if (millisecondsPerQuarter == 0) {
        ReportGeneralError(0x01000012);
        millisecondsPerQuarter = 1;
    }
    return 60000 / millisecondsPerQuarter;
}

std::int32_t MeasureTicks(std::int32_t timeSignature, std::int32_t ticksPerQuarter) {
    if (timeSignature == 0 || ticksPerQuarter == 0) return kDefaultMeasureLength;
    const std::int32_t denominator = timeSignature % 256;
    const std::int32_t numerator = timeSignature / 256;
    if (denominator == 0) return kDefaultMeasureLength;
    const double ticks = 4.0 / denominator * numerator * ticksPerQuarter;
    if (!(ticks >= 1.0 && ticks <= std::numeric_limits<std::int32_t>::max())) {
        return kDefaultMeasureLength;
    }
    return static_cast<std::int32_t>(ticks);
}

std::array<std::uint8_t, 4> MakeTimeSignatureData(std::int32_t packed) {
    std::int32_t denominator = packed % 256;
    std::uint8_t power = 0;
    while (denominator > 1) {
        denominator /= 2;
        ++power;
    }
    return {static_cast<std::uint8_t>(packed / 256), power, 18, 8};
}

}  // namespace zamrit
