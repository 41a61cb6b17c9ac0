// Keyframed curves: tangent resolution, Hermite/Bezier segments, infinity.
#include "scene/anim/anim_curve.h"

#include <algorithm>
#include <cmath>

namespace host::scene {

namespace {

AnimCurve::TangentType gGlobalTangent = AnimCurve::kTangentClamped;

bool sameValue(double a, double b) {
    return std::fabs(a - b) <= 1.0e-9 * std::fmax(1.0, std::fmax(std::fabs(a), std::fabs(b)));
}

double hermite(double v0, double m0, double v1, double m1, double dt, double u) {
    double u2 = u * u, u3 = u2 * u;
    return v0 * (2.0 * u3 - 3.0 * u2 + 1.0) + m0 * dt * (u3 - 2.0 * u2 + u) +
           v1 * (-2.0 * u3 + 3.0 * u2) + m1 * dt * (u3 - u2);
}

double bezier(double p0, double p1, double p2, double p3, double s) {
    double r = 1.0 - s;
    return r * r * r * p0 + 3.0 * r * r * s * p1 + 3.0 * r * s * s * p2 + s * s * s * p3;
}

// A fixed tangent with (almost) no x length is as steep as it gets.
double fixedSlope(double x, double y) {
    if (y == 0.0) return 0.0;
    return y / std::fmax(std::fabs(x), 1.0e-9);
}

}  // namespace

AnimCurve::TangentType AnimCurve::globalTangentType() { return gGlobalTangent; }
void AnimCurve::setGlobalTangentType(TangentType t) {
    gGlobalTangent = t == kTangentGlobal ? kTangentClamped : t;
}

AnimCurve::TangentType AnimCurve::resolved(TangentType t) const {
    return t == kTangentGlobal ? gGlobalTangent : t;
}

// ------------------------------------------------------------ key editing

unsigned int AnimCurve::addKey(double time, double value, TangentType inType, TangentType outType) {
    Key k;
    k.time = time;
    k.value = value;
    k.inType = inType;
    k.outType = outType;
    int at = find(time);
    if (at >= 0) {
        Key& e = keys_[at];
        e.value = value;
        e.inType = inType;
        e.outType = outType;
        return static_cast<unsigned int>(at);
    }
    return addKey(k);
}

unsigned int AnimCurve::addKey(const Key& key) {
    int at = find(key.time);
    if (at >= 0) {
        const double kept = keys_[at].time;  // the existing time stays exact
        keys_[at] = key;
        keys_[at].time = kept;
        return static_cast<unsigned int>(at);
    }
    auto it = std::lower_bound(keys_.begin(), keys_.end(), key.time,
                               [](const Key& k, double t) { return k.time < t; });
    it = keys_.insert(it, key);
    return static_cast<unsigned int>(it - keys_.begin());
}

bool AnimCurve::removeKey(unsigned int index) {
    if (index >= keys_.size()) return false;
    keys_.erase(keys_.begin() + index);
    return true;
}

bool AnimCurve::setValue(unsigned int index, double value) {
    if (index >= keys_.size()) return false;
    keys_[index].value = value;
    return true;
}

bool AnimCurve::setTime(unsigned int index, double time) {
    if (index >= keys_.size()) return false;
    int other = find(time);
    if (other >= 0 && other != static_cast<int>(index)) return false;
    Key k = keys_[index];
    k.time = time;
    keys_.erase(keys_.begin() + index);
    addKey(k);
    return true;
}

bool AnimCurve::setInTangentType(unsigned int index, TangentType t) {
    if (index >= keys_.size()) return false;
    keys_[index].inType = t;
    return true;
}

bool AnimCurve::setOutTangentType(unsigned int index, TangentType t) {
    if (index >= keys_.size()) return false;
    keys_[index].outType = t;
    return true;
}

bool AnimCurve::setTangent(unsigned int index, double x, double y, bool inTangent) {
    if (index >= keys_.size()) return false;
    Key& k = keys_[index];
    if (inTangent || k.tangentsLocked) {
        k.inX = x;
        k.inY = y;
        k.inType = kTangentFixed;
    }
    if (!inTangent || k.tangentsLocked) {
        k.outX = x;
        k.outY = y;
        k.outType = kTangentFixed;
    }
    return true;
}

bool AnimCurve::setTangentsLocked(unsigned int index, bool locked) {
    if (index >= keys_.size()) return false;
    keys_[index].tangentsLocked = locked;
    return true;
}

bool AnimCurve::setWeightsLocked(unsigned int index, bool locked) {
    if (index >= keys_.size()) return false;
    keys_[index].weightsLocked = locked;
    return true;
}

bool AnimCurve::setBreakdown(unsigned int index, bool breakdown) {
    if (index >= keys_.size()) return false;
    keys_[index].breakdown = breakdown;
    return true;
}

// ---------------------------------------------------------------- search

int AnimCurve::find(double time) const {
    auto it = std::lower_bound(keys_.begin(), keys_.end(), time - timeTolerance,
                               [](const Key& k, double t) { return k.time < t; });
    if (it != keys_.end() && std::fabs(it->time - time) <= timeTolerance)
        return static_cast<int>(it - keys_.begin());
    return -1;
}

int AnimCurve::findClosest(double time) const {
    if (keys_.empty()) return -1;
    auto it = std::lower_bound(keys_.begin(), keys_.end(), time,
                               [](const Key& k, double t) { return k.time < t; });
    if (it == keys_.end()) return static_cast<int>(keys_.size()) - 1;
    int i = static_cast<int>(it - keys_.begin());
    if (i == 0) return 0;
    double after = keys_[i].time - time, before = time - keys_[i - 1].time;
    return before <= after ? i - 1 : i;
}

int AnimCurve::nextKey(double time) const {
    auto it = std::upper_bound(keys_.begin(), keys_.end(), time + timeTolerance,
                               [](double t, const Key& k) { return t < k.time; });
    return it == keys_.end() ? -1 : static_cast<int>(it - keys_.begin());
}

int AnimCurve::previousKey(double time) const {
    auto it = std::lower_bound(keys_.begin(), keys_.end(), time - timeTolerance,
                               [](const Key& k, double t) { return k.time < t; });
    return it == keys_.begin() ? -1 : static_cast<int>(it - keys_.begin()) - 1;
}

// -------------------------------------------------------------- tangents

double AnimCurve::slope(unsigned int i, bool inSide) const {
    const Key& k = keys_[i];
    const unsigned int n = numKeys();
    const bool hasPrev = i > 0, hasNext = i + 1 < n;
    auto seg = [&](unsigned int a, unsigned int b) {
        double dt = keys_[b].time - keys_[a].time;
        return dt > 0.0 ? (keys_[b].value - keys_[a].value) / dt : 0.0;
    };
    // Spline: the chord through the neighbours; an end key aims at its
    // only neighbour, so two spline keys make a straight line.
    auto spline = [&]() {
        if (hasPrev && hasNext) {
            double dt = keys_[i + 1].time - keys_[i - 1].time;
            return dt > 0.0 ? (keys_[i + 1].value - keys_[i - 1].value) / dt : 0.0;
        }
        if (hasNext) return seg(i, i + 1);
        if (hasPrev) return seg(i - 1, i);
        return 0.0;
    };

    switch (resolved(inSide ? k.inType : k.outType)) {
        case kTangentFixed:
            return inSide ? fixedSlope(k.inX, k.inY) : fixedSlope(k.outX, k.outY);
        case kTangentLinear:
            if (inSide) return hasPrev ? seg(i - 1, i) : (hasNext ? seg(i, i + 1) : 0.0);
            return hasNext ? seg(i, i + 1) : (hasPrev ? seg(i - 1, i) : 0.0);
        case kTangentSmooth:
            return spline();
        case kTangentSlow:
            return 0.5 * spline();
        case kTangentFast:
            return 1.5 * spline();
        case kTangentClamped:
            // A neighbour at the same value flattens the key so the curve
            // does not overshoot the hold.
            if ((hasPrev && sameValue(k.value, keys_[i - 1].value)) ||
                (hasNext && sameValue(k.value, keys_[i + 1].value)))
                return 0.0;
            return spline();
        case kTangentPlateau:
        case kTangentAuto: {
            // Flat at the ends and at extremes; elsewhere spline limited so
            // neither neighbouring segment overshoots its keys.
            if (!hasPrev || !hasNext) return 0.0;
            double d0 = seg(i - 1, i), d1 = seg(i, i + 1);
            if (d0 * d1 <= 0.0) return 0.0;
            double s = spline();
            double limit = 3.0 * std::fmin(std::fabs(d0), std::fabs(d1));
            return std::copysign(std::fmin(std::fabs(s), limit), d0);
        }
        case kTangentFlat:
        case kTangentStep:
        case kTangentStepNext:
        case kTangentGlobal:
        default:
            return 0.0;
    }
}

double AnimCurve::inSlope(unsigned int index) const {
    return index < keys_.size() ? slope(index, true) : 0.0;
}

double AnimCurve::outSlope(unsigned int index) const {
    return index < keys_.size() ? slope(index, false) : 0.0;
}

void AnimCurve::tangentXY(unsigned int i, bool inSide, double& x, double& y) const {
    x = 1.0;
    y = 0.0;
    if (i >= keys_.size()) return;
    const Key& k = keys_[i];
    const TangentType t = resolved(inSide ? k.inType : k.outType);
    double s = slope(i, inSide);
    if (weighted_) {
        if (t == kTangentFixed) {
            x = inSide ? k.inX : k.outX;
            y = inSide ? k.inY : k.outY;
            return;
        }
        // Default handle: a third of the span, i.e. x is the span.
        const unsigned int n = numKeys();
        double span = 1.0;
        if (inSide && i > 0) span = k.time - keys_[i - 1].time;
        else if (!inSide && i + 1 < n) span = keys_[i + 1].time - k.time;
        else if (i > 0) span = k.time - keys_[i - 1].time;
        else if (i + 1 < n) span = keys_[i + 1].time - k.time;
        x = span;
        y = s * span;
        return;
    }
    x = 1.0 / std::sqrt(1.0 + s * s);
    y = s * x;
}

bool AnimCurve::isStatic() const {
    for (unsigned int i = 0; i < keys_.size(); ++i) {
        if (keys_[i].value != keys_[0].value) return false;
        if (slope(i, true) != 0.0 || slope(i, false) != 0.0) return false;
    }
    return true;
}

// ------------------------------------------------------------- evaluation

double AnimCurve::evaluateInRange(double time) const {
    const unsigned int n = numKeys();
    if (time <= keys_.front().time) return keys_.front().value;
    if (time >= keys_.back().time) return keys_.back().value;
    // Segment [i, i+1] with keys_[i].time <= time < keys_[i+1].time.
    auto it = std::upper_bound(keys_.begin(), keys_.end(), time,
                               [](double t, const Key& k) { return t < k.time; });
    unsigned int i = static_cast<unsigned int>(it - keys_.begin()) - 1;
    if (i + 1 >= n) return keys_.back().value;
    const Key& a = keys_[i];
    const Key& b = keys_[i + 1];
    if (time == a.time) return a.value;

    switch (resolved(a.outType)) {
        case kTangentStep: return a.value;
        case kTangentStepNext: return b.value;
        default: break;
    }
    const double dt = b.time - a.time;
    if (dt <= 0.0) return a.value;

    if (!weighted_) {
        return hermite(a.value, slope(i, false), b.value, slope(i + 1, true), dt, (time - a.time) / dt);
    }

    // Weighted: cubic Bezier with handles at key +/- (x, y) / 3, kept
    // inside the segment in time so the curve stays a function of time.
    double ox, oy, ix, iy;
    tangentXY(i, false, ox, oy);
    tangentXY(i + 1, true, ix, iy);
    ox = std::fabs(ox);
    ix = std::fabs(ix);
    auto clampHandle = [dt](double& hx, double& hy) {
        if (hx / 3.0 > dt) {
            double f = 3.0 * dt / hx;
            hx *= f;
            hy *= f;
        }
    };
    clampHandle(ox, oy);
    clampHandle(ix, iy);
    const double x0 = a.time, x1 = a.time + ox / 3.0, x2 = b.time - ix / 3.0, x3 = b.time;
    const double y0 = a.value, y1 = a.value + oy / 3.0, y2 = b.value - iy / 3.0, y3 = b.value;
    double lo = 0.0, hi = 1.0;
    for (int iter = 0; iter < 60; ++iter) {
        double mid = 0.5 * (lo + hi);
        if (bezier(x0, x1, x2, x3, mid) < time) lo = mid;
        else hi = mid;
    }
    return bezier(y0, y1, y2, y3, 0.5 * (lo + hi));
}

double AnimCurve::evaluate(double time) const {
    if (keys_.empty()) return 0.0;
    if (!std::isfinite(time)) return keys_.front().value;
    const Key& first = keys_.front();
    const Key& last = keys_.back();
    const double t0 = first.time, t1 = last.time;
    if (time >= t0 && time <= t1) return evaluateInRange(time);

    const bool before = time < t0;
    const InfinityType inf = before ? pre_ : post_;
    const double period = t1 - t0;
    switch (inf) {
        case kLinear:
            if (before) return first.value + (time - t0) * slope(0, true);
            return last.value + (time - t1) * slope(numKeys() - 1, false);
        case kCycle:
        case kCycleRelative:
        case kOscillate: {
            if (period <= 0.0) return before ? first.value : last.value;
            double d = before ? t0 - time : time - t1;
            double cycles = std::ceil(d / period);
            double local = before ? time + cycles * period : time - cycles * period;
            local = std::fmin(std::fmax(local, t0), t1);
            if (inf == kOscillate) {
                // Odd repeats play backwards.
                if (std::fmod(cycles, 2.0) != 0.0) local = t0 + t1 - local;
                return evaluateInRange(local);
            }
            double v = evaluateInRange(local);
            if (inf == kCycleRelative) {
                double offset = cycles * (last.value - first.value);
                v += before ? -offset : offset;
            }
            return v;
        }
        case kConstant:
        default:
            return before ? first.value : last.value;
    }
}

// ------------------------------------------------------------------ names

namespace {
struct TangentName {
    const char* name;
    AnimCurve::TangentType type;
    int fileCode;
};
const TangentName kTangentNames[] = {
    {"global", AnimCurve::kTangentGlobal, 0},   {"fixed", AnimCurve::kTangentFixed, 1},
    {"linear", AnimCurve::kTangentLinear, 2},   {"flat", AnimCurve::kTangentFlat, 3},
    {"spline", AnimCurve::kTangentSmooth, 9},   {"step", AnimCurve::kTangentStep, 5},
    {"slow", AnimCurve::kTangentSlow, 6},       {"fast", AnimCurve::kTangentFast, 7},
    {"clamped", AnimCurve::kTangentClamped, 10}, {"plateau", AnimCurve::kTangentPlateau, 11},
    {"stepnext", AnimCurve::kTangentStepNext, 17}, {"auto", AnimCurve::kTangentAuto, 18},
};

struct InfinityName {
    const char* name;
    AnimCurve::InfinityType type;
};
const InfinityName kInfinityNames[] = {
    {"constant", AnimCurve::kConstant}, {"linear", AnimCurve::kLinear},
    {"cycle", AnimCurve::kCycle},       {"cycleRelative", AnimCurve::kCycleRelative},
    {"oscillate", AnimCurve::kOscillate},
};
}  // namespace

bool tangentTypeFromName(const std::string& name, AnimCurve::TangentType& t) {
    for (const auto& e : kTangentNames)
        if (name == e.name) {
            t = e.type;
            return true;
        }
    if (name == "smooth") {
        t = AnimCurve::kTangentSmooth;
        return true;
    }
    return false;
}

std::string tangentTypeName(AnimCurve::TangentType t) {
    for (const auto& e : kTangentNames)
        if (e.type == t) return e.name;
    return std::string();
}

bool tangentTypeFromFileCode(int code, AnimCurve::TangentType& t) {
    if (code == 4) {
        t = AnimCurve::kTangentSmooth;
        return true;
    }
    for (const auto& e : kTangentNames)
        if (e.fileCode == code) {
            t = e.type;
            return true;
        }
    return false;
}

int tangentTypeFileCode(AnimCurve::TangentType t) {
    for (const auto& e : kTangentNames)
        if (e.type == t) return e.fileCode;
    return 0;
}

bool infinityTypeFromName(const std::string& name, AnimCurve::InfinityType& t) {
    for (const auto& e : kInfinityNames)
        if (name == e.name) {
            t = e.type;
            return true;
        }
    return false;
}

std::string infinityTypeName(AnimCurve::InfinityType t) {
    for (const auto& e : kInfinityNames)
        if (e.type == t) return e.name;
    return std::string();
}

bool infinityTypeFromCode(int code, AnimCurve::InfinityType& t) {
    for (const auto& e : kInfinityNames)
        if (static_cast<int>(e.type) == code) {
            t = e.type;
            return true;
        }
    return false;
}

}  // namespace host::scene
