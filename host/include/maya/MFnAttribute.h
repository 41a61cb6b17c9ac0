#pragma once
#include <maya/MFnBase.h>
#include <maya/MString.h>

// Function set of attributes: names and the flags that govern plugs.
class MFnAttribute : public MFnBase {
public:
    enum DisconnectBehavior { kDelete, kReset, kNothing };

    MFnAttribute() = default;
    MFnAttribute(const MObject& attr, MStatus* status = nullptr);
    MFn::Type type() const override { return MFn::kAttribute; }

    MString name(MStatus* status = nullptr) const;
    MString shortName(MStatus* status = nullptr) const;
    MString pathName(bool longName = true, MStatus* status = nullptr) const;
    MObject parent(MStatus* status = nullptr) const;

    bool isReadable(MStatus* status = nullptr) const;
    bool isWritable(MStatus* status = nullptr) const;
    bool isConnectable(MStatus* status = nullptr) const;
    bool isStorable(MStatus* status = nullptr) const;
    bool isCached(MStatus* status = nullptr) const;
    bool isArray(MStatus* status = nullptr) const;
    bool isKeyable(MStatus* status = nullptr) const;
    bool isHidden(MStatus* status = nullptr) const;
    bool isChannelBoxFlagSet(MStatus* status = nullptr) const;
    bool isDynamic(MStatus* status = nullptr) const;
    bool isIndexMatters(MStatus* status = nullptr) const;
    bool isUsedAsColor(MStatus* status = nullptr) const;
    bool internal(MStatus* status = nullptr) const;
    bool usesArrayDataBuilder(MStatus* status = nullptr) const;
    bool indexMatters(MStatus* status = nullptr) const { return isIndexMatters(status); }

    MStatus setReadable(bool on);
    MStatus setWritable(bool on);
    MStatus setConnectable(bool on);
    MStatus setStorable(bool on);
    MStatus setCached(bool on);
    MStatus setArray(bool on);
    MStatus setKeyable(bool on);
    MStatus setHidden(bool on);
    MStatus setChannelBox(bool on);
    MStatus setIndexMatters(bool on);
    MStatus setUsedAsColor(bool on);
    MStatus setInternal(bool on);
    MStatus setUsesArrayDataBuilder(bool on);
    MStatus setDisconnectBehavior(DisconnectBehavior) { return MStatus::kSuccess; }
    MStatus setAffectsAppearance(bool) { return MStatus::kSuccess; }
    MStatus setAffectsWorldSpace(bool) { return MStatus::kSuccess; }
    MStatus setRenderSource(bool) { return MStatus::kSuccess; }
    MStatus setNiceNameOverride(const MString&) { return MStatus::kSuccess; }
};
