#pragma once

#include <array>
#include <cstdint>

// The published Blowfish initial values. The S-box words are kept in their published order;
// clsBlowfish decides how they are dealt out over its four boxes.
namespace BlowfishTables {

extern const std::array<uint32_t, 18> kInitialP;
extern const std::array<uint32_t, 1024> kInitialSWords;

} // namespace BlowfishTables
