// The string table and the softkey bars with their menus.
#pragma once

#include "platform/shell/shell.h"

namespace res {

// The text of string `id`, or null when the table has no such string.
const char* StringResource(int id);

// Softkey bar resources 4001, 4002, 4003, 4004, 4006 and 4008 with their popups.
plat::SoftkeyBarTemplate MenuBarResource(int id);

}  // namespace res
