// Bounds that hold across the layers.
#pragma once

// The widest port, bus, range or expression the system accepts, in bits. No synthesised
// design comes near it, so a wider one comes from a damaged or hostile input; refusing it
// keeps allocations bounded and sums such as width + 1 or width_a + width_b far from
// integer overflow.
inline constexpr int kMaxBits = 1 << 20;
