#include "score/DynamicMarks.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <optional>

namespace zamrit::score {
namespace {

constexpr std::array<const char*, 6> kNames{"ff", "f", "mf", "mp", "p", "pp"};

// The lowest level of each step but the softest: ff, f, mf, mp, p.
constexpr double LowerEdge(std::size_t step) {
    return DynamicMarks::kLoudestStepDb - DynamicMarks::kStepDb * static_cast<double>(step);
}

std::size_t StepOf(double level) {
    std::size_t step = 0;
    while (step + 1 < kNames.size() && level < LowerEdge(step)) ++step;
    return step;
}

// A point where the level changes: when, to what, and whether up or down.
struct Change {
    std::int64_t tick;
    double before;
    double level;
    int direction;  // +1 louder, -1 softer
};

class Reader {
public:
    std::vector<PlacedMark> Read(std::span<const SectionCourse> sections) {
        for (const SectionCourse& section : sections) ReadSection(section);
        // Only the opening mark: the level stays in its step, and the score says nothing.
        if (marks_.size() <= 1) return {};
        return std::move(marks_);
    }

private:
    void ReadSection(const SectionCourse& section) {
        std::vector<Change> changes;
        for (const CoursePoint& point : section.points) {
            if (!level_) {
                level_ = point.value;
                step_ = StepOf(point.value);
                marks_.push_back({point.tick, Mark::Kind::Dynamic, kNames[step_]});
                continue;
            }
            if (point.value == *level_) continue;
            changes.push_back({point.tick, *level_, point.value, point.value > *level_ ? 1 : -1});
            level_ = point.value;
        }
        std::int64_t heldSince = section.firstTick;
        for (std::size_t first = 0; first < changes.size();) {
            std::size_t last = first;
            while (last + 1 < changes.size() && changes[last + 1].direction == changes[first].direction &&
                   changes[last + 1].tick - changes[last].tick <= section.barTicks) {
                ++last;
            }
            if (last > first && std::abs(changes[last].level - changes[first].before) >= DynamicMarks::kLeastHairpinDb) {
                const std::int64_t interval = changes[first + 1].tick - changes[first].tick;
                const std::int64_t start = std::max(heldSince, changes[first].tick - interval);
                marks_.push_back({start, changes[first].direction > 0 ? Mark::Kind::Crescendo : Mark::Kind::Diminuendo, ""});
                marks_.push_back({changes[last].tick, Mark::Kind::HairpinEnd, ""});
                Settle(changes[last]);
            } else {
                for (std::size_t c = first; c <= last; ++c) Settle(changes[c]);
            }
            heldSince = changes[last].tick;
            first = last + 1;
        }
    }

    // A level reached: a new mark where it lies past the edge of the step in effect by the
    // hysteresis.
    void Settle(const Change& change) {
        const std::size_t step = StepOf(change.level);
        if (step == step_) return;
        const bool louder = step < step_;
        const bool past = louder ? change.level >= LowerEdge(step_ - 1) + DynamicMarks::kHysteresisDb
                                 : change.level < LowerEdge(step_) - DynamicMarks::kHysteresisDb;
        if (!past) return;
        step_ = step;
        marks_.push_back({change.tick, Mark::Kind::Dynamic, kNames[step_]});
    }

    std::vector<PlacedMark> marks_;
    std::optional<double> level_;
    std::size_t step_ = 0;
};

}  // namespace

double DynamicMarks::Level(std::int32_t volume, std::int32_t velocity) {
    const auto part = [](std::int32_t value) { return std::clamp(value, 1, 127) / 127.0; };
    return 40.0 * std::log10(part(volume)) + 40.0 * std::log10(part(velocity));
}

std::string DynamicMarks::Name(double level) { return kNames[StepOf(level)]; }

std::vector<PlacedMark> DynamicMarks::Find(std::span<const SectionCourse> sections) {
    return Reader().Read(sections);
}

}  // namespace zamrit::score
