#pragma once
#include <maya/MTypes.h>
#include <iosfwd>

// Result of every host API call; plug-ins test it instead of catching exceptions.
class MStatus {
public:
    enum MStatusCode {
        kSuccess = 0,
        kFailure,
        kInsufficientMemory,
        kInvalidParameter,
        kLicenseFailure,
        kUnknownParameter,
        kNotImplemented,
        kNotFound,
        kEndOfFile
    };

    MStatus() : code_(kSuccess) {}
    MStatus(MStatusCode code) : code_(code) {}

    bool error() const { return code_ != kSuccess; }
    explicit operator bool() const { return code_ == kSuccess; }
    MStatusCode statusCode() const { return code_; }
    bool operator==(const MStatus& o) const { return code_ == o.code_; }
    bool operator!=(const MStatus& o) const { return code_ != o.code_; }
    bool operator==(MStatusCode c) const { return code_ == c; }
    bool operator!=(MStatusCode c) const { return code_ != c; }
    void clear() { code_ = kSuccess; }

    // "(kFailure): Unexpected Internal Failure" and the like.
    MString errorString() const;
    // Prints "<message>: <errorString>" to standard error, as the host does.
    void perror(const char* message = nullptr) const;
    void perror(const MString& message) const;

private:
    MStatusCode code_;
};

std::ostream& operator<<(std::ostream& os, const MStatus& s);

#define CHECK_MSTATUS_AND_RETURN_IT(_status) \
    do { MStatus _s = (_status); if (_s.error()) { return _s; } } while (0)
#define CHECK_MSTATUS_AND_RETURN(_status, _ret) \
    do { MStatus _s = (_status); if (_s.error()) { return (_ret); } } while (0)
#define CHECK_MSTATUS(_status) \
    do { MStatus _s = (_status); if (_s.error()) { _s.perror(#_status); } } while (0)
