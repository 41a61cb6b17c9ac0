// Transforms and time: xform, currentUnit, currentTime, playbackOptions.
#include "scene/commands/cmd_common.h"

#include "api/math/units.h"
#include "api/math/xform.h"

#include <maya/MAngle.h>
#include <maya/MDistance.h>
#include <maya/MTime.h>

#include <cmath>

namespace host::scene::cmds {

namespace {

Scene& S() { return scene(); }
using host::math::TransformComponents;

MMatrix toM(const Matrix4& m) {
    MMatrix r;
    for (int i = 0; i < 4; ++i)
        for (int j = 0; j < 4; ++j) r[i][j] = m.m[i][j];
    return r;
}
Matrix4 fromM(const MMatrix& m) {
    Matrix4 r;
    for (int i = 0; i < 4; ++i)
        for (int j = 0; j < 4; ++j) r.m[i][j] = m[i][j];
    return r;
}

MVector vecAttr(Node* n, const char* name, MVector def = MVector()) {
    Plug p = n->plug(name);
    if (p.isNull()) return def;
    std::vector<double> v = S().getNumbers(p);
    if (v.size() < 3) return def;
    return MVector(v[0], v[1], v[2]);
}

bool isJoint(Node* n) { return n->type->isA("joint"); }

TransformComponents readComponents(Node* n) {
    TransformComponents c;
    c.translate = vecAttr(n, "translate");
    c.rotate = vecAttr(n, "rotate");
    Plug ro = n->plug("rotateOrder");
    c.rotateOrder = ro.isNull() ? 0 : static_cast<int>(S().getDouble(ro));
    c.scale = vecAttr(n, "scale", MVector(1, 1, 1));
    c.shear = vecAttr(n, "shear");
    c.rotatePivot = vecAttr(n, "rotatePivot");
    c.rotatePivotTranslate = vecAttr(n, "rotatePivotTranslate");
    c.scalePivot = vecAttr(n, "scalePivot");
    c.scalePivotTranslate = vecAttr(n, "scalePivotTranslate");
    c.rotateAxis = vecAttr(n, "rotateAxis");
    if (isJoint(n)) {
        c.jointOrient = vecAttr(n, "jointOrient");
        Plug ssc = n->plug("segmentScaleCompensate");
        c.segmentScaleCompensate = ssc.isNull() || S().getDouble(ssc) != 0.0;
        c.inverseParentScale = vecAttr(n, "inverseScale", MVector(1, 1, 1));
    }
    return c;
}

MMatrix localMatrix(Node* n, const TransformComponents& c) {
    return isJoint(n) ? host::math::composeJoint(c) : host::math::composeTransform(c);
}

void writeVec(Node* n, const char* name, const MVector& v) { setVector(n, name, {v.x, v.y, v.z}); }

std::vector<double> uiVec(const MVector& v, UnitType u) {
    return {toUiUnits(u, v.x), toUiUnits(u, v.y), toUiUnits(u, v.z)};
}

MVector flagVec(const ParsedArgs& a, const std::string& f, UnitType u) {
    return MVector(fromUiUnits(u, a.flagFloat(f, 0)), fromUiUnits(u, a.flagFloat(f, 1)), fromUiUnits(u, a.flagFloat(f, 2)));
}

MPoint mul(const MPoint& p, const MMatrix& m) {
    double in[3] = {p.x, p.y, p.z}, out[3];
    transformPoint(fromM(m), in, out);
    return MPoint(out[0], out[1], out[2]);
}

// Rotation of a matrix (scale and shear removed) as angles in the given order.
MVector eulerOf(const MMatrix& m, int order) {
    TransformComponents c;
    c.rotateOrder = order;
    MMatrix r = m;
    r[3][0] = r[3][1] = r[3][2] = 0;
    host::math::decomposeTransform(r, c);
    return c.rotate;
}

const char* kOrders[] = {"xyz", "yzx", "zxy", "xzy", "yxz", "zyx"};

MelValue xformCmd(CommandContext& ctx) {
    using F = ArgType;
    static const ArgParser p = ArgParser()
                                   .queryFlag("q", "query")
                                   .flag("e", "edit")
                                   .flag("t", "translation", {F::Float, F::Float, F::Float})
                                   .flag("ro", "rotation", {F::Float, F::Float, F::Float})
                                   .flag("s", "scale", {F::Float, F::Float, F::Float})
                                   .flag("sh", "shear", {F::Float, F::Float, F::Float})
                                   .flag("rp", "rotatePivot", {F::Float, F::Float, F::Float})
                                   .flag("sp", "scalePivot", {F::Float, F::Float, F::Float})
                                   .flag("piv", "pivots", {F::Float, F::Float, F::Float})
                                   .flag("ra", "rotateAxis", {F::Float, F::Float, F::Float})
                                   .flag("m", "matrix", {F::Float, F::Float, F::Float, F::Float, F::Float, F::Float, F::Float, F::Float,
                                                         F::Float, F::Float, F::Float, F::Float, F::Float, F::Float, F::Float, F::Float})
                                   .flag("roo", "rotateOrder", {F::String})
                                   .flag("ws", "worldSpace")
                                   .flag("os", "objectSpace")
                                   .flag("r", "relative")
                                   .flag("a", "absolute")
                                   .flag("p", "preserve", {F::Bool})
                                   .flag("wd", "worldSpaceDistance")
                                   .flag("eu", "euler")
                                   .flag("bb", "boundingBox");
    ParsedArgs a = p.parse(ctx);
    std::vector<std::string> words = objectWords(a);
    std::vector<Node*> objs;
    if (words.empty()) objs = selectedNodes();
    for (const std::string& w : words) objs.push_back(findNode(w));
    if (objs.empty()) fail("No object was specified.");
    for (Node* n : objs)
        if (!isTransform(n)) fail("Object '" + nodeName(n) + "' is not a transform.");
    bool ws = a.isSet("ws");
    const UnitType L = UnitType::kDistance, A = UnitType::kAngle;

    if (a.isQuery()) {
        Node* n = objs.front();
        TransformComponents c = readComponents(n);
        MMatrix parent = toM(parentWorldMatrix(n));
        MMatrix world = toM(worldMatrix(n));
        if (a.isSet("bb")) fail("xform -boundingBox is not supported by this host.");
        if (a.isSet("m")) {
            MMatrix m = ws ? world : localMatrix(n, c);
            std::vector<double> out;
            for (int i = 0; i < 4; ++i)
                for (int j = 0; j < 4; ++j) out.push_back(m[i][j]);
            return MelValue(out);
        }
        if (a.isSet("t")) {
            if (!ws) return MelValue(uiVec(c.translate, L));
            return MelValue(uiVec(MVector(world[3][0], world[3][1], world[3][2]), L));
        }
        if (a.isSet("ro")) {
            if (!ws) return MelValue(uiVec(c.rotate, A));
            return MelValue(uiVec(eulerOf(world, c.rotateOrder), A));
        }
        if (a.isSet("s")) {
            if (!ws) return MelValue(uiVec(c.scale, UnitType::kInvalid));
            MVector sc, sh;
            MMatrix rot;
            host::math::splitScaleShearRotation(world, sc, sh, rot);
            return MelValue(std::vector<double>{sc.x, sc.y, sc.z});
        }
        if (a.isSet("sh")) return MelValue(uiVec(c.shear, UnitType::kInvalid));
        if (a.isSet("ra")) return MelValue(uiVec(c.rotateAxis, A));
        if (a.isSet("roo")) {
            int k = c.rotateOrder >= 0 && c.rotateOrder < 6 ? c.rotateOrder : 0;
            return MelValue(std::string(kOrders[k]));
        }
        auto pivotWs = [&](bool rotate) {
            MPoint pp = rotate ? host::math::rotatePivotInParent(c) : host::math::scalePivotInParent(c);
            MPoint w = mul(pp, parent);
            return MVector(w.x, w.y, w.z);
        };
        if (a.isSet("rp") || a.isSet("sp")) {
            bool rot = a.isSet("rp");
            if (!ws) return MelValue(uiVec(rot ? c.rotatePivot : c.scalePivot, L));
            return MelValue(uiVec(pivotWs(rot), L));
        }
        if (a.isSet("piv")) {
            std::vector<double> r = ws ? uiVec(pivotWs(true), L) : uiVec(c.rotatePivot, L);
            std::vector<double> s = ws ? uiVec(pivotWs(false), L) : uiVec(c.scalePivot, L);
            r.insert(r.end(), s.begin(), s.end());
            return MelValue(r);
        }
        fail("xform: nothing to query.");
    }

    bool rel = a.isSet("r");
    for (Node* n : objs) {
        if (a.isSet("roo")) {
            std::string o = a.flagString("roo");
            int k = -1;
            for (int i = 0; i < 6; ++i)
                if (o == kOrders[i]) k = i;
            if (k < 0) fail("Invalid rotate order: " + o);
            setNumber(n->plug("rotateOrder"), k);
        }
        if (a.isSet("m")) {
            MMatrix m;
            for (int i = 0; i < 16; ++i) m[i / 4][i % 4] = a.flagFloat("m", static_cast<std::size_t>(i));
            if (ws) m = m * toM(parentWorldMatrix(n)).inverse();
            TransformComponents c = readComponents(n);
            bool ok = isJoint(n) ? host::math::decomposeJoint(m, c) : host::math::decomposeTransform(m, c);
            if (!ok) fail("The matrix given to xform cannot be decomposed.");
            writeVec(n, "translate", c.translate);
            writeVec(n, "rotate", c.rotate);
            writeVec(n, "scale", c.scale);
            if (!isJoint(n)) writeVec(n, "shear", c.shear);
        }
        if (a.isSet("s")) {
            MVector s(a.flagFloat("s", 0), a.flagFloat("s", 1), a.flagFloat("s", 2));
            if (rel) {
                MVector cur = vecAttr(n, "scale", MVector(1, 1, 1));
                s = MVector(cur.x * s.x, cur.y * s.y, cur.z * s.z);
            }
            writeVec(n, "scale", s);
        }
        if (a.isSet("sh")) {
            MVector s(a.flagFloat("sh", 0), a.flagFloat("sh", 1), a.flagFloat("sh", 2));
            if (rel) s += vecAttr(n, "shear");
            writeVec(n, "shear", s);
        }
        if (a.isSet("ra")) {
            MVector r = flagVec(a, "ra", A);
            if (rel) r += vecAttr(n, "rotateAxis");
            writeVec(n, "rotateAxis", r);
        }
        if (a.isSet("ro")) {
            MVector r = flagVec(a, "ro", A);
            TransformComponents c = readComponents(n);
            if (ws) {
                // World orientation wanted: take the parent's rotation out.
                MMatrix target = host::math::rotationMatrix(r, c.rotateOrder);
                if (rel) target = host::math::rotationMatrix(eulerOf(toM(worldMatrix(n)), c.rotateOrder), c.rotateOrder) * target;
                MMatrix parent = toM(parentWorldMatrix(n));
                MVector sc, sh;
                MMatrix prot;
                host::math::splitScaleShearRotation(parent, sc, sh, prot);
                MMatrix local = target * prot.transpose();
                r = eulerOf(local, c.rotateOrder);
            } else if (rel) {
                r += c.rotate;
            }
            writeVec(n, "rotate", r);
        }
        auto objectPoint = [&](const MVector& w) {
            MPoint o = mul(MPoint(w.x, w.y, w.z), toM(worldMatrix(n)).inverse());
            return MVector(o.x, o.y, o.z);
        };
        if (a.isSet("rp") || a.isSet("piv")) {
            MVector v = flagVec(a, a.isSet("rp") ? "rp" : "piv", L);
            if (ws) v = objectPoint(v);
            if (rel) v += vecAttr(n, "rotatePivot");
            writeVec(n, "rotatePivot", v);
        }
        if (a.isSet("sp") || a.isSet("piv")) {
            MVector v = flagVec(a, a.isSet("sp") ? "sp" : "piv", L);
            if (ws) v = objectPoint(v);
            if (rel) v += vecAttr(n, "scalePivot");
            writeVec(n, "scalePivot", v);
        }
        if (a.isSet("t")) {
            MVector t = flagVec(a, "t", L);
            TransformComponents c = readComponents(n);
            if (ws) {
                MMatrix world = toM(worldMatrix(n));
                MVector curWorld(world[3][0], world[3][1], world[3][2]);
                MVector want = rel ? curWorld + t : t;
                // The translate enters the local matrix as a pure offset of its last row.
                MMatrix local = localMatrix(n, c);
                MVector base(local[3][0] - c.translate.x, local[3][1] - c.translate.y, local[3][2] - c.translate.z);
                MPoint inParent = mul(MPoint(want.x, want.y, want.z), toM(parentWorldMatrix(n)).inverse());
                t = MVector(inParent.x, inParent.y, inParent.z) - base;
            } else if (rel) {
                t += c.translate;
            }
            writeVec(n, "translate", t);
        }
    }
    return MelValue();
}

// ------------------------------------------------------------------ currentUnit
struct LinearName {
    const char* shortName;
    const char* fullName;
    MDistance::Unit unit;
};
const LinearName kLinear[] = {
    {"mm", "millimeter", MDistance::kMillimeters}, {"cm", "centimeter", MDistance::kCentimeters},
    {"m", "meter", MDistance::kMeters},            {"km", "kilometer", MDistance::kKilometers},
    {"in", "inch", MDistance::kInches},            {"ft", "foot", MDistance::kFeet},
    {"yd", "yard", MDistance::kYards},             {"mi", "mile", MDistance::kMiles},
};
struct AngleName {
    const char* shortName;
    const char* fullName;
    MAngle::Unit unit;
};
const AngleName kAngle[] = {
    {"deg", "degree", MAngle::kDegrees},
    {"rad", "radian", MAngle::kRadians},
    {"min", "minute", MAngle::kAngMinutes},
    {"sec", "second", MAngle::kAngSeconds},
};

MelValue currentUnitCmd(CommandContext& ctx) {
    static const ArgParser p = ArgParser()
                                   .queryFlag("q", "query")
                                   .flag("l", "linear", {ArgType::String})
                                   .flag("a", "angle", {ArgType::String})
                                   .flag("t", "time", {ArgType::String})
                                   .flag("f", "fullName")
                                   .flag("ua", "updateAnimation", {ArgType::Bool});
    ParsedArgs a = p.parse(ctx);
    if (a.isQuery()) {
        bool full = a.isSet("f");
        if (a.isSet("a")) {
            for (const AngleName& n : kAngle)
                if (n.unit == MAngle::uiUnit()) return MelValue(std::string(full ? n.fullName : n.shortName));
            return MelValue(std::string("deg"));
        }
        if (a.isSet("t")) return MelValue(host::math::timeUnitName(MTime::uiUnit()));
        for (const LinearName& n : kLinear)
            if (n.unit == MDistance::uiUnit()) return MelValue(std::string(full ? n.fullName : n.shortName));
        return MelValue(std::string("cm"));
    }
    if (a.isSet("l")) {
        std::string s = a.flagString("l");
        MDistance::Unit u;
        if (!host::math::linearUnitFromName(s, u)) fail("Invalid linear unit: " + s);
        MDistance::setUIUnit(u);
    }
    if (a.isSet("a")) {
        std::string s = a.flagString("a");
        MAngle::Unit u;
        if (!host::math::angleUnitFromName(s, u)) {
            bool found = false;
            for (const AngleName& n : kAngle)
                if (s == n.fullName || s == std::string(n.fullName) + "s") {
                    u = n.unit;
                    found = true;
                }
            if (!found) fail("Invalid angular unit: " + s);
        }
        MAngle::setUIUnit(u);
    }
    if (a.isSet("t")) {
        std::string s = a.flagString("t");
        MTime::Unit u;
        if (!host::math::timeUnitFromName(s, u)) fail("Invalid time unit: " + s);
        double fps = host::math::framesPerSecond(u);
        if (fps <= 0) fail("Invalid time unit: " + s);
        // The current time stays at the same moment; its frame number changes.
        MTime::setUIUnit(u);

    }
    return MelValue();
}

// ------------------------------------------------------------------ currentTime
MelValue currentTimeCmd(CommandContext& ctx) {
    static const ArgParser p = ArgParser()
                                   .queryFlag("q", "query")
                                   .flag("e", "edit")
                                   .flag("u", "update", {ArgType::Bool})
                                   .objects(0, 1);
    ParsedArgs a = p.parse(ctx);
    if (a.isQuery() || a.objects().empty()) {
        if (!a.isQuery() && a.objects().empty()) fail("Not enough objects or values.");
        return MelValue(S().currentTime() * S().fps());
    }
    const MelValue& v = a.objects()[0];
    double frames;
    if (v.isNumber()) {
        frames = v.asFloat();
    } else {
        std::string s = v.asString();
        char* end = nullptr;
        frames = std::strtod(s.c_str(), &end);
        if (end == s.c_str()) fail("Invalid time value: " + s);
        std::string unit(end);
        if (!unit.empty()) {
            MTime::Unit u;
            if (!host::math::timeUnitFromName(unit, u)) fail("Invalid time value: " + s);
            frames = frames * MTime::secondsPerUnit(u) * S().fps();
        }
    }
    if (!std::isfinite(frames)) fail("Invalid time value: " + v.asString());
    S().setCurrentTime(frames / S().fps());
    return MelValue(frames);
}

// ------------------------------------------------------------------ playbackOptions
MelValue playbackOptionsCmd(CommandContext& ctx) {
    static const ArgParser p = ArgParser()
                                   .queryFlag("q", "query")
                                   .flag("e", "edit")
                                   .flag("min", "minTime", {ArgType::Float})
                                   .flag("max", "maxTime", {ArgType::Float})
                                   .flag("ast", "animationStartTime", {ArgType::Float})
                                   .flag("aet", "animationEndTime", {ArgType::Float})
                                   .flag("by", "by", {ArgType::Float})
                                   .flag("l", "loop", {ArgType::String})
                                   .flag("ps", "playbackSpeed", {ArgType::Float})
                                   .flag("mps", "maxPlaybackSpeed", {ArgType::Float})
                                   .flag("v", "view", {ArgType::String})
                                   .flag("fps", "framesPerSecond", {ArgType::Float});
    ParsedArgs a = p.parse(ctx);
    Scene::Playback& pb = S().playback();
    if (a.isQuery()) {
        if (a.isSet("min")) return MelValue(pb.min);
        if (a.isSet("max")) return MelValue(pb.max);
        if (a.isSet("ast")) return MelValue(pb.animStart);
        if (a.isSet("aet")) return MelValue(pb.animEnd);
        if (a.isSet("by")) return MelValue(1.0);
        if (a.isSet("ps")) return MelValue(1.0);
        if (a.isSet("l")) return MelValue(std::string("continuous"));
        fail("playbackOptions: nothing to query.");
    }
    double mn = a.flagFloatOr("min", pb.min), mx = a.flagFloatOr("max", pb.max);
    double as = a.flagFloatOr("ast", pb.animStart), ae = a.flagFloatOr("aet", pb.animEnd);
    for (double v : {mn, mx, as, ae})
        if (!std::isfinite(v)) fail("Invalid time value.");
    // The animation range always holds the playback range.
    if (a.isSet("min") && !a.isSet("ast") && mn < as) as = mn;
    if (a.isSet("max") && !a.isSet("aet") && mx > ae) ae = mx;
    if (a.isSet("ast") && !a.isSet("min") && as > mn) mn = as;
    if (a.isSet("aet") && !a.isSet("max") && ae < mx) mx = ae;
    pb.min = mn;
    pb.max = mx;
    pb.animStart = as;
    pb.animEnd = ae;
    return MelValue();
}

}  // namespace

void registerTransformCommands(host::mel::Interpreter& in) {
    in.registerCommand("xform", xformCmd);
    in.registerCommand("currentUnit", currentUnitCmd);
    in.registerCommand("currentTime", currentTimeCmd);
    in.registerCommand("playbackOptions", playbackOptionsCmd);
}

}  // namespace host::scene::cmds
