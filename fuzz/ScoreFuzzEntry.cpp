// Loads arbitrary bytes as an MFi melody file and writes its score the way the tool and the
// game do: the melody's own layout (when within the limits of a score) and the game's
// Minuet / Trio layout, each built and written as LilyPond (both pages) and MusicXML.
// Reports are counted and dropped.
#include <cstddef>
#include <cstdint>
#include <span>

#include "fuzz/FuzzSupport.h"
#include "melody/MobileData.h"
#include "mfi/MFiData.h"
#include "score/LilyPondWriter.h"
#include "score/MusicXmlWriter.h"
#include "score/ScoreBuilder.h"
#include "score/ScoreLayout.h"

namespace {

void BuildAndWrite(const zamrit::MobileData& melody, const zamrit::score::ScoreLayout& layout) {
    using namespace zamrit::score;
    if (ScoreBuilder::Refusal(melody, layout)) return;
    const Score written = ScoreBuilder::Build(melody, layout);
    LilyPondWriter::Write(written, LilyPondWriter::Page::Screen);
    LilyPondWriter::Write(written, LilyPondWriter::Page::Print);
    MusicXmlWriter::Write(written);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace zamrit;
    fuzz::DiscardingSink sink;
    ScopedMessageSink scope(sink);

    MobileData melody(MFiData::kFileCapacity);
    fuzz::LoadMelody(data, size, melody);
    BuildAndWrite(melody, score::ScoreLayout::ForMelody(melody));
    BuildAndWrite(melody, score::ScoreLayout::ForForm(PieceForm::MinuetTrio));
    return 0;
}
