// Icon pictures as files: PNG, a Windows .ico of PNG entries, and a C++ header for programs
// that hand their icon to the window system themselves.
#pragma once

#include <string>
#include <vector>

#include "icon_scene.h"

// Each returns false when the file could not be written.
bool WritePng(const std::string& path, const IconPicture& icon);
bool WriteIco(const std::string& path, const std::vector<IconPicture>& icons);
bool WriteIconHeader(const std::string& path, const IconPicture& icon);
