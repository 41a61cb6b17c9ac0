#include "batch.h"

#include <cstdio>
#include <iostream>

int main(int argc, char** argv) {
    std::vector<std::string> args(argv + 1, argv + argc);
    vl2batch::Options options;
    std::string error;
    if (!vl2batch::parseArgs(args, options, &error)) {
        std::cerr << "vl2batch: " << error << "\n" << "Try 'vl2batch --help'.\n";
        return 2;
    }
    if (options.help || options.steps.empty()) {
        std::cout << vl2batch::usage();
        return options.help ? 0 : 2;
    }
    return vl2batch::run(options);
}
