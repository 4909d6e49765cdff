// The drawing-heavy phases of the cycle, shared between its source files.
#pragma once

// Reveals the backdrop through the splat and 40 droplets; sets up 5 drips.
void BurstTheSplat();
// Moves the five drips of a burst and reveals the backdrop through them.
void RunTheDrips();
// Places the 21 drips of the flood above the top edge.
void SetUpTheFlood();
// Moves the flood drips and reveals the backdrop through them.
void RunTheFlood();
