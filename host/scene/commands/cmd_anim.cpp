// Keys: setKeyframe, keyframe, findKeyframe, cutKey.
#include "scene/commands/cmd_common.h"

#include "scene/anim/anim_curve.h"
#include "scene/core/eval.h"

#include <cmath>
#include <limits>

namespace host::scene::cmds {

namespace {

Scene& S() { return scene(); }

// "1:10", "5", ":" (all), "1:" ... in UI frames -> [lo, hi] seconds.
void timeRange(const MelValue& v, double& lo, double& hi) {
    std::string s = v.isNumber() ? std::to_string(v.asFloat()) : v.asString();
    lo = -std::numeric_limits<double>::infinity();
    hi = std::numeric_limits<double>::infinity();
    std::size_t colon = s.find(':');
    auto num = [&](const std::string& t, double& out) {
        if (t.empty()) return;
        char* e = nullptr;
        double d = std::strtod(t.c_str(), &e);
        if (e == t.c_str() || *e) fail("Invalid time range: " + s);
        out = d / S().fps();
    };
    if (colon == std::string::npos) {
        num(s, lo);
        hi = lo;
    } else {
        num(s.substr(0, colon), lo);
        num(s.substr(colon + 1), hi);
    }
}

bool inRange(double t, double lo, double hi) { return t >= lo - 1e-9 && t <= hi + 1e-9; }

// Plugs a key command works on: the words as plugs, or each node's keyable
// attributes (or those named by -at).
std::vector<Plug> targetPlugs(const ParsedArgs& a, bool keyableDefault) {
    std::vector<std::string> words = objectWords(a);
    std::vector<std::string> attrs = flagStrings(a, "at");
    std::vector<Plug> out;
    std::vector<Node*> nodes;
    if (words.empty()) nodes = selectedNodes();
    for (const std::string& w : words) {
        if (w.find('.') != std::string::npos) {
            for (const Plug& p : plugsFor(w)) out.push_back(p);
        } else {
            nodes.push_back(findNode(w));
        }
    }
    for (Node* n : nodes) {
        if (!attrs.empty()) {
            for (const std::string& at : attrs) {
                Attribute* attr = n->attribute(at);
                if (!attr) fail("No object matches name: " + nodeName(n) + "." + at);
                Plug p;
                if (!S().parseAttrPath(n, at, p)) fail("No object matches name: " + nodeName(n) + "." + at);
                out.push_back(p);
            }
            continue;
        }
        if (!keyableDefault) {
            // Every animated plug of the node.
            for (const auto& in : n->inputs)
                if (in.second.node && in.second.node->hasFn(MFn::kAnimCurve)) out.push_back(Plug{n, in.first});
            continue;
        }
        for (std::size_t i = 0; i < n->attributeCount(); ++i) {
            Attribute* at = n->attributeAt(i);
            if (!at) continue;
            std::vector<Attribute*> leaves;
            if (at->isCompound()) {
                for (auto& c : at->children) leaves.push_back(c.get());
            } else {
                leaves.push_back(at);
            }
            for (Attribute* l : leaves) {
                if (l->inArray()) continue;
                Plug p = n->plug(l);
                if (!p.isNull() && plugKeyable(p)) out.push_back(p);
            }
        }
    }
    return out;
}

Node* curveOf(const Plug& p) {
    Plug src = S().sourceOf(p);
    if (!src.isNull() && src.node->hasFn(MFn::kAnimCurve)) return src.node;
    return nullptr;
}

MelValue setKeyframeCmd(CommandContext& ctx) {
    static const ArgParser p = ArgParser()
                                   .flag("t", "time", {ArgType::Any}, true)
                                   .flag("v", "value", {ArgType::Float})
                                   .flag("at", "attribute", {ArgType::String}, true)
                                   .flag("itt", "inTangentType", {ArgType::String})
                                   .flag("ott", "outTangentType", {ArgType::String})
                                   .flag("bd", "breakdown", {ArgType::Bool})
                                   .flag("s", "shape", {ArgType::Bool})
                                   .flag("hi", "hierarchy", {ArgType::String})
                                   .flag("cp", "controlPoints", {ArgType::Bool})
                                   .flag("i", "insert")
                                   .flag("dd", "dirtyDG")
                                   .flag("an", "animated", {ArgType::Bool});
    ParsedArgs a = p.parse(ctx);
    AnimCurve::TangentType itt = AnimCurve::kTangentGlobal, ott = AnimCurve::kTangentGlobal;
    if (a.isSet("itt") && !tangentTypeFromName(a.flagString("itt"), itt))
        fail("Invalid tangent type: " + a.flagString("itt"));
    if (a.isSet("ott") && !tangentTypeFromName(a.flagString("ott"), ott))
        fail("Invalid tangent type: " + a.flagString("ott"));
    std::vector<double> times;
    for (std::size_t i = 0; i < a.useCount("t"); ++i) {
        double lo, hi;
        timeRange(a.flagArg("t", 0, i), lo, hi);
        if (!std::isfinite(lo)) fail("Invalid time for setKeyframe.");
        times.push_back(lo);
    }
    if (times.empty()) times.push_back(S().currentTime());
    std::vector<Plug> plugs = targetPlugs(a, true);
    int count = 0;
    for (const Plug& pl : plugs) {
        Attribute* at = pl.attr();
        if (at->kind != AttrKind::Numeric && at->kind != AttrKind::Unit && at->kind != AttrKind::Enum)
            fail("The attribute '" + plugLabel(pl) + "' cannot be keyed.");
        if (S().isLocked(pl)) fail("The attribute '" + plugLabel(pl) + "' is locked and cannot be keyed.");
        Node* curve = curveOf(pl);
        if (!curve) {
            Plug src = S().sourceOf(pl);
            if (!src.isNull()) fail("The attribute '" + plugLabel(pl) + "' is connected and cannot be keyed.");
            UnitType u = unitOf(at);
            const char* type = u == UnitType::kDistance ? "animCurveTL"
                               : u == UnitType::kAngle  ? "animCurveTA"
                               : u == UnitType::kTime   ? "animCurveTT"
                                                        : "animCurveTU";
            std::string cname = nodeName(pl.node) + "_" + pl.name(true, false, false);
            for (char& c : cname)
                if (c == '|' || c == '.' || c == '[' || c == ']') c = '_';
            std::string err;
            curve = S().createNode(type, cname, nullptr, &err);
            if (!curve) fail(err.empty() ? "Cannot create the animation curve." : err);
            Plug out = curve->plug("output");
            if (out.isNull() || !S().connect(out, pl, false, &err))
                fail(err.empty() ? "Cannot connect the animation curve to '" + plugLabel(pl) + "'." : err);
        }
        AnimCurve c = readAnimCurve(*curve);
        for (double t : times) {
            double v;
            if (a.isSet("v")) v = fromUiUnits(unitOf(at), a.flagFloat("v"));
            else if (c.numKeys() > 0) v = c.evaluate(t);
            else v = S().getDouble(pl);
            c.addKey(t, v, itt, ott);
            ++count;
        }
        if (!writeAnimCurve(*curve, c)) fail("Cannot write the keys of '" + curve->name + "'.");
    }
    S().touch();
    return MelValue(count);
}

MelValue keyframeCmd(CommandContext& ctx) {
    static const ArgParser p = ArgParser()
                                   .queryFlag("q", "query")
                                   .flag("e", "edit")
                                   .flag("kc", "keyframeCount")
                                   .flag("tc", "timeChange", {ArgType::Float})
                                   .flag("vc", "valueChange", {ArgType::Float})
                                   .flag("t", "time", {ArgType::Any}, true, true)
                                   .flag("at", "attribute", {ArgType::String}, true, true)
                                   .flag("r", "relative")
                                   .flag("a", "absolute")
                                   .flag("index", "index", {ArgType::Any}, true, true)
                                   .flag("n", "name")
                                   .flag("iv", "indexValue");
    ParsedArgs a = p.parse(ctx);
    double lo = -std::numeric_limits<double>::infinity(), hi = std::numeric_limits<double>::infinity();
    if (a.isSet("t")) timeRange(a.flagArg("t"), lo, hi);
    int ilo = 0, ihi = std::numeric_limits<int>::max();
    if (a.isSet("index")) {
        std::string s = a.flagArg("index").asString();
        std::size_t colon = s.find(':');
        ilo = std::atoi(s.substr(0, colon).c_str());
        ihi = colon == std::string::npos ? ilo : std::atoi(s.substr(colon + 1).c_str());
    }
    std::vector<Node*> curves;
    std::vector<Plug> plugs;
    std::vector<std::string> words = objectWords(a);
    // Curves may be named directly.
    bool direct = false;
    if (words.size() == 1 && words[0].find('.') == std::string::npos) {
        Node* n = findNode(words[0]);
        if (n->hasFn(MFn::kAnimCurve)) {
            curves.push_back(n);
            plugs.push_back(Plug{});
            direct = true;
        }
    }
    if (!direct)
        for (const Plug& pl : targetPlugs(a, false))
            if (Node* c = curveOf(pl)) {
                curves.push_back(c);
                plugs.push_back(pl);
            }
    if (a.isQuery()) {
        if (a.isSet("n")) {
            std::vector<std::string> out;
            for (Node* c : curves) out.push_back(c->name);
            return MelValue(out);
        }
        int kc = 0;
        std::vector<double> out;
        for (std::size_t ci = 0; ci < curves.size(); ++ci) {
            AnimCurve c = readAnimCurve(*curves[ci]);
            UnitType u = UnitType::kInvalid;
            if (!plugs[ci].isNull()) u = unitOf(plugs[ci].attr());
            else if (curves[ci]->type->isA("animCurveTL")) u = UnitType::kDistance;
            else if (curves[ci]->type->isA("animCurveTA")) u = UnitType::kAngle;
            for (unsigned k = 0; k < c.numKeys(); ++k) {
                const AnimCurve::Key& key = c.key(k);
                if (!inRange(key.time, lo, hi) || static_cast<int>(k) < ilo || static_cast<int>(k) > ihi) continue;
                ++kc;
                if (a.isSet("tc")) out.push_back(key.time * S().fps());
                if (a.isSet("vc")) out.push_back(toUiUnits(u, key.value));
                if (a.isSet("iv")) out.push_back(k);
            }
        }
        if (a.isSet("kc")) return MelValue(kc);
        return MelValue(out);
    }
    // Edit: move or change the keys in range.
    int changed = 0;
    bool rel = a.isSet("r");
    for (std::size_t ci = 0; ci < curves.size(); ++ci) {
        AnimCurve c = readAnimCurve(*curves[ci]);
        UnitType u = plugs[ci].isNull() ? UnitType::kInvalid : unitOf(plugs[ci].attr());
        AnimCurve out = c;
        out.clear();
        for (unsigned k = 0; k < c.numKeys(); ++k) {
            AnimCurve::Key key = c.key(k);
            if (inRange(key.time, lo, hi) && static_cast<int>(k) >= ilo && static_cast<int>(k) <= ihi) {
                if (a.isSet("tc")) key.time = rel ? key.time + a.flagFloat("tc") / S().fps() : a.flagFloat("tc") / S().fps();
                if (a.isSet("vc")) {
                    double v = fromUiUnits(u, a.flagFloat("vc"));
                    key.value = rel ? key.value + v : v;
                }
                ++changed;
            }
            out.addKey(key);
        }
        if (!writeAnimCurve(*curves[ci], out)) fail("Cannot write the keys of '" + curves[ci]->name + "'.");
    }
    S().touch();
    return MelValue(changed);
}

MelValue findKeyframeCmd(CommandContext& ctx) {
    static const ArgParser p = ArgParser()
                                   .flag("w", "which", {ArgType::String})
                                   .flag("t", "time", {ArgType::Any})
                                   .flag("at", "attribute", {ArgType::String}, true)
                                   .flag("c", "curve");
    ParsedArgs a = p.parse(ctx);
    std::string which = a.flagStringOr("w", "next");
    if (which != "first" && which != "last" && which != "next" && which != "previous")
        fail("Invalid value for -which: " + which);
    double t = S().currentTime();
    if (a.isSet("t")) {
        double lo, hi;
        timeRange(a.flagArg("t"), lo, hi);
        t = lo;
    }
    std::vector<Node*> curves;
    std::vector<std::string> words = objectWords(a);
    if (words.size() == 1 && words[0].find('.') == std::string::npos && findNode(words[0])->hasFn(MFn::kAnimCurve))
        curves.push_back(findNode(words[0]));
    else
        for (const Plug& pl : targetPlugs(a, false))
            if (Node* c = curveOf(pl)) curves.push_back(c);
    bool found = false;
    double best = 0;
    for (Node* cn : curves) {
        AnimCurve c = readAnimCurve(*cn);
        if (c.numKeys() == 0) continue;
        double cand;
        if (which == "first") cand = c.key(0).time;
        else if (which == "last") cand = c.key(c.numKeys() - 1).time;
        else {
            int k = which == "next" ? c.nextKey(t) : c.previousKey(t);
            // Past the last (or before the first) key the time asked about comes
            // back, which is how callers stepping through keys see the end.
            cand = k < 0 ? t : c.key(static_cast<unsigned>(k)).time;
        }
        bool better = !found || (which == "first" ? cand < best
                                 : which == "last" ? cand > best
                                 : which == "next" ? (cand > t && (best <= t || cand < best)) || (best <= t && cand < best)
                                                   : (cand < t && (best >= t || cand > best)) || (best >= t && cand > best));
        if (better) best = cand;
        found = true;
    }
    if (!found) return MelValue(t * S().fps());
    return MelValue(best * S().fps());
}

MelValue cutKeyCmd(CommandContext& ctx) {
    static const ArgParser p = ArgParser()
                                   .flag("t", "time", {ArgType::Any})
                                   .flag("at", "attribute", {ArgType::String}, true)
                                   .flag("cl", "clear")
                                   .flag("s", "shape", {ArgType::Bool})
                                   .flag("o", "option", {ArgType::String});
    ParsedArgs a = p.parse(ctx);
    double lo = -std::numeric_limits<double>::infinity(), hi = std::numeric_limits<double>::infinity();
    if (a.isSet("t")) timeRange(a.flagArg("t"), lo, hi);
    int removed = 0;
    for (const Plug& pl : targetPlugs(a, false)) {
        Node* cn = curveOf(pl);
        if (!cn) continue;
        AnimCurve c = readAnimCurve(*cn);
        for (int k = static_cast<int>(c.numKeys()) - 1; k >= 0; --k)
            if (inRange(c.key(static_cast<unsigned>(k)).time, lo, hi)) {
                c.removeKey(static_cast<unsigned>(k));
                ++removed;
            }
        if (c.numKeys() == 0) {
            // A curve without keys goes, as the host deletes it.
            std::string err;
            S().deleteNode(cn, &err);
        } else {
            writeAnimCurve(*cn, c);
        }
    }
    S().touch();
    return MelValue(removed);
}

}  // namespace

void registerAnimCommands(host::mel::Interpreter& in) {
    in.registerCommand("setKeyframe", setKeyframeCmd);
    in.registerCommand("keyframe", keyframeCmd);
    in.registerCommand("findKeyframe", findKeyframeCmd);
    in.registerCommand("cutKey", cutKeyCmd);
}

}  // namespace host::scene::cmds
