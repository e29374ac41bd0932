#pragma once
// Starts documents and programs on the desktop: the document through the
// desktop's handler, programs with an argument vector and no shell.
#include "app/HelpIndex.h"

namespace vx {

class DesktopLauncher : public Launcher {
public:
    int openDocument(const std::string& path) override;
    int start(const std::vector<std::string>& argv) override;
};

}  // namespace vx
