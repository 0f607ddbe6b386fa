#include "app/MeasureOrder.h"

namespace zamrit {
namespace {

constexpr std::string_view kMinuet = "MN_00_00.dat";
constexpr std::string_view kTrio = "TR_00_00.dat";
constexpr std::string_view kDanceFirst = "DA_00_00.dat";
constexpr std::string_view kDanceSecond = "DB_00_00.dat";

char Digit(std::int32_t value) { return static_cast<char>('0' + value); }

}  // namespace

std::string MeasureFileName(std::string_view fileTemplate, std::int32_t sum,
                            std::int32_t barDigits) {
    std::string name(fileTemplate);
    name[3] = Digit(sum / 10);
    name[4] = Digit(sum % 10);
    name[6] = Digit(barDigits / 10);
    name[7] = Digit(barDigits % 10);
    return name;
}

std::vector<std::string> MeasureOrder(PieceForm form, const DiceState& dice) {
    std::vector<std::string> names;
    if (form == PieceForm::MinuetTrio) {
        for (std::int32_t bar = 1; bar <= 16; ++bar) {
            names.push_back(MeasureFileName(kMinuet, dice.Sum(bar), bar));
        }
        for (std::int32_t bar = 17; bar <= 32; ++bar) {
            names.push_back(MeasureFileName(kTrio, dice.Sum(bar), bar));
        }
        return names;
    }
    for (std::int32_t bar = 1; bar <= 16; ++bar) {
        names.push_back(MeasureFileName(kDanceFirst, dice.Sum(bar), (bar - 1) % 8 + 1));
    }
    for (std::int32_t bar = 17; bar <= 24; ++bar) {
        names.push_back(MeasureFileName(kDanceSecond, dice.Sum(bar), bar - 16));
    }
    return names;
}

std::vector<std::string> AllMeasureFileNames() {
    std::vector<std::string> names;
    names.reserve(448);
    for (std::int32_t bar = 1; bar <= 16; ++bar) {
        for (std::int32_t sum = 2; sum <= 12; ++sum) names.push_back(MeasureFileName(kMinuet, sum, bar));
    }
    for (std::int32_t bar = 17; bar <= 32; ++bar) {
        for (std::int32_t sum = 1; sum <= 6; ++sum) names.push_back(MeasureFileName(kTrio, sum, bar));
    }
    for (std::string_view part : {kDanceFirst, kDanceSecond}) {
        for (std::int32_t bar = 1; bar <= 8; ++bar) {
            for (std::int32_t sum = 2; sum <= 12; ++sum) names.push_back(MeasureFileName(part, sum, bar));
        }
    }
    return names;
}

}  // namespace zamrit
