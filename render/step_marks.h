// Named moments of the renderer's first paint (device, grid, buffer, strip),
// for the benchmark's breakdown of the cold start.  A program that links the
// renderer may install a marker; without one a mark costs one test.
#pragma once

namespace zorvel {

using StepMarker = void (*)(const char* step);
inline StepMarker g_stepMarker = nullptr;

inline void MarkStep(const char* step) {
    if (g_stepMarker) g_stepMarker(step);
}

}  // namespace zorvel
