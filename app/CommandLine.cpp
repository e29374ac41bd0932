#include "app/CommandLine.h"

#include <filesystem>

namespace vx {

CommandLine ParseCommandLine(const std::vector<std::string>& arguments) {
    static const std::pair<const char*, ModuleKind> kinds[] = {{"ARBORD", ModuleKind::Arbord},
                                                               {"BRANT", ModuleKind::Brant},
                                                               {"COBALT", ModuleKind::Cobalt},
                                                               {"COBALT-16WIDE", ModuleKind::Cobalt16Wide}};
    CommandLine line;
    const std::string option = "--simulate";
    const std::string inputOption = "--sim-input";
    for (std::size_t i = 0; i < arguments.size(); ++i) {
        const std::string& argument = arguments[i];
        if (argument == inputOption || argument.rfind(inputOption + "=", 0) == 0) {
            std::string text;
            if (argument.size() > inputOption.size())
                text = argument.substr(inputOption.size() + 1);
            else if (i + 1 < arguments.size())
                text = arguments[++i];
            const auto input = ParseInputSpec(text, line.error);
            if (!input) return line;
            line.inputs.push_back(*input);
            line.simulate = true;
            continue;
        }
        if (argument == option) {
            line.simulate = true;
            continue;
        }
        if (argument.rfind(option + "=", 0) == 0) {
            const std::string kind = argument.substr(option.size() + 1);
            bool known = false;
            for (const auto& [name, value] : kinds)
                if (kind == name) {
                    line.kind = value;
                    known = true;
                }
            if (!known) {
                line.error = "Unknown module kind \"" + kind + "\": use ARBORD, BRANT, COBALT or COBALT-16WIDE.";
                return line;
            }
            line.simulate = true;
            continue;
        }
        line.error = "Unknown argument \"" + argument +
                     "\". Usage: vx7318kit [--simulate[=KIND]] [--sim-input CHANNEL=KIND:ITEMS]...";
        return line;
    }
    return line;
}

std::string LoaderFileFor(ModuleKind kind) {
    switch (kind) {
    case ModuleKind::Brant: return "KIT7318.BRT";
    case ModuleKind::Cobalt: return "KIT7318.COB";
    case ModuleKind::Cobalt16Wide: return "KIT7318.CWD";
    default: return "KIT7318.ARB";
    }
}

std::string FindLoaderFile(const std::string& name, const std::string& executablePath) {
    namespace fs = std::filesystem;
    std::error_code error;
    if (fs::is_regular_file(name, error)) return name;
    const fs::path beside = fs::path(executablePath).parent_path() / name;
    if (fs::is_regular_file(beside, error)) return beside.string();
    const fs::path installed = DataFolder(executablePath) / name;
    if (fs::is_regular_file(installed, error)) return installed.string();
    return name;
}

std::filesystem::path DataFolder(const std::string& executablePath) {
    return std::filesystem::path(executablePath).parent_path().parent_path() / "share" / "vx7318kit";
}

}  // namespace vx
