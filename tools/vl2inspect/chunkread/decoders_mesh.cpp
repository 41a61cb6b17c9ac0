// Decoders of the skeleton and mesh chunks.
#include "chunkread/Decoders.h"

#include <cstdio>

namespace vl2::chunkread::decoders {

namespace {

Value floats(ByteCursor& in, int count, const char* what)
{
    Value list = Value::list();
    for (int i = 0; i < count; ++i)
        list.push(Value::real(in.f32(what)));
    return list;
}

// Vertex fields selected by a mask, in file order.
struct VertexField {
    std::uint32_t bit;
    const char* name;
    int floats; // 0: one packed 32-bit colour
};
constexpr VertexField kVertexFields[] = {
    {0x1, "position", 4}, {0x2, "normal", 4},    {0x4, "colour", 0},
    {0x8, "uv", 2},       {0x2000, "tangent", 3}, {0x4000, "binormal", 3},
};
// 0x10 is set by the exporter but selects no field.
constexpr std::uint32_t kKnownVertexBits = 0x1 | 0x2 | 0x4 | 0x8 | 0x10 | 0x2000 | 0x4000;

std::uint64_t vertexStride(std::uint32_t mask)
{
    std::uint64_t stride = 0;
    for (const VertexField& f : kVertexFields)
        if (mask & f.bit)
            stride += f.floats == 0 ? 4 : 4u * static_cast<unsigned>(f.floats);
    return stride;
}

const char* primitiveName(std::uint32_t type)
{
    switch (type) {
    case 514:
        return "list";
    case 518:
        return "strip";
    case 517:
        return "other";
    default:
        return "unknown";
    }
}

} // namespace

void hierarchy(DecodeContext& ctx)
{
    ByteCursor& in = ctx.in;
    const std::uint32_t count = in.u32("joint count");
    // Smallest record: two empty strings, 12 floats, 3 bytes.
    in.needItems(count, 4 + 4 + 48 + 3, "joints");
    ctx.fields().add("count", Value::integer(count));
    Value& joints = ctx.fields().add("joints", Value::list());
    for (std::uint32_t i = 0; i < count; ++i) {
        Value joint = Value::record();
        joint.add("name", Value::string(in.string("joint name")));
        joint.add("parent", Value::string(in.string("parent name")));
        joint.add("translation", floats(in, 3, "translation"));
        joint.add("rotation", floats(in, 3, "rotation"));
        joint.add("scale", floats(in, 3, "scale"));
        joint.add("orientation", floats(in, 3, "orientation"));
        Value dof = Value::list();
        for (int axis = 0; axis < 3; ++axis)
            dof.push(Value::integer(in.u8("degree of freedom")));
        joint.add("dof", std::move(dof));
        joints.push(std::move(joint));
    }
}

void simpleMesh(DecodeContext& ctx)
{
    ByteCursor& in = ctx.in;
    ctx.fields().add("name", Value::string(in.string("mesh name")));
    const std::uint32_t vertexCount = in.u32("vertex count");
    in.needItems(vertexCount, 40, "vertices");
    ctx.fields().add("vertexCount", Value::integer(vertexCount));
    Value& vertices = ctx.fields().add("vertices", Value::list());
    for (std::uint32_t i = 0; i < vertexCount; ++i) {
        Value v = Value::record();
        v.add("position", floats(in, 4, "position"));
        v.add("normal", floats(in, 4, "normal"));
        v.add("uv", floats(in, 2, "texture coordinates"));
        vertices.push(std::move(v));
    }
    const std::uint32_t indexCount = in.u32("index count");
    in.needItems(indexCount, 4, "indices");
    ctx.fields().add("indexCount", Value::integer(indexCount));
    Value& indices = ctx.fields().add("indices", Value::list());
    for (std::uint32_t i = 0; i < indexCount; ++i)
        indices.push(Value::integer(in.u32("index")));
}

void basicMesh(DecodeContext& ctx)
{
    ByteCursor& in = ctx.in;
    ctx.fields().add("level", Value::integer(in.u32("level index")));
    const std::uint32_t partCount = in.u32("part count");
    in.needItems(partCount, 14, "parts"); // material, format, vertex count, group count
    ctx.fields().add("partCount", Value::integer(partCount));
    Value& parts = ctx.fields().add("parts", Value::list());
    for (std::uint32_t p = 0; p < partCount; ++p) {
        Value part = Value::record();
        part.add("material", Value::integer(in.u32("material index")));
        const std::uint64_t maskAt = in.fileOffset();
        const std::uint32_t mask = in.u32("vertex format");
        if (mask & ~kKnownVertexBits)
            throw DecodeError(maskAt, "vertex format 0x" + [&] {
                char buf[16];
                std::snprintf(buf, sizeof buf, "%X", mask);
                return std::string(buf);
            }() + " has unknown bits");
        part.add("format", Value::integer(mask));
        const std::uint32_t vertexCount = in.u32("vertex count");
        in.needItems(vertexCount, vertexStride(mask), "vertices");
        part.add("vertexCount", Value::integer(vertexCount));
        Value vertices = Value::list();
        for (std::uint32_t i = 0; i < vertexCount; ++i) {
            Value v = Value::record();
            for (const VertexField& f : kVertexFields) {
                if (!(mask & f.bit))
                    continue;
                if (f.floats == 0)
                    v.add(f.name, Value::integer(in.u32(f.name)));
                else
                    v.add(f.name, floats(in, f.floats, f.name));
            }
            vertices.push(std::move(v));
        }
        part.add("vertices", std::move(vertices));
        const std::uint16_t groupCount = in.u16("primitive group count");
        in.needItems(groupCount, 8, "primitive groups");
        part.add("groupCount", Value::integer(groupCount));
        Value groups = Value::list();
        for (std::uint16_t g = 0; g < groupCount; ++g) {
            Value group = Value::record();
            const std::uint32_t type = in.u32("primitive type");
            group.add("type", Value::integer(type));
            group.add("kind", Value::string(primitiveName(type)));
            const std::uint32_t indexCount = in.u32("index count");
            in.needItems(indexCount, 2, "indices");
            group.add("indexCount", Value::integer(indexCount));
            Value indices = Value::list();
            for (std::uint32_t i = 0; i < indexCount; ++i) {
                const std::uint64_t at = in.fileOffset();
                const std::uint16_t index = in.u16("index");
                if (index >= vertexCount)
                    throw DecodeError(at, "index " + std::to_string(index) + " is not below the part's " +
                                              std::to_string(vertexCount) + " vertices");
                indices.push(Value::integer(index));
            }
            group.add("indices", std::move(indices));
            groups.push(std::move(group));
        }
        part.add("groups", std::move(groups));
        parts.push(std::move(part));
    }
}

// MULT: names and level count, then one BMSH per level as sub-chunks.
void multiMesh(DecodeContext& ctx)
{
    ByteCursor& in = ctx.in;
    ctx.fields().add("name", Value::string(in.string("mesh name")));
    ctx.fields().add("parent", Value::string(in.string("parent name")));
    const std::uint64_t countAt = in.fileOffset();
    const std::uint32_t levels = in.u32("level count");
    ctx.fields().add("levelCount", Value::integer(levels));
    if (!ctx.parseChildren())
        return; // the structural problem is already recorded
    const std::vector<Chunk>& children = ctx.chunk.children;
    if (children.size() != levels)
        throw DecodeError(countAt, "level count " + std::to_string(levels) + " but " +
                                       std::to_string(children.size()) + " level chunk(s) follow");
    for (std::size_t i = 0; i < children.size(); ++i) {
        const Chunk& level = children[i];
        if (level.kind != ChunkKind::Nrml || level.name != "BMSH")
            throw DecodeError(level.offset, "level " + std::to_string(i) + " is '" + level.name + "', not a BMSH");
        const Value* index = level.field("level");
        if (index != nullptr && index->asInt() != static_cast<std::int64_t>(i))
            throw DecodeError(level.dataOffset, "level " + std::to_string(i) + " is numbered " +
                                                    std::to_string(index->asInt()));
    }
}

} // namespace vl2::chunkread::decoders
