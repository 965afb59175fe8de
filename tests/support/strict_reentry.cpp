// Compiled into every test program: bytes that re-enter the frame assembler
// while it hands out a packet end the test run at once.
#include "protocol/frame_codec.h"

namespace {
const bool kStrict = [] {
    vm::FrameAssembler::SetStrictReentry(true);
    return true;
}();
} // namespace
