#pragma once
// The scene's lights for background exports: one LITE chunk listing the
// point, directional and ambient lights.

#include <cstdint>
#include <string>
#include <vector>

namespace vl2 {

class ChunkWriter;

enum LightType : std::int32_t { kLightAmbient = 0, kLightPoint = 1, kLightDirectional = 2 };
enum LightAttenuation : std::int32_t { kAttenuationNone = 0, kAttenuationLinear = 1, kAttenuationQuadratic = 2 };

struct LightRecord {
    std::string name;  // the light's transform
    std::int32_t type = kLightAmbient;
    float vector[3] = {0, 0, 0};  // position (point), z axis (directional), zero (ambient)
    float colour[3] = {0, 0, 0};  // colour x intensity
    float halfColour[3] = {0, 0, 0};
    std::int32_t attenuation = kAttenuationNone;
    float distance = 0;
};

// Every light node of the scene in creation order. Lights of other kinds
// (spot, area) are left out with a warning: the file has no type for them.
std::vector<LightRecord> collectLights();

bool writeLights(ChunkWriter& writer, const std::vector<LightRecord>& lights);

}  // namespace vl2
