// The program folder's first contents: sample pictures drawn by code and the help page.
#pragma once

#include <string>

// Fills the program folder's "Samples" (pictures of all three formats, two 12-megapixel
// camera pictures, a voice note and the sub-folder "Travel") when it is missing, and writes
// "Help\index.htm" when it is missing. True when everything is in place afterwards.
bool InstallProgramFolder();

// The pieces, for callers that want one of them.
bool WriteSamplePictures(const std::string& samplesFolder);
bool WriteHelpPage(const std::string& path);
