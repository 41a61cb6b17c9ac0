#pragma once
#include <maya/MFnNumericData.h>
#include <maya/MMatrix.h>
#include <maya/MObject.h>
#include <maya/MString.h>
#include <maya/MVector.h>
#include <maya/MFloatVector.h>

#include <memory>

class MTime;
class MAngle;
class MDistance;
class MFloatMatrix;

namespace host { namespace scene { struct Plug; } }

// One plug's value inside compute(): input handles read the evaluated
// value, output handles write the computed one.
class MDataHandle {
public:
    MDataHandle();
    MDataHandle(const MDataHandle&);
    MDataHandle& operator=(const MDataHandle&);
    ~MDataHandle();

    bool isNumeric() const;
    MFnNumericData::Type numericType() const;
    MObject attribute();

    bool asBool() const;
    char asChar() const;
    unsigned char asUChar() const;
    short asShort() const;
    int asInt() const;
    int asLong() const { return asInt(); }
    float asFloat() const;
    double asDouble() const;
    MString asString() const;
    MMatrix asMatrix() const;
    MFloatMatrix asFloatMatrix() const;
    MVector asVector() const;
    MFloatVector asFloatVector() const;
    MTime asTime() const;
    MAngle asAngle() const;
    MDistance asDistance() const;
    MObject data() const;
    MObject asMesh() const { return data(); }
    MObject asNurbsCurve() const { return data(); }
    MObject asNurbsSurface() const { return data(); }
    MDataHandle child(const MObject& attr);

    void set(bool v);
    void set(char v);
    void set(short v);
    void set(int v);
    void set(float v);
    void set(double v);
    void set(const MString& v);
    void set(const MMatrix& v);
    void set(const MVector& v);
    void set(const MFloatVector& v);
    void set(const MTime& v);
    void set(const MAngle& v);
    void set(const MDistance& v);
    MStatus set(const MObject& data);
    MStatus setMObject(const MObject& data) { return set(data); }
    void set2Double(double a, double b);
    void set3Double(double a, double b, double c);
    void set2Float(float a, float b);
    void set3Float(float a, float b, float c);
    void set3Int(int a, int b, int c);
    void setClean();

    // Host-internal.
    MDataHandle(const host::scene::Plug& p, bool output);
    host::scene::Plug plug() const;

private:
    void setNumber(double v);
    void setNumbers(std::initializer_list<double> v);
    struct Impl;
    std::shared_ptr<Impl> d_;
};
