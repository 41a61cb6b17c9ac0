#include <maya/MFileObject.h>

#include <platform/platform.h>

MStatus MFileObject::setRawName(const MString& name) {
    full_ = path() + name;
    return MStatus::kSuccess;
}

MStatus MFileObject::setRawPath(const MString& p) {
    MString dir = p;
    if (dir.length() > 0 && dir.asChar()[dir.length() - 1] != '/') dir += "/";
    full_ = dir + name();
    return MStatus::kSuccess;
}

MString MFileObject::name() const {
    int slash = full_.rindex('/');
    return slash < 0 ? full_ : full_.substring(slash + 1, static_cast<int>(full_.length()) - 1);
}

MString MFileObject::path() const {
    int slash = full_.rindex('/');
    return slash < 0 ? MString() : full_.substring(0, slash);
}

MString MFileObject::resolvedFullName() const { return MString(vl2platform::resolvePath(full_.str())); }

bool MFileObject::exists() const { return vl2platform::fileExists(vl2platform::resolvePath(full_.str())); }
