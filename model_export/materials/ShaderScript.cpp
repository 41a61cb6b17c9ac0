#include "ShaderScript.h"

#include <platform/platform.h>

#include <cstdio>

namespace vl2 {

namespace {

bool isSeparator(char c)
{
    return c == ' ' || c == '\t' || c == ',' || c == '(' || c == ')' || c == '\r' || c == '\n' || c == '\v' ||
           c == '\f';
}

std::vector<std::string> tokens(const std::string& line)
{
    std::vector<std::string> out;
    std::string current;
    for (char c : line) {
        if (isSeparator(c)) {
            if (!current.empty())
                out.push_back(std::move(current));
            current.clear();
        } else {
            current += c;
        }
    }
    if (!current.empty())
        out.push_back(std::move(current));
    return out;
}

bool startsWith(const std::string& s, const char* prefix)
{
    return s.compare(0, std::char_traits<char>::length(prefix), prefix) == 0;
}

std::string format(const char* fmt, const std::string& a, const std::string& b, int line)
{
    char buffer[2048];
    std::snprintf(buffer, sizeof buffer, fmt, a.c_str(), b.c_str(), line);
    return buffer;
}

}  // namespace

bool parseShaderScriptText(const std::string& text, const std::string& path, std::vector<ShaderParam>& params,
                           std::string& message)
{
    params.clear();
    message.clear();
    int lineNumber = 0;
    std::size_t at = 0;
    while (at < text.size()) {
        std::size_t end = text.find('\n', at);
        if (end == std::string::npos)
            end = text.size();
        const std::string line = text.substr(at, end - at);
        at = end + 1;
        ++lineNumber;

        const std::vector<std::string> words = tokens(line);
        if (words.empty() || (words[0] != "static" && words[0] != "static_opt"))
            continue;
        // A parameter line longer than the line buffer would be split into
        // two lines; it is refused instead of being half read.
        if (words.size() != 3 || line.size() > kMaxScriptLine || words[2].size() > kMaxParamName) {
            char buffer[2048];
            std::snprintf(buffer, sizeof buffer, "Syntax error on %s:%d.  Please verify with programmer.",
                          path.c_str(), lineNumber);
            message = buffer;
            return false;
        }
        ShaderParam p;
        const std::string& type = words[1];
        if (startsWith(type, "Texture"))
            p.type = kParamTexture;
        else if (startsWith(type, "Float"))
            p.type = kParamFloat;
        else if (startsWith(type, "Int"))
            p.type = kParamInt;
        else if (startsWith(type, "Colour"))
            p.type = kParamColour;
        else {
            message = format("Invalid parameter type (%s) in %s:%d.  Please verify with programmer.", type, path,
                             lineNumber);
            return false;
        }
        p.name = words[2];
        p.optional = words[0] == "static_opt";
        params.push_back(std::move(p));
    }
    return true;
}

bool parseShaderScript(const std::string& path, std::vector<ShaderParam>& params, std::string& message)
{
    params.clear();
    message.clear();
    std::FILE* f = vl2platform::openFile(path, "r");
    if (f == nullptr)
        return false;
    std::string text;
    char buffer[4096];
    std::size_t got;
    bool tooBig = false;
    while ((got = std::fread(buffer, 1, sizeof buffer, f)) > 0) {
        text.append(buffer, got);
        if (text.size() > kMaxScriptFile) {
            tooBig = true;
            break;
        }
    }
    const bool readError = std::ferror(f) != 0;
    std::fclose(f);
    if (tooBig || readError) {
        message = tooBig ? "Shader script " + path + " is larger than a shader script can be."
                         : "Shader script " + path + " could not be read.";
        return false;
    }
    return parseShaderScriptText(text, path, params, message);
}

}  // namespace vl2
