#pragma once
// Each command takes the arguments after its own name and returns the process exit status:
// 0, 1 when the work failed (after saying why on standard error), or kExitUsage when the
// command line is wrong: the tool then prints the command's usage text on standard error.
#include <cstdint>
#include <string>

#include "VornelUtils/Status.h"

constexpr int kExitUsage = 2;

int CommandVersion(int argc, char** argv);
int CommandImage(int argc, char** argv);
int CommandPack(int argc, char** argv);
int CommandSettings(int argc, char** argv);
int CommandStrings(int argc, char** argv);
int CommandScript(int argc, char** argv);
int CommandSound(int argc, char** argv);
int CommandDevflags(int argc, char** argv);
int CommandModel(int argc, char** argv);
// The shape and atlas subcommands of CommandModel.
int CommandModelShape(int argc, char** argv);
int CommandModelAtlas(int argc, char** argv);
int CommandScene(int argc, char** argv);
int CommandConstruct(int argc, char** argv);
int CommandFont(int argc, char** argv);
int CommandShader(int argc, char** argv);
int CommandProfile(int argc, char** argv);
int CommandVideo(int argc, char** argv);
int CommandParticles(int argc, char** argv);
int CommandLevel(int argc, char** argv);
// The run subcommand of CommandScript.
int CommandScriptRun(int argc, char** argv);

// Why a script file gave `status` before its text was compiled, in words ("X is empty",
// "cannot read X: ..."); empty when the status is not about the file.
std::string ScriptFileProblem(const char* path, Status status);

class CVornelFont;
// Loads the font of a file into a font not yet initialised: into a CVornelFontEx a charset
// with its pages NAME.%d.png beside it; else a glyph pair by its table (the sheet beside it,
// ".png" for ".glyph"), or a TrueType face at charSize. kStatusFailed with the reason in why.
Status LoadShowFont(CVornelFont& font, const std::string& path, uint32_t charSize, std::string& why);

// "the file cannot be opened (0x8001000B)": a status in words and as a code, for messages.
std::string StatusWords(Status status);
