// The program's state as one JSON object, for scripts and end-to-end tests.
#pragma once

#include <string>

std::string BuildStateJson();
