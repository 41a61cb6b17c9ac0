// vl2inspect: shows what the tool set writes and checks its structure.
#include "inspect.h"

#include <CLI/CLI.hpp>

#include <iostream>

int main(int argc, char** argv)
{
    vl2::inspect::InspectOptions opts;
    std::string path;
    CLI::App app{"Show the chunk tree of a model, animation or cinematic file (or a layered image) "
                 "and check its structure."};
    app.add_option("file", path, "File to inspect")->required();
    app.add_flag("--json", opts.json, "Print the tree with its decoded fields as JSON");
    app.add_flag("--check", opts.check, "Only verify the structure; non-zero exit status on failure");
    app.add_flag("--full", opts.full, "Print every item of long lists");
    app.add_option("--png", opts.pngPath, "Layered images: write the composite (or --layer N) to this PNG file");
    app.add_option("--layer", opts.pngLayer, "Layered images: the layer --png writes (default: the composite)");
    try {
        app.parse(argc, argv);
    } catch (const CLI::CallForHelp& e) {
        return app.exit(e);
    } catch (const CLI::ParseError& e) {
        app.exit(e);
        return vl2::inspect::kExitUnsupported;
    }
    const int status = vl2::inspect::inspectFile(path, opts, std::cout, std::cerr);
    std::cout.flush();
    return status;
}
