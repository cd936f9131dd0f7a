#include "platform/PulseLibrary.h"

#include "platform/SystemLibrary.h"

namespace platform {

const PulseLibrary* pulseLibrary()
{
    static const PulseLibrary* const loaded = [] () -> const PulseLibrary* {
        static const SystemLibrary library("libpulse.so.0");
        static PulseLibrary functions;
        bool complete = library.loaded();
#define TARBALUN_PULSE_FIND(name) complete = library.find(functions.name, "pa_" #name) && complete;
        TARBALUN_PULSE_FUNCTIONS(TARBALUN_PULSE_FIND)
#undef TARBALUN_PULSE_FIND
        return complete ? &functions : nullptr;
    }();
    return loaded;
}

} // namespace platform
