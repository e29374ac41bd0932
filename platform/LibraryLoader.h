#pragma once
// A shared library loaded at run time, and the entries it exports.
#include <string>

namespace vx {

class LibraryLoader {
public:
    LibraryLoader() = default;
    ~LibraryLoader();
    LibraryLoader(const LibraryLoader&) = delete;
    LibraryLoader& operator=(const LibraryLoader&) = delete;

    // A plain name is looked for in the system's library search path; a name
    // with a "/" is taken as a path. False when it cannot be loaded.
    bool load(const std::string& name);
    bool loaded() const { return handle_ != nullptr; }
    // The exported entry of that name, or null.
    void* symbol(const char* name) const;
    // Frees the library; its entries must not be called afterwards.
    bool unload();
    // Why the last load or unload failed.
    const std::string& lastError() const { return lastError_; }

private:
    void* handle_ = nullptr;
    std::string lastError_;
};

}  // namespace vx
