#include "platform/SndfileLibrary.h"

#include "platform/SystemLibrary.h"

namespace platform {

const SndfileLibrary* sndfileLibrary()
{
    static const SndfileLibrary* const loaded = [] () -> const SndfileLibrary* {
        static const SystemLibrary library("libsndfile.so.1");
        static SndfileLibrary functions;
        const bool complete = library.find(functions.open, "sf_open") & library.find(functions.close, "sf_close")
                              & library.find(functions.readf_float, "sf_readf_float");
        return complete ? &functions : nullptr;
    }();
    return loaded;
}

} // namespace platform
