#include <maya/MDagPath.h>
#include <maya/MItSelectionList.h>
#include <maya/MPlug.h>
#include <maya/MSelectionList.h>
#include <maya/MStringArray.h>

#include "api/select/select_util.h"

#include <algorithm>

using namespace host::api;
using host::scene::SelectionItem;
using host::scene::scene;

struct MSelectionList::Impl {
    std::vector<SelectionItem> items;
};

MSelectionList::MSelectionList() : d_(std::make_unique<Impl>()) {}
MSelectionList::MSelectionList(const MSelectionList& o) : d_(std::make_unique<Impl>(*o.d_)) {}
MSelectionList& MSelectionList::operator=(const MSelectionList& o) {
    if (this != &o) *d_ = *o.d_;
    return *this;
}
MSelectionList::~MSelectionList() = default;

std::vector<SelectionItem>& MSelectionList::items() { return d_->items; }
const std::vector<SelectionItem>& MSelectionList::items() const { return d_->items; }

namespace {
void addUnique(std::vector<SelectionItem>& items, const SelectionItem& it) {
    if (std::find(items.begin(), items.end(), it) == items.end()) items.push_back(it);
}
}  // namespace

MStatus MSelectionList::clear() {
    d_->items.clear();
    return MStatus::kSuccess;
}

bool MSelectionList::isEmpty(MStatus* status) const {
    setStatus(status, true);
    return d_->items.empty();
}

unsigned int MSelectionList::length(MStatus* status) const {
    setStatus(status, true);
    return static_cast<unsigned int>(d_->items.size());
}

MStatus MSelectionList::add(const MString& matchString, bool) {
    auto& s = scene();
    const std::string text = matchString.str();
    if (text.empty()) return MStatus::kInvalidParameter;
    const bool wild = text.find_first_of("*?") != std::string::npos;
    const auto dot = text.find('.');
    if (dot != std::string::npos && !wild) {
        // A plug, or a component of a node ("mesh.f[0:3]"): the node is kept.
        host::scene::Plug p;
        if (s.parsePlug(text, p)) {
            SelectionItem it;
            it.node = s.ptr(p.node);
            it.plug = p;
            addUnique(d_->items, it);
            return MStatus::kSuccess;
        }
        Node* n = s.find(text.substr(0, dot));
        if (!n) return MStatus::kInvalidParameter;
        SelectionItem it;
        it.node = s.ptr(n);
        addUnique(d_->items, it);
        return MStatus::kSuccess;
    }
    std::vector<Node*> found;
    if (wild) {
        found = s.match(text);
    } else if (Node* n = s.find(text)) {
        found.push_back(n);
    }
    if (found.empty()) return MStatus::kInvalidParameter;
    for (Node* n : found) {
        SelectionItem it;
        it.node = s.ptr(n);
        addUnique(d_->items, it);
    }
    return MStatus::kSuccess;
}

MStatus MSelectionList::add(const MObject& object, bool) {
    NodePtr n = nodePtrOf(object);
    if (!n) return MStatus::kInvalidParameter;
    SelectionItem it;
    it.node = n;
    addUnique(d_->items, it);
    return MStatus::kSuccess;
}

MStatus MSelectionList::add(const MDagPath& path, const MObject& component, bool) {
    NodePtr n = nodePtrOf(path.node());
    if (!n) return MStatus::kInvalidParameter;
    SelectionItem it;
    it.node = n;
    it.component = component.object();
    addUnique(d_->items, it);
    return MStatus::kSuccess;
}

MStatus MSelectionList::add(const MPlug& plug, bool) {
    host::scene::Plug p = plug.plug();
    if (p.isNull()) return MStatus::kInvalidParameter;
    SelectionItem it;
    it.node = scene().ptr(p.node);
    it.plug = p;
    addUnique(d_->items, it);
    return MStatus::kSuccess;
}

MStatus MSelectionList::remove(unsigned int index) {
    if (index >= d_->items.size()) return MStatus::kInvalidParameter;
    d_->items.erase(d_->items.begin() + index);
    return MStatus::kSuccess;
}

MStatus MSelectionList::replace(unsigned int index, const MObject& item) {
    NodePtr n = nodePtrOf(item);
    if (index >= d_->items.size() || !n) return MStatus::kInvalidParameter;
    d_->items[index] = SelectionItem{n, nullptr, {}};
    return MStatus::kSuccess;
}

MStatus MSelectionList::replace(unsigned int index, const MDagPath& item, const MObject& component) {
    NodePtr n = nodePtrOf(item.node());
    if (index >= d_->items.size() || !n) return MStatus::kInvalidParameter;
    d_->items[index] = SelectionItem{n, component.object(), {}};
    return MStatus::kSuccess;
}

MStatus MSelectionList::toggle(const MDagPath& path, const MObject& component) {
    return merge(path, component, kXORWithList);
}

MStatus MSelectionList::merge(const MSelectionList& other, MergeStrategy strategy) {
    for (const SelectionItem& it : other.items()) {
        auto pos = std::find(d_->items.begin(), d_->items.end(), it);
        if (strategy == kMergeNormal) {
            if (pos == d_->items.end()) d_->items.push_back(it);
        } else if (strategy == kRemoveFromList) {
            if (pos != d_->items.end()) d_->items.erase(pos);
        } else {
            if (pos != d_->items.end()) d_->items.erase(pos);
            else d_->items.push_back(it);
        }
    }
    return MStatus::kSuccess;
}

MStatus MSelectionList::merge(const MDagPath& path, const MObject& component, MergeStrategy strategy) {
    MSelectionList one;
    MStatus st = one.add(path, component);
    if (st.error()) return st;
    return merge(one, strategy);
}

MStatus MSelectionList::getDependNode(unsigned int index, MObject& node) const {
    if (index >= d_->items.size() || !d_->items[index].node || !d_->items[index].node->alive())
        return MStatus::kInvalidParameter;
    node = MObject(d_->items[index].node);
    return MStatus::kSuccess;
}

MStatus MSelectionList::getDagPath(unsigned int index, MDagPath& path, MObject& component) const {
    if (index >= d_->items.size()) return MStatus::kInvalidParameter;
    const SelectionItem& it = d_->items[index];
    if (!it.node || !it.node->alive() || !it.node->isDag()) return MStatus::kFailure;
    path = MDagPath(MObject(it.node));
    component = MObject(it.component);
    return MStatus::kSuccess;
}

MStatus MSelectionList::getDagPath(unsigned int index, MDagPath& path) const {
    MObject component;
    return getDagPath(index, path, component);
}

MStatus MSelectionList::getPlug(unsigned int index, MPlug& plug) const {
    if (index >= d_->items.size() || d_->items[index].plug.isNull()) return MStatus::kInvalidParameter;
    plug = MPlug(d_->items[index].plug);
    return MStatus::kSuccess;
}

MStatus MSelectionList::getSelectionStrings(MStringArray& array) const {
    array.clear();
    for (unsigned i = 0; i < d_->items.size(); ++i) {
        MStringArray one;
        getSelectionStrings(i, one);
        for (const MString& s : one) array.append(s);
    }
    return MStatus::kSuccess;
}

MStatus MSelectionList::getSelectionStrings(unsigned int index, MStringArray& array) const {
    array.clear();
    if (index >= d_->items.size()) return MStatus::kInvalidParameter;
    const SelectionItem& it = d_->items[index];
    if (!it.plug.isNull()) {
        array.append(MString(it.plug.name()));
    } else if (it.node && it.node->alive()) {
        array.append(MString(it.node->isDag() ? it.node->partialPath() : it.node->name));
    }
    return MStatus::kSuccess;
}

bool MSelectionList::hasItem(const MObject& item, MStatus* status) const {
    setStatus(status, true);
    NodePtr n = nodePtrOf(item);
    for (const SelectionItem& it : d_->items)
        if (it.node == n && !it.component && it.plug.isNull()) return true;
    return false;
}

bool MSelectionList::hasItem(const MDagPath& item, const MObject& component, MStatus* status) const {
    setStatus(status, true);
    NodePtr n = nodePtrOf(item.node());
    for (const SelectionItem& it : d_->items)
        if (it.node == n && it.component == component.object()) return true;
    return false;
}

// ---- MItSelectionList

MItSelectionList::MItSelectionList(const MSelectionList& list, MFn::Type filter, MStatus* status)
    : list_(list), filter_(filter) {
    reset();
    if (status) *status = MStatus::kSuccess;
}

bool MItSelectionList::accepted(unsigned int i) const {
    if (filter_ == MFn::kInvalid) return true;
    const auto& it = list_.items()[i];
    return it.node && it.node->alive() && it.node->hasFn(filter_);
}

bool MItSelectionList::isDone(MStatus* status) const {
    setStatus(status, true);
    return i_ >= list_.length();
}

MStatus MItSelectionList::next() {
    if (i_ >= list_.length()) return MStatus::kFailure;
    ++i_;
    while (i_ < list_.length() && !accepted(i_)) ++i_;
    return MStatus::kSuccess;
}

MStatus MItSelectionList::reset() {
    i_ = 0;
    while (i_ < list_.length() && !accepted(i_)) ++i_;
    return MStatus::kSuccess;
}

MStatus MItSelectionList::setFilter(MFn::Type filter) {
    filter_ = filter;
    return reset();
}

MStatus MItSelectionList::getDependNode(MObject& node) const { return list_.getDependNode(i_, node); }
MStatus MItSelectionList::getDagPath(MDagPath& path, MObject& component) const { return list_.getDagPath(i_, path, component); }
MStatus MItSelectionList::getDagPath(MDagPath& path) const { return list_.getDagPath(i_, path); }
MStatus MItSelectionList::getPlug(MPlug& plug) const { return list_.getPlug(i_, plug); }
MStatus MItSelectionList::getStrings(MStringArray& array) const { return list_.getSelectionStrings(i_, array); }

MItSelectionList::selItemType MItSelectionList::itemType(MStatus* status) const {
    setStatus(status, i_ < list_.length());
    if (i_ >= list_.length()) return kUnknownItem;
    const auto& it = list_.items()[i_];
    if (!it.plug.isNull()) return kPlugSelectionItem;
    return it.node && it.node->isDag() ? kDagSelectionItem : kDNselectionItem;
}

bool MItSelectionList::hasComponents(MStatus* status) const {
    setStatus(status, i_ < list_.length());
    return i_ < list_.length() && list_.items()[i_].component != nullptr;
}
