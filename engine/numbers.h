// The engine's number rules: truncation toward zero, remainders with the
// sign of the dividend, and wrapping counters, all defined for every input.
#pragma once

#include <cstdint>
#include <limits>

// Converts toward zero. Values beyond the 32-bit range saturate and NaN
// gives 0, where a plain cast would be undefined.
inline int32_t Trunc(double value) {
  if (!(value == value)) {
    return 0;
  }
  if (value >= 2147483648.0) {
    return std::numeric_limits<int32_t>::max();
  }
  if (value <= -2147483649.0) {
    return std::numeric_limits<int32_t>::min();
  }
  return static_cast<int32_t>(value);
}

// A remainder whose divisor is the truncated size of the window or of the
// splat. On windows too small for the formula the divisor would be 0; it is
// then taken as 1, so the remainder is 0 and the formula gives its smallest
// value while the draw is still consumed.
inline int32_t Mod(int32_t value, int32_t divisor) {
  if (divisor == 0 || divisor == 1 || divisor == -1) {
    return 0;
  }
  return value % divisor;
}

// Counters that wrap instead of overflowing.
inline int32_t Increment(int32_t value) {
  return static_cast<int32_t>(static_cast<uint32_t>(value) + 1u);
}

// Integer box coordinates computed in 64 bits, clamped to what the platform
// calls take.
inline int ClampToInt(int64_t value) {
  if (value > std::numeric_limits<int32_t>::max()) {
    return std::numeric_limits<int32_t>::max();
  }
  if (value < std::numeric_limits<int32_t>::min()) {
    return std::numeric_limits<int32_t>::min();
  }
  return static_cast<int>(value);
}
