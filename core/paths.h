// Device paths: "\" is the root and the separator; at most 259 UTF-16 units.
#pragma once

#include <string>

#include "platform/os/device_fs.h"

// True when the file or folder exists. A trailing "\" is removed from `path` itself first
// (except for the root "\"); `info` receives the entry's details when given.
bool Exists(std::string* path, plat::FileInfo* info = nullptr);
bool Exists(const std::string& path);
// Removes one trailing "\" from `path`, except from the root "\".
void DropTrailingSeparator(std::string* path);
// The parent of `path`: 1 with `out` set, or 0 for the root (out = "\") or an empty path.
int ParentFolder(const std::string& path, std::string* out);
// The program's folder on the device.
int ProgramFolder(std::string* out);
std::string JoinPath(const std::string& folder, const std::string& name);
// The name after the last "\", without its extension unless `keepExtension`; 0 when empty.
int FileTitle(const std::string& path, std::string* out, bool keepExtension);
int LastIndexOf(const std::string& text, char character);
std::string LeftPart(const std::string& text, size_t count);
std::string RightPart(const std::string& text, size_t count);
// The voice note of a picture: its full path with ".wav" appended.
std::string VoiceNoteName(const std::string& path);
// 1 BMP, 2 GIF, 3 JPEG by the first two bytes; -1 otherwise.
int PictureTypeFromContent(const std::string& path);

// Where the program lives on the device.
constexpr const char* kProgramFolder = "\\Program Files\\Velloran";
