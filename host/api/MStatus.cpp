#include <maya/MStatus.h>
#include <maya/MString.h>

#include <cstdio>
#include <ostream>

MString MStatus::errorString() const {
    switch (code_) {
    case kSuccess: return "(kSuccess): No Error";
    case kFailure: return "(kFailure): Unexpected Internal Failure";
    case kInsufficientMemory: return "(kInsufficientMemory): Insufficient Memory";
    case kInvalidParameter: return "(kInvalidParameter): Object is incompatible with this method";
    case kLicenseFailure: return "(kLicenseFailure): License Failure";
    case kUnknownParameter: return "(kUnknownParameter): Unknown Parameter";
    case kNotImplemented: return "(kNotImplemented): Not Implemented";
    case kNotFound: return "(kNotFound): Object not found";
    case kEndOfFile: return "(kEndOfFile): End of File";
    }
    return "(kFailure): Unexpected Internal Failure";
}

void MStatus::perror(const char* message) const {
    std::fprintf(stderr, "%s: %s\n", message ? message : "", errorString().asChar());
    std::fflush(stderr);
}

void MStatus::perror(const MString& message) const { perror(message.asChar()); }

std::ostream& operator<<(std::ostream& os, const MStatus& s) { return os << s.errorString().asChar(); }
