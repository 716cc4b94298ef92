#pragma once
// Icon groups, cursor groups and bitmaps of 32-bit executables and libraries,
// read through ResourceModule.
#include <string>

#include "formats/CommonData.h"

namespace gw {

class ResourceModule;

// Status 1 when the module does not open, else 0. Groups and bitmaps beyond
// the caller-sized lists are ignored. A group resource that cannot be found
// leaves cd.LastError set and ends the load (earlier groups stay loaded).
uint8_t LoadIconsPE(CommonData& cd, const std::string& path);
uint8_t LoadCursorsPE(CommonData& cd, const std::string& path);
uint8_t LoadBitmapsPE(CommonData& cd, const std::string& path);

// The same over a module already open (path names it in messages); these
// never fail to open, so status 1 means only a group that cannot be found.
uint8_t LoadIconsPE(CommonData& cd, const ResourceModule& module, const std::string& path);
uint8_t LoadCursorsPE(CommonData& cd, const ResourceModule& module, const std::string& path);
uint8_t LoadBitmapsPE(CommonData& cd, const ResourceModule& module);

} // namespace gw
