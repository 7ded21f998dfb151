#include "render/axes_layout.h"

#include <cmath>

#include "render/camera.h"

namespace zorvel {
namespace {

// Model units: 3 % of the x-y extent of 20.
constexpr float kTickLength = 0.6f;
// Pixels between a tick's end and its number.
constexpr float kLabelGap = 3.0f;

struct Box {
    float low[kAxisCount];
    float high[kAxisCount];

    float Side(int axis, bool high_) const { return high_ ? high[axis] : low[axis]; }
    float Middle(int axis) const { return (low[axis] + high[axis]) / 2.0f; }
};

float Coordinate(const D3DXVECTOR3& v, int axis) {
    return axis == 0 ? v.x : axis == 1 ? v.y : v.z;
}

D3DXVECTOR3 Point(int axis, float along, int otherB, float b, float c) {
    float p[kAxisCount];
    p[axis] = along;
    p[otherB] = b;
    p[3 - axis - otherB] = c;
    return D3DXVECTOR3(p[0], p[1], p[2]);
}

// A row vector times a matrix, as the device transforms vertices.
void Apply(const D3DXMATRIX& m, const double (&in)[4], double (&out)[4]) {
    for (int column = 0; column < 4; ++column)
        out[column] =
            in[0] * m.m[0][column] + in[1] * m.m[1][column] + in[2] * m.m[2][column] + in[3] * m.m[3][column];
}

// A tick from base, length kTickLength along (ox, oy) in the x-y plane; its
// label spot lies past the tick's end, away from the box on the screen.
LabelSpot Tick(const ScreenProjection& projector, const D3DXVECTOR3& base, float ox, float oy, AxisSegment* mark) {
    const D3DXVECTOR3 end(base.x + ox * kTickLength, base.y + oy * kTickLength, base.z);
    if (mark) *mark = AxisSegment{base, end};
    LabelSpot spot;
    float bx, by, ex, ey;
    if (!projector.Project(base, &bx, &by) || !projector.Project(end, &ex, &ey)) return spot;
    float dx = ex - bx, dy = ey - by;
    const float length = std::sqrt(dx * dx + dy * dy);
    if (length > 1e-3f) {
        dx /= length;
        dy /= length;
    } else {
        dx = 0.0f;  // a tick pointing at the eye: the label goes below it
        dy = 1.0f;
    }
    spot.x = ex + dx * kLabelGap;
    spot.y = ey + dy * kLabelGap;
    spot.dx = dx;
    spot.dy = dy;
    spot.visible = true;
    return spot;
}

bool Faces(const Box& box, const D3DXVECTOR3& eye, int axis, bool high) {
    const float e = Coordinate(eye, axis);
    return high ? e > box.high[axis] : e < box.low[axis];
}

// The edge along x (other 1) or y (other 0) for that axis's numbers: which
// side of the other horizontal axis and of the heights it lies on.
void ChooseEdge(const Box& box, const D3DXVECTOR3& eye, int other, bool* highOther, bool* highZ) {
    const bool eyeSide = Coordinate(eye, other) >= box.Middle(other);
    int best = -1;
    for (int candidate = 0; candidate < 4; ++candidate) {
        const bool sideOther = (candidate & 1) ? !eyeSide : eyeSide, sideZ = (candidate & 2) != 0;
        const bool outline = Faces(box, eye, other, sideOther) != Faces(box, eye, 2, sideZ);
        const int score = (outline ? 4 : 0) + (sideZ ? 0 : 2) + (sideOther == eyeSide ? 1 : 0);
        if (score > best) {
            best = score;
            *highOther = sideOther;
            *highZ = sideZ;
        }
    }
}

void LayOutEdges(const Box& box, const D3DXVECTOR3& eye, AxesLayout* out) {
    for (int axis = 0; axis < kAxisCount; ++axis) {
        const int b = (axis + 1) % kAxisCount, c = (axis + 2) % kAxisCount;
        for (int corner = 0; corner < 4; ++corner) {
            const bool highB = (corner & 1) != 0, highC = (corner & 2) != 0;
            const AxisSegment edge = {Point(axis, box.low[axis], b, box.Side(b, highB), box.Side(c, highC)),
                                      Point(axis, box.high[axis], b, box.Side(b, highB), box.Side(c, highC))};
            if (Faces(box, eye, b, highB) || Faces(box, eye, c, highC))
                out->nearEdges[out->nearCount++] = edge;
            else
                out->farEdges[out->farCount++] = edge;
        }
    }
}

// The axis's ticks and its title along the line where the other two
// coordinates are (b, c), the ticks pointing along (ox, oy).
void LayOutAxis(const ScreenProjection& projector, const AxisSpan& span, int axis, float b, float c, float ox, float oy,
                AxesLayout* out) {
    const int otherB = axis == 0 ? 1 : 0;  // x: (y, z); y: (x, z); height: (x, y)
    for (int i = 0; i < out->ticks[axis].count; ++i) {
        const D3DXVECTOR3 base = Point(axis, span.Model(out->ticks[axis].Value(i)), otherB, b, c);
        out->numbers[axis][i] = Tick(projector, base, ox, oy, &out->tickMarks[out->tickMarkCount++]);
    }
    const D3DXVECTOR3 middle = Point(axis, (span.modelLow + span.modelHigh) / 2.0f, otherB, b, c);
    out->titles[axis] = Tick(projector, middle, ox, oy, nullptr);
}

}  // namespace

ScreenProjection::ScreenProjection(const D3DXVECTOR3& eye, float width, float height)
    : m_width(width), m_height(height) {
    CameraViewMatrix(&m_view, eye);
    CameraProjectionMatrix(&m_projection);
}

bool ScreenProjection::Project(const D3DXVECTOR3& p, float* x, float* y) const {
    double v[4], c[4];
    const double in[4] = {p.x, p.y, p.z, 1.0};
    Apply(m_view, in, v);
    Apply(m_projection, v, c);
    if (!(c[3] > 1e-6)) return false;
    *x = static_cast<float>((c[0] / c[3] + 1.0) * 0.5 * m_width);
    *y = static_cast<float>((1.0 - c[1] / c[3]) * 0.5 * m_height);
    return true;
}

float AxisSpan::Model(double value) const {
    if (!(dataHigh > dataLow)) return modelLow;
    return static_cast<float>(modelLow + (value - dataLow) * (static_cast<double>(modelHigh) - modelLow) /
                                             (dataHigh - dataLow));
}

bool LayOutAxes(const AxisSpan (&spans)[kAxisCount], const D3DXVECTOR3& eye, float width, float height,
                AxesLayout* out) {
    *out = AxesLayout{};
    Box box;
    for (int axis = 0; axis < kAxisCount; ++axis) {
        const AxisSpan& s = spans[axis];
        if (!std::isfinite(s.dataLow) || !std::isfinite(s.dataHigh) || !std::isfinite(s.modelLow) ||
            !std::isfinite(s.modelHigh))
            return false;
        box.low[axis] = std::fmin(s.modelLow, s.modelHigh);
        box.high[axis] = std::fmax(s.modelLow, s.modelHigh);
        out->ticks[axis] = NiceTicks(s.dataLow, s.dataHigh);
    }
    LayOutEdges(box, eye, out);
    const ScreenProjection projector(eye, width, height);

    bool highY, highX, highZ;
    ChooseEdge(box, eye, 1, &highY, &highZ);
    LayOutAxis(projector, spans[0], 0, box.Side(1, highY), box.Side(2, highZ), 0.0f, highY ? 1.0f : -1.0f, out);
    ChooseEdge(box, eye, 0, &highX, &highZ);
    LayOutAxis(projector, spans[1], 1, box.Side(0, highX), box.Side(2, highZ), highX ? 1.0f : -1.0f, 0.0f, out);

    // Heights up the vertical edge leftmost on the screen, ticks pointing
    // away from the box's middle.
    int leftmost = eye.x >= box.Middle(0) ? 1 : 0;
    float leftmostX = 0.0f;
    bool found = false;
    for (int corner = 0; corner < 4; ++corner) {
        const D3DXVECTOR3 bottom(box.Side(0, (corner & 1) != 0), box.Side(1, (corner & 2) != 0), box.low[2]);
        float x, y;
        if (projector.Project(bottom, &x, &y) && (!found || x < leftmostX)) {
            leftmost = corner;
            leftmostX = x;
            found = true;
        }
    }
    highX = (leftmost & 1) != 0;
    highY = (leftmost & 2) != 0;
    constexpr float kDiagonal = 0.70710678f;
    LayOutAxis(projector, spans[2], 2, box.Side(0, highX), box.Side(1, highY), highX ? kDiagonal : -kDiagonal,
               highY ? kDiagonal : -kDiagonal, out);
    return true;
}

LabelBox PlaceLabel(const LabelSpot& spot, float width, float height, float clearance) {
    // How far the label's middle sits from its nearest edge along (dx, dy).
    const float reach = clearance + (std::fabs(spot.dx) * width + std::fabs(spot.dy) * height) / 2.0f;
    // Whole pixels keep the letters' texels on the screen's pixels.
    const float left = std::floor(spot.x + spot.dx * reach - width / 2.0f + 0.5f);
    const float top = std::floor(spot.y + spot.dy * reach - height / 2.0f + 0.5f);
    return LabelBox{left, top, left + width, top + height};
}

LabelBox KeepInside(const LabelBox& box, float width, float height) {
    const float dx = std::fmax(0.0f - box.left, std::fmin(0.0f, width - box.right));
    const float dy = std::fmax(0.0f - box.top, std::fmin(0.0f, height - box.bottom));
    return LabelBox{box.left + dx, box.top + dy, box.right + dx, box.bottom + dy};
}

bool Overlap(const LabelBox& a, const LabelBox& b) {
    constexpr float kSpace = 2.0f;  // pixels kept clear between two labels
    return a.left < b.right + kSpace && b.left < a.right + kSpace && a.top < b.bottom + kSpace &&
           b.top < a.bottom + kSpace;
}

}  // namespace zorvel
