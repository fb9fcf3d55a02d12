// File attributes the host file system has no bits for, kept as extended attributes.
//
// The hidden attribute is the extended attribute "user.velloran.hidden" (value "1"). Where
// the host file system has no user extended attributes, setting it fails and the file is
// otherwise unchanged.
#pragma once

#include <string>

namespace plat {

constexpr const char* kHiddenAttributeName = "user.velloran.hidden";

// Adds the hidden attribute to a regular file of the device. False when the path is refused,
// is not a regular file (links and special files are never opened), or the host file system
// cannot hold the attribute.
bool SetHiddenAttribute(const std::string& devicePath);
bool HasHiddenAttribute(const std::string& devicePath);

}  // namespace plat
