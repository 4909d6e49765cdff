// Waiting for a descriptor, the stop signals and the clock: shared by the
// backends and the native program (whose part is declared in layer.h).
#pragma once

#include <cstdint>
#include <optional>

#include "layer.h"

namespace platform::detail {

// What poll() waits, in ms, from `now` until `deadline` (-1: no deadline).
int PollTimeout(std::optional<uint64_t> deadline, uint64_t now);
// Takes a stop signal that came: true when one had.
bool TakeStopRequest();
// The wake pipe's reading end, for a program that polls several
// descriptors itself (-1 before a signal above was caught); DrainWake
// empties it after such a poll.
int WakeDescriptor();
void DrainWake();

} // namespace platform::detail
