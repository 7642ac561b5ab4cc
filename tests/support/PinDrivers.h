#pragma once

#include <dlfcn.h>
#include <link.h>

#include <cstring>

namespace gyrelle::testing {

// Mesa unloads its driver when EGL shuts down, and LeakSanitizer then reports the
// driver's own allocations from an unknown module with no way to tell them apart.
// Keeping the loaded driver libraries resident leaves them reachable, so what the
// leak checker reports is ours.
inline void pinGraphicsDrivers() {
    dl_iterate_phdr(
        [](dl_phdr_info* info, size_t, void*) {
            const char* name = info->dlpi_name;
            if (name && (std::strstr(name, "/dri/") || std::strstr(name, "libgallium") ||
                         std::strstr(name, "libLLVM") || std::strstr(name, "mesa"))) {
                dlopen(name, RTLD_NOW | RTLD_NOLOAD | RTLD_NODELETE);
            }
            return 0;
        },
        nullptr);
}

}  // namespace gyrelle::testing
