#pragma once
#include <maya/MString.h>

// A file name as the host hands it to translators.
class MFileObject {
public:
    MFileObject() = default;
    MStatus setRawFullName(const MString& fullName) { full_ = fullName; return MStatus::kSuccess; }
    MStatus setFullName(const MString& fullName) { return setRawFullName(fullName); }
    MStatus setRawName(const MString& name);
    MStatus setRawPath(const MString& path);

    // Full name as chosen, with '/' separators.
    MString rawFullName() const { return full_; }
    MString fullName() const { return full_; }
    MString resolvedFullName() const;
    // The part after the last '/'.
    MString name() const;
    MString rawName() const { return name(); }
    // The folder part, ending with '/' (empty when the name has no folder).
    MString path() const;
    MString rawPath() const { return path(); }
    MString resolvedPath() const { return path(); }
    bool exists() const;

private:
    MString full_;
};
