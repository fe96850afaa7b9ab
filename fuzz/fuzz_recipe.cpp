// Picture and sound recipes: any text through both readers, and what they accept drawn. Files
// a recipe names are looked for in a folder that does not exist. Nothing may crash, overrun or
// leak; a bad recipe gives a complaint.
#include <cstdint>
#include <string>
#include <vector>

#include "Vornel3D_ToolBox/ImageRecipe.h"
#include "Vornel3D_ToolBox/RecipeReader.h"
#include "Vornel3D_ToolBox/SoundRecipe.h"

namespace {

// Pictures larger than this, and sounds dearer than this, are only read: drawing them proves
// nothing more and takes long.
constexpr uint64_t kPixelBudget = 1024 * 1024;
constexpr uint64_t kSampleBudget = 1u << 21;

// The canvas the recipe's first line asks for, or 0 when it asks for none.
uint64_t CanvasPixels(const std::string& text)
{
    CRecipeReader reader("fuzz", text);
    uint32_t width = 0, height = 0;
    if (!reader.NextLine() || reader.Count() != 2 || reader.Word(0) != "size" ||
        !reader.Size(1, kRecipeCanvasMaxSide, width, height))
        return 0;
    return uint64_t(width) * height;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size > kRecipeTextLimit)
        return 0;
    const std::string text(reinterpret_cast<const char*>(data), size);
    // Device and system files could block a read or never end.
    for (const char* name : {"dev", "proc", "sys"}) {
        if (text.find(name) != std::string::npos)
            return 0;
    }

    SoundRecipe sound;
    std::string error;
    if (Succeeded(SoundRecipe_Parse("/nonexistent/fuzz.wav.recipe", text, sound, error))) {
        std::vector<uint8_t> pcm;
        if (SoundRecipe_Cost(sound) <= kSampleBudget && Succeeded(SoundRecipe_Render(sound, pcm)) &&
            pcm.size() != size_t(SoundRecipe_FrameCount(sound)) * sound.channels * (sound.bits / 8))
            __builtin_trap();
    } else if (error.empty()) {
        __builtin_trap();
    }

    if (CanvasPixels(text) <= kPixelBudget) {
        CRecipeCanvas canvas;
        std::vector<std::string> inputs;
        if (Failed(ImageRecipe_DrawText("/nonexistent/fuzz.png.recipe", text, canvas, error, &inputs))) {
            if (error.empty())
                __builtin_trap();
        } else if (canvas.Pixels().size() != size_t(canvas.Width()) * canvas.Height() * 4) {
            __builtin_trap();
        }
    }
    return 0;
}
