#pragma once
#include <maya/MTypes.h>

// Function-set compatibility types: what an MObject is and which function sets attach to it.
#define VL2_MFN_TYPES(X) \
    X(kInvalid) X(kBase) X(kNamedObject) X(kModel) X(kDependencyNode) \
    X(kAddDoubleLinear) X(kMultiplyDivide) X(kPlusMinusAverage) X(kCurveInfo) X(kUnitConversion) \
    X(kExpression) X(kScript) X(kTime) X(kMotionPath) X(kGroupId) X(kGroupParts) \
    X(kGeometryFilt) X(kTweak) X(kSkinClusterFilter) X(kSubCurve) X(kDisplayLayer) X(kDisplayLayerManager) \
    X(kRenderLayer) X(kRenderLayerManager) X(kPartition) X(kUnknown) X(kPluginDependNode) \
    X(kAnimCurve) X(kAnimCurveTimeToAngular) X(kAnimCurveTimeToDistance) X(kAnimCurveTimeToTime) \
    X(kAnimCurveTimeToUnitless) X(kAnimCurveUnitlessToAngular) X(kAnimCurveUnitlessToDistance) \
    X(kAnimCurveUnitlessToTime) X(kAnimCurveUnitlessToUnitless) \
    X(kPolyCreator) X(kPolyPrimitive) X(kPolyCube) X(kPolyPlane) X(kPolySphere) X(kPolyCylinder) \
    X(kSet) X(kShadingEngine) X(kMaterialInfo) \
    X(kLambert) X(kReflect) X(kPhong) X(kBlinn) X(kSurfaceShader) X(kTexture2d) X(kFileTexture) \
    X(kPlace2dTexture) \
    X(kDagNode) X(kWorld) X(kTransform) X(kJoint) X(kConstraint) X(kAimConstraint) X(kLookAt) \
    X(kUnknownDag) X(kUnknownTransform) X(kPluginTransformNode) \
    X(kShape) X(kSurface) X(kMesh) X(kNurbsSurface) X(kCurve) X(kNurbsCurve) X(kLocator) \
    X(kPluginLocatorNode) X(kPluginShape) X(kCamera) X(kLight) X(kAmbientLight) X(kNonAmbientLight) \
    X(kNonExtendedLight) X(kPointLight) X(kDirectionalLight) X(kSpotLight) X(kAreaLight) \
    X(kComponent) X(kSingleIndexedComponent) X(kDoubleIndexedComponent) X(kMeshComponent) \
    X(kMeshPolygonComponent) X(kMeshEdgeComponent) X(kMeshVertComponent) X(kMeshVtxFaceComponent) \
    X(kMeshMapComponent) X(kCurveCVComponent) X(kCurveParamComponent) X(kSurfaceCVComponent) \
    X(kAttribute) X(kNumericAttribute) X(kAttribute2Double) X(kAttribute2Float) X(kAttribute2Int) \
    X(kAttribute2Short) X(kAttribute3Double) X(kAttribute3Float) X(kAttribute3Int) X(kAttribute3Short) \
    X(kAttribute4Double) X(kCompoundAttribute) X(kTypedAttribute) X(kEnumAttribute) X(kUnitAttribute) \
    X(kDoubleLinearAttribute) X(kDoubleAngleAttribute) X(kTimeAttribute) X(kMessageAttribute) \
    X(kMatrixAttribute) X(kFloatMatrixAttribute) X(kGenericAttribute) \
    X(kData) X(kNumericData) X(kStringData) X(kMatrixData) X(kStringArrayData) X(kDoubleArrayData) \
    X(kIntArrayData) X(kPointArrayData) X(kVectorArrayData) X(kComponentListData) X(kMeshData) \
    X(kNurbsCurveData) X(kNurbsSurfaceData) X(kPluginData) X(kGeometryData) X(kMeshGeom) \
    X(kLast)

class MFn {
public:
    enum Type {
#define VL2_MFN_ENUM(n) n,
        VL2_MFN_TYPES(VL2_MFN_ENUM)
#undef VL2_MFN_ENUM
    };
    // Host-internal: "kTransform" for kTransform, as MObject::apiTypeStr answers.
    static const char* typeName(Type t);
};
