#pragma once
// A picture drawn from a recipe: layers drawn in order over a transparent canvas, each blended
// source-over. Colours are #RRGGBB or #RRGGBBAA, coordinates are pixels with y down (a pixel's
// centre is at +0.5), and files are named relative to the recipe's folder. The recipe:
//
//   size WxH                              first; at most 8192x8192
//   seed N                                the noise generator's seed (1 by default)
//   fill COLOUR
//   gradient linear X0 Y0 X1 Y1 STOP STOP...   STOP is AT:COLOUR, AT from 0 to 1
//   gradient radial CX CY R STOP STOP...
//   rect X Y W H COLOUR [outline WIDTH] [round RADIUS]
//   disc CX CY R COLOUR
//   ring CX CY R WIDTH COLOUR             the band of WIDTH inside the radius R
//   polygon COLOUR X Y X Y X Y...         even-odd filled
//   line X0 Y0 X1 Y1 WIDTH COLOUR
//   noise SCALE AMPLITUDE grey|rgb        value noise every SCALE pixels, added to the colours
//                                         as up to AMPLITUDE (0 to 1) of full scale
//   text X Y SIZE left|centre|right COLOUR "TEXT" [font FILE]
//                                         one line at a pixel size, Y its baseline, X where the
//                                         alignment puts it; DejaVu Sans unless a font is named
//   picture FILE X Y [W H]                a PNG, JPEG or TGA picture, or another recipe, placed
//                                         and scaled to W x H
//   grid COLSxROWS [cell WxH] FILE...     a sheet: the files (pictures or recipes, "-" for an
//                                         empty cell) fill the cells row by row, each scaled to
//                                         its cell; cells divide the canvas evenly, or have the
//                                         given size from the top-left
//
// The same recipe gives the same bytes on every machine: noise comes from the engine's
// Mersenne Twister with the recipe's seed.
#include <string>
#include <vector>

#include "Vornel3D_ToolBox/RecipeCanvas.h"
#include "VornelUtils/Status.h"

// Draws the recipe file onto a new canvas. error gets "FILE:LINE: reason" on failure; inputs,
// when given, gets every file read (the recipe, the recipes and pictures it includes, fonts).
Status ImageRecipe_Draw(const std::string& path, CRecipeCanvas& canvas, std::string& error,
                        std::vector<std::string>* inputs = nullptr);
// The same from a recipe's text; name stands for its path (files are found beside it).
Status ImageRecipe_DrawText(const std::string& name, const std::string& text, CRecipeCanvas& canvas,
                            std::string& error, std::vector<std::string>* inputs = nullptr);
