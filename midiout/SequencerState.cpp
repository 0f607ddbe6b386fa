#include "midiout/SequencerState.h"

namespace zamrit {

SequencerState& Sequencer() {
    static SequencerState state;
    return state;
}

}  // namespace zamrit
