#include <maya/MDataBlock.h>
#include <maya/MPlug.h>
#include <maya/MPxNode.h>

#include "api/core/core_util.h"

using namespace host::api;
using host::scene::scene;

MObject MPxNode::message;
MObject MPxNode::isHistoricallyInteresting;
MObject MPxNode::caching;
MObject MPxNode::state;

MPxNode::MPxNode() = default;
MPxNode::~MPxNode() = default;

MStatus MPxNode::compute(const MPlug&, MDataBlock&) { return MStatus::kUnknownParameter; }
bool MPxNode::getInternalValue(const MPlug&, MDataHandle&) { return false; }
bool MPxNode::setInternalValue(const MPlug&, const MDataHandle&) { return false; }
MStatus MPxNode::connectionMade(const MPlug&, const MPlug&, bool) { return MStatus::kUnknownParameter; }
MStatus MPxNode::connectionBroken(const MPlug&, const MPlug&, bool) { return MStatus::kUnknownParameter; }

MObject MPxNode::thisMObject() const { return objectOf(node_); }
MTypeId MPxNode::typeId() const { return node_ ? MTypeId(node_->type->id) : MTypeId(); }
MString MPxNode::typeName() const { return node_ ? MString(node_->typeName()) : MString(); }
MString MPxNode::name() const { return node_ ? MString(node_->name) : MString(); }
MDataBlock MPxNode::forceCache() { return MDataBlock(node_ ? scene().ptr(node_) : nullptr); }

MStatus MPxNode::addAttribute(const MObject& attr) {
    host::scene::NodeType* t = scene().initializingType();
    auto a = std::dynamic_pointer_cast<host::scene::Attribute>(attr.object());
    if (!t || !a) return MStatus::kFailure;
    return t->addAttribute(a);
}

MStatus MPxNode::attributeAffects(const MObject& whenChanges, const MObject& isAffected) {
    host::scene::Attribute* a = attrOf(whenChanges);
    host::scene::Attribute* b = attrOf(isAffected);
    if (!a || !b) return MStatus::kInvalidParameter;
    a->affects.push_back(b);
    b->affectedBy.push_back(a);
    return MStatus::kSuccess;
}

MStatus MPxNode::inheritAttributesFrom(const MString&) { return MStatus::kNotImplemented; }
