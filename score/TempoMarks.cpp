#include "score/TempoMarks.h"

#include <optional>

namespace zamrit::score {
namespace {

class Reader {
public:
    std::vector<PlacedMark> Read(std::span<const SectionCourse> sections) {
        for (const SectionCourse& section : sections) {
            if (section.barTicks <= 0) continue;
            std::size_t next = 0;
            for (std::int64_t barStart = section.firstTick; barStart < section.endTick; barStart += section.barTicks) {
                ReadBar(section, barStart, next);
            }
        }
        return std::move(marks_);
    }

private:
    // Takes the bar's tempo changes and weighs the bar: as long as its beats make it, against
    // as long as the tempo before the slowing in it would.
    void ReadBar(const SectionCourse& section, std::int64_t barStart, std::size_t& next) {
        const std::int64_t barEnd = barStart + section.barTicks;
        double time = 0;
        std::int64_t at = barStart;
        std::optional<CoursePoint> barSlowing = slowing_;
        const auto advance = [&](std::int64_t to) {
            if (beat_) time += static_cast<double>(to - at) * *beat_;
            at = to;
        };
        for (; next < section.points.size() && section.points[next].tick < barEnd; ++next) {
            const CoursePoint& point = section.points[next];
            if (point.tick < barStart) continue;
            advance(point.tick);
            Take(point);
            if (!barSlowing && slowing_) barSlowing = slowing_;
        }
        advance(barEnd);
        if (barSlowing && !marked_ &&
            time >= static_cast<double>(section.barTicks) * barSlowing->value * TempoMarks::kMarkedSlowing) {
            marks_.push_back({barSlowing->tick, Mark::Kind::TempoWords, "rit."});
            marked_ = slowing_.has_value();
            ritBase_ = barSlowing->value;
            // The slowing was over within the bar: the tempo came back where it ended.
            if (!slowing_ && returned_ && *beat_ <= *ritBase_ * TempoMarks::kTempoBack) {
                marks_.push_back({*returned_, Mark::Kind::TempoWords, "a tempo"});
                ritBase_.reset();
            }
        }
    }

    void Take(const CoursePoint& point) {
        if (point.value <= 0) return;
        if (!beat_ || point.value == *beat_) {
            beat_ = point.value;
            return;
        }
        if (point.value > *beat_) {
            if (!slowing_) {
                slowing_ = CoursePoint{point.tick, *beat_};
                marked_ = false;
            }
        } else {
            if (slowing_) returned_ = point.tick;
            slowing_.reset();
            marked_ = false;
            if (ritBase_ && point.value <= *ritBase_ * TempoMarks::kTempoBack) {
                marks_.push_back({point.tick, Mark::Kind::TempoWords, "a tempo"});
                ritBase_.reset();
            }
        }
        beat_ = point.value;
    }

    std::vector<PlacedMark> marks_;
    std::optional<double> beat_;             // the length of a quarter in effect
    std::optional<CoursePoint> slowing_;     // where the run of slower beats started, and the beat before it
    bool marked_ = false;                    // the run is marked "rit."
    std::optional<double> ritBase_;          // the beat before a marked slowing not yet taken back
    std::optional<std::int64_t> returned_;   // where the last slowing ended
};

}  // namespace

std::vector<PlacedMark> TempoMarks::Find(std::span<const SectionCourse> sections) { return Reader().Read(sections); }

}  // namespace zamrit::score
