#pragma once
#include <maya/MObject.h>
#include <maya/MString.h>
#include <memory>
#include <vector>

namespace host { namespace scene { class Node; struct PlugElem; } }
class MPlug;

// A value of one plug inside a compute: read inputs, write outputs.
class MDataHandle {
public:
    MDataHandle() = default;
    bool isNull() const;
    MObject attribute() const;

    bool asBool() const;
    char asChar() const;
    short asShort() const;
    int asInt() const;
    float asFloat() const;
    double asDouble() const;
    MString asString() const;
    MObject data() const;
    MDataHandle child(const MObject& attr) const;

    void set(bool v);
    void set(char v);
    void set(short v);
    void set(int v);
    void set(float v);
    void set(double v);
    void set(const MString& v);
    void set(double x, double y, double z);
    MStatus set(const MObject& data);
    void setClean();

    // Host-internal.
    explicit MDataHandle(const MPlug& plug);

private:
    std::shared_ptr<host::scene::Node> node_;
    std::shared_ptr<std::vector<host::scene::PlugElem>> path_;
};
