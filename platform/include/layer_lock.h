// The backend of a saver that a screen lock runs on one of its outputs: its
// display is the lock's holder, across a socket the holder passed down. Only
// in programs that link gushmire::platform_lock.
#pragma once

#include "layer.h"

namespace platform {

// Names the descriptor of the link to the holder in a saver it runs.
inline constexpr char kLockLinkVariable[] = "GUSHMIRE_LOCK_LINK";

// Makes the holder across `descriptor` the framebuffer, clock and input of
// the layer, at its output's size, and provides the password check through
// it (ProvidePasswordCheck). False, having said why, when the holder does
// not answer.
bool OpenLockLink(int descriptor);

} // namespace platform
