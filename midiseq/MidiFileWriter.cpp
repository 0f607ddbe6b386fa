#include "midiseq/MidiFileWriter.h"

#include <algorithm>
#include <array>
#include <optional>
#include <span>

#include "melody/MidiEventKind.h"
#include "melody/MusicConversions.h"
#include "midiseq/MidiF0Data.h"
#include "platform/AtomicFileWriter.h"

namespace zamrit {
namespace {

// Stored exclusives: the status byte, one length byte, then the body ending in F7.
constexpr std::size_t kStoredExclusiveHead = 2;

constexpr std::uint16_t kMaxDivision = 0x7FFF;  // above it the field means SMPTE time

class ByteWriter {
public:
    void Byte(std::int32_t value) { bytes_.push_back(static_cast<std::uint8_t>(value)); }
    void DataByte(std::int32_t value) { Byte(value & 0x7F); }
    void Bytes(std::span<const std::uint8_t> bytes) {
        bytes_.insert(bytes_.end(), bytes.begin(), bytes.end());
    }
    void Text(const char* text) {
        for (; *text != '\0'; ++text) Byte(*text);
    }
    void BigEndian(std::uint32_t value, int width) {
        for (int shift = (width - 1) * 8; shift >= 0; shift -= 8) Byte(value >> shift);
    }
    // Seven bits per byte, most significant first, every byte but the last with bit 7 set.
    void VariableLength(std::uint32_t value) {
        std::array<std::uint8_t, 5> groups{};
        int count = 0;
        do {
            groups[count++] = static_cast<std::uint8_t>(value & 0x7F);
            value >>= 7;
        } while (value != 0);
        while (count > 1) Byte(groups[--count] | 0x80);
        Byte(groups[0]);
    }
    std::size_t size() const { return bytes_.size(); }
    std::vector<std::uint8_t>& bytes() { return bytes_; }

private:
    std::vector<std::uint8_t> bytes_;
};

// Writes the event's status and data (no delta); false when it has no form in a file.
bool WriteEventBody(const MusicEvent& event, ByteWriter& out) {
    const std::int32_t channel = event.channel & 0x0F;
    switch (event.kind) {
    case kMidiNoteOff:
    case kMidiNoteOn:
        out.Byte(event.kind | channel);
        out.DataByte(event.key);
        out.DataByte(event.velocity);
        return true;
    case kMidiControlChange:
        out.Byte(kMidiControlChange | channel);
        out.DataByte(event.code);
        out.DataByte(event.value);
        return true;
    case kMidiProgramChange:
        out.Byte(kMidiProgramChange | channel);
        out.DataByte(event.value);
        return true;
    case kMidiPitchBend:
        out.Byte(kMidiPitchBend | channel);
        out.DataByte(event.key);
        out.DataByte(event.value);
        return true;
    case kMidiExclusive:
    case kMidiExclusiveContinued: {
        const auto stored = event.DataBytes();
        if (stored.size() < kStoredExclusiveHead) return false;
        const auto body = stored.subspan(kStoredExclusiveHead);
        out.Byte(event.kind);
        out.VariableLength(static_cast<std::uint32_t>(body.size()));
        out.Bytes(body);
        return true;
    }
    case kMidiMeta:
        out.Byte(kMidiMeta);
        out.DataByte(event.code);
        if (event.code == MidiTrackData::kSetTempo) {
            out.VariableLength(3);
            out.BigEndian(static_cast<std::uint32_t>(event.value), 3);
        } else if (event.code == MidiTrackData::kTimeSignature) {
            out.VariableLength(4);
            out.Bytes(MakeTimeSignatureData(event.value));
        } else if (event.code == MidiTrackData::kEndOfTrack) {
            out.VariableLength(0);
        } else {
            const auto data = event.DataBytes();
            out.VariableLength(static_cast<std::uint32_t>(data.size()));
            out.Bytes(data);
        }
        return true;
    default:
        return false;
    }
}

std::uint32_t FileDelta(std::int64_t ticks) {
    return static_cast<std::uint32_t>(
        std::clamp<std::int64_t>(ticks, 0, MidiFileWriter::kMaxDelta));
}

std::vector<std::uint8_t> TrackEvents(const MidiF0Data& sequence) {
    ByteWriter out;
    std::int32_t signature = 0;
    if (sequence.timeSignature != 0 && !sequence.track->FindTimeSignature(signature)) {
        out.VariableLength(0);
        MusicEvent timeSignature(0);
        timeSignature.kind = kMidiMeta;
        timeSignature.code = MidiTrackData::kTimeSignature;
        timeSignature.value = sequence.timeSignature;
        WriteEventBody(timeSignature, out);
    }

    // A ready sequence may hold more than one end-of-track event, and not only at its end (the
    // melody's own track end and the one added on conversion; note-offs may follow the first).
    // A file's track ends once, after its last event: every end-of-track event is passed over
    // with its time and one is written at the very end.
    std::int64_t pendingTicks = 0;
    for (const auto& event : sequence.track->Events()) {
        pendingTicks += event.delta;
        if (event.IsCommand(MidiTrackData::kEndOfTrack)) continue;
        ByteWriter body;
        if (!WriteEventBody(event, body)) continue;
        out.VariableLength(FileDelta(pendingTicks));
        out.Bytes(body.bytes());
        pendingTicks = 0;
    }
    out.VariableLength(FileDelta(pendingTicks));
    out.Bytes(std::array<std::uint8_t, 3>{0xFF, 0x2F, 0x00});
    return std::move(out.bytes());
}

}  // namespace

std::vector<std::uint8_t> MidiFileWriter::Format0Bytes(const MidiF0Data& sequence) {
    const std::vector<std::uint8_t> events = TrackEvents(sequence);
    const auto division = static_cast<std::uint16_t>(
        std::clamp<std::int32_t>(sequence.division, 1, kMaxDivision));

    ByteWriter file;
    file.Text("MThd");
    file.BigEndian(6, 4);
    file.BigEndian(0, 2);  // format 0
    file.BigEndian(1, 2);  // one track
    file.BigEndian(division, 2);
    file.Text("MTrk");
    file.BigEndian(static_cast<std::uint32_t>(events.size()), 4);
    file.Bytes(events);
    return std::move(file.bytes());
}

bool MidiFileWriter::Write(const MidiF0Data& sequence, const std::string& path, std::string* problem) {
    const std::vector<std::uint8_t> bytes = Format0Bytes(sequence);
    const std::optional<std::string> failed = AtomicFileWriter::WriteWhole(
        path, std::string_view(reinterpret_cast<const char*>(bytes.data()), bytes.size()));
    if (failed && problem != nullptr) *problem = *failed;
    return !failed;
}

}  // namespace zamrit
