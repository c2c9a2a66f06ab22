#pragma once
#include <atomic>

#include "ljungbo/componentabi.h"

namespace Kortvik_Ljungbo {

// The class identifier of Kortvik_Ljungbo.Default.
constexpr comp::Guid CLSID_Default = {
    0x5B1F0C3E, 0x8A47, 0x4D2B, {0x9E, 0x61, 0x3C, 0x7A, 0x2F, 0x94, 0xD0, 0xB8}};
inline constexpr const char *kProgIdDefault = "Kortvik_Ljungbo.Default";

// Everything that keeps code of this library in use: live objects, windows
// not yet destroyed, references to the class factory and server locks.
// The library may be unloaded only when this is zero.
std::atomic<long> &moduleUsage();

struct ModuleUse {
    ModuleUse() { ++moduleUsage(); }
    ~ModuleUse() { --moduleUsage(); }
    ModuleUse(const ModuleUse &) = delete;
    ModuleUse &operator=(const ModuleUse &) = delete;
};

} // namespace Kortvik_Ljungbo
