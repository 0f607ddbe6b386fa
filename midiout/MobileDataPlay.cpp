// Playing a range of a melody: the hand-off from the melody's sequence to the player.
#include "melody/MobileData.h"
#include "midiout/MusicPlayer.h"
#include "midiseq/MidiF0Data.h"

namespace zamrit {

void MobileData::Play(std::function<int()> completion, std::int32_t startTick, std::int32_t endTick) const {
    std::unique_ptr<MidiF0Data> sequence = MakeSequence(startTick, endTick);
    if (sequence == nullptr) return;
    // The sequence belongs to the request from here on; the melody keeps nothing of it.
    MusicPlayer::Play(std::move(sequence), std::move(completion));
}

}  // namespace zamrit
