#pragma once
#include <maya/MFn.h>
#include <maya/MStatus.h>
#include <memory>

namespace host { namespace scene { class Object; } }

// A handle naming a host object (node, attribute, data, component). Copying it
// copies the handle, never the object.
class MObject {
public:
    MObject() = default;
    MObject(const MObject&) = default;
    MObject& operator=(const MObject&) = default;
    ~MObject() = default;

    bool hasFn(MFn::Type type) const;
    bool isNull() const;
    MFn::Type apiType() const;
    const char* apiTypeStr() const;
    bool operator==(const MObject& o) const { return p_ == o.p_; }
    bool operator!=(const MObject& o) const { return p_ != o.p_; }

    static const MObject kNullObj;

    // Host-internal.
    explicit MObject(std::shared_ptr<host::scene::Object> p) : p_(std::move(p)) {}
    const std::shared_ptr<host::scene::Object>& object() const { return p_; }

private:
    std::shared_ptr<host::scene::Object> p_;
};
