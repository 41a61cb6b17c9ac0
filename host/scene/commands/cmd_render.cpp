// Rendering and rig commands: camera, the light commands, shadingNode,
// hyperShade, pathAnimation and aimConstraint.
#include "scene/commands/cmd_common.h"

#include "api/math/xform.h"
#include "scene/core/eval.h"
#include "scene/nurbs/nurbs_data.h"

#include <maya/MEulerRotation.h>

#include <algorithm>
#include <cmath>

namespace host::scene::cmds {

namespace {

Scene& S() { return scene(); }

Node* createOrFail(const std::string& type, const std::string& name, Node* parent) {
    std::string err;
    Node* n = S().createNode(type, name, parent, &err);
    if (!n) fail(err.empty() ? "Unknown object type: " + type : err);
    return n;
}

void connectOrFail(const Plug& src, const Plug& dst, bool force = false) {
    std::string err;
    if (!S().connect(src, dst, force, &err))
        fail(err.empty() ? "Cannot connect '" + plugLabel(src) + "' to '" + plugLabel(dst) + "'." : err);
}

// The shape of a transform (first non-intermediate one of the wanted kind) or the node itself.
Node* shapeOfKind(Node* n, MFn::Type kind) {
    if (n->hasFn(kind)) return n;
    if (isTransform(n))
        for (Node* c : n->children)
            if (c->hasFn(kind) && !isIntermediate(c)) return c;
    return nullptr;
}

Node* shapeArgOrSelection(const ParsedArgs& a, MFn::Type kind, const char* what) {
    std::vector<std::string> words = objectWords(a);
    std::vector<Node*> cands;
    if (words.empty()) cands = selectedNodes();
    else cands.push_back(findNode(words[0]));
    for (Node* c : cands)
        if (Node* s = shapeOfKind(c, kind)) return s;
    if (!words.empty()) fail("'" + words[0] + "' is not a " + what + ".");
    fail(std::string("No ") + what + " was specified.");
}

double uiDistance(double internal) { return toUiUnits(UnitType::kDistance, internal); }
double fromUiDistance(double ui) { return fromUiUnits(UnitType::kDistance, ui); }
double fromUiAngle(double ui) { return fromUiUnits(UnitType::kAngle, ui); }

std::vector<double> flag3(const ParsedArgs& a, const char* f, double (*conv)(double) = nullptr) {
    std::vector<double> v;
    for (int i = 0; i < 3; ++i) v.push_back(conv ? conv(a.flagFloat(f, i)) : a.flagFloat(f, i));
    return v;
}

// Is the compound (or any of its children) fed by a connection?
bool driven(Node* n, const char* compound) {
    Plug p = n->plug(compound);
    return !p.isNull() && !S().connections(p, false, true, true).empty();
}

void requirePositive(double v, const char* what) {
    if (!(v > 0) || !std::isfinite(v)) fail(std::string("The ") + what + " must be greater than 0.");
}

// ------------------------------------------------------------------ camera

struct NumFlag {
    const char* shortName;
    const char* longName;
    const char* attr;
    UnitType unit;     // kInvalid: plain number
    bool positive;     // rejects values <= 0
};
const NumFlag kCameraNumbers[] = {
    {"fl", "focalLength", "focalLength", UnitType::kInvalid, true},
    {"hfa", "horizontalFilmAperture", "horizontalFilmAperture", UnitType::kInvalid, true},
    {"vfa", "verticalFilmAperture", "verticalFilmAperture", UnitType::kInvalid, true},
    {"hfo", "horizontalFilmOffset", "horizontalFilmOffset", UnitType::kInvalid, false},
    {"vfo", "verticalFilmOffset", "verticalFilmOffset", UnitType::kInvalid, false},
    {"lsr", "lensSqueezeRatio", "lensSqueezeRatio", UnitType::kInvalid, true},
    {"cs", "cameraScale", "cameraScale", UnitType::kInvalid, true},
    {"coi", "centerOfInterest", "centerOfInterest", UnitType::kDistance, true},
    {"ncp", "nearClipPlane", "nearClipPlane", UnitType::kDistance, true},
    {"fcp", "farClipPlane", "farClipPlane", UnitType::kDistance, true},
    {"ow", "orthographicWidth", "orthographicWidth", UnitType::kDistance, true},
    {"fs", "fStop", "fStop", UnitType::kInvalid, true},
    {"ovr", "overscan", "overscan", UnitType::kInvalid, true},
};
const char* kFilmFits[] = {"fill", "horizontal", "vertical", "overscan"};

MelValue cameraCmd(CommandContext& ctx) {
    static const ArgParser p = [] {
        ArgParser q;
        q.queryFlag("q", "query").flag("e", "edit").flag("n", "name", {ArgType::String});
        for (const NumFlag& f : kCameraNumbers) q.flag(f.shortName, f.longName, {ArgType::Float});
        q.flag("o", "orthographic", {ArgType::Bool})
            .flag("ff", "filmFit", {ArgType::String})
            .flag("ar", "aspectRatio", {ArgType::Float})
            .flag("p", "position", {ArgType::Float, ArgType::Float, ArgType::Float})
            .flag("rot", "rotation", {ArgType::Float, ArgType::Float, ArgType::Float})
            .flag("hfv", "horizontalFieldOfView", {ArgType::Float})
            .flag("vfv", "verticalFieldOfView", {ArgType::Float});
        return q;
    }();
    ParsedArgs a = p.parse(ctx);
    Node* shape = nullptr;
    Node* xf = nullptr;
    if (a.isQuery() || a.isSet("e")) {
        shape = shapeArgOrSelection(a, MFn::kCamera, "camera");
        xf = shape->parent;
    }
    if (a.isQuery()) {
        for (const NumFlag& f : kCameraNumbers)
            if (a.isSet(f.shortName)) {
                double v = getNumber(shape->plug(f.attr));
                return MelValue(f.unit == UnitType::kInvalid ? v : toUiUnits(f.unit, v));
            }
        if (a.isSet("o")) return MelValue(getNumber(shape->plug("orthographic")) != 0 ? 1 : 0);
        if (a.isSet("ff")) {
            int k = static_cast<int>(getNumber(shape->plug("filmFit")));
            return MelValue(std::string(k >= 0 && k < 4 ? kFilmFits[k] : "fill"));
        }
        if (a.isSet("ar")) {
            double v = getNumber(shape->plug("verticalFilmAperture"));
            return MelValue(v != 0 ? getNumber(shape->plug("horizontalFilmAperture")) / v : 0.0);
        }
        if (a.isSet("hfv") || a.isSet("vfv")) {
            double fl = getNumber(shape->plug("focalLength"));
            double ap = getNumber(shape->plug(a.isSet("hfv") ? "horizontalFilmAperture" : "verticalFilmAperture"));
            if (a.isSet("hfv")) ap *= getNumber(shape->plug("lensSqueezeRatio"));
            double fov = fl > 0 ? 2.0 * std::atan(ap * 25.4 / (2.0 * fl)) : 0.0;
            return MelValue(toUiUnits(UnitType::kAngle, fov));
        }
        if (a.isSet("p") && xf) {
            Matrix4 w = worldMatrix(xf);
            return MelValue(std::vector<double>{uiDistance(w.m[3][0]), uiDistance(w.m[3][1]), uiDistance(w.m[3][2])});
        }
        if (a.isSet("rot") && xf) {
            std::vector<double> r = getVector(xf, "rotate");
            for (double& x : r) x = toUiUnits(UnitType::kAngle, x);
            return MelValue(r);
        }
        fail("Nothing to query.");
    }
    // Check every value before the scene changes.
    for (const NumFlag& f : kCameraNumbers)
        if (a.isSet(f.shortName) && f.positive) requirePositive(a.flagFloat(f.shortName), f.longName);
    int fit = -1;
    if (a.isSet("ff")) {
        std::string w = a.flagString("ff");
        for (int i = 0; i < 4; ++i)
            if (w == kFilmFits[i]) fit = i;
        if (fit < 0) fail("Invalid film fit: " + w + ". Use fill, horizontal, vertical or overscan.");
    }
    if (a.isSet("ar")) requirePositive(a.flagFloat("ar"), "aspectRatio");
    if (a.isSet("ncp") || a.isSet("fcp")) {
        double n = a.isSet("ncp") ? a.flagFloat("ncp") : (shape ? uiDistance(getNumber(shape->plug("nearClipPlane"))) : 0.1);
        double f = a.isSet("fcp") ? a.flagFloat("fcp") : (shape ? uiDistance(getNumber(shape->plug("farClipPlane"))) : 10000.0);
        if (!(f > n)) fail("The far clipping plane must lie beyond the near clipping plane.");
    }
    if (!shape) {
        xf = createOrFail("transform", a.flagStringOr("n", "camera#"), nullptr);
        std::string base = xf->name;
        std::size_t i = base.size();
        while (i > 0 && std::isdigit(static_cast<unsigned char>(base[i - 1]))) --i;
        shape = createOrFail("camera", base.substr(0, i) + "Shape" + base.substr(i), xf);
    }
    for (const NumFlag& f : kCameraNumbers)
        if (a.isSet(f.shortName)) {
            double v = a.flagFloat(f.shortName);
            setNumber(shape->plug(f.attr), f.unit == UnitType::kInvalid ? v : fromUiUnits(f.unit, v));
        }
    if (a.isSet("o")) setNumber(shape->plug("orthographic"), a.flagBool("o") ? 1 : 0);
    if (fit >= 0) setNumber(shape->plug("filmFit"), fit);
    if (a.isSet("ar"))
        setNumber(shape->plug("verticalFilmAperture"), getNumber(shape->plug("horizontalFilmAperture")) / a.flagFloat("ar"));
    if (a.isSet("hfv") || a.isSet("vfv")) {
        const char* f = a.isSet("hfv") ? "hfv" : "vfv";
        double fov = fromUiAngle(a.flagFloat(f));
        if (!(fov > 0) || !(fov < 3.14159)) fail("The field of view must lie between 0 and 180 degrees.");
        double ap = getNumber(shape->plug(a.isSet("hfv") ? "horizontalFilmAperture" : "verticalFilmAperture"));
        setNumber(shape->plug("focalLength"), ap * 25.4 / (2.0 * std::tan(fov / 2.0)));
    }
    if (a.isSet("p") && xf) setVector(xf, "translate", flag3(a, "p", fromUiDistance));
    if (a.isSet("rot") && xf) setVector(xf, "rotate", flag3(a, "rot", fromUiAngle));
    if (a.isSet("e")) return MelValue();
    selectOnly(xf);
    return MelValue(std::vector<std::string>{nodeName(xf), nodeName(shape)});
}

// ------------------------------------------------------------------ lights

MelValue lightCmd(CommandContext& ctx, const char* type, const char* baseName) {
    const bool ambient = std::string(type) == "ambientLight";
    ArgParser p;
    p.queryFlag("q", "query")
        .flag("e", "edit")
        .flag("n", "name", {ArgType::String})
        .flag("i", "intensity", {ArgType::Float})
        .flag("rgb", "rgb", {ArgType::Float, ArgType::Float, ArgType::Float})
        .flag("sc", "shadowColor", {ArgType::Float, ArgType::Float, ArgType::Float})
        .flag("rs", "useRayTraceShadows", {ArgType::Bool})
        .flag("pos", "position", {ArgType::Float, ArgType::Float, ArgType::Float})
        .flag("rot", "rotation", {ArgType::Float, ArgType::Float, ArgType::Float});
    if (ambient) p.flag("ambientShade", "ambientShade", {ArgType::Float});
    else p.flag("d", "decayRate", {ArgType::Int});
    ParsedArgs a = p.parse(ctx);
    MFn::Type kind = S().findType(type)->apiType;
    if (a.isQuery()) {
        Node* s = shapeArgOrSelection(a, kind, type);
        if (a.isSet("i")) return MelValue(getNumber(s->plug("intensity")));
        if (a.isSet("rgb")) return MelValue(getVector(s, "color"));
        if (a.isSet("sc")) return MelValue(getVector(s, "shadowColor"));
        if (a.isSet("rs")) return MelValue(getNumber(s->plug("useRayTraceShadows")) != 0 ? 1 : 0);
        if (a.isSet("d")) return MelValue(static_cast<int>(getNumber(s->plug("decayRate"))));
        if (a.isSet("ambientShade")) return MelValue(getNumber(s->plug("ambientShade")));
        if (a.isSet("pos") && s->parent) {
            Matrix4 w = worldMatrix(s->parent);
            return MelValue(std::vector<double>{uiDistance(w.m[3][0]), uiDistance(w.m[3][1]), uiDistance(w.m[3][2])});
        }
        fail("Nothing to query.");
    }
    if (a.isSet("i") && !std::isfinite(a.flagFloat("i"))) fail("Invalid intensity.");
    if (a.isSet("d") && (a.flagInt("d") < 0 || a.flagInt("d") > 3))
        fail("Invalid decay rate: " + std::to_string(a.flagInt("d")) + ". Use 0 (none), 1, 2 or 3.");
    Node* s;
    if (a.isSet("e")) {
        s = shapeArgOrSelection(a, kind, type);
    } else {
        std::string want = a.flagStringOr("n", std::string(baseName) + "#");
        Node* xf = createOrFail("transform", want, nullptr);
        std::string base = xf->name;
        std::size_t i = base.size();
        while (i > 0 && std::isdigit(static_cast<unsigned char>(base[i - 1]))) --i;
        s = createOrFail(type, base.substr(0, i) + "Shape" + base.substr(i), xf);
    }
    if (a.isSet("i")) setNumber(s->plug("intensity"), a.flagFloat("i"));
    if (a.isSet("rgb")) setVector(s, "color", flag3(a, "rgb"));
    if (a.isSet("sc")) setVector(s, "shadowColor", flag3(a, "sc"));
    if (a.isSet("rs")) setNumber(s->plug("useRayTraceShadows"), a.flagBool("rs") ? 1 : 0);
    if (a.isSet("d")) setNumber(s->plug("decayRate"), a.flagInt("d"));
    if (a.isSet("ambientShade")) setNumber(s->plug("ambientShade"), a.flagFloat("ambientShade"));
    if (a.isSet("pos") && s->parent) setVector(s->parent, "translate", flag3(a, "pos", fromUiDistance));
    if (a.isSet("rot") && s->parent) setVector(s->parent, "rotate", flag3(a, "rot", fromUiAngle));
    if (a.isSet("e")) return MelValue();
    selectOnly(s->parent ? s->parent : s);
    return MelValue(nodeName(s));
}

MelValue pointLightCmd(CommandContext& ctx) { return lightCmd(ctx, "pointLight", "pointLight"); }
MelValue directionalLightCmd(CommandContext& ctx) { return lightCmd(ctx, "directionalLight", "directionalLight"); }
MelValue ambientLightCmd(CommandContext& ctx) { return lightCmd(ctx, "ambientLight", "ambientLight"); }

// ------------------------------------------------------------------ shading nodes

bool isTextureType(const NodeType* t) { return t->isA("texture2d"); }
bool isLightType(const NodeType* t) { return t->isA("light"); }

// A texture made for artists gets its placement node, as the host's
// material editor does.
Node* createTexture(NodeType* t, const std::string& name, std::vector<std::string>& made) {
    Node* tex = createOrFail(t->name, name, nullptr);
    made.push_back(nodeName(tex));
    Plug uv = tex->plug("uvCoord");
    if (!uv.isNull()) {
        Node* place = createOrFail("place2dTexture", "place2dTexture#", nullptr);
        connectOrFail(place->plug("outUV"), uv);
        made.push_back(nodeName(place));
    }
    return tex;
}

MelValue shadingNodeCmd(CommandContext& ctx) {
    static const ArgParser p = ArgParser()
                                   .flag("as", "asShader")
                                   .flag("at", "asTexture")
                                   .flag("au", "asUtility")
                                   .flag("al", "asLight")
                                   .flag("app", "asPostProcess")
                                   .flag("ar", "asRendering")
                                   .flag("n", "name", {ArgType::String})
                                   .flag("s", "shared")
                                   .flag("ss", "skipSelect")
                                   .objects(1, 1);
    ParsedArgs a = p.parse(ctx);
    std::string typeName = objectWords(a).at(0);
    NodeType* t = S().findType(typeName);
    if (!t || t->abstract) fail("Unknown object type: " + typeName);
    int kinds = static_cast<int>(a.isSet("as")) + a.isSet("at") + a.isSet("au") + a.isSet("al") + a.isSet("app") +
                a.isSet("ar");
    if (kinds != 1) fail("shadingNode needs exactly one of -asShader, -asTexture, -asUtility, -asLight, -asPostProcess, -asRendering.");
    if (a.isSet("as") && !(t->isA("lambert") || t->isA("surfaceShader")))
        fail("'" + typeName + "' is not a shader type.");
    if (a.isSet("at") && !isTextureType(t)) fail("'" + typeName + "' is not a texture type.");
    if (a.isSet("al") && !isLightType(t)) fail("'" + typeName + "' is not a light type.");
    if (!a.isSet("al") && t->isDag) fail("'" + typeName + "' is a DAG node type; use -asLight for lights.");
    Node* n;
    if (a.isSet("al")) {
        std::string want = a.flagStringOr("n", typeName + "#");
        Node* xf = createOrFail("transform", want, nullptr);
        std::string base = xf->name;
        std::size_t i = base.size();
        while (i > 0 && std::isdigit(static_cast<unsigned char>(base[i - 1]))) --i;
        n = createOrFail(typeName, base.substr(0, i) + "Shape" + base.substr(i), xf);
    } else {
        n = createOrFail(typeName, a.flagStringOr("n", ""), nullptr);
    }
    if (!a.isSet("ss")) selectOnly(n);
    return MelValue(nodeName(n));
}

// The shading group a material feeds, or a new one.
Node* shadingGroupOf(Node* material, bool create) {
    Plug oc = material->plug("outColor");
    if (!oc.isNull())
        for (const Plug& d : S().destinationsOf(oc))
            if (d.node->hasFn(MFn::kShadingEngine)) return d.node;
    if (!create) return nullptr;
    Node* sg = createOrFail("shadingEngine", material->name + "SG", nullptr);
    S().setDouble(sg->plug("renderableOnlySet"), 1);
    if (Node* part = tryFindNode("renderPartition")) {
        Plug sets = part->plug("sets");
        unsigned k = 0;
        for (unsigned i : S().logicalIndices(sets)) k = std::max(k, i + 1);
        connectOrFail(sg->plug("partition"), sets.element(k));
    }
    connectOrFail(oc, sg->plug("surfaceShader"), true);
    return sg;
}

MelValue hyperShadeCmd(CommandContext& ctx) {
    static const ArgParser p = ArgParser()
                                   .flag("cn", "createNode", {ArgType::String})
                                   .flag("a", "assign", {ArgType::String})
                                   .flag("objects", "objects", {ArgType::String})
                                   .flag("smn", "shaderNetworksSelectMaterialNodes");
    ParsedArgs a = p.parse(ctx);
    if (a.isSet("cn")) {
        // The words after the type name the editor panel; there is no panel here.
        NodeType* t = S().findType(a.flagString("cn"));
        if (!t || t->abstract) fail("Unknown object type: " + a.flagString("cn"));
        if (t->isDag) fail("hyperShade -createNode makes dependency nodes; '" + t->name + "' is a DAG type.");
        std::vector<std::string> made;
        if (isTextureType(t)) createTexture(t, "", made);
        else made.push_back(nodeName(createOrFail(t->name, "", nullptr)));
        return MelValue(made);
    }
    if (a.isSet("a")) {
        Node* m = findNode(a.flagString("a"));
        Node* sg = m->hasFn(MFn::kShadingEngine) ? m : nullptr;
        if (!sg) {
            if (m->plug("outColor").isNull()) fail("'" + m->name + "' is not a material.");
            sg = shadingGroupOf(m, true);
        }
        std::vector<Node*> targets = selectedNodes();
        for (Node* t : targets) {
            std::string err;
            if (!S().addToSet(sg, t, {}, &err)) fail(err.empty() ? "Cannot assign '" + m->name + "' to '" + nodeName(t) + "'." : err);
        }
        return MelValue();
    }
    if (a.isSet("objects")) {
        Node* m = findNode(a.flagString("objects"));
        Node* sg = m->hasFn(MFn::kShadingEngine) ? m : shadingGroupOf(m, false);
        std::vector<std::string> out;
        if (sg)
            for (Node* n : S().setMembers(sg)) out.push_back(nodeName(n));
        S().activeSelection().clear();
        for (Node* n : sg ? S().setMembers(sg) : std::vector<Node*>()) selectAdd(n);
        return MelValue(out);
    }
    fail("hyperShade needs -createNode, -assign or -objects.");
}

// ------------------------------------------------------------------ pathAnimation

int axisWord(const std::string& w, const char* flag) {
    if (w == "x" || w == "X") return 0;
    if (w == "y" || w == "Y") return 1;
    if (w == "z" || w == "Z") return 2;
    fail(std::string("Invalid axis '") + w + "' for flag '-" + flag + "'. Use x, y or z.");
}
int worldUpTypeWord(const std::string& w) {
    static const char* names[] = {"scene", "object", "objectrotation", "vector", "normal"};
    for (int i = 0; i < 5; ++i)
        if (w == names[i]) return i;
    fail("Invalid world up type: " + w + ". Use scene, object, objectrotation, vector or normal.");
}

Node* motionPathOf(Node* n) {
    if (n->hasFn(MFn::kMotionPath)) return n;
    auto fromPlug = [&](const char* attr) -> Node* {
        Plug pl = n->plug(attr);
        if (pl.isNull()) return nullptr;
        Plug src = S().sourceOf(pl);
        if (src.isNull()) return nullptr;
        if (src.node->hasFn(MFn::kMotionPath)) return src.node;
        if (src.node->hasFn(MFn::kAddDoubleLinear))
            for (const char* in : {"input1", "input2"}) {
                Plug s2 = S().sourceOf(src.node->plug(in));
                if (!s2.isNull() && s2.node->hasFn(MFn::kMotionPath)) return s2.node;
            }
        return nullptr;
    };
    for (const char* attr : {"rotateOrder", "translateX", "translateY", "translateZ", "rotateX"})
        if (Node* m = fromPlug(attr)) return m;
    return nullptr;
}

MelValue pathAnimationCmd(CommandContext& ctx) {
    static const ArgParser p = ArgParser()
                                   .queryFlag("q", "query")
                                   .flag("e", "edit")
                                   .flag("n", "name", {ArgType::String})
                                   .flag("c", "curve", {ArgType::String})
                                   .flag("su", "startTimeU", {ArgType::Float})
                                   .flag("eu", "endTimeU", {ArgType::Float})
                                   .flag("fm", "fractionMode", {ArgType::Bool})
                                   .flag("f", "follow", {ArgType::Bool})
                                   .flag("fa", "followAxis", {ArgType::String})
                                   .flag("ua", "upAxis", {ArgType::String})
                                   .flag("wu", "worldUpVector", {ArgType::Float, ArgType::Float, ArgType::Float})
                                   .flag("wut", "worldUpType", {ArgType::String})
                                   .flag("wuo", "worldUpObject", {ArgType::String})
                                   .flag("iu", "inverseUp", {ArgType::Bool})
                                   .flag("inverseFront", "inverseFront", {ArgType::Bool})
                                   .flag("b", "bank", {ArgType::Bool})
                                   .flag("bs", "bankScale", {ArgType::Float})
                                   .flag("bt", "bankThreshold", {ArgType::Float});
    ParsedArgs a = p.parse(ctx);
    std::vector<std::string> words = objectWords(a);

    // Values first, so bad input fails before the scene changes.
    int fa = a.isSet("fa") ? axisWord(a.flagString("fa"), "followAxis") : 0;
    int ua = a.isSet("ua") ? axisWord(a.flagString("ua"), "upAxis") : 1;
    if ((a.isSet("fa") || a.isSet("ua")) && fa == ua) fail("The follow axis and the up axis must differ.");
    int wut = a.isSet("wut") ? worldUpTypeWord(a.flagString("wut")) : -1;
    Node* upObject = a.isSet("wuo") ? findNode(a.flagString("wuo")) : nullptr;

    auto applyOptions = [&](Node* mp) {
        if (a.isSet("fm")) setNumber(mp->plug("fractionMode"), a.flagBool("fm") ? 1 : 0);
        if (a.isSet("f")) setNumber(mp->plug("follow"), a.flagBool("f") ? 1 : 0);
        if (a.isSet("fa") || !a.isSet("e")) setNumber(mp->plug("frontAxis"), fa);
        if (a.isSet("ua") || !a.isSet("e")) setNumber(mp->plug("upAxis"), ua);
        if (a.isSet("wu")) setVector(mp, "worldUpVector", flag3(a, "wu"));
        if (wut >= 0) setNumber(mp->plug("worldUpType"), wut);
        if (upObject) {
            connectOrFail(upObject->plug("worldMatrix").element(0), mp->plug("worldUpMatrix"), true);
            if (wut < 0) setNumber(mp->plug("worldUpType"), 1);
        }
        if (a.isSet("iu")) setNumber(mp->plug("inverseUp"), a.flagBool("iu") ? 1 : 0);
        if (a.isSet("inverseFront")) setNumber(mp->plug("inverseFront"), a.flagBool("inverseFront") ? 1 : 0);
        if (a.isSet("b")) setNumber(mp->plug("bank"), a.flagBool("b") ? 1 : 0);
        if (a.isSet("bs")) setNumber(mp->plug("bankScale"), a.flagFloat("bs"));
        if (a.isSet("bt")) setNumber(mp->plug("bankLimit"), fromUiAngle(a.flagFloat("bt")));
    };

    if (a.isQuery() || a.isSet("e")) {
        if (words.empty()) fail("No motion path or animated object was specified.");
        Node* mp = motionPathOf(findNode(words[0]));
        if (!mp) fail("'" + words[0] + "' is not moved by a motion path.");
        if (a.isQuery()) {
            if (a.isSet("c")) {
                Plug src = S().sourceOf(mp->plug("geometryPath"));
                return MelValue(src.isNull() ? std::string() : nodeName(src.node));
            }
            if (a.isSet("fm")) return MelValue(getNumber(mp->plug("fractionMode")) != 0 ? 1 : 0);
            if (a.isSet("f")) return MelValue(getNumber(mp->plug("follow")) != 0 ? 1 : 0);
            if (a.isSet("fa")) return MelValue(std::string(1, "xyz"[std::clamp(static_cast<int>(getNumber(mp->plug("frontAxis"))), 0, 2)]));
            if (a.isSet("ua")) return MelValue(std::string(1, "xyz"[std::clamp(static_cast<int>(getNumber(mp->plug("upAxis"))), 0, 2)]));
            fail("Nothing to query.");
        }
        applyOptions(mp);
        return MelValue(nodeName(mp));
    }

    // The curve: -curve, else the last selected object when nothing is named.
    std::vector<Node*> objs;
    for (const std::string& w : words)
        for (Node* n : nodesMatching(w)) objs.push_back(n);
    Node* curveNode = nullptr;
    if (a.isSet("c")) {
        curveNode = findNode(a.flagString("c"));
    } else if (words.empty()) {
        objs = selectedNodes();
        if (objs.size() < 2) fail("Select the objects to animate, then the path curve, or use -curve.");
        curveNode = objs.back();
        objs.pop_back();
    } else {
        fail("No path curve was specified: use -curve.");
    }
    Node* curve = shapeOfKind(curveNode, MFn::kNurbsCurve);
    if (!curve) fail("'" + nodeName(curveNode) + "' is not a NURBS curve.");
    if (objs.empty()) fail("No object to animate was specified.");
    for (Node* o : objs) {
        if (!isTransform(o)) fail("'" + nodeName(o) + "' is not a transform.");
        if (driven(o, "translate"))
            fail("'" + plugLabel(o->plug("translate")) + "' is already connected; cannot animate '" + nodeName(o) + "' along a path.");
    }
    const double fps = S().fps();
    double su = a.isSet("su") ? fromUiUnits(UnitType::kTime, a.flagFloat("su")) : S().playback().min / fps;
    double eu = a.isSet("eu") ? fromUiUnits(UnitType::kTime, a.flagFloat("eu")) : S().playback().max / fps;
    if (a.isSet("eu") && eu < su) fail("The end time lies before the start time.");

    std::string lastPath;
    for (Node* o : objs) {
        Node* mp = createOrFail("motionPath", a.flagStringOr("n", "motionPath#"), nullptr);
        applyOptions(mp);
        connectOrFail(curve->plug("worldSpace").element(0), mp->plug("geometryPath"));
        const bool fraction = getNumber(mp->plug("fractionMode")) != 0;

        // uValue keyed from the curve's start to its end over the time range.
        double u0 = 0, u1 = 1;
        if (!fraction)
            if (auto cd = nurbs::shapeCurve(curve)) cd->curve.domain(u0, u1);
        Node* ac = createOrFail("animCurveTU", mp->name + "_uValue", nullptr);
        AnimCurve keys;
        keys.addKey(su, u0, AnimCurve::kTangentLinear, AnimCurve::kTangentLinear);
        if (eu > su) keys.addKey(eu, u1, AnimCurve::kTangentLinear, AnimCurve::kTangentLinear);
        writeAnimCurve(*ac, keys);
        connectOrFail(ac->plug("output"), mp->plug("uValue"));
        if (Node* t1 = tryFindNode("time1")) connectOrFail(t1->plug("outTime"), ac->plug("input"), true);

        // Translation through adders whose second input keeps the pivot on the path.
        std::vector<double> rp = getVector(o, "rotatePivot"), rpt = getVector(o, "rotatePivotTranslate");
        const char* coords[] = {"xCoordinate", "yCoordinate", "zCoordinate"};
        const char* channels[] = {"translateX", "translateY", "translateZ"};
        for (int k = 0; k < 3; ++k) {
            Node* adl = createOrFail("addDoubleLinear", "addDoubleLinear#", nullptr);
            connectOrFail(mp->plug(coords[k]), adl->plug("input1"));
            setNumber(adl->plug("input2"), -(rp[k] + rpt[k]));
            connectOrFail(adl->plug("output"), o->plug(channels[k]));
        }
        setNumber(mp->plug("rotateOrder"), getNumber(o->plug("rotateOrder")));
        connectOrFail(mp->plug("rotateOrder"), o->plug("rotateOrder"), true);
        if (getNumber(mp->plug("follow")) != 0) connectOrFail(mp->plug("rotate"), o->plug("rotate"), true);
        lastPath = nodeName(mp);
    }
    return MelValue(lastPath);
}

// ------------------------------------------------------------------ aimConstraint

MVector vec(const std::vector<double>& v) { return MVector(v.at(0), v.at(1), v.at(2)); }

// The constraint node of `obj` of this kind (its child), or null.
Node* aimConstraintOf(Node* obj) {
    for (Node* c : obj->children)
        if (c->hasFn(MFn::kAimConstraint) && !c->hasFn(MFn::kLookAt)) return c;
    return nullptr;
}

std::vector<Node*> constraintTargets(Node* con) {
    std::vector<Node*> out;
    Plug tg = con->plug("target");
    Attribute* tt = con->type->attribute("targetTranslate");
    for (unsigned i : S().logicalIndices(tg)) {
        Plug src = S().sourceOf(tg.element(i).child(tt));
        if (!src.isNull()) out.push_back(src.node);
    }
    return out;
}

// Adds target t at the next free index: its position, parent matrix and a
// weight attribute "<target>W<index>" on the constraint, as the host names it.
void addAimTarget(Node* con, Node* t, double weight) {
    Plug tg = con->plug("target");
    unsigned k = 0;
    for (unsigned i : S().logicalIndices(tg)) k = std::max(k, i + 1);
    Plug e = tg.element(k);
    connectOrFail(t->plug("translate"), e.child(con->type->attribute("targetTranslate")));
    connectOrFail(t->plug("parentMatrix").element(0), e.child(con->type->attribute("targetParentMatrix")));
    std::string wname = t->name + "W" + std::to_string(k);
    AttrPtr w = makeNumeric(wname, "w" + std::to_string(k), NumericType::kDouble, 1.0);
    w->keyable = true;
    w->hasMin = true;
    w->minValue = 0;
    std::string err;
    if (!con->addAttribute(w)) fail("Cannot add the weight attribute '" + wname + "' to '" + con->name + "'.");
    setNumber(con->plug(wname), weight);
    connectOrFail(con->plug(wname), e.child(con->type->attribute("targetWeight")));
}

MelValue aimConstraintCmd(CommandContext& ctx) {
    static const ArgParser p = ArgParser()
                                   .queryFlag("q", "query")
                                   .flag("e", "edit")
                                   .flag("n", "name", {ArgType::String})
                                   .flag("w", "weight", {ArgType::Float})
                                   .flag("aim", "aimVector", {ArgType::Float, ArgType::Float, ArgType::Float})
                                   .flag("u", "upVector", {ArgType::Float, ArgType::Float, ArgType::Float})
                                   .flag("wu", "worldUpVector", {ArgType::Float, ArgType::Float, ArgType::Float})
                                   .flag("wut", "worldUpType", {ArgType::String})
                                   .flag("wuo", "worldUpObject", {ArgType::String})
                                   .flag("o", "offset", {ArgType::Float, ArgType::Float, ArgType::Float})
                                   .flag("mo", "maintainOffset")
                                   .flag("rm", "remove")
                                   .flag("tl", "targetList")
                                   .flag("wal", "weightAliasList");
    ParsedArgs a = p.parse(ctx);
    std::vector<std::string> words = objectWords(a);
    std::vector<Node*> nodes;
    if (words.empty()) nodes = selectedNodes();
    for (const std::string& w : words)
        for (Node* n : nodesMatching(w)) nodes.push_back(n);

    if (a.isQuery()) {
        if (nodes.empty()) fail("No aim constraint was specified.");
        Node* con = nodes.back()->hasFn(MFn::kAimConstraint) ? nodes.back() : aimConstraintOf(nodes.back());
        if (!con) fail("'" + nodeName(nodes.back()) + "' has no aim constraint.");
        if (a.isSet("tl")) {
            std::vector<std::string> out;
            for (Node* t : constraintTargets(con)) out.push_back(nodeName(t));
            return MelValue(out);
        }
        if (a.isSet("wal")) {
            std::vector<std::string> out;
            for (const AttrPtr& d : con->dynamicAttrs) out.push_back(nodeName(con) + "." + d->name);
            return MelValue(out);
        }
        if (a.isSet("aim")) return MelValue(getVector(con, "aimVector"));
        if (a.isSet("u")) return MelValue(getVector(con, "upVector"));
        if (a.isSet("wu")) return MelValue(getVector(con, "worldUpVector"));
        if (a.isSet("o")) {
            std::vector<double> o = getVector(con, "offset");
            for (double& x : o) x = toUiUnits(UnitType::kAngle, x);
            return MelValue(o);
        }
        fail("Nothing to query.");
    }

    if (nodes.size() < 2 && !(a.isSet("e") && nodes.size() == 1))
        fail("aimConstraint needs one or more targets followed by the object to constrain.");
    int wut = -1;
    if (a.isSet("wut")) {
        static const char* names[] = {"scene", "object", "objectrotation", "vector", "none"};
        for (int i = 0; i < 5; ++i)
            if (a.flagString("wut") == names[i]) wut = i;
        if (wut < 0) fail("Invalid world up type: " + a.flagString("wut") + ". Use scene, object, objectrotation, vector or none.");
    }
    if (a.isSet("w") && !(a.flagFloat("w") >= 0)) fail("The weight must not be negative.");
    Node* upObject = a.isSet("wuo") ? findNode(a.flagString("wuo")) : nullptr;
    Node* obj = nodes.back();
    nodes.pop_back();
    if (!isTransform(obj)) fail("'" + nodeName(obj) + "' is not a transform.");

    Node* con = obj->hasFn(MFn::kAimConstraint) ? obj : aimConstraintOf(obj);
    if (con && con == obj) obj = con->parent;
    const bool existing = con != nullptr;
    if (a.isSet("e") && !existing) fail("'" + nodeName(obj) + "' has no aim constraint to edit.");
    if (a.isSet("rm")) {
        if (!existing) fail("'" + nodeName(obj) + "' has no aim constraint.");
        Plug tg = con->plug("target");
        Attribute* tt = con->type->attribute("targetTranslate");
        for (Node* t : nodes)
            for (unsigned i : S().logicalIndices(tg)) {
                Plug src = S().sourceOf(tg.element(i).child(tt));
                if (src.isNull() || src.node != t) continue;
                S().removeElement(tg.element(i));
                if (Attribute* w = con->attribute(t->name + "W" + std::to_string(i))) con->removeAttribute(w);
            }
        return MelValue(std::vector<std::string>{nodeName(con)});
    }
    if (!existing) {
        if (driven(obj, "rotate"))
            fail("'" + plugLabel(obj->plug("rotate")) + "' is already connected; cannot constrain '" + nodeName(obj) + "'.");
        con = createOrFail("aimConstraint", a.flagStringOr("n", obj->name + "_aimConstraint#"), obj);
        connectOrFail(obj->plug("translate"), con->plug("constraintTranslate"));
        connectOrFail(obj->plug("parentInverseMatrix").element(0), con->plug("constraintParentInverseMatrix"));
        connectOrFail(obj->plug("rotatePivot"), con->plug("constraintRotatePivot"));
        connectOrFail(obj->plug("rotatePivotTranslate"), con->plug("constraintRotateTranslate"));
        connectOrFail(obj->plug("rotateOrder"), con->plug("constraintRotateOrder"));
        if (!obj->plug("jointOrient").isNull()) connectOrFail(obj->plug("jointOrient"), con->plug("constraintJointOrient"));
    }
    if (a.isSet("aim")) setVector(con, "aimVector", flag3(a, "aim"));
    if (a.isSet("u")) setVector(con, "upVector", flag3(a, "u"));
    if (a.isSet("wu")) setVector(con, "worldUpVector", flag3(a, "wu"));
    if (wut >= 0) setNumber(con->plug("worldUpType"), wut);
    if (upObject) {
        connectOrFail(upObject->plug("worldMatrix").element(0), con->plug("worldUpMatrix"), true);
        if (wut < 0) setNumber(con->plug("worldUpType"), 1);
    }
    if (a.isSet("o")) setVector(con, "offset", flag3(a, "o", fromUiAngle));
    double weight = a.flagFloatOr("w", 1.0);
    std::vector<Node*> have = constraintTargets(con);
    for (Node* t : nodes) {
        if (t == obj) fail("An object cannot aim at itself.");
        auto it = std::find(have.begin(), have.end(), t);
        if (it == have.end()) {
            if (a.isSet("e")) fail("'" + nodeName(t) + "' is not a target of '" + nodeName(con) + "'.");
            addAimTarget(con, t, weight);
        } else if (a.isSet("w")) {
            Plug tg = con->plug("target");
            Attribute* tt = con->type->attribute("targetTranslate");
            for (unsigned i : S().logicalIndices(tg)) {
                Plug src = S().sourceOf(tg.element(i).child(tt));
                if (!src.isNull() && src.node == t)
                    if (Attribute* w = con->attribute(t->name + "W" + std::to_string(i))) setNumber(con->plug(w), weight);
            }
        }
    }
    if (a.isSet("mo")) {
        // Keep the object's present orientation: the offset turns the aimed rotation back onto it.
        setVector(con, "offset", {0, 0, 0});
        int order = static_cast<int>(getNumber(obj->plug("rotateOrder")));
        MMatrix aimed = host::math::rotationMatrix(vec(getVector(con, "constraintRotate")), order);
        MMatrix current = host::math::rotationMatrix(vec(getVector(obj, "rotate")), order);
        MMatrix off = current * aimed.inverse();
        MEulerRotation e = MEulerRotation::decompose(off, MEulerRotation::kXYZ);
        setVector(con, "offset", {e.x, e.y, e.z});
    }
    if (!existing) {
        const char* outs[] = {"constraintRotateX", "constraintRotateY", "constraintRotateZ"};
        const char* ins[] = {"rotateX", "rotateY", "rotateZ"};
        for (int k = 0; k < 3; ++k) connectOrFail(con->plug(outs[k]), obj->plug(ins[k]));
    }
    return MelValue(std::vector<std::string>{nodeName(con)});
}

}  // namespace

void registerRenderCommands(host::mel::Interpreter& in) {
    in.registerCommand("camera", cameraCmd);
    in.registerCommand("pointLight", pointLightCmd);
    in.registerCommand("directionalLight", directionalLightCmd);
    in.registerCommand("ambientLight", ambientLightCmd);
    in.registerCommand("shadingNode", shadingNodeCmd);
    in.registerCommand("hyperShade", hyperShadeCmd);
    in.registerCommand("pathAnimation", pathAnimationCmd);
    in.registerCommand("aimConstraint", aimConstraintCmd);
}

}  // namespace host::scene::cmds
