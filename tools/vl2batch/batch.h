#pragma once
#include <string>
#include <vector>

namespace vl2batch {

// One step of a batch run, in the order given on the command line.
struct Step {
    enum Kind { Command, Script, Open, Import, Export, LoadPlugin, Save } kind;
    std::string text;     // MEL, a path or a plug-in name
    std::string type;     // translator for Import/Export
    std::string options;  // translator options
    bool selected = false;
};

struct Options {
    std::vector<Step> steps;
    bool autoLoad = true;
    bool help = false;
};

// Parses the command line; false with *error set on misuse.
bool parseArgs(const std::vector<std::string>& args, Options& out, std::string* error);

// The MEL each step runs.
std::string melFor(const Step& s);

// Text of --help.
std::string usage();

// Runs every step; the exit status: 0 all done, 1 a step failed.
int run(const Options& o);

}  // namespace vl2batch
