#pragma once
#include <maya/MObject.h>
#include <maya/MStatus.h>
#include <maya/MString.h>
#include <maya/MTypeId.h>

class MPlug;
class MDataBlock;
class MDataHandle;

namespace host { namespace scene { class Node; } }

// Base of plug-in node types. The host creates one per node through the
// registered creator and calls compute() when an output plug is requested.
class MPxNode {
public:
    enum Type {
        kDependNode, kLocatorNode, kDeformerNode, kManipContainer, kSurfaceShape, kFieldNode,
        kEmitterNode, kSpringNode, kIkSolverNode, kHardwareShader, kHwShaderNode, kTransformNode,
        kObjectSet, kFluidEmitterNode, kImagePlaneNode, kParticleAttributeMapperNode,
        kCameraSetNode, kConstraintNode, kManipulatorNode, kMotionPathNode, kClientDeviceNode,
        kThreadedDeviceNode, kAssembly, kSkinCluster, kGeometryFilter, kBlendShape, kLast
    };

    MPxNode();
    virtual ~MPxNode();

    virtual void postConstructor() {}
    // kUnknownParameter: the plug is not computed by this node (its stored value stands).
    virtual MStatus compute(const MPlug& plug, MDataBlock& data);
    virtual bool getInternalValue(const MPlug& plug, MDataHandle& handle);
    virtual bool setInternalValue(const MPlug& plug, const MDataHandle& handle);
    virtual MStatus connectionMade(const MPlug& plug, const MPlug& otherPlug, bool asSrc);
    virtual MStatus connectionBroken(const MPlug& plug, const MPlug& otherPlug, bool asSrc);
    virtual Type type() const { return kDependNode; }
    virtual bool isAbstractClass() const { return false; }

    MObject thisMObject() const;
    MTypeId typeId() const;
    MString typeName() const;
    MString name() const;
    MDataBlock forceCache();
    void setMPSafe(bool) {}
    void setExistWithoutInConnections(bool) {}
    void setExistWithoutOutConnections(bool) {}

    // Called from the type's initialize function.
    static MStatus addAttribute(const MObject& attr);
    static MStatus attributeAffects(const MObject& whenChanges, const MObject& isAffected);
    static MStatus inheritAttributesFrom(const MString& parentClassName);

    static MObject message;
    static MObject isHistoricallyInteresting;
    static MObject caching;
    static MObject state;

    // Host-internal: the node this object belongs to.
    host::scene::Node* hostNode() const { return node_; }
    void setHostNode(host::scene::Node* n) { node_ = n; }

private:
    host::scene::Node* node_ = nullptr;
};
