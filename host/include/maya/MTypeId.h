#pragma once
#include <maya/MTypes.h>

// A node type's or data type's binary identifier, as stored in binary scene files.
class MTypeId {
public:
    MTypeId() : id_(0) {}
    MTypeId(unsigned int id) : id_(id) {}
    MTypeId(unsigned int prefix, unsigned int id) : id_((prefix << 8) | (id & 0xff)) {}
    unsigned int id() const { return id_; }
    bool operator==(const MTypeId& o) const { return id_ == o.id_; }
    bool operator!=(const MTypeId& o) const { return id_ != o.id_; }
private:
    unsigned int id_;
};
