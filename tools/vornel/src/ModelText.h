#pragma once
// The text form of a ".3dx" model that `vornel model info` prints and `vornel model build`
// reads back. Lines, in this order ('#' starts a comment):
//   model groups G vertices V indices I index-width W
//   blocks position normal diffuse color2 uv material triple group-name texture-name
//          texture-kind texture-flags modifiers        (the optional blocks the file holds)
//   other-flags 0xXXXXXXXX                              (header bits of no block, if any)
//   modifier-table yes|no                               (with the modifiers block)
// then per group:
//   group N [id ID] [link L] base B vertices V first F indices I [primitives P] [type T] [face M]
//   name "TEXT"   triple A B C   texture-name "TEXT"   texture-kind 0xK   texture-flags 0xF
//   material diffuse R G B A ambient R G B A specular R G B A emissive R G B A power P
//   track KIND [group G] [step S]      KIND: Scale Position Rotation DirectAlpha DirectColor
//                                            VertexPosition VertexTexture
//   entry KEY OFFSET                   (the schedule; without entries it is made from the keys)
//   key DURATION VALUE...              (Scale, DirectAlpha: one number; Position, Rotation:
//                                       x y z; DirectColor: 0xAARRGGBB; the vertex kinds: none,
//                                       followed by its triangles)
//   triangle X Y Z X Y Z X Y Z  |  triangle U V U V U V
// and last the vertices and indices:
//   vertex X Y Z normal X Y Z diffuse 0xARGB color2 0xARGB uv U V
//   index I I I ...
// -1 stands for 0xFFFFFFFF in id and link. Numbers are written so that they read back to the
// same bits, so `info --vertices` then `build` gives the file our writer made, byte for byte.
#include <cstdint>
#include <cstdio>
#include <string>

#include "Vornel3D/C3DObjectRaw.h"

struct CModelBlockName {
    uint32_t flag;
    const char* name;
};

constexpr CModelBlockName kModelBlockNames[] = {
    {k3dxPosition, "position"},        {k3dxNormal, "normal"},          {k3dxDiffuse, "diffuse"},
    {k3dxColor2, "color2"},            {k3dxUV, "uv"},                  {k3dxMaterial, "material"},
    {k3dxTriple, "triple"},            {k3dxGroupName, "group-name"},   {k3dxTextureName, "texture-name"},
    {k3dxTextureKind, "texture-kind"}, {k3dxTextureFlags, "texture-flags"}, {k3dxModifiers, "modifiers"},
};

// Track kind names, by modifier kind.
constexpr const char* kModelTrackNames[] = {"Scale",       "Position",       "Rotation",     "DirectAlpha",
                                            "DirectColor", "VertexPosition", "VertexTexture"};

// The blocks a converted model is written with: all of them.
constexpr uint32_t kModelAllBlocks = k3dxVertexBlocks | k3dxMaterial | k3dxTriple | k3dxGroupName | k3dxModifiers |
                                     k3dxTextureName | k3dxTextureKind | k3dxTextureFlags;

// Prints the model with the header flags it is written with (the vertices and indices only
// when asked).
void ModelText_Print(std::FILE* out, const C3DObjectRaw& raw, uint32_t flags, bool vertices);
// Reads the text into the raw model and the flags to write it with; false with "FILE:LINE:
// reason" in error.
bool ModelText_Read(const std::string& name, const std::string& text, C3DObjectRaw& raw, uint32_t& flags,
                    std::string& error);
