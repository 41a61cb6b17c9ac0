// Colours and bounding boxes.
#include <maya/MBoundingBox.h>
#include <maya/MColor.h>
#include <maya/MMatrix.h>

#include <algorithm>
#include <cmath>
#include <ostream>

// ----------------------------------------------------------------- MColor

MColor::MColor(MColorType type, float c1, float c2, float c3, float alpha) { set(type, c1, c2, c3, alpha); }

bool MColor::set(MColorType type, float c1, float c2, float c3, float alpha) {
    a = alpha;
    switch (type) {
        case kRGB:
            r = c1; g = c2; b = c3;
            return true;
        case kCMY:
            r = 1.0f - c1; g = 1.0f - c2; b = 1.0f - c3;
            return true;
        case kHSV: {
            float h = std::fmod(c1, 360.0f);
            if (h < 0.0f) h += 360.0f;
            float s = c2, v = c3;
            float c = v * s;
            float hp = h / 60.0f;
            float x = c * (1.0f - std::fabs(std::fmod(hp, 2.0f) - 1.0f));
            float rr = 0, gg = 0, bb = 0;
            switch (static_cast<int>(hp) % 6) {
                case 0: rr = c; gg = x; break;
                case 1: rr = x; gg = c; break;
                case 2: gg = c; bb = x; break;
                case 3: gg = x; bb = c; break;
                case 4: rr = x; bb = c; break;
                default: rr = c; bb = x; break;
            }
            float m = v - c;
            r = rr + m; g = gg + m; b = bb + m;
            return true;
        }
        default:
            return false;
    }
}

bool MColor::get(MColorType type, float& c1, float& c2, float& c3) const {
    switch (type) {
        case kRGB:
            c1 = r; c2 = g; c3 = b;
            return true;
        case kCMY:
            c1 = 1.0f - r; c2 = 1.0f - g; c3 = 1.0f - b;
            return true;
        case kHSV: {
            float mx = std::max({r, g, b}), mn = std::min({r, g, b});
            float d = mx - mn;
            float h = 0.0f;
            if (d > 0.0f) {
                if (mx == r) h = 60.0f * std::fmod((g - b) / d, 6.0f);
                else if (mx == g) h = 60.0f * ((b - r) / d + 2.0f);
                else h = 60.0f * ((r - g) / d + 4.0f);
            }
            if (h < 0.0f) h += 360.0f;
            c1 = h;
            c2 = mx > 0.0f ? d / mx : 0.0f;
            c3 = mx;
            return true;
        }
        default:
            return false;
    }
}

std::ostream& operator<<(std::ostream& os, const MColor& c) {
    return os << "[" << c.r << ", " << c.g << ", " << c.b << ", " << c.a << "]";
}

// ----------------------------------------------------------- MBoundingBox

MBoundingBox::MBoundingBox(const MPoint& c1, const MPoint& c2) : empty_(false) {
    MPoint a = MPoint(c1).cartesianize(), b = MPoint(c2).cartesianize();
    min_ = MPoint(std::min(a.x, b.x), std::min(a.y, b.y), std::min(a.z, b.z));
    max_ = MPoint(std::max(a.x, b.x), std::max(a.y, b.y), std::max(a.z, b.z));
}

void MBoundingBox::clear() {
    min_ = max_ = MPoint::origin;
    empty_ = true;
}

void MBoundingBox::expand(const MPoint& pIn) {
    MPoint p = MPoint(pIn).cartesianize();
    if (empty_) {
        min_ = max_ = MPoint(p.x, p.y, p.z);
        empty_ = false;
        return;
    }
    min_ = MPoint(std::min(min_.x, p.x), std::min(min_.y, p.y), std::min(min_.z, p.z));
    max_ = MPoint(std::max(max_.x, p.x), std::max(max_.y, p.y), std::max(max_.z, p.z));
}

void MBoundingBox::expand(const MBoundingBox& box) {
    if (box.empty_) return;
    expand(box.min_);
    expand(box.max_);
}

void MBoundingBox::transformUsing(const MMatrix& m) {
    if (empty_) return;
    MBoundingBox out;
    for (int i = 0; i < 8; ++i) {
        MPoint c((i & 1) ? max_.x : min_.x, (i & 2) ? max_.y : min_.y, (i & 4) ? max_.z : min_.z);
        out.expand((c * m).cartesianize());
    }
    *this = out;
}

bool MBoundingBox::contains(const MPoint& pIn) const {
    if (empty_) return false;
    MPoint p = MPoint(pIn).cartesianize();
    return p.x >= min_.x && p.x <= max_.x && p.y >= min_.y && p.y <= max_.y && p.z >= min_.z &&
           p.z <= max_.z;
}

bool MBoundingBox::intersects(const MBoundingBox& o, double tol) const {
    if (empty_ || o.empty_) return false;
    return min_.x <= o.max_.x + tol && o.min_.x <= max_.x + tol && min_.y <= o.max_.y + tol &&
           o.min_.y <= max_.y + tol && min_.z <= o.max_.z + tol && o.min_.z <= max_.z + tol;
}

double MBoundingBox::width() const { return max_.x - min_.x; }
double MBoundingBox::height() const { return max_.y - min_.y; }
double MBoundingBox::depth() const { return max_.z - min_.z; }
MPoint MBoundingBox::center() const {
    return MPoint((min_.x + max_.x) * 0.5, (min_.y + max_.y) * 0.5, (min_.z + max_.z) * 0.5);
}
MPoint MBoundingBox::min() const { return min_; }
MPoint MBoundingBox::max() const { return max_; }
