#pragma once
#include <maya/MDataHandle.h>

#include <vector>

// The elements of an array plug inside compute(), walked by logical index.
class MArrayDataHandle {
public:
    MArrayDataHandle(const MDataHandle& array, MStatus* status = nullptr);
    unsigned int elementCount(MStatus* status = nullptr);
    unsigned int elementIndex(MStatus* status = nullptr);
    MStatus jumpToElement(unsigned int logicalIndex);
    MStatus jumpToArrayElement(unsigned int physicalIndex);
    MStatus next();
    MDataHandle inputValue(MStatus* status = nullptr);
    MDataHandle outputValue(MStatus* status = nullptr);
    MStatus setClean() { return MStatus::kSuccess; }
    MStatus setAllClean() { return MStatus::kSuccess; }

private:
    MDataHandle array_;
    bool output_ = false;
    std::vector<unsigned int> indices_;
    unsigned int pos_ = 0;
    unsigned int logical_ = 0;
    bool jumped_ = false;
};
