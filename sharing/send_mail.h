// Sending the picture under the cursor as an attachment of a new message of the phone's mail
// program.
#pragma once

#include <string>

struct AppState;

// The mail program and the command line that hands it `path` as an attachment.
constexpr const char* kMailProgram = "\\Windows\\tmail.exe";
std::string MailCommandLine(const std::string& path);

// Starts the mail program for the picture under the cursor and returns at once; a folder or no
// entry does nothing, and a mail program that cannot be started shows nothing.
void SendPictureByMail(AppState* app);
