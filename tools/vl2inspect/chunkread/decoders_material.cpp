// Decoders of the material (STAT), light (LITE) and texture (LMIP) chunks.
#include "chunkread/Decoders.h"

#include <string>

namespace vl2::chunkread::decoders {

namespace {

Value floats(ByteCursor& in, int count, const char* what)
{
    Value list = Value::list();
    for (int i = 0; i < count; ++i)
        list.push(Value::real(in.f32(what)));
    return list;
}

const char* parameterTypeName(std::uint32_t code)
{
    switch (code) {
    case 1: return "Float";
    case 2: return "Int";
    case 4: return "Colour";
    case 5: return "Texture";
    default: return "unknown";
    }
}

const char* lightTypeName(std::uint32_t type)
{
    switch (type) {
    case 0: return "ambient";
    case 1: return "point";
    case 2: return "directional";
    default: return "unknown";
    }
}

} // namespace

// STAT: material name, script name, parameter count, then per parameter its
// type code, the value's byte count and value, and its name.
void material(DecodeContext& ctx)
{
    ByteCursor& in = ctx.in;
    ctx.fields().add("material", Value::string(in.string("material name")));
    ctx.fields().add("script", Value::string(in.string("script name")));
    const std::uint32_t count = in.u32("parameter count");
    // Smallest parameter: type, value size, a 4-byte value and an empty name.
    in.needItems(count, 16, "parameters");
    Value& params = ctx.fields().add("parameters", Value::list());
    for (std::uint32_t i = 0; i < count; ++i) {
        Value p = Value::record();
        const std::uint64_t at = in.fileOffset();
        const std::uint32_t type = in.u32("parameter type");
        const std::uint32_t size = in.u32("parameter value size");
        p.add("type", Value::integer(type));
        p.add("typeName", Value::string(parameterTypeName(type)));
        if (type == 4 && size == 16) {
            p.add("colour", floats(in, 4, "colour component"));
        } else if (type == 5 && size == 4) {
            p.add("texture", Value::integer(static_cast<std::int32_t>(in.u32("texture index"))));
        } else {
            throw DecodeError(at, "parameter " + std::to_string(i) + ": type " + std::to_string(type) + " with a " +
                                      std::to_string(size) + "-byte value is not a layout materials use");
        }
        p.add("name", Value::string(in.string("parameter name")));
        params.push(std::move(p));
    }
}

// LITE: count, then per light name, type, vector, colour, half colour,
// attenuation kind and distance.
void lights(DecodeContext& ctx)
{
    ByteCursor& in = ctx.in;
    const std::uint32_t count = in.u32("light count");
    // Smallest light: empty name, type, 9 floats, kind, distance.
    in.needItems(count, 4 + 4 + 36 + 4 + 4, "lights");
    Value& list = ctx.fields().add("lights", Value::list());
    for (std::uint32_t i = 0; i < count; ++i) {
        Value l = Value::record();
        l.add("name", Value::string(in.string("light name")));
        const std::uint32_t type = in.u32("light type");
        l.add("type", Value::integer(type));
        l.add("typeName", Value::string(lightTypeName(type)));
        l.add("vector", floats(in, 3, "light vector"));
        l.add("colour", floats(in, 3, "light colour"));
        l.add("halfColour", floats(in, 3, "light half colour"));
        l.add("attenuation", Value::integer(in.u32("attenuation kind")));
        l.add("distance", Value::real(in.f32("attenuation distance")));
        list.push(std::move(l));
    }
    ctx.fields().add("count", Value::integer(count));
}

std::uint64_t lmipLevelBytes(const std::string& format, std::uint64_t w, std::uint64_t h)
{
    const std::uint64_t bw = w < 4 ? 4 : w, bh = h < 4 ? 4 : h;
    if (format == "DXT1")
        return bw * bh / 2;
    if (format == "DXT3" || format == "DXT5")
        return bw * bh;
    return w * h * 4; // 8888
}

// LMIP: name, four format characters, level count, then per level width,
// height and the level's data (size given by the format).
void texture(DecodeContext& ctx)
{
    ByteCursor& in = ctx.in;
    ctx.fields().add("name", Value::string(in.string("texture name")));
    const std::uint64_t formatAt = in.fileOffset();
    const std::string format = in.chars(4, "format code");
    if (format != "DXT1" && format != "DXT3" && format != "DXT5" && format != "8888")
        throw DecodeError(formatAt, "unknown texture format \"" + format + "\"");
    ctx.fields().add("format", Value::string(format));
    const std::uint32_t count = in.u32("level count");
    in.needItems(count, 8 + 8, "levels");
    ctx.fields().add("levelCount", Value::integer(count));
    Value& levels = ctx.fields().add("levels", Value::list());
    for (std::uint32_t i = 0; i < count; ++i) {
        const std::uint64_t at = in.fileOffset();
        const std::uint32_t w = in.u32("level width");
        const std::uint32_t h = in.u32("level height");
        if (w == 0 || h == 0 || w > 65536 || h > 65536)
            throw DecodeError(at, "level " + std::to_string(i) + " has size " + std::to_string(w) + "x" +
                                      std::to_string(h));
        const std::uint64_t bytes = lmipLevelBytes(format, w, h);
        Value l = Value::record();
        l.add("width", Value::integer(w));
        l.add("height", Value::integer(h));
        l.add("bytes", Value::integer(static_cast<std::int64_t>(bytes)));
        l.add("dataOffset", Value::integer(static_cast<std::int64_t>(in.fileOffset())));
        in.skip(bytes, "level data");
        levels.push(std::move(l));
    }
}

} // namespace vl2::chunkread::decoders
