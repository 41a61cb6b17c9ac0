#pragma once
#include <maya/MStatus.h>
#include <initializer_list>
#include <iosfwd>
#include <vector>

// Common body of the host's value arrays (MIntArray, MStringArray ...).
template <typename T>
class MArrayBase {
public:
    MArrayBase() = default;
    MArrayBase(unsigned int n, const T& init = T()) : v_(n, init) {}
    MArrayBase(const T* src, unsigned int n) : v_(src, src + n) {}
    MArrayBase(std::initializer_list<T> l) : v_(l) {}
    explicit MArrayBase(std::vector<T> v) : v_(std::move(v)) {}

    unsigned int length() const { return static_cast<unsigned int>(v_.size()); }
    T& operator[](unsigned int i) { return v_[i]; }
    const T& operator[](unsigned int i) const { return v_[i]; }
    MStatus append(const T& x) { v_.push_back(x); return MStatus::kSuccess; }
    MStatus set(const T& x, unsigned int i) {
        if (i >= v_.size()) return MStatus::kFailure;
        v_[i] = x;
        return MStatus::kSuccess;
    }
    MStatus setLength(unsigned int n) { v_.resize(n); return MStatus::kSuccess; }
    MStatus remove(unsigned int i) {
        if (i >= v_.size()) return MStatus::kFailure;
        v_.erase(v_.begin() + i);
        return MStatus::kSuccess;
    }
    MStatus insert(const T& x, unsigned int i) {
        if (i > v_.size()) return MStatus::kFailure;
        v_.insert(v_.begin() + i, x);
        return MStatus::kSuccess;
    }
    MStatus clear() { v_.clear(); return MStatus::kSuccess; }
    MStatus copy(const MArrayBase& o) { v_ = o.v_; return MStatus::kSuccess; }
    MStatus get(T* dst) const { for (size_t i = 0; i < v_.size(); ++i) dst[i] = v_[i]; return MStatus::kSuccess; }
    void setSizeIncrement(unsigned int) {}

    // Host-internal access.
    std::vector<T>& vec() { return v_; }
    const std::vector<T>& vec() const { return v_; }
    typename std::vector<T>::iterator begin() { return v_.begin(); }
    typename std::vector<T>::iterator end() { return v_.end(); }
    typename std::vector<T>::const_iterator begin() const { return v_.begin(); }
    typename std::vector<T>::const_iterator end() const { return v_.end(); }

private:
    std::vector<T> v_;
};

#define VL2_DECLARE_ARRAY(Name, T)                       \
    class Name : public MArrayBase<T> {                  \
    public:                                              \
        using MArrayBase<T>::MArrayBase;                 \
        Name() = default;                                \
    };
