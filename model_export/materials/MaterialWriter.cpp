#include "Materials.h"

#include <chunk/ChunkWriter.h>
#include <layered_image/LayeredImage.h>
#include <runlog/RunLog.h>

#include <maya/MFnDependencyNode.h>
#include <maya/MPlug.h>
#include <maya/MPlugArray.h>
#include <maya/MString.h>

#include <platform/platform.h>

#include <cctype>
#include <cstdlib>
#include <cstring>

namespace vl2 {

const char* const kDefaultShaderScript = "\\shaders\\default.st";

void MaterialTable::add(std::int32_t number, std::uint32_t index, const std::string& name)
{
    MaterialInfo info;
    info.index = index;
    info.name = name;
    entries_[number] = info;
}

bool MaterialTable::lookup(std::int32_t materialNumber, MaterialInfo& info) const
{
    auto it = entries_.find(materialNumber);
    if (it == entries_.end())
        return false;
    info = it->second;
    return true;
}

std::string gameRoot()
{
    if (const char* root = std::getenv("VL2_Root"))
        return root;
    if (const char* root = std::getenv("VL2_ROOT"))
        return root;
    return std::string();
}

namespace {

std::string lower(std::string s)
{
    for (char& c : s)
        c = char(std::tolower(static_cast<unsigned char>(c)));
    return s;
}

bool readFloat(const MFnDependencyNode& fn, const char* attr, float& out)
{
    MStatus st;
    MPlug plug = fn.findPlug(attr, true, &st);
    if (!st || plug.isNull())
        return false;
    return bool(plug.getValue(out));
}

// The first three children of a compound colour plug.
bool readColour(const MPlug& plug, float out[3])
{
    if (plug.isNull() || !plug.isCompound() || plug.numChildren() < 3)
        return false;
    for (unsigned i = 0; i < 3; ++i)
        if (!plug.child(i).getValue(out[i]))
            return false;
    return true;
}

bool readColour(const MFnDependencyNode& fn, const char* attr, float out[3])
{
    MStatus st;
    MPlug plug = fn.findPlug(attr, true, &st);
    return st && readColour(plug, out);
}

// The single node feeding a plug, or a null object.
MObject singleSource(const MPlug& plug)
{
    MPlugArray sources;
    if (!plug.connectedTo(sources, true, false) || sources.length() != 1)
        return MObject();
    return sources[0].node();
}

void setColour(float out[4], float r, float g, float b, float a)
{
    out[0] = r;
    out[1] = g;
    out[2] = b;
    out[3] = a;
}

// Colours by shader type. Alpha of the colours read from the host is 1.0.
MaterialColours shaderColours(const MObject& shader, const MObject& textureNode, const std::string& name)
{
    MaterialColours c;
    MFnDependencyNode fn(shader);
    if (!textureNode.isNull()) {
        MFnDependencyNode tex(textureNode);
        MStatus st;
        MPlug gain = tex.findPlug("colorGain", true, &st);
        float g[3];
        if (st && readColour(gain, g))
            setColour(c.diffuse, g[0], g[1], g[2], 1.0f);
        else
            logMessage(2, "Shader weirdness in texture of node %s\n", name.c_str());
    }
    float rgb[3];
    float coefficient = 1.0f;
    const bool phong = shader.hasFn(MFn::kPhong);
    const bool lambert = !phong && shader.hasFn(MFn::kLambert);
    if (phong || lambert) {
        if (readFloat(fn, "diffuse", coefficient))
            for (int i = 0; i < 3; ++i)
                c.diffuse[i] *= coefficient;
        setColour(c.ambient, 0, 0, 0, 1);
        if (readColour(fn, "ambientColor", rgb))
            setColour(c.ambient, rgb[0], rgb[1], rgb[2], 1.0f);
        setColour(c.emission, 0, 0, 0, 1);
        if (readColour(fn, "incandescence", rgb))
            setColour(c.emission, rgb[0], rgb[1], rgb[2], 1.0f);
        if (phong) {
            setColour(c.specular, 0, 0, 0, 1);
            if (readColour(fn, "specularColor", rgb))
                setColour(c.specular, rgb[0], rgb[1], rgb[2], 1.0f);
            readFloat(fn, "cosinePower", c.shine);
        }
    } else {
        logMessage(1, "Unsupported shader type for %s, no material properties being read\n", name.c_str());
        setColour(c.diffuse, 1, 1, 1, 1);
        setColour(c.ambient, 1, 1, 1, 1);
    }
    return c;
}

// The surface shader connected to a shading group's "surfaceShader", or null
// with the failure logged.
MObject surfaceShaderOf(const MFnDependencyNode& group, const char* groupName)
{
    MStatus st;
    MPlug plug = group.findPlug("surfaceShader", true, &st);
    if (!st || plug.isNull() || !plug.isConnected()) {
        logMessage(2, "No surfaceShader connection on shader %s\n", groupName);
        return MObject();
    }
    MPlugArray sources;
    if (!plug.connectedTo(sources, true, false, &st) || !st) {
        logMessage(2, "Error getting connections from shader %s\n", groupName);
        return MObject();
    }
    if (sources.length() != 1) {
        logMessage(2, "Bad numbers of connections to shader %s\n", groupName);
        return MObject();
    }
    if (sources[0].isNull()) {
        logMessage(2, "Error getting connection from shader %s\n", groupName);
        return MObject();
    }
    MObject node = sources[0].node(&st);
    if (!st || node.isNull()) {
        logMessage(0, "Error getting dependency node from shader %s\n", groupName);
        return MObject();
    }
    return node;
}

}  // namespace

ScriptPath scriptPathFor(const std::string& attributeValue)
{
    ScriptPath r;
    r.path = attributeValue;
    const std::string low = lower(r.path);
    if (low.size() >= 4 && low.compare(low.size() - 4, 4, ".shd") == 0) {
        r.oldExtension = true;
        r.path = r.path.substr(0, r.path.size() - 4) + ".st";
    }
    // The data folder is added from the game root; a path that carries it
    // itself loses everything up to and including it.
    std::size_t at = lower(r.path).find("/data");
    if (at == std::string::npos)
        at = lower(r.path).find("\\data");
    if (at != std::string::npos) {
        r.leadingData = true;
        r.path = r.path.substr(at + 5);
    }
    const std::size_t slash = r.path.find_last_of("\\/");
    std::string base = slash == std::string::npos ? r.path : r.path.substr(slash + 1);
    const std::size_t dot = base.rfind('.');
    if (dot != std::string::npos)
        base.erase(dot);
    r.baseName = base;
    return r;
}

TextureChoice chooseTextureLayer(const std::vector<std::string>& layerNames, const std::string& param)
{
    TextureChoice c;
    for (std::size_t k = 0; k < layerNames.size(); ++k) {
        const std::string& layer = layerNames[k];
        const std::size_t at = layer.find(param);
        if (param.empty() || at == std::string::npos)
            continue;
        c.layer = std::int32_t(k);
        const std::size_t next = at + param.size();
        if (layer == param) {
            // scale 1.0
        } else if (next < layer.size() && layer[next] == '/') {
            // "/n": a 1/n scale. A missing or non-positive n is a bad name, not a division by zero.
            const char* digits = layer.c_str() + next + 1;
            char* end = nullptr;
            const long n = std::strtol(digits, &end, 10);
            if (end != digits && n > 0 && n <= 65536)
                c.scale = 1.0f / float(n);
            else
                c.badLayerName = true;
        } else if (next < layer.size() && layer[next] == '*') {
            c.kind = kTextureKindMarked;
        } else {
            c.badLayerName = true;
        }
        return c;
    }
    return c;
}

int textureIndexFor(TextureList& textures, const std::string& path, const TextureChoice& choice)
{
    const int existing = findTexture(textures, path, choice.layer);
    if (existing >= 0)
        return existing;
    if (choice.layer == -1)
        return -1;
    TextureRecord record;
    record.path = path;
    record.layer = choice.layer;
    record.scale = choice.scale;
    record.kind = choice.kind;
    textures.push_back(record);
    return int(textures.size()) - 1;
}

bool writeMaterialChunk(ChunkWriter& w, const MaterialRecord& record)
{
    bool ok = w.beginNrml(fourCC("STAT"), kMaterialChunkVersion) > 0;
    ok = w.writeString(record.name) && ok;
    ok = w.writeString(record.script) && ok;
    ok = w.writeUInt32(std::uint32_t(record.values.size())) && ok;
    for (const MaterialValue& v : record.values) {
        ok = w.writeInt32(v.type) && ok;
        if (v.type == kParamTexture) {
            ok = w.writeUInt32(4) && ok;
            ok = w.writeInt32(v.texture) && ok;
        } else {
            ok = w.writeUInt32(16) && ok;
            for (float f : v.colour)
                ok = w.writeFloat(f) && ok;
        }
        ok = w.writeString(v.name) && ok;
    }
    return w.endChunk() != 0 && ok;
}

void writeMaterials(ChunkWriter* writer, const std::vector<MObject>& shaderObjects,
                    const std::vector<std::string>& sceneMaterials, MaterialTable& registry, TextureList& textures)
{
    for (std::size_t i = 0; i < shaderObjects.size(); ++i) {
        const MObject& group = shaderObjects[i];
        MFnDependencyNode groupFn(group);
        const std::string groupName = groupFn.name().asChar();
        // 1. A shading group.
        if (group.isNull() || groupFn.typeId().id() != kShadingGroupTypeId) {
            logMessage(2, "Object %s in shader list that is not a shader\n", groupName.c_str());
            continue;
        }
        logMessage(0, "Found shader node %s\n", groupName.c_str());

        // 2.-3. Its surface shader, which must have a colour.
        const MObject shader = surfaceShaderOf(groupFn, groupName.c_str());
        if (shader.isNull())
            continue;
        MFnDependencyNode shaderFn(shader);
        const std::string name = shaderFn.name().asChar();
        const std::string typeName = shaderFn.typeName().asChar();
        const bool isLambertType = typeName == "lambert";
        MStatus st;
        MPlug colourPlug = shaderFn.findPlug("color", true, &st);
        if (!st || colourPlug.isNull()) {
            logMessage(1, "Couldn't find color gain plug on shader %s, probably no texture attached\n", name.c_str());
            continue;
        }
        const MObject textureNode = singleSource(colourPlug);

        // 4. Colours.
        const MaterialColours colours = shaderColours(shader, textureNode, name);

        // 5. The extraction layer's number for this material.
        int number = -1;
        for (std::size_t m = 0; m < sceneMaterials.size(); ++m)
            if (sceneMaterials[m] == name) {
                number = int(m);
                break;
            }
        if (number >= 0) {
            logMessage(0, "Adding material %s (%i,%i)\n", name.c_str(), number, int(i));
            registry.add(number, std::uint32_t(i), name);
        } else {
            logMessage(2,
                       "Error reconciling material %s(%s) with Maya Game API Material (%i/%i).  Materials in scene "
                       "are;",
                       name.c_str(), typeName.c_str(), int(i) + 1, int(sceneMaterials.size()));
            for (std::size_t m = 0; m < sceneMaterials.size(); ++m)
                logMessage(2, "%s(%i) ", sceneMaterials[m].c_str(), int(m));
            logMessage(2, "\n");
        }

        // 6. The script.
        std::string scriptAttr;
        if (!shaderFn.hasAttribute("vl2ScriptName")) {
            logMessage(isLambertType ? 0 : 1, "Shader %s is missing VL2 attributes, setting default shader script\n",
                       name.c_str());
            scriptAttr = kDefaultShaderScript;
        } else {
            MString value;
            shaderFn.findPlug("vl2ScriptName", true).getValue(value);
            scriptAttr = value.asChar();
            if (scriptAttr.empty()) {
                logMessage(isLambertType ? 0 : 2, "Shader %s has no VL2 script attached, using default shader script\n",
                           name.c_str());
                scriptAttr = kDefaultShaderScript;
            }
        }
        const ScriptPath script = scriptPathFor(scriptAttr);
        if (script.oldExtension)
            logMessage(1, "Shader %s has old VL2 script attached, please replace with .st file\n", name.c_str());
        if (script.leadingData)
            logMessage(1, "Shader %s has a trailing '\\data' in it's script name, please remove\n", name.c_str());
        const std::string fullPath = gameRoot() + "\\data" + script.path;

        // 7. Its parameters.
        std::vector<ShaderParam> params;
        std::string parseMessage;
        if (!parseShaderScript(fullPath, params, parseMessage)) {
            logMessage(2, "Error parsing shader script '%s' on Maya shader %s\n%s\n", fullPath.c_str(), name.c_str(),
                       parseMessage.c_str());
            continue;
        }

        // 9. The image whose layers the texture parameters name.
        std::string imagePath;
        std::vector<std::string> layerNames;
        MObject fileNode = textureNode;
        MString fileName;
        if (!fileNode.isNull() && MFnDependencyNode(fileNode).hasAttribute("fileTextureName") &&
            MFnDependencyNode(fileNode).findPlug("fileTextureName", true).getValue(fileName)) {
            imagePath = fileName.asChar();
            LayeredImage image;
            if (image.load(vl2platform::resolvePath(imagePath))) {
                for (int k = 0; k < image.layerCount(); ++k)
                    layerNames.push_back(image.layerName(k));
            } else {
                logMessage(2, "Error loading PSD file '%s' on shader %s\n", imagePath.c_str(), name.c_str());
            }
        } else {
            logMessage(isLambertType ? 0 : 1, "No texture on shader %s\n", name.c_str());
            layerNames.push_back("new");  // the blank 16 x 16 stand-in
        }

        // 8., 10. The chunk, built whole first: a material that ends early is
        // left out (with the texture records it added) instead of leaving a
        // chunk whose count does not match its contents.
        MaterialRecord record;
        record.name = name;
        record.script = script.baseName;
        const std::size_t texturesBefore = textures.size();
        bool complete = true;
        for (const ShaderParam& p : params) {
            MaterialValue v;
            v.type = p.type;
            v.name = p.name;
            if (p.type == kParamColour) {
                const std::string key = lower(p.name);
                if (key == "$diffuse")
                    std::memcpy(v.colour, colours.diffuse, sizeof v.colour);
                else if (key == "$ambient")
                    std::memcpy(v.colour, colours.ambient, sizeof v.colour);
                else if (key == "$specular")
                    std::memcpy(v.colour, colours.specular, sizeof v.colour);
                else if (key == "$emission")
                    std::memcpy(v.colour, colours.emission, sizeof v.colour);
                else if (key == "$shine")
                    setColour(v.colour, colours.shine, 0, 0, 0);
                else if (p.optional)
                    setColour(v.colour, 1, 1, 1, 1);
                else {
                    logMessage(2, "Unknown Colour parameter (%s).\n", p.name.c_str());
                    complete = false;
                    break;
                }
            } else if (p.type == kParamFloat) {
                logMessage(2, "Unknown Float parameter (%s).\n", p.name.c_str());
                complete = false;
                break;
            } else if (p.type == kParamInt) {
                logMessage(2, "Unknown Int parameter (%s).\n", p.name.c_str());
                complete = false;
                break;
            } else {
                const TextureChoice choice = chooseTextureLayer(layerNames, p.name);
                if (choice.badLayerName)
                    logMessage(1, "Error in layer name %s, param name %s, in file %s\n",
                               layerNames[std::size_t(choice.layer)].c_str(), p.name.c_str(), imagePath.c_str());
                v.texture = textureIndexFor(textures, imagePath, choice);
                if (v.texture == -1 && !p.optional)
                    logMessage(2, "Unknown Texture parameter (%s).\n", p.name.c_str());
            }
            record.values.push_back(v);
        }
        if (!complete) {
            textures.resize(texturesBefore);
            continue;
        }
        // 11.
        if (writer)
            writeMaterialChunk(*writer, record);
    }
}

}  // namespace vl2
