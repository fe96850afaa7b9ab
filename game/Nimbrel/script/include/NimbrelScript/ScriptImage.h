#pragma once
// Compiled script images: a module's function tree and file-name table as bytes, so that a
// script can be loaded without compiling its source again. The loaders
// (ScriptModule_CompileMemory, ScriptModule_CompileFile) tell an image from source text by its
// first u32, kScriptImageMagic.
//
// Functions are stored without the builtin nodes the loader binds, and instructions name
// functions by their place in the root's child list: an image holds only for a module that
// registers the same builtins in the same order as the one that wrote it. The reader checks
// what the instructions name against the module it reads into, so an image made for more
// builtins than are registered is refused rather than calling the wrong function.
#include "NimbrelScript/ScriptVM.h"

#include <cstddef>
#include <cstdint>

// Layout words of the header.
constexpr uint32_t kScriptImageFormat = 0x00010000u;
constexpr uint32_t kScriptImageVersionWord = 1;
constexpr uint8_t kScriptImageFlag = 1;

// Writes the module's image to a new file ("wb"): kScriptFileOpen when the file cannot be
// created, kScriptFileRead when a write fails; the file is closed in every case.
Status ScriptModule_WriteImage(ScriptVM* vm, ScriptModule* module, const char16_t* path);
Status ScriptModule_WriteImageA(ScriptVM* vm, ScriptModule* module, const char* path);
// The image as a new heap buffer (UtilsMalloc; the caller frees it), null when out of memory.
uint8_t* ScriptModule_WriteImageMemory(ScriptVM* vm, ScriptModule* module, size_t* length);

// Reads an image into a module that its loader has cleared and bound the builtins of. Reading
// past the end gives kScriptFailed; a version other than 1 kScriptImageVersion; a second
// version other than 1 or a flag other than 1 kScriptFileRead; an image whose instructions,
// blocks or functions do not fit the tree read, or the module's builtins, kScriptFailed with a
// message. The module keeps its own id, and its state stays 0 until the whole image was read
// and checked; after a failure it holds what was read, for its next load to clear.
Status ScriptReadImage(ScriptVM* vm, ScriptModule* module, const void* data, size_t length);
