// The dialog templates: 4014 (send via infrared) and 7001-7008.
#pragma once

#include "platform/toolkit/dialog.h"

namespace res {

// The template of dialog `id`, or null when there is none.
const plat::DialogTemplate* DialogResource(int id);

}  // namespace res
