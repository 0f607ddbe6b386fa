#include "platform/PlatformVersion.h"

namespace zamrit {

PlatformVersion CurrentPlatformVersion() { return PlatformVersion{6, 0}; }

}  // namespace zamrit
