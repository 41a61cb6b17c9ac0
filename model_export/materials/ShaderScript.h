#pragma once
// The game's shader scripts (".st"): the parameters a material must supply.
// Only lines starting with "static" or "static_opt" declare parameters:
//
//   static Colour $diffuse
//   static(Texture, $normals)
//   static_opt Colour $glowtint
//
// Tokens are separated by blanks, commas, parentheses and line ends.

#include <cstdint>
#include <string>
#include <vector>

namespace vl2 {

enum ShaderParamType : std::int32_t { kParamFloat = 1, kParamInt = 2, kParamColour = 4, kParamTexture = 5 };

constexpr std::size_t kMaxParamName = 63;
constexpr std::size_t kMaxScriptLine = 1023;

struct ShaderParam {
    std::int32_t type = 0;
    std::string name;
    bool optional = false;  // declared with static_opt
};

// Parses script text; `path` only names the file in messages. False with
// `message` set on the first bad parameter line ("Syntax error on %s:%d..."
// or "Invalid parameter type (%s) in %s:%d...").
bool parseShaderScriptText(const std::string& text, const std::string& path, std::vector<ShaderParam>& params,
                           std::string& message);

// Reads and parses a script file (Windows separators and letter case are
// matched as the data were authored). A file that cannot be opened fails
// with an empty message.
bool parseShaderScript(const std::string& path, std::vector<ShaderParam>& params, std::string& message);

// Longest script file read; a bigger file is not a shader script.
constexpr std::size_t kMaxScriptFile = 1u << 20;

}  // namespace vl2
