// Floats in, floats out; a formula of several operations runs in double and
// is rounded once where its value is stored.  SSE does exactly that on every
// build, whereas x87 code rounds wherever the compiler spills a register.
#if defined(__GNUC__) && defined(__i386__) && !defined(__SSE2_MATH__)
#pragma GCC target("sse2", "fpmath=sse")
#endif

#include "control/surface_grid.h"

#include <cmath>

#include "common/float_arrays.h"
#include "control/status.h"

namespace zorvel {
namespace {

// value[i] = min + ((max - min) * i) / (n - 1), formed in double and rounded
// once when stored.  A single point gets the minimum instead of 0/0.
void SpreadAxis(float* values, uint32_t count, float min, float max)
{
    if (count == 0)
        return;
    if (count == 1) {
        values[0] = min;
        return;
    }
    const double low = min;
    const double difference = static_cast<double>(max) - low;
    const double last = static_cast<double>(count - 1);
    for (uint32_t i = 0; i < count; ++i)
        values[i] = static_cast<float>(low + (difference * static_cast<double>(i)) / last);
}

}  // namespace

}  // namespace zorvel

CSurfaceGrid::CSurfaceGrid()
    : m_xMin(-10.0f), m_xMax(10.0f), m_yMin(-10.0f), m_yMax(10.0f),
      m_countX(0), m_xValues(nullptr), m_countY(0), m_yValues(nullptr),
      m_heights(nullptr)
{
}

CSurfaceGrid::~CSurfaceGrid()
{
    ReleaseArrays();
}

int CSurfaceGrid::SetXAxis(float min, float max)
{
    return SetAxis(min, max, m_countX, m_xValues, m_xMin, m_xMax);
}

int CSurfaceGrid::SetYAxis(float min, float max)
{
    return SetAxis(min, max, m_countY, m_yValues, m_yMin, m_yMax);
}

int CSurfaceGrid::SetAxis(float min, float max, uint32_t count, float*& values,
                          float& storedMin, float& storedMax)
{
    // Deliberately not !(max > min): a NaN bound passes, as the control's own
    // copy of the range lets it pass.
    if (max <= min)
        return zorvel::kRejected;
    if (!values && count != 0) {
        values = zorvel::AllocateFloats(count);
        if (!values)
            return zorvel::kOutOfMemory;  // range left as it was
    }
    storedMin = min;
    storedMax = max;
    if (values)
        zorvel::SpreadAxis(values, count, min, max);
    return zorvel::kOk;
}

int32_t CSurfaceGrid::Resize(uint32_t countX, uint32_t countY)
{
    ReleaseArrays();
    m_countY = countY;
    m_countX = countX;

    // The point count is formed in 64 bits: a product that wraps around 32
    // bits must fail, not allocate a sliver.
    const uint64_t points = static_cast<uint64_t>(countX) * countY;
    const bool allocated =
        (countX == 0 || (m_xValues = zorvel::AllocateFloats(countX)) != nullptr) &&
        (countY == 0 || (m_yValues = zorvel::AllocateFloats(countY)) != nullptr) &&
        (points == 0 || (m_heights = zorvel::AllocateFloats(points)) != nullptr);
    if (!allocated) {
        ReleaseArrays();
        return zorvel::kOutOfMemory;
    }

    zorvel::SpreadAxis(m_xValues, countX, m_xMin, m_xMax);
    zorvel::SpreadAxis(m_yValues, countY, m_yMin, m_yMax);
    for (uint64_t i = 0; i < points; ++i)
        m_heights[i] = 0.0f;
    return zorvel::kOk;
}

int32_t CSurfaceGrid::ResizeFromTotal(uint32_t total, uint32_t countX, uint32_t countY)
{
    if (total < 4)
        return zorvel::kInvalidArg;
    if (countX != 0 && countY != 0)
        return Resize(countX, countY);
    const float root = static_cast<float>(std::sqrt(static_cast<double>(total)));
    const uint32_t side = static_cast<uint32_t>(std::floor(root));
    return Resize(side, side);
}

void CSurfaceGrid::ReleaseArrays()
{
    zorvel::FreeFloats(m_xValues);
    m_xValues = nullptr;
    zorvel::FreeFloats(m_yValues);
    m_yValues = nullptr;
    zorvel::FreeFloats(m_heights);
    m_heights = nullptr;
}

int CSurfaceGrid::SetPoint(uint32_t col, uint32_t row, float x, float y, float z)
{
    if (col >= m_countX || row >= m_countY || !HasArrays())
        return zorvel::kRejected;
    m_heights[col + static_cast<size_t>(row) * m_countX] = z;
    m_xValues[col] = x;
    m_yValues[row] = y;
    return zorvel::kOk;
}

zorvel::GridView CSurfaceGrid::View() const
{
    return zorvel::GridView{XValues(), YValues(), Heights(), m_countX, m_countY, HasArrays()};
}

int CSurfaceGrid::SetHeights(const float* heights, uint64_t count)
{
    if (count != static_cast<uint64_t>(m_countX) * m_countY || count == 0 || !HasArrays())
        return zorvel::kRejected;
    for (uint64_t i = 0; i < count; ++i)
        m_heights[i] = heights[i];
    return zorvel::kOk;
}

bool CSurfaceGrid::HasArrays() const
{
    return (m_countX == 0 || m_xValues) && (m_countY == 0 || m_yValues) &&
           (m_countX == 0 || m_countY == 0 || m_heights);
}
