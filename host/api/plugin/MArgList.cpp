#include <maya/MArgList.h>

#include <cstring>

bool MArgList::check(unsigned int index, MStatus* status) const {
    bool ok = index < words_.size();
    if (status) *status = ok ? MStatus::kSuccess : MStatus::kInvalidParameter;
    return ok;
}

unsigned int MArgList::length(MStatus* status) const {
    if (status) *status = MStatus::kSuccess;
    return static_cast<unsigned int>(words_.size());
}

bool MArgList::asBool(unsigned int index, MStatus* status) const {
    if (!check(index, status)) return false;
    const MString& t = words_[index].text;
    if (t == "true" || t == "on" || t == "yes") return true;
    if (t == "false" || t == "off" || t == "no") return false;
    if (!t.isDouble()) {
        if (status) *status = MStatus::kInvalidParameter;
        return false;
    }
    return t.asDouble() != 0.0;
}

int MArgList::asInt(unsigned int index, MStatus* status) const {
    if (!check(index, status)) return 0;
    const MString& t = words_[index].text;
    if (!t.isDouble()) {
        if (status) *status = MStatus::kInvalidParameter;
        return 0;
    }
    return static_cast<int>(t.asDouble());
}

double MArgList::asDouble(unsigned int index, MStatus* status) const {
    if (!check(index, status)) return 0.0;
    const MString& t = words_[index].text;
    if (!t.isDouble()) {
        if (status) *status = MStatus::kInvalidParameter;
        return 0.0;
    }
    return t.asDouble();
}

MString MArgList::asString(unsigned int index, MStatus* status) const {
    if (!check(index, status)) return MString();
    return words_[index].text;
}

// Array arguments are one word holding their elements; index moves past it.
MStringArray MArgList::asStringArray(unsigned int& index, MStatus* status) const {
    if (!check(index, status)) return MStringArray();
    const Word& w = words_[index++];
    if (w.isArray) return w.elements;
    MStringArray one;
    one.append(w.text);
    return one;
}

MIntArray MArgList::asIntArray(unsigned int& index, MStatus* status) const {
    MIntArray r;
    for (const MString& s : asStringArray(index, status)) r.append(static_cast<int>(s.asDouble()));
    return r;
}

MDoubleArray MArgList::asDoubleArray(unsigned int& index, MStatus* status) const {
    MDoubleArray r;
    for (const MString& s : asStringArray(index, status)) r.append(s.asDouble());
    return r;
}

MStatus MArgList::get(unsigned int index, bool& v) const { MStatus s; v = asBool(index, &s); return s; }
MStatus MArgList::get(unsigned int index, int& v) const { MStatus s; v = asInt(index, &s); return s; }
MStatus MArgList::get(unsigned int index, unsigned int& v) const {
    MStatus s;
    int i = asInt(index, &s);
    v = static_cast<unsigned int>(i);
    return s;
}
MStatus MArgList::get(unsigned int index, double& v) const { MStatus s; v = asDouble(index, &s); return s; }
MStatus MArgList::get(unsigned int index, MString& v) const { MStatus s; v = asString(index, &s); return s; }

unsigned int MArgList::flagIndex(const char* shortFlag, const char* longFlag) const {
    for (unsigned int i = 0; i < words_.size(); ++i) {
        const Word& w = words_[i];
        if (w.isArray || w.isString) continue;
        const MString& t = w.text;
        if ((shortFlag && t == shortFlag) || (longFlag && t == longFlag)) return i;
    }
    return kInvalidArgIndex;
}

MArgList& MArgList::addArg(bool v) { words_.push_back({v ? "1" : "0", {}, false, false}); return *this; }
MArgList& MArgList::addArg(int v) { words_.push_back({MString(std::to_string(v)), {}, false, false}); return *this; }
MArgList& MArgList::addArg(double v) { MString s; s.set(v); words_.push_back({s, {}, false, false}); return *this; }
MArgList& MArgList::addArg(const MString& v) { words_.push_back({v, {}, false, true}); return *this; }
MArgList& MArgList::addArg(const MStringArray& v) {
    Word w;
    w.elements = v;
    w.isArray = true;
    words_.push_back(std::move(w));
    return *this;
}
