// Status values of the platform-free core: the HRESULTs the control hands on,
// spelled out here so the core needs no platform header.
#pragma once

#include <cstdint>

namespace zorvel {

constexpr int32_t kOk = 0;
// The argument was refused and nothing changed.
constexpr int32_t kRejected = 1;
constexpr int32_t kOutOfMemory = static_cast<int32_t>(0x8007000Eu);  // E_OUTOFMEMORY
constexpr int32_t kInvalidArg = static_cast<int32_t>(0x80070057u);   // E_INVALIDARG

}  // namespace zorvel
