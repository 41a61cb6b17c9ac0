#pragma once
#include <maya/MObject.h>
#include <cstdint>

// Tracks whether the object an MObject names is still in the scene.
class MObjectHandle {
public:
    MObjectHandle() = default;
    MObjectHandle(const MObject& o) : o_(o) {}
    MObjectHandle& operator=(const MObject& o) { o_ = o; return *this; }
    MObject object() const { return isValid() ? o_ : MObject(); }
    const MObject& objectRef() const { return o_; }
    bool isValid() const { return !o_.isNull(); }
    bool isAlive() const { return isValid(); }
    unsigned int hashCode() const {
        return static_cast<unsigned int>(reinterpret_cast<std::uintptr_t>(o_.object().get()) >> 3);
    }
    bool operator==(const MObjectHandle& o) const { return o_ == o.o_; }
    bool operator!=(const MObjectHandle& o) const { return o_ != o.o_; }
private:
    MObject o_;
};
