#pragma once
// Scenes built in the process's host, exported through the model translator
// and read back with the inspector's reader.
#include <chunkread/ChunkReader.h>

#include <maya/MObject.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace vl2test {

struct MeshSpec {
    std::vector<float> points;        // x y z
    std::vector<int> counts;          // corners per face
    std::vector<int> connects;        // vertex per corner
};

MeshSpec quad(float size = 1.0f);
MeshSpec cube(float size = 1.0f);

class SceneExport : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    // Runs MEL; fails the test on an error.
    void mel(const std::string& text);
    // A mesh shape under an existing transform, in the default shading group.
    MObject meshUnder(const std::string& transform, const MeshSpec& spec);
    // Exports the scene ("export" or "selection"), returning the file read back.
    vl2::chunkread::ChunkFile exportScene(const std::string& options, const std::string& name = "model",
                                          bool selectionOnly = false);
    std::string dir;
    std::string log;  // everything the run log echoed during the last export
    std::string melErrors;
};

}  // namespace vl2test
