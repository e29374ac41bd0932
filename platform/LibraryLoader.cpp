#include "platform/LibraryLoader.h"

#include <dlfcn.h>

namespace vx {

namespace {
std::string dlText() {
    const char* text = dlerror();
    return text != nullptr ? text : "";
}
}  // namespace

LibraryLoader::~LibraryLoader() { unload(); }

bool LibraryLoader::load(const std::string& name) {
    if (handle_ != nullptr) unload();
    handle_ = dlopen(name.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (handle_ == nullptr) lastError_ = dlText();
    return handle_ != nullptr;
}

void* LibraryLoader::symbol(const char* name) const {
    if (handle_ == nullptr) return nullptr;
    dlerror();
    return dlsym(handle_, name);
}

bool LibraryLoader::unload() {
    if (handle_ == nullptr) return true;
    if (dlclose(handle_) != 0) {
        lastError_ = dlText();
        return false;
    }
    handle_ = nullptr;
    return true;
}

}  // namespace vx
