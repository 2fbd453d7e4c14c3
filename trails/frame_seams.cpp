// The two platform seams and their headless defaults.
#include "trails/frame_seams.h"

#include <cstdint>

namespace {

uint32_t StoppedClock() {
    return 0;
}

MillisecondClock currentClock = StoppedClock;
FrameCopy currentCopy = nullptr;

}  // namespace

void SetMillisecondClock(MillisecondClock clock) {
    currentClock = clock != nullptr ? clock : StoppedClock;
}

void SetFrameCopy(FrameCopy copy) {
    currentCopy = copy;
}

uint32_t ReadMillisecondClock() {
    return currentClock();
}

void CopyFrame(void* target, const BitmapInfoHeader& header, const uint8_t* bits) {
    if (currentCopy != nullptr) currentCopy(target, header, bits);
}
