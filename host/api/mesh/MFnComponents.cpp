#include <maya/MFnComponent.h>
#include <maya/MFnComponentListData.h>
#include <maya/MFnMeshData.h>
#include <maya/MFnSingleIndexedComponent.h>

#include "api/mesh/mesh_access.h"

#include <algorithm>
#include <cstdlib>

using namespace host;
using scene::SingleIndexedComponent;

namespace {

MStatus setStatus(MStatus* s, MStatus v) {
    if (s) *s = v;
    return v;
}

std::shared_ptr<SingleIndexedComponent> comp(const MObject& o) {
    return std::dynamic_pointer_cast<SingleIndexedComponent>(o.object());
}

bool singleIndexedKind(MFn::Type t) {
    return t == MFn::kMeshVertComponent || t == MFn::kMeshEdgeComponent || t == MFn::kMeshPolygonComponent ||
           t == MFn::kMeshMapComponent || t == MFn::kCurveCVComponent;
}

// Component lists hold the text form scene files use ("f[0:3]"): one
// item per component range.
std::shared_ptr<scene::ComponentListData> list(const MObject& o) {
    return std::dynamic_pointer_cast<scene::ComponentListData>(o.object());
}

MObject itemComponent(const std::string& item) {
    static const MFn::Type kinds[] = {MFn::kMeshPolygonComponent, MFn::kMeshVertComponent, MFn::kMeshEdgeComponent,
                                      MFn::kMeshMapComponent};
    for (MFn::Type k : kinds) {
        std::string p = std::string(scene::componentPrefix(k)) + "[";
        if (item.compare(0, p.size(), p) != 0) continue;
        if (item == p + "*]") {
            auto c = std::make_shared<SingleIndexedComponent>();
            c->kind = k;
            c->complete = true;
            return MObject(c);
        }
        // "lo" or "lo:hi"; absurd ranges from hostile files are refused.
        const char* txt = item.c_str() + p.size();
        char* end = nullptr;
        long lo = std::strtol(txt, &end, 10), hi = lo;
        if (end == txt || lo < 0) return MObject();
        if (*end == ':') {
            const char* h = end + 1;
            hi = std::strtol(h, &end, 10);
            if (end == h) return MObject();
        }
        if (std::string(end) != "]" || hi < lo || hi - lo > 10000000 || hi > 0x7fffffffL) return MObject();
        auto c = std::make_shared<SingleIndexedComponent>();
        c->kind = k;
        c->elements.reserve(size_t(hi - lo + 1));
        for (long i = lo; i <= hi; ++i) c->elements.push_back(int(i));
        return MObject(c);
    }
    return MObject();
}

}  // namespace

// ------------------------------------------------------------------ MFnComponent

MFnComponent::MFnComponent(MObject& object, MStatus* status) {
    setStatus(status, comp(object) ? (obj_ = object, MStatus::kSuccess) : MStatus::kInvalidParameter);
}

int MFnComponent::elementCount(MStatus* status) {
    auto c = comp(obj_);
    if (!c) { setStatus(status, MStatus::kInvalidParameter); return 0; }
    setStatus(status, MStatus::kSuccess);
    return c->complete ? c->completeCount : int(c->elements.size());
}

MFn::Type MFnComponent::componentType(MStatus* status) {
    auto c = comp(obj_);
    setStatus(status, c ? MStatus::kSuccess : MStatus::kInvalidParameter);
    return c ? c->kind : MFn::kInvalid;
}

bool MFnComponent::isEmpty(MStatus* status) const {
    auto c = comp(obj_);
    setStatus(status, c ? MStatus::kSuccess : MStatus::kInvalidParameter);
    return !c || (c->complete ? c->completeCount == 0 : c->elements.empty());
}

bool MFnComponent::isEqual(MObject& other, MStatus* status) const {
    auto a = comp(obj_), b = comp(other);
    setStatus(status, a && b ? MStatus::kSuccess : MStatus::kInvalidParameter);
    if (!a || !b || a->kind != b->kind) return false;
    int n = std::max({a->completeCount, b->completeCount, 0});
    for (int e : a->elements) n = std::max(n, e + 1);
    for (int e : b->elements) n = std::max(n, e + 1);
    auto ra = a->resolve(n), rb = b->resolve(n);
    std::sort(ra.begin(), ra.end());
    std::sort(rb.begin(), rb.end());
    return ra == rb;
}

bool MFnComponent::isComplete(MStatus* status) const {
    auto c = comp(obj_);
    setStatus(status, c ? MStatus::kSuccess : MStatus::kInvalidParameter);
    return c && c->complete;
}

MStatus MFnComponent::setComplete(bool complete) {
    auto c = comp(obj_);
    if (!c) return MStatus::kInvalidParameter;
    c->complete = complete;
    return MStatus::kSuccess;
}

// ------------------------------------------------------------------ MFnSingleIndexedComponent

MFnSingleIndexedComponent::MFnSingleIndexedComponent(MObject& object, MStatus* status)
    : MFnSingleIndexedComponent(static_cast<const MObject&>(object), status) {}

MFnSingleIndexedComponent::MFnSingleIndexedComponent(const MObject& object, MStatus* status) {
    auto c = comp(object);
    if (c && c->hasFn(MFn::kSingleIndexedComponent)) {
        obj_ = object;
        setStatus(status, MStatus::kSuccess);
    } else {
        setStatus(status, MStatus::kInvalidParameter);
    }
}

MObject MFnSingleIndexedComponent::create(MFn::Type compType, MStatus* status) {
    if (!singleIndexedKind(compType)) {
        setStatus(status, MStatus::kInvalidParameter);
        return MObject();
    }
    obj_ = host::api::meshapi::makeComponent(compType, {});
    setStatus(status, MStatus::kSuccess);
    return obj_;
}

MStatus MFnSingleIndexedComponent::addElement(int element) {
    auto c = comp(obj_);
    if (!c) return MStatus::kInvalidParameter;
    if (element < 0) return MStatus::kInvalidParameter;
    c->add(element);
    return MStatus::kSuccess;
}

MStatus MFnSingleIndexedComponent::addElements(MIntArray& elements) {
    auto c = comp(obj_);
    if (!c) return MStatus::kInvalidParameter;
    for (int e : elements)
        if (e < 0) return MStatus::kInvalidParameter;
    for (int e : elements) c->add(e);
    return MStatus::kSuccess;
}

int MFnSingleIndexedComponent::element(int index, MStatus* status) {
    auto c = comp(obj_);
    if (!c) { setStatus(status, MStatus::kInvalidParameter); return -1; }
    if (c->complete) {
        bool ok = index >= 0 && index < c->completeCount;
        setStatus(status, ok ? MStatus::kSuccess : MStatus::kInvalidParameter);
        return ok ? index : -1;
    }
    if (index < 0 || size_t(index) >= c->elements.size()) { setStatus(status, MStatus::kInvalidParameter); return -1; }
    setStatus(status, MStatus::kSuccess);
    return c->elements[size_t(index)];
}

MStatus MFnSingleIndexedComponent::getElements(MIntArray& elements) const {
    auto c = comp(obj_);
    if (!c) return MStatus::kInvalidParameter;
    elements.clear();
    if (c->complete)
        for (int i = 0; i < c->completeCount; ++i) elements.append(i);
    else
        for (int e : c->elements) elements.append(e);
    return MStatus::kSuccess;
}

MStatus MFnSingleIndexedComponent::setCompleteData(int numElements) {
    auto c = comp(obj_);
    if (!c || numElements < 0) return MStatus::kInvalidParameter;
    c->complete = true;
    c->completeCount = numElements;
    return MStatus::kSuccess;
}

MStatus MFnSingleIndexedComponent::getCompleteData(int& numElements) const {
    auto c = comp(obj_);
    if (!c) return MStatus::kInvalidParameter;
    numElements = c->complete ? c->completeCount : 0;
    return MStatus::kSuccess;
}

// ------------------------------------------------------------------ MFnComponentListData

MFnComponentListData::MFnComponentListData(MObject& object, MStatus* status) {
    if (list(object)) {
        obj_ = object;
        setStatus(status, MStatus::kSuccess);
    } else {
        setStatus(status, MStatus::kInvalidParameter);
    }
}

MObject MFnComponentListData::create(MStatus* status) {
    obj_ = MObject(std::make_shared<scene::ComponentListData>());
    setStatus(status, MStatus::kSuccess);
    return obj_;
}

unsigned int MFnComponentListData::length(MStatus* status) const {
    auto l = list(obj_);
    setStatus(status, l ? MStatus::kSuccess : MStatus::kInvalidParameter);
    return l ? unsigned(l->items.size()) : 0;
}

MObject MFnComponentListData::operator[](unsigned int index) const {
    auto l = list(obj_);
    return l && index < l->items.size() ? itemComponent(l->items[index]) : MObject();
}

MStatus MFnComponentListData::add(MObject& component) {
    auto l = list(obj_);
    auto c = comp(component);
    if (!l || !c) return MStatus::kInvalidParameter;
    for (const std::string& s : c->toStrings())
        if (std::find(l->items.begin(), l->items.end(), s) == l->items.end()) l->items.push_back(s);
    return MStatus::kSuccess;
}

MStatus MFnComponentListData::clear() {
    auto l = list(obj_);
    if (!l) return MStatus::kInvalidParameter;
    l->items.clear();
    return MStatus::kSuccess;
}

bool MFnComponentListData::has(const MObject& component, MStatus* status) const {
    auto l = list(obj_);
    auto c = comp(component);
    setStatus(status, l && c ? MStatus::kSuccess : MStatus::kInvalidParameter);
    if (!l || !c) return false;
    // Every element of the component must be named by some item.
    std::string p = scene::componentPrefix(c->kind);
    int count = 0;
    for (int e : c->elements) count = std::max(count, e + 1);
    std::vector<int> have = l->indices(p, count);
    for (int e : c->elements)
        if (!std::binary_search(have.begin(), have.end(), e)) return false;
    return !c->elements.empty();
}

// ------------------------------------------------------------------ MFnMeshData

MFnMeshData::MFnMeshData(MObject& object, MStatus* status)
    : MFnMeshData(static_cast<const MObject&>(object), status) {}

MFnMeshData::MFnMeshData(const MObject& object, MStatus* status) {
    if (std::dynamic_pointer_cast<scene::MeshData>(object.object())) {
        obj_ = object;
        setStatus(status, MStatus::kSuccess);
    } else {
        setStatus(status, MStatus::kInvalidParameter);
    }
}

MObject MFnMeshData::create(MStatus* status) {
    obj_ = MObject(std::make_shared<scene::MeshData>());
    setStatus(status, MStatus::kSuccess);
    return obj_;
}
