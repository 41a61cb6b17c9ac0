#pragma once
#include <maya/MTypes.h>
#include <maya/MStatus.h>
#include <iosfwd>

// RGBA colour, floats, alpha 1 by default.
class MColor {
public:
    enum MColorType { kRGB = 0, kHSV, kCMY, kCMYK };

    MColor() = default;
    MColor(float rr, float gg, float bb = 0.0f, float aa = 1.0f) : r(rr), g(gg), b(bb), a(aa) {}
    MColor(const float d[3]) : r(d[0]), g(d[1]), b(d[2]), a(1.0f) {}
    // HSV: hue in degrees [0, 360), saturation and value in [0, 1].
    MColor(MColorType type, float c1, float c2, float c3, float alpha = 1.0f);

    float operator[](unsigned int i) const { return (&r)[i]; }
    float& operator[](unsigned int i) { return (&r)[i]; }
    float operator()(unsigned int i) const { return (&r)[i]; }
    float& operator()(unsigned int i) { return (&r)[i]; }

    MColor operator+(const MColor& o) const { return MColor(r + o.r, g + o.g, b + o.b, a + o.a); }
    MColor operator-(const MColor& o) const { return MColor(r - o.r, g - o.g, b - o.b, a - o.a); }
    MColor operator-() const { return MColor(-r, -g, -b, -a); }
    MColor operator*(const MColor& o) const { return MColor(r * o.r, g * o.g, b * o.b, a * o.a); }
    MColor operator*(float s) const { return MColor(r * s, g * s, b * s, a * s); }
    MColor operator/(float s) const { return MColor(r / s, g / s, b / s, a / s); }
    MColor& operator+=(const MColor& o) { r += o.r; g += o.g; b += o.b; a += o.a; return *this; }
    MColor& operator-=(const MColor& o) { r -= o.r; g -= o.g; b -= o.b; a -= o.a; return *this; }
    MColor& operator*=(const MColor& o) { r *= o.r; g *= o.g; b *= o.b; a *= o.a; return *this; }
    MColor& operator*=(float s) { r *= s; g *= s; b *= s; a *= s; return *this; }
    MColor& operator/=(float s) { r /= s; g /= s; b /= s; a /= s; return *this; }
    bool operator==(const MColor& o) const { return r == o.r && g == o.g && b == o.b && a == o.a; }
    bool operator!=(const MColor& o) const { return !(*this == o); }
    bool get(float d[4]) const { d[0] = r; d[1] = g; d[2] = b; d[3] = a; return true; }
    bool get(MColorType type, float& c1, float& c2, float& c3) const;
    bool set(MColorType type, float c1, float c2, float c3, float alpha = 1.0f);

    float r = 0.0f;
    float g = 0.0f;
    float b = 0.0f;
    float a = 1.0f;
};

inline MColor operator*(float s, const MColor& c) { return c * s; }
std::ostream& operator<<(std::ostream& os, const MColor& c);
