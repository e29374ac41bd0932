// Writes the module applications as loader files into the folder given as the
// only argument: KIT7318.ARB, .BRT, .COB and .CWD.
#include "sim/LoaderImage.h"

#include <fstream>
#include <iostream>

namespace vx {}  // namespace vx

using namespace vx;

int main(int argc, char** argv) {
    if (argc != 2) {
        std::cerr << "usage: vx_make_loaders FOLDER\n";
        return 2;
    }
    for (ModuleKind kind : {ModuleKind::Arbord, ModuleKind::Brant, ModuleKind::Cobalt, ModuleKind::Cobalt16Wide}) {
        const std::string path = std::string(argv[1]) + "/" + loaderFileName(kind);
        std::ofstream out(path, std::ios::binary);
        out << loaderFileText(kind);
        if (!out) {
            std::cerr << "cannot write " << path << "\n";
            return 1;
        }
    }
    return 0;
}
