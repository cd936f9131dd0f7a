#pragma once

// Opens a system library by its soname when it is first needed, and finds its functions. The
// sound libraries come in this way so that a program that has not played yet has not loaded them:
// the window's first paint does not wait for them. Their headers give the functions' types only.
// A library that cannot be loaded leaves its table null, and the caller does without it.

#include <dlfcn.h>

namespace platform {

class SystemLibrary {
public:
    explicit SystemLibrary(const char* soname)
        // Kept for the process's life: the library's own threads and callbacks may still run at exit.
        : m_handle(dlopen(soname, RTLD_NOW | RTLD_LOCAL))
    {
    }

    bool loaded() const { return m_handle != nullptr; }

    // Sets `function` to the library's symbol `name`; returns whether it was found.
    template <typename Function>
    bool find(Function& function, const char* name) const
    {
        function = m_handle ? reinterpret_cast<Function>(dlsym(m_handle, name)) : nullptr;
        return function != nullptr;
    }

private:
    void* m_handle;
};

} // namespace platform
