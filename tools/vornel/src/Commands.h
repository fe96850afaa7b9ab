#pragma once
// Each command takes the arguments after its own name and returns the process exit status.

int CommandVersion(int argc, char** argv);
int CommandImage(int argc, char** argv);
int CommandPack(int argc, char** argv);
int CommandSettings(int argc, char** argv);
int CommandScript(int argc, char** argv);
// The run subcommand of CommandScript.
int CommandScriptRun(int argc, char** argv);
