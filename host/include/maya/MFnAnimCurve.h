#pragma once
#include <maya/MDoubleArray.h>
#include <maya/MFnDependencyNode.h>
#include <maya/MPlug.h>
#include <maya/MTime.h>

class MTimeArray;
class MDGModifier;

// Function set of animation curves (animCurveTL/TA/TU/TT and the U* kinds).
// Values are in internal units (cm, radians); times are MTime.
class MFnAnimCurve : public MFnDependencyNode {
public:
    enum AnimCurveType {
        kAnimCurveTA, kAnimCurveTL, kAnimCurveTT, kAnimCurveTU,
        kAnimCurveUA, kAnimCurveUL, kAnimCurveUT, kAnimCurveUU, kAnimCurveUnknown
    };
    enum TangentType {
        kTangentGlobal = 0, kTangentFixed, kTangentLinear, kTangentFlat, kTangentSmooth, kTangentStep,
        kTangentSlow, kTangentFast, kTangentClamped, kTangentPlateau, kTangentStepNext, kTangentAuto
    };
    enum InfinityType { kConstant = 0, kLinear = 1, kCycle = 3, kCycleRelative = 4, kOscillate = 5 };

    MFnAnimCurve() = default;
    MFnAnimCurve(const MObject& node, MStatus* status = nullptr);
    // The curve driving plug (directly connected), as the host's MFnAnimCurve(plug).
    MFnAnimCurve(const MPlug& plug, MStatus* status = nullptr);
    MFn::Type type() const override { return MFn::kAnimCurve; }

    // A curve of the kind matching the plug's attribute, connected to drive it.
    MObject create(const MPlug& plug, MDGModifier* modifier = nullptr, MStatus* status = nullptr);
    MObject create(const MObject& node, const MObject& attribute, MDGModifier* modifier = nullptr,
                   MStatus* status = nullptr);
    MObject create(AnimCurveType type, MDGModifier* modifier = nullptr, MStatus* status = nullptr);

    AnimCurveType animCurveType(MStatus* status = nullptr) const;
    bool isTimeInput(MStatus* status = nullptr) const;
    bool isUnitlessInput(MStatus* status = nullptr) const;
    unsigned int numKeys(MStatus* status = nullptr) const;
    unsigned int numKeyframes(MStatus* status = nullptr) const { return numKeys(status); }
    bool isStatic(MStatus* status = nullptr) const;
    bool isWeighted(MStatus* status = nullptr) const;
    MStatus setIsWeighted(bool weighted);

    unsigned int addKey(const MTime& time, double value, TangentType inType = kTangentGlobal,
                        TangentType outType = kTangentGlobal, MDGModifier* modifier = nullptr,
                        MStatus* status = nullptr);
    unsigned int addKey(double unitlessInput, double value, TangentType inType = kTangentGlobal,
                        TangentType outType = kTangentGlobal, MDGModifier* modifier = nullptr,
                        MStatus* status = nullptr);
    MStatus addKeyframe(const MTime& time, double value, MDGModifier* modifier = nullptr);
    MStatus addKeys(MTimeArray* times, MDoubleArray* values, TangentType inType = kTangentGlobal,
                    TangentType outType = kTangentGlobal, bool keepExistingKeys = false,
                    MDGModifier* modifier = nullptr);
    MStatus remove(unsigned int index, MDGModifier* modifier = nullptr);

    MTime time(unsigned int index, MStatus* status = nullptr) const;
    double unitlessInput(unsigned int index, MStatus* status = nullptr) const;
    double value(unsigned int index, MStatus* status = nullptr) const;
    MStatus setValue(unsigned int index, double value, MDGModifier* modifier = nullptr);
    MStatus setTime(unsigned int index, const MTime& time, MDGModifier* modifier = nullptr);
    bool find(const MTime& time, unsigned int& index, MStatus* status = nullptr) const;
    bool find(double unitlessInput, unsigned int& index, MStatus* status = nullptr) const;
    unsigned int findClosest(const MTime& time, MStatus* status = nullptr) const;

    double evaluate(const MTime& time, MStatus* status = nullptr) const;
    MStatus evaluate(const MTime& time, double& value) const;
    MStatus evaluate(double unitlessInput, double& value) const;

    TangentType inTangentType(unsigned int index, MStatus* status = nullptr) const;
    TangentType outTangentType(unsigned int index, MStatus* status = nullptr) const;
    MStatus setInTangentType(unsigned int index, TangentType type, MDGModifier* modifier = nullptr);
    MStatus setOutTangentType(unsigned int index, TangentType type, MDGModifier* modifier = nullptr);
    MStatus getTangent(unsigned int index, float& x, float& y, bool inTangent) const;
    MStatus getTangent(unsigned int index, double& x, double& y, bool inTangent) const;
    MStatus setTangent(unsigned int index, double x, double y, bool inTangent, MDGModifier* modifier = nullptr);
    bool tangentsLocked(unsigned int index, MStatus* status = nullptr) const;
    MStatus setTangentsLocked(unsigned int index, bool locked, MDGModifier* modifier = nullptr);
    bool weightsLocked(unsigned int index, MStatus* status = nullptr) const;
    bool isBreakdown(unsigned int index, MStatus* status = nullptr) const;

    InfinityType preInfinityType(MStatus* status = nullptr) const;
    InfinityType postInfinityType(MStatus* status = nullptr) const;
    MStatus setPreInfinityType(InfinityType type, MDGModifier* modifier = nullptr);
    MStatus setPostInfinityType(InfinityType type, MDGModifier* modifier = nullptr);
};
