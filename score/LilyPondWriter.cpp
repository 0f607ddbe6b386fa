#include "score/LilyPondWriter.h"

#include <algorithm>
#include <array>
#include <numeric>
#include <sstream>
#include <string>

namespace zamrit::score {
namespace {

constexpr std::array<const char*, 7> kLetters{"c", "d", "e", "f", "g", "a", "b"};
constexpr std::array<const char*, 15> kMajorKeys{"ces", "ges", "des", "aes", "ees", "bes", "f", "c",
                                                 "g",   "d",   "a",   "e",   "b",   "fis", "cis"};

std::string PitchText(const Pitch& pitch) {
    std::string text = kLetters[static_cast<std::size_t>(pitch.step)];
    for (std::int32_t i = 0; i < pitch.alter; ++i) text += "is";
    for (std::int32_t i = 0; i > pitch.alter; --i) text += "es";
    // The octave below middle C has no mark; ' raises and , lowers by an octave.
    for (std::int32_t o = 3; o < pitch.octave; ++o) text += '\'';
    for (std::int32_t o = 3; o > pitch.octave; --o) text += ',';
    return text;
}

std::string KeyText(std::int32_t fifths) {
    const std::int32_t index = std::clamp(fifths, -7, 7) + 7;
    return std::string("\\key ") + kMajorKeys[static_cast<std::size_t>(index)] + " \\major";
}

std::string TimeText(std::int32_t beats) { return "\\time " + std::to_string(beats) + "/4"; }

// `below`: the voice is the lower of two on its staff, and its words go under the staff.
std::string ElementText(const Element& element, std::int32_t barTicks, bool below) {
    if (element.wholeBarRest) {
        const std::string whole = LilyPondWriter::DurationText(barTicks);
        return whole.empty() ? "R4*" + std::to_string(barTicks / kTicksPerQuarter) : "R" + whole;
    }
    std::string text;
    if (element.IsRest()) {
        text = "r";
    } else if (element.pitches.size() == 1) {
        text = PitchText(element.pitches.front());
    } else {
        text = "<";
        for (std::size_t i = 0; i < element.pitches.size(); ++i) {
            text += (i > 0 ? " " : "") + PitchText(element.pitches[i]);
        }
        text += ">";
    }
    const std::string duration = LilyPondWriter::DurationText(element.ticks);
    // A value no single duration names is a quarter scaled to its ticks.
    text += duration.empty() ? "4*" + std::to_string(element.ticks) + "/" + std::to_string(kTicksPerQuarter)
                             : duration;
    if (element.staccato) text += "-.";
    if (!element.words.empty()) text += (below ? "_\"" : "^\"") + element.words + "\"";
    if (element.tieToNext) text += "~";
    if (element.beam == Element::Beam::Begin) text += "[";
    if (element.beam == Element::Beam::End) text += "]";
    return text;
}

const char* StaffName(std::int32_t staff) { return staff == 0 ? "upper" : "lower"; }

// A voice stays in the staff it starts in; a section that writes it on the other staff moves
// it there, and every section sets its stems.
void WriteVoice(std::ostringstream& out, const Score& score, std::size_t voice) {
    constexpr std::array<const char*, 4> kPlaces{"\\oneVoice", "\\voiceOne", "\\voiceTwo", "\\voiceThree"};
    out << "    \\new Voice { \\autoBeamOff\n";
    std::int32_t staff = score.sections.front().places[voice].staff;
    VoicePlace previous{-1, -1};
    for (const Section& section : score.sections) {
        const VoicePlace& place = section.places[voice];
        if (place != previous) {
            out << "      ";
            if (place.staff != staff) out << "\\change Staff = \"" << StaffName(place.staff) << "\" ";
            out << kPlaces[static_cast<std::size_t>(std::min(place.place, 3))] << "\n";
            staff = place.staff;
            previous = place;
        }
        for (const Bar& bar : section.bars) {
            out << "      ";
            const auto& elements = bar.voices[voice].elements;
            for (std::size_t i = 0; i < elements.size(); ++i) {
                out << (i > 0 ? " " : "") << ElementText(elements[i], section.BarTicks(), place.place == 2);
            }
            out << " | % " << bar.number << "\n";
        }
    }
    out << "    }\n";
}

void WriteStaff(std::ostringstream& out, const Score& score, std::int32_t staff) {
    out << "  \\new Staff = \"" << StaffName(staff) << "\" <<\n";
    out << "    \\clef " << (staff == 0 ? "treble" : "bass") << "\n";
    out << "    \\global\n";
    if (staff == 0) out << "    \\marks\n";
    for (std::size_t v = 0; v < score.channels.size(); ++v) {
        if (score.sections.front().places[v].staff == staff) WriteVoice(out, score, v);
    }
    out << "  >>\n";
}

// The bar line that ends a section: a repeat sign where a repeated section ends or begins, a
// double bar between sections, the final bar line at the end.
const char* BarLineAfter(const Score& score, std::size_t section) {
    const bool repeated = score.sections[section].repeated;
    if (section + 1 == score.sections.size()) return repeated ? ":|." : "|.";
    const bool nextRepeated = score.sections[section + 1].repeated;
    if (repeated) return nextRepeated ? ":|.|:" : ":|.";
    return nextRepeated ? ".|:" : "||";
}

// Key, time and bar lines, one spacer per bar.
void WriteGlobal(std::ostringstream& out, const Score& score) {
    out << "global = {\n";
    std::int32_t key = 1000;
    std::int32_t beats = 0;
    for (std::size_t s = 0; s < score.sections.size(); ++s) {
        const Section& section = score.sections[s];
        if (section.keyFifths != key) out << "  " << KeyText(section.keyFifths) << "\n";
        if (section.beatsPerBar != beats) out << "  " << TimeText(section.beatsPerBar) << "\n";
        key = section.keyFifths;
        beats = section.beatsPerBar;
        const std::string spacer = "s4*" + std::to_string(section.beatsPerBar);
        out << "  " << spacer << "*" << section.bars.size() << "\n";
        out << "  \\bar \"" << BarLineAfter(score, s) << "\"\n";
    }
    out << "}\n";
}

// A spacer of so many ticks: "s4*3", "s4*1/2".
std::string SpacerText(std::int64_t ticks) {
    const std::int64_t common = std::gcd(ticks, std::int64_t{kTicksPerQuarter});
    const std::int64_t quarters = ticks / common;
    const std::int64_t parts = kTicksPerQuarter / common;
    return "s4*" + std::to_string(quarters) + (parts == 1 ? "" : "/" + std::to_string(parts));
}

bool IsTempoMark(const Mark& mark) { return mark.kind == Mark::Kind::TempoWords; }
bool IsDynamicsMark(const Mark& mark) { return !IsTempoMark(mark); }

// What a mark writes after the spacer it starts with. A hairpin that ends in a dynamic needs
// no sign of its own end.
std::string MarkText(const Mark& mark, const std::vector<Mark>& atSameTime) {
    switch (mark.kind) {
        case Mark::Kind::Dynamic: return "\\" + mark.text;
        case Mark::Kind::Crescendo: return "\\<";
        case Mark::Kind::Diminuendo: return "\\>";
        case Mark::Kind::HairpinEnd: {
            const bool dynamicToo = std::any_of(atSameTime.begin(), atSameTime.end(), [](const Mark& other) {
                return other.kind == Mark::Kind::Dynamic;
            });
            return dynamicToo ? "" : "\\!";
        }
        case Mark::Kind::TempoWords: return "^\\markup \\italic \"" + mark.text + "\"";
    }
    return {};
}

// A bar of spacers that carry the bar's marks of one kind at their starts.
std::string MarkedBarText(const Bar& bar, std::int32_t barTicks, bool (*wanted)(const Mark&)) {
    std::string text;
    std::int32_t position = 0;
    std::vector<Mark> atTime;
    const auto flush = [&](std::int32_t until) {
        if (until <= position && atTime.empty()) return;
        if (!text.empty()) text += " ";
        text += SpacerText(until - position);
        for (const Mark& mark : atTime) text += MarkText(mark, atTime);
        atTime.clear();
        position = until;
    };
    for (const Mark& mark : bar.marks) {
        if (!wanted(mark)) continue;
        if (mark.start > position) flush(mark.start);
        atTime.push_back(mark);
    }
    flush(barTicks);
    return text;
}

bool HasMarks(const Bar& bar, bool (*wanted)(const Mark&)) {
    return std::any_of(bar.marks.begin(), bar.marks.end(), wanted);
}

// The bars of a section as spacers carrying one kind of mark: runs of bars without any as one
// spacer, each bar with some on its own.
void WriteMarkedBars(std::ostringstream& out, const Section& section, bool (*wanted)(const Mark&)) {
    std::size_t unmarked = 0;
    const auto flushUnmarked = [&] {
        if (unmarked > 0) out << "  s4*" << section.beatsPerBar << "*" << unmarked << "\n";
        unmarked = 0;
    };
    for (const Bar& bar : section.bars) {
        if (!HasMarks(bar, wanted)) {
            ++unmarked;
            continue;
        }
        flushUnmarked();
        out << "  " << MarkedBarText(bar, section.BarTicks(), wanted) << " |\n";
    }
    flushUnmarked();
}

// Tempo, tempo words, section labels and bar numbers, which belong to the score once.
void WriteMarks(std::ostringstream& out, const Score& score) {
    out << "marks = {\n";
    out << "  \\tempo 4 = " << score.beatsPerMinute << "\n";
    std::int32_t nextNumber = 1;
    for (const Section& section : score.sections) {
        if (section.bars.empty()) continue;
        if (section.bars.front().number != nextNumber) {
            out << "  \\set Score.currentBarNumber = #" << section.bars.front().number << "\n";
        }
        if (!section.label.empty()) out << "  \\sectionLabel \"" << section.label << "\"\n";
        WriteMarkedBars(out, section, IsTempoMark);
        nextNumber = section.bars.back().number + 1;
    }
    out << "}\n";
}

bool HasDynamics(const Score& score) {
    for (const Section& section : score.sections) {
        for (const Bar& bar : section.bars) {
            if (HasMarks(bar, IsDynamicsMark)) return true;
        }
    }
    return false;
}

// The dynamics and hairpins between the staves, where a piano score has them.
void WriteDynamics(std::ostringstream& out, const Score& score) {
    out << "  \\new Dynamics {\n";
    std::ostringstream bars;
    for (const Section& section : score.sections) WriteMarkedBars(bars, section, IsDynamicsMark);
    std::istringstream lines(bars.str());
    for (std::string line; std::getline(lines, line);) out << "  " << line << "\n";
    out << "  }\n";
}

std::string Escaped(const std::string& text) {
    std::string escaped;
    for (const char c : text) {
        if (c == '"' || c == '\\') escaped += '\\';
        escaped += c;
    }
    return escaped;
}

}  // namespace

std::string LilyPondWriter::DurationText(std::int32_t ticks) {
    switch (ticks) {
        case 576: return "1.";
        case 384: return "1";
        case 288: return "2.";
        case 192: return "2";
        case 144: return "4.";
        case 96: return "4";
        case 72: return "8.";
        case 48: return "8";
        case 36: return "16.";
        case 24: return "16";
        case 18: return "32.";
        case 12: return "32";
        case 9: return "64.";
        case 6: return "64";
        default: return {};
    }
}

std::string LilyPondWriter::Write(const Score& score, Page page) {
    std::ostringstream out;
    out << "\\version \"2.24.0\"\n";
    out << "\\header {\n  title = \"" << Escaped(score.title) << "\"\n  tagline = ##f\n}\n";
    if (page == Page::Screen) {
        out << "\\paper {\n  page-breaking = #ly:one-page-breaking\n  indent = 0\n}\n";
    } else {
        out << "\\paper {\n  #(set-paper-size \"a4\")\n}\n";
    }
    if (score.sections.empty()) return out.str();
    WriteGlobal(out, score);
    WriteMarks(out, score);
    out << "\\score {\n  \\new PianoStaff <<\n";
    std::ostringstream staves;
    WriteStaff(staves, score, 0);
    if (HasDynamics(score)) WriteDynamics(staves, score);
    WriteStaff(staves, score, 1);
    std::istringstream lines(staves.str());
    for (std::string line; std::getline(lines, line);) out << "  " << line << "\n";
    out << "  >>\n";
    out << "  \\layout {\n    \\context {\n      \\Score\n"
           "      \\override BarNumber.break-visibility = ##(#f #t #t)\n    }\n  }\n}\n";
    return out.str();
}

}  // namespace zamrit::score
