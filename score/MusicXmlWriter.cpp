#include "score/MusicXmlWriter.h"

#include <array>
#include <sstream>
#include <vector>

namespace zamrit::score {
namespace {

constexpr std::array<const char*, 7> kSteps{"C", "D", "E", "F", "G", "A", "B"};

struct ValueName {
    const char* type;
    bool dotted;
};

ValueName NameOf(std::int32_t ticks) {
    switch (ticks) {
        case 576: return {"whole", true};
        case 384: return {"whole", false};
        case 288: return {"half", true};
        case 192: return {"half", false};
        case 144: return {"quarter", true};
        case 96: return {"quarter", false};
        case 72: return {"eighth", true};
        case 48: return {"eighth", false};
        case 36: return {"16th", true};
        case 24: return {"16th", false};
        case 18: return {"32nd", true};
        case 12: return {"32nd", false};
        case 9: return {"64th", true};
        case 6: return {"64th", false};
        default: return {nullptr, false};
    }
}

const char* AccidentalName(std::int32_t alter) {
    switch (alter) {
        case -2: return "flat-flat";
        case -1: return "flat";
        case 1: return "sharp";
        case 2: return "double-sharp";
        default: return "natural";
    }
}

std::string Escaped(const std::string& text) {
    std::string escaped;
    for (const char c : text) {
        if (c == '&') escaped += "&amp;";
        else if (c == '<') escaped += "&lt;";
        else if (c == '>') escaped += "&gt;";
        else if (c == '"') escaped += "&quot;";
        else escaped += c;
    }
    return escaped;
}

class Writer {
public:
    explicit Writer(const Score& score) : score_(score) {}

    std::string Write() {
        out_ << "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"no\"?>\n"
                "<!DOCTYPE score-partwise PUBLIC \"-//Recordare//DTD MusicXML 4.0 Partwise//EN\" "
                "\"http://www.musicxml.org/dtds/partwise.dtd\">\n"
                "<score-partwise version=\"4.0\">\n";
        out_ << "  <work>\n    <work-title>" << Escaped(score_.title) << "</work-title>\n  </work>\n";
        out_ << "  <identification>\n    <encoding>\n      <software>zamrit-dice</software>\n"
                "    </encoding>\n  </identification>\n";
        out_ << "  <part-list>\n    <score-part id=\"P1\">\n      <part-name>Piano</part-name>\n"
                "    </score-part>\n  </part-list>\n";
        out_ << "  <part id=\"P1\">\n";
        std::int32_t key = 1000;
        std::int32_t beats = 0;
        for (std::size_t s = 0; s < score_.sections.size(); ++s) {
            const Section& section = score_.sections[s];
            for (std::size_t b = 0; b < section.bars.size(); ++b) {
                const bool first = b == 0;
                const bool lastBar = b + 1 == section.bars.size();
                const bool keyChange = first && section.keyFifths != key;
                const bool timeChange = first && section.beatsPerBar != beats;
                const bool lastSection = s + 1 == score_.sections.size();
                const bool nextRepeated = !lastSection && score_.sections[s + 1].repeated;
                WriteBar(section, section.bars[b], s == 0 && first, keyChange, timeChange, first, lastBar,
                         lastSection, nextRepeated);
                key = section.keyFifths;
                beats = section.beatsPerBar;
            }
        }
        out_ << "  </part>\n</score-partwise>\n";
        return out_.str();
    }

private:
    void WriteBar(const Section& section, const Bar& bar, bool opening, bool keyChange, bool timeChange,
                  bool sectionStart, bool sectionEnd, bool lastSection, bool nextRepeated) {
        out_ << "    <measure number=\"" << bar.number << "\">\n";
        if (sectionStart && section.repeated && !opening) {
            out_ << "      <barline location=\"left\">\n        <bar-style>heavy-light</bar-style>\n"
                    "        <repeat direction=\"forward\"/>\n      </barline>\n";
        }
        if (opening || keyChange || timeChange) {
            out_ << "      <attributes>\n";
            if (opening) out_ << "        <divisions>" << kTicksPerQuarter << "</divisions>\n";
            if (opening || keyChange) {
                out_ << "        <key>\n          <fifths>" << section.keyFifths << "</fifths>\n"
                     << "          <mode>major</mode>\n        </key>\n";
            }
            if (opening || timeChange) {
                out_ << "        <time>\n          <beats>" << section.beatsPerBar
                     << "</beats>\n          <beat-type>4</beat-type>\n        </time>\n";
            }
            if (opening) {
                out_ << "        <staves>2</staves>\n"
                        "        <clef number=\"1\">\n          <sign>G</sign>\n          <line>2</line>\n"
                        "        </clef>\n"
                        "        <clef number=\"2\">\n          <sign>F</sign>\n          <line>4</line>\n"
                        "        </clef>\n";
            }
            out_ << "      </attributes>\n";
        }
        if (sectionStart && !section.label.empty()) {
            out_ << "      <direction placement=\"above\">\n        <direction-type>\n"
                 << "          <rehearsal>" << Escaped(section.label) << "</rehearsal>\n"
                 << "        </direction-type>\n        <staff>1</staff>\n      </direction>\n";
        }
        if (opening) {
            out_ << "      <direction placement=\"above\">\n        <direction-type>\n"
                    "          <metronome>\n            <beat-unit>quarter</beat-unit>\n"
                 << "            <per-minute>" << score_.beatsPerMinute << "</per-minute>\n"
                 << "          </metronome>\n        </direction-type>\n        <staff>1</staff>\n"
                 << "        <sound tempo=\"" << score_.beatsPerMinute << "\"/>\n      </direction>\n";
        }
        for (std::size_t v = 0; v < bar.voices.size(); ++v) {
            if (v > 0) {
                out_ << "      <backup>\n        <duration>" << section.BarTicks()
                     << "</duration>\n      </backup>\n";
            }
            const auto& elements = bar.voices[v].elements;
            for (std::size_t e = 0; e < elements.size(); ++e) {
                if (v == 0) WriteMarks(bar, elements[e]);
                WriteElement(elements, e, v, section.places[v]);
            }
        }
        if (sectionEnd && section.repeated) {
            out_ << "      <barline location=\"right\">\n        <bar-style>light-heavy</bar-style>\n"
                    "        <repeat direction=\"backward\"/>\n      </barline>\n";
        } else if (sectionEnd && !nextRepeated) {
            // Before a repeated section its forward repeat sign is the bar line.
            out_ << "      <barline location=\"right\">\n        <bar-style>"
                 << (lastSection ? "light-heavy" : "light-light") << "</bar-style>\n      </barline>\n";
        }
        out_ << "    </measure>\n";
    }

    // The marks of the bar that fall within an element of the first voice, written before it
    // as a notation program reads them: a direction belongs to the note after it. A mark within
    // the element is moved on by its offset. Dynamics and hairpins go below the treble staff,
    // tempo words above it.
    void WriteMarks(const Bar& bar, const Element& element) {
        for (const Mark& mark : bar.marks) {
            if (mark.start < element.start || mark.start >= element.start + element.ticks) continue;
            const bool words = mark.kind == Mark::Kind::TempoWords;
            out_ << "      <direction placement=\"" << (words ? "above" : "below") << "\">\n        <direction-type>\n";
            switch (mark.kind) {
                case Mark::Kind::Dynamic:
                    out_ << "          <dynamics>\n            <" << mark.text << "/>\n          </dynamics>\n";
                    break;
                case Mark::Kind::Crescendo: out_ << "          <wedge type=\"crescendo\"/>\n"; break;
                case Mark::Kind::Diminuendo: out_ << "          <wedge type=\"diminuendo\"/>\n"; break;
                case Mark::Kind::HairpinEnd: out_ << "          <wedge type=\"stop\"/>\n"; break;
                case Mark::Kind::TempoWords:
                    out_ << "          <words font-style=\"italic\">" << Escaped(mark.text) << "</words>\n";
                    break;
            }
            out_ << "        </direction-type>\n";
            if (mark.start > element.start) out_ << "        <offset>" << mark.start - element.start << "</offset>\n";
            out_ << "        <staff>1</staff>\n      </direction>\n";
        }
    }

    void WriteElement(const std::vector<Element>& elements, std::size_t index, std::size_t voice,
                      const VoicePlace& where) {
        const Element& element = elements[index];
        if (!element.words.empty()) {
            // The lower of two voices on a staff has its words under the staff.
            out_ << "      <direction placement=\"" << (where.place == 2 ? "below" : "above")
                 << "\">\n        <direction-type>\n"
                 << "          <words>" << Escaped(element.words) << "</words>\n"
                 << "        </direction-type>\n        <voice>" << voice + 1 << "</voice>\n"
                 << "        <staff>" << where.staff + 1 << "</staff>\n      </direction>\n";
        }
        const std::size_t notes = element.IsRest() ? 1 : element.pitches.size();
        for (std::size_t p = 0; p < notes; ++p) {
            out_ << "      <note>\n";
            if (p > 0) out_ << "        <chord/>\n";
            if (element.IsRest()) {
                out_ << (element.wholeBarRest ? "        <rest measure=\"yes\"/>\n" : "        <rest/>\n");
            } else {
                const Pitch& pitch = element.pitches[p];
                out_ << "        <pitch>\n          <step>" << kSteps[static_cast<std::size_t>(pitch.step)]
                     << "</step>\n";
                if (pitch.alter != 0) out_ << "          <alter>" << pitch.alter << "</alter>\n";
                out_ << "          <octave>" << pitch.octave << "</octave>\n        </pitch>\n";
            }
            out_ << "        <duration>" << element.ticks << "</duration>\n";
            if (element.tiedFromPrevious) out_ << "        <tie type=\"stop\"/>\n";
            if (element.tieToNext) out_ << "        <tie type=\"start\"/>\n";
            out_ << "        <voice>" << voice + 1 << "</voice>\n";
            const ValueName name = NameOf(element.ticks);
            if (!element.wholeBarRest && name.type != nullptr) {
                out_ << "        <type>" << name.type << "</type>\n";
                if (name.dotted) out_ << "        <dot/>\n";
            }
            if (!element.IsRest() && element.showAccidental[p]) {
                out_ << "        <accidental>" << AccidentalName(element.pitches[p].alter) << "</accidental>\n";
            }
            if (!element.IsRest() && where.place > 0) {
                out_ << "        <stem>" << (where.place == 1 ? "up" : "down") << "</stem>\n";
            }
            out_ << "        <staff>" << where.staff + 1 << "</staff>\n";
            if (p == 0) WriteBeams(elements, index);
            if (element.tiedFromPrevious || element.tieToNext || element.staccato) {
                out_ << "        <notations>\n";
                if (element.tiedFromPrevious) out_ << "          <tied type=\"stop\"/>\n";
                if (element.tieToNext) out_ << "          <tied type=\"start\"/>\n";
                if (element.staccato) out_ << "          <articulations>\n            <staccato/>\n          </articulations>\n";
                out_ << "        </notations>\n";
            }
            out_ << "      </note>\n";
        }
    }

    // The beams of a note: the first from the element's own mark, each further one (for
    // sixteenths and shorter) joining the neighbours in the group that share it, or a hook
    // towards the group when none does.
    void WriteBeams(const std::vector<Element>& elements, std::size_t index) {
        const Element& element = elements[index];
        if (element.beam == Element::Beam::None) return;
        const char* first = element.beam == Element::Beam::Begin      ? "begin"
                            : element.beam == Element::Beam::Continue ? "continue"
                                                                      : "end";
        out_ << "        <beam number=\"1\">" << first << "</beam>\n";
        const bool hasPrevious = element.beam != Element::Beam::Begin;
        const bool hasNext = element.beam != Element::Beam::End;
        for (std::int32_t level = 2; level <= BeamCount(element.ticks); ++level) {
            const bool previous = hasPrevious && BeamCount(elements[index - 1].ticks) >= level;
            const bool next = hasNext && BeamCount(elements[index + 1].ticks) >= level;
            const char* kind = previous && next ? "continue"
                               : previous       ? "end"
                               : next           ? "begin"
                               : hasNext        ? "forward hook"
                                                : "backward hook";
            out_ << "        <beam number=\"" << level << "\">" << kind << "</beam>\n";
        }
    }

    // Flags of a value: 1 for eighths, 2 for sixteenths, ... (dotted alike).
    static std::int32_t BeamCount(std::int32_t ticks) {
        std::int32_t count = 0;
        for (std::int32_t plain = kTicksPerQuarter / 2; plain > 0 && ticks < plain * 2; plain /= 2) {
            if (ticks >= plain) return count + 1;
            ++count;
        }
        return count;
    }

    const Score& score_;
    std::ostringstream out_;
};

}  // namespace

std::string MusicXmlWriter::Write(const Score& score) { return Writer(score).Write(); }

}  // namespace zamrit::score
