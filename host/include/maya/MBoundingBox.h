#pragma once
#include <maya/MTypes.h>
#include <maya/MStatus.h>
#include <maya/MPoint.h>

class MMatrix;

// Axis-aligned box. A default box is empty: its first expand() takes the
// point as both corners, so the origin is not included by accident.
class MBoundingBox {
public:
    MBoundingBox() = default;
    MBoundingBox(const MBoundingBox&) = default;
    // Corners in any order; the box holds their component-wise min and max.
    MBoundingBox(const MPoint& corner1, const MPoint& corner2);
    MBoundingBox& operator=(const MBoundingBox&) = default;

    // Empty again, corners at the origin.
    void clear();
    // Replaces the box by the box around its eight transformed corners.
    void transformUsing(const MMatrix& m);
    void expand(const MPoint& p);
    void expand(const MBoundingBox& box);
    bool contains(const MPoint& p) const;
    bool intersects(const MBoundingBox& box, double tolerance = 0.0) const;
    double width() const;
    double height() const;
    double depth() const;
    MPoint center() const;
    MPoint min() const;
    MPoint max() const;
    bool isEmpty() const { return empty_; }

private:
    MPoint min_;
    MPoint max_;
    bool empty_ = true;
};
