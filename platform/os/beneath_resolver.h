// Resolving a relative path beneath a base folder without ever leaving it.
//
// The walk opens one component at a time relative to the folder reached so far and never
// lets the kernel follow a symbolic link: a link is read and its target walked the same way,
// "..", absolute targets included, so a target that stays beneath the base is followed and
// one that leaves it (or loops) makes the whole path unresolvable. A planted link, a renamed
// folder or a race between two steps can therefore never carry the walk outside the base.
#pragma once

#include <sys/stat.h>

#include <string>
#include <vector>

#include "platform/os/unique_fd.h"

namespace plat {

// A folder that paths resolve beneath: the device root or a mounted card.
struct ResolveBase {
    std::string hostPath;  // canonical host path of the folder (no trailing "/")
};

struct Resolved {
    UniqueFd parent;       // the folder holding the object (an O_PATH descriptor)
    std::string name;      // the object's name in `parent`; "" when the object is the base
    std::string hostPath;  // host path of the object, for messages and outside programs
    bool exists = false;   // false when only the last component is missing
    struct stat st {};     // the object's metadata (of the link itself when not followed)
};

// Resolves `components` (host names, none empty, "." or "..") beneath `base`. With
// `followLast` a final link is followed; otherwise the link itself is the object. A
// component that is not found by its exact name is looked up case-insensitively (the
// device's own rule), exact spellings first. False when the path leaves the base, loops,
// passes through something that is not a folder, or a folder on the way is missing.
bool ResolveBeneath(const ResolveBase& base, const std::vector<std::string>& components,
                    bool followLast, Resolved* out);

// The entry of folder `dirFd` whose name equals `name` case-insensitively; when several do,
// the smallest by bytes. False when there is none.
bool FindNameNoCase(int dirFd, const std::string& name, std::string* found);

}  // namespace plat
