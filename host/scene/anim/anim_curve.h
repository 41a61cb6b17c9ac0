#pragma once
// Keyframed animation curve: pure data and its evaluation, held by the
// animCurveT*/U* nodes. Input is in internal units (seconds for time
// curves; cm, radians or plain numbers for driven keys), output likewise.
#include <string>
#include <vector>

namespace host::scene {

class AnimCurve {
public:
    // Numbering of MFnAnimCurve::TangentType.
    enum TangentType {
        kTangentGlobal = 0,
        kTangentFixed,
        kTangentLinear,
        kTangentFlat,
        kTangentSmooth,   // "spline"
        kTangentStep,
        kTangentSlow,
        kTangentFast,
        kTangentClamped,
        kTangentPlateau,
        kTangentStepNext,
        kTangentAuto
    };
    // Numbering of MFnAnimCurve::InfinityType (what .pre/.pst store).
    enum InfinityType {
        kConstant = 0,
        kLinear = 1,
        kCycle = 3,
        kCycleRelative = 4,
        kOscillate = 5
    };

    struct Key {
        double time = 0.0;
        double value = 0.0;
        TangentType inType = kTangentGlobal;
        TangentType outType = kTangentGlobal;
        // Tangent direction, x along the input (seconds), y along the value.
        // Used by fixed tangents; on weighted curves the length is the
        // weight: the Bezier handle sits at key -/+ (x, y) / 3.
        double inX = 1.0, inY = 0.0;
        double outX = 1.0, outY = 0.0;
        bool tangentsLocked = true;
        bool weightsLocked = true;
        bool breakdown = false;
    };

    AnimCurve() = default;

    unsigned int numKeys() const { return static_cast<unsigned int>(keys_.size()); }
    const Key& key(unsigned int index) const { return keys_[index]; }
    const std::vector<Key>& keys() const { return keys_; }

    // Inserts in time order; a key already at that time (within
    // timeTolerance) gets the new value and tangent types. Returns the index.
    unsigned int addKey(double time, double value,
                        TangentType inType = kTangentGlobal, TangentType outType = kTangentGlobal);
    // Full key; same replacement rule.
    unsigned int addKey(const Key& key);
    bool removeKey(unsigned int index);
    void clear() { keys_.clear(); }

    bool setValue(unsigned int index, double value);
    // Fails when another key already sits at the new time.
    bool setTime(unsigned int index, double time);
    bool setInTangentType(unsigned int index, TangentType t);
    bool setOutTangentType(unsigned int index, TangentType t);
    // Stores the tangent as fixed (x, y); locked tangents set both sides.
    bool setTangent(unsigned int index, double x, double y, bool inTangent);
    bool setTangentsLocked(unsigned int index, bool locked);
    bool setWeightsLocked(unsigned int index, bool locked);
    bool setBreakdown(unsigned int index, bool breakdown);
    // Raw key access for the file reader (kix/kiy etc.); keeps times sorted
    // only if the caller does not change them.
    Key* mutableKey(unsigned int index) { return index < keys_.size() ? &keys_[index] : nullptr; }

    // Index of the key at time, or -1.
    int find(double time) const;
    // Index of the key nearest to time (earlier one on a tie), -1 if empty.
    int findClosest(double time) const;
    // First key strictly after / last key strictly before time, or -1.
    int nextKey(double time) const;
    int previousKey(double time) const;

    InfinityType preInfinity() const { return pre_; }
    InfinityType postInfinity() const { return post_; }
    void setPreInfinity(InfinityType t) { pre_ = t; }
    void setPostInfinity(InfinityType t) { post_ = t; }
    bool isWeighted() const { return weighted_; }
    void setWeighted(bool w) { weighted_ = w; }
    // What a kTangentGlobal key uses (keyTangent -global); clamped by default.
    static TangentType globalTangentType();
    static void setGlobalTangentType(TangentType t);

    double evaluate(double time) const;

    // Slopes (value per input unit) the key's tangents resolve to.
    double inSlope(unsigned int index) const;
    double outSlope(unsigned int index) const;
    // Effective tangent as MFnAnimCurve::getTangent(x, y) reports it:
    // unweighted curves give the unit vector of the slope; weighted ones
    // the stored (fixed) or default handle (x = span to the neighbour key).
    void tangentXY(unsigned int index, bool inTangent, double& x, double& y) const;
    // True when the curve gives the same value everywhere.
    bool isStatic() const;

    static constexpr double timeTolerance = 1.0e-9;

private:
    double evaluateInRange(double time) const;
    double slope(unsigned int index, bool inSide) const;
    TangentType resolved(TangentType t) const;

    std::vector<Key> keys_;
    InfinityType pre_ = kConstant;
    InfinityType post_ = kConstant;
    bool weighted_ = false;
};

// Names the .ma format and keyTangent use: "global", "fixed", "linear",
// "flat", "spline", "step", "slow", "fast", "clamped", "plateau",
// "stepnext", "auto". False for an unknown name.
bool tangentTypeFromName(const std::string& name, AnimCurve::TangentType& t);
std::string tangentTypeName(AnimCurve::TangentType t);
// Codes the animCurve node's keyTanInType/keyTanOutType (.kit/.kot) and
// tangentType (.tan) attributes store in files: 0 global, 1 fixed,
// 2 linear, 3 flat, 4 smooth (read as spline), 5 step, 6 slow, 7 fast,
// 9 spline, 10 clamped, 11 plateau, 17 stepnext, 18 auto.
bool tangentTypeFromFileCode(int code, AnimCurve::TangentType& t);
int tangentTypeFileCode(AnimCurve::TangentType t);
// "constant", "linear", "cycle", "cycleRelative", "oscillate" (setInfinity).
bool infinityTypeFromName(const std::string& name, AnimCurve::InfinityType& t);
std::string infinityTypeName(AnimCurve::InfinityType t);
bool infinityTypeFromCode(int code, AnimCurve::InfinityType& t);

}  // namespace host::scene
