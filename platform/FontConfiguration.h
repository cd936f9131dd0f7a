#pragma once

// Sets up the system's font configuration before Qt asks for it, without the pass fontconfig makes
// over its template directory (every file of conf.avail parsed only to record its description for
// configuration tools, none of them applied). The configuration that results is the one fontconfig
// would build by itself: the same files, the user's included, the same fonts; text is drawn the
// same, byte for byte. Call it before the application object; when the configuration cannot be
// read it leaves everything to fontconfig's own start.
namespace platform {

void setUpFontConfiguration();

} // namespace platform
