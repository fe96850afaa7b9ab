#pragma once
// OpenAL with the OpenAL Soft extension prototypes (loopback rendering, buffer formats).
#define AL_ALEXT_PROTOTYPES 1
#include <AL/al.h>
#include <AL/alc.h>
#include <AL/alext.h>
