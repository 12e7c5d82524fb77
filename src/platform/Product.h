#pragma once
// Constants of the product build.

namespace c2c {

// Product variant of this build. Variant 2 writes the project documents and
// the bank files and offers banks 1 and 2 to the firmware composer.
inline constexpr int ProductVariant = 2;

} // namespace c2c
