#pragma once
// The program's options:
// --simulate[=KIND]: connect to the simulated kit (ARBORD unless KIND says
// BRANT, COBALT or COBALT-16WIDE) as if the user had chosen it in the serial
// window and pressed Ok.
// --sim-input CHANNEL=KIND:ITEMS (or --sim-input=...), as often as needed: what
// the simulated kit's channel reads instead of its demonstration signal (see
// sim/InputSpec.h); implies --simulate.
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "sim/InputSpec.h"
#include "support/ModuleKind.h"

namespace vx {

struct CommandLine {
    bool simulate = false;
    ModuleKind kind = ModuleKind::Arbord;
    std::vector<ChannelInput> inputs;
    std::string error;  // not empty when the arguments are not understood
};

CommandLine ParseCommandLine(const std::vector<std::string>& arguments);

// The loader file of a module kind: "KIT7318.ARB" and its siblings.
std::string LoaderFileFor(ModuleKind kind);

// The loader file as the program opens it: the name in the current folder
// when it is there, else beside the executable, else in the installed data
// folder, else the name as it is (the connection then reports it missing).
std::string FindLoaderFile(const std::string& name, const std::string& executablePath);

// Where an installed program keeps its loader and help files: share/vx7318kit
// beside the bin/ folder that holds the executable.
std::filesystem::path DataFolder(const std::string& executablePath);

}  // namespace vx
