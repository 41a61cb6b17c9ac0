// The library's texture node. It is a 2D texture like the host's file node
// (so material readers find colorGain and fileTextureName on it) with the
// preview resolution artists set; its colour is the image's composite, read
// through the host's image library (the layered image format plug-in).
#include "psd_texture_node.h"

#include "scene/render/render_types.h"

namespace vl2game {

using namespace host::scene;

namespace {
constexpr unsigned kPsdTextureNodeId = 0x564c3254;  // "VL2T"

MStatus computePsdTexture(Node& n, const Plug& p) {
    return computeTextureOutput(n, p, scene().getString(n.plug("fileTextureName")));
}
}  // namespace

void registerGameNodeTypes(Scene& s) {
    if (s.findType("PSDTextureNode")) return;
    NodeType* t = s.registerType("PSDTextureNode", "texture2d", MFn::kPluginDependNode, kPsdTextureNodeId,
                                 computePsdTexture);
    if (!t) return;
    t->pluginName = "vl2GameLibrary";
    AttrPtr file = makeTyped("fileTextureName", "ftn", "string");
    t->addAttribute(file);
    t->addAttribute(makeNumeric("resolution", "res", NumericType::kLong, 256));
    // outColor and outAlpha come from texture2d, computed already; the file name drives them too.
    for (const char* out : {"outColor", "outAlpha"})
        if (Attribute* o = t->attribute(out)) {
            file->affects.push_back(o);
            o->affectedBy.push_back(file.get());
        }
}

}  // namespace vl2game
