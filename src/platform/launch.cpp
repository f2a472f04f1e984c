#include "platform/launch.h"

#include "platform/host/host.h"

void TellUser(const std::string& text, bool error) { host::TellUser(text.c_str(), error); }

std::int32_t DesktopScale() { return host::DesktopScale(); }

void StartFullScreen(bool fullScreen) { host::SetStartFullScreen(fullScreen); }
