#pragma once

namespace zamrit {

// The ALSA library prints its failures (no sound card, no sequencer) to standard error on its
// own. The outputs that open ALSA devices call this first: their failures show in their
// results instead.
void QuietAlsaLibrary();

}  // namespace zamrit
