#include "platform/FontConfiguration.h"

#include <fontconfig/fontconfig.h>

namespace platform {
namespace {

bool hasCacheDirectory(FcConfig* config)
{
    FcStrList* directories = FcConfigGetCacheDirs(config);
    const bool any = directories && FcStrListNext(directories);
    if (directories)
        FcStrListDone(directories);
    return any;
}

} // namespace

void setUpFontConfiguration()
{
    FcConfig* config = FcConfigCreate();
    if (!config)
        return;
    // A null file is fontconfig's own default: FONTCONFIG_FILE, or fonts.conf with what it includes.
    // Without a cache directory fontconfig adds one of its own; that case is left to it.
    if (!FcConfigParseAndLoad(config, nullptr, FcTrue) || !hasCacheDirectory(config) || !FcConfigBuildFonts(config)
        || !FcConfigSetCurrent(config)) {
        FcConfigDestroy(config);
        return;
    }
    // The current configuration holds its own reference now.
    FcConfigDestroy(config);
}

} // namespace platform
