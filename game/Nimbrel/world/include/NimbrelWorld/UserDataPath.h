#pragma once
// The per-user folder: everything the game writes for the player (the options file and the
// profiles) lives in "<word> <application>\" under the user's data folder.
#include "VornelUtils/Status.h"

// The user's data folder with its trailing separator, in a buffer of kWorldTextSize
// characters. kStatusFailed (buffer empty) when there is none or it does not fit.
Status GetAppDataFolder(char16_t* buffer);

// Creates every missing level of a folder path; levels that exist are accepted. The path,
// in a buffer of kWorldTextSize characters, changes in place: every '/' becomes '\\' and it
// ends with '\\'. kStatusFailed when a level cannot be made or the final '\\' does not fit.
Status CreateDirectoryChain(char16_t* path);
