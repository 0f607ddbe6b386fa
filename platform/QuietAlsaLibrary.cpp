#include "platform/QuietAlsaLibrary.h"

#include <alsa/asoundlib.h>

#include <mutex>

namespace zamrit {
namespace {

extern "C" void IgnoreAlsaError(const char*, int, const char*, int, const char*, ...) {}

}  // namespace

void QuietAlsaLibrary() {
    static std::once_flag quieted;
    std::call_once(quieted, [] { snd_lib_error_set_handler(&IgnoreAlsaError); });
}

}  // namespace zamrit
