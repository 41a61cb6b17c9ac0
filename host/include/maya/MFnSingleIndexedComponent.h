#pragma once
#include <maya/MFnComponent.h>
#include <maya/MIntArray.h>

// Components named by one index each: mesh vertices (kMeshVertComponent),
// edges (kMeshEdgeComponent) and faces (kMeshPolygonComponent).
class MFnSingleIndexedComponent : public MFnComponent {
public:
    MFnSingleIndexedComponent() = default;
    MFnSingleIndexedComponent(MObject& object, MStatus* status = nullptr);
    MFnSingleIndexedComponent(const MObject& object, MStatus* status = nullptr);
    MFn::Type type() const override { return MFn::kSingleIndexedComponent; }

    // Makes a new, empty component of the given kind and attaches to it.
    MObject create(MFn::Type compType, MStatus* status = nullptr);
    MStatus addElement(int element);
    MStatus addElements(MIntArray& elements);
    int element(int index, MStatus* status = nullptr);
    MStatus getElements(MIntArray& elements) const;
    // A complete component stands for elements 0 .. numElements-1.
    MStatus setCompleteData(int numElements);
    MStatus getCompleteData(int& numElements) const;
};
