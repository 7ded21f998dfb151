// Where the axes of a frame go: the box around the surface's x, y and height
// extent, its edges split into the ones in front of everything inside the box
// and the ones the surface may hide, the tick marks, and the screen spot of
// every number and title for the camera of that frame.  Platform-free.
#pragma once

#include "render/axis_ticks.h"
#include "render/d3dx_math.h"

namespace zorvel {

constexpr int kAxisCount = 3;  // x, y, height
constexpr int kBoxEdges = 12;

// One axis of the box: the data's range, and where its ends are in model space
// (x and y span -10..10, heights as they are drawn, fitted or not).
struct AxisSpan {
    double dataLow = 0.0;
    double dataHigh = 0.0;
    float modelLow = 0.0f;
    float modelHigh = 0.0f;

    float Model(double value) const;
};

struct AxisSegment {
    D3DXVECTOR3 from;
    D3DXVECTOR3 to;
};

// Where a label goes: its edge nearest the axis touches (x, y) in pixels and
// it lies away from the axis along (dx, dy).  Not drawn unless visible
// (a spot behind the eye).
struct LabelSpot {
    float x = 0.0f;
    float y = 0.0f;
    float dx = 0.0f;
    float dy = 0.0f;
    bool visible = false;
};

// The frames' view (from eye to the origin, z up) and projection, and the
// viewport of width x height pixels after them.
class ScreenProjection {
public:
    ScreenProjection(const D3DXVECTOR3& eye, float width, float height);
    // The pixel p lands on; false for a point not in front of the eye.
    bool Project(const D3DXVECTOR3& p, float* x, float* y) const;

private:
    D3DXMATRIX m_view;
    D3DXMATRIX m_projection;
    float m_width;
    float m_height;
};

struct AxesLayout {
    AxisTicks ticks[kAxisCount];
    // The edges on a face turned to the eye: nothing inside the box is in
    // front of them.  The others may be behind the surface.
    AxisSegment nearEdges[kBoxEdges];
    int nearCount = 0;
    AxisSegment farEdges[kBoxEdges];
    int farCount = 0;
    AxisSegment tickMarks[kAxisCount * kMaxTicks];
    int tickMarkCount = 0;
    LabelSpot numbers[kAxisCount][kMaxTicks];
    LabelSpot titles[kAxisCount];
};

// The layout seen from eye (looking at the origin with the frames' projection)
// in a viewport of width x height pixels; false, and nothing to draw, when a
// span is not finite.  The x and the y numbers run along an edge on the box's
// outline (one of its faces turned to the eye, the other away), so that they
// fall outside the box: the bottom one where it can be, on the eye's side on a
// tie.  The height numbers go up the vertical edge leftmost on the screen;
// each title beyond its numbers' middle.
bool LayOutAxes(const AxisSpan (&spans)[kAxisCount], const D3DXVECTOR3& eye, float width, float height,
                AxesLayout* out);

// Where a label is drawn, in whole pixels.
struct LabelBox {
    float left, top, right, bottom;
};

// A label of width x height pixels at spot, moved a further clearance pixels
// away from the axis (a title past the numbers).
LabelBox PlaceLabel(const LabelSpot& spot, float width, float height, float clearance);

// The label moved the least way that keeps it inside a view of width x
// height pixels (its top left corner inside, when it is larger).
LabelBox KeepInside(const LabelBox& box, float width, float height);

// Whether two labels would touch; a crowded axis leaves out the numbers that
// would.
bool Overlap(const LabelBox& a, const LabelBox& b);

}  // namespace zorvel
