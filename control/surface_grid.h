// The grid model: a rectangular grid of heights over an x and a y range, one
// x coordinate per column, one y coordinate per row.
#pragma once

#include <cstdint>

#include "common/float_arrays.h"
#include "render/grid_view.h"

// Heights are stored row after row: point (col, row) is element
// col + row * CountX() of Heights().
//
// After a failed allocation the counts keep the requested values but the
// arrays no longer exist; HasArrays() is then false, the array readers return
// null and SetPoint refuses every point until the next successful Resize.
class CSurfaceGrid {
public:
    CSurfaceGrid();
    ~CSurfaceGrid();
    CSurfaceGrid(const CSurfaceGrid&) = delete;
    CSurfaceGrid& operator=(const CSurfaceGrid&) = delete;

    // 0, 1 when max <= min (nothing changes), or kOutOfMemory when an absent
    // axis array cannot be allocated (nothing changes either).
    int SetXAxis(float min, float max);
    int SetYAxis(float min, float max);

    // Discards all data: heights become 0, both axes are spread anew.
    int32_t Resize(uint32_t countX, uint32_t countY);
    // Square grid of floor(sqrt(total)) a side unless both counts are given.
    int32_t ResizeFromTotal(uint32_t total, uint32_t countX, uint32_t countY);
    // Frees the arrays; counts and ranges stay.
    void ReleaseArrays();
    // 0, or 1 when the point lies outside the grid or the grid has no arrays.
    int SetPoint(uint32_t col, uint32_t row, float x, float y, float z);
    // Every height at once, in the grid's order; 0, or 1 when count is not
    // the grid's point count or the grid has no arrays.
    int SetHeights(const float* heights, uint64_t count);

    uint32_t CountX() const { return m_countX; }
    uint32_t CountY() const { return m_countY; }
    float XMin() const { return m_xMin; }
    float XMax() const { return m_xMax; }
    float YMin() const { return m_yMin; }
    float YMax() const { return m_yMax; }

    // True when every array that the counts call for is present.  A grid with
    // a zero count needs (and has) none of the arrays spanning that axis.
    bool HasArrays() const;
    // Null unless HasArrays(), and null for an axis (or heights) of 0 points.
    const float* XValues() const { return HasArrays() ? m_xValues : nullptr; }
    const float* YValues() const { return HasArrays() ? m_yValues : nullptr; }
    const float* Heights() const { return HasArrays() ? m_heights : nullptr; }
    // What the renderer and the mesh read.
    zorvel::GridView View() const;

private:
    int SetAxis(float min, float max, uint32_t count, float*& values,
                float& storedMin, float& storedMax);

    float m_xMin;
    float m_xMax;
    float m_yMin;
    float m_yMax;
    uint32_t m_countX;
    float* m_xValues;
    uint32_t m_countY;
    float* m_yValues;
    float* m_heights;
};
