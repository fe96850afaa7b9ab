// Laying out a popup text of 4,000 characters in ten parts: the popup manager opens it and
// steps through every part and page (tags, cuts, wrap, pages), against the font's plain wrap of
// the same text, in one run. The font is a glyph pair made from DejaVu Sans. Needs a display
// (make bench runs under xvfb-run).
#include <benchmark/benchmark.h>

#include <filesystem>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "BenchTimedApart.h"
#include "NimbrelManagers/CPopupManager.h"
#include "OffscreenRenderer.h"
#include "Vornel3D_ToolBox/CVornelFont.h"
#include "VornelUtils/UtilsString.h"
#include "VornelUtils/WorldData.h"

namespace {

constexpr size_t kCharacters = 4000;
constexpr uint32_t kParts = 10;
constexpr float kScale = 40.0f;   // the popup size without a game record
constexpr const char* kFace = "/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf";

// The popup manager on the bench's font and its one text.
class BenchPopups : public CPopupManager {
public:
    BenchPopups(WorldData* w, CVornelFont* font, const std::u16string* text)
        : CPopupManager(w), m_font(font), m_text(text) {}

protected:
    CVornelFont* Font() const override { return m_font; }
    const char16_t* StringAt(int32_t) const override { return m_text->c_str(); }
    int32_t PopupTextBase() const override { return 0; }
    void StartTransition() override {}
    Status AfterClose() override { return kStatusOk; }

private:
    CVornelFont* m_font;
    const std::u16string* m_text;
};

struct Scene {
    COffscreenRenderer renderer;
    std::unique_ptr<CVornelFont> font;
    std::unique_ptr<BenchPopups> popups;
    std::u16string text;
    std::vector<char16_t> wrapped;
    bool ready = false;
};

// Ten parts of French words with a tag block each, '#' between them.
std::u16string Text()
{
    const std::u16string words = u"Le cadran de l'horloge tourne, la cl\u00e9 ouvre le tiroir du bureau. ";
    std::u16string text;
    for (uint32_t part = 0; part < kParts; ++part) {
        std::u16string body = u"\\A=1,S=2\\";
        while (body.size() < kCharacters / kParts - 1)
            body += words;
        body.resize(kCharacters / kParts - 1);
        text += body + (part + 1 < kParts ? u"#" : u"");
    }
    return text;
}

bool MakeScene(Scene& s)
{
    std::string error;
    if (!std::filesystem::exists(kFace) || !s.renderer.Open(1024, 768, error))
        return false;
    const std::filesystem::path folder =
        std::filesystem::temp_directory_path() / ("bench_popups-" + std::to_string(std::random_device()()));
    std::filesystem::create_directories(folder);
    std::filesystem::copy_file(kFace, folder / "face.ttf", std::filesystem::copy_options::overwrite_existing);
    CVornelFont writer(nullptr);
    const bool rendered = Succeeded(writer.RenderTTF(UtilsString_FromUtf8((folder / "face.ttf").c_str()).c_str(), 20, 2));
    std::filesystem::path glyph, sheet;
    for (const auto& entry : std::filesystem::directory_iterator(folder))
        (entry.path().extension() == ".glyph" ? glyph : sheet) = entry.path();
    s.font = std::make_unique<CVornelFont>(s.renderer.World());
    const bool loaded = rendered && Succeeded(s.font->Init(kFontGlyph, kFontScreenObject, kFontDefaultMaxChars)) &&
                        Succeeded(s.font->LoadFontGlyphFromFile(UtilsString_FromUtf8(sheet.c_str()).c_str(),
                                                                UtilsString_FromUtf8(glyph.c_str()).c_str()));
    std::filesystem::remove_all(folder);
    WorldData* w = s.renderer.World();
    w->virtualWidth = 1024;
    w->virtualHeight = 768;
    s.text = Text();
    s.wrapped.resize(s.text.size() * 2 + 2);
    s.popups = std::make_unique<BenchPopups>(w, s.font.get(), &s.text);
    return loaded && Succeeded(s.popups->Load());
}

Scene& GetScene()
{
    static Scene scene;
    static const bool ready = scene.ready = MakeScene(scene);
    (void)ready;
    return scene;
}

// Opens the text and steps to its end: every part laid out, every page made current.
void LayOutPopup(Scene& s)
{
    s.popups->ShowStringIndex(0);
    while (s.popups->IsPopupOpen())
        s.popups->OnMouseUp(0.0f, 0.0f, 0);
}

void WrapPlain(Scene& s)
{
    s.font->WrapText(kScale, 0, s.text.c_str(), s.wrapped.data(), uint32_t(s.wrapped.size()), uint16_t(1024 * 0.9f),
                     u' ', u"", u"", 0);
    benchmark::DoNotOptimize(s.wrapped.data());
}

// "ratio": the popup layout's time over the plain wrap's (target: within 1.3).
void PopupOverWrap(benchmark::State& state)
{
    Scene& s = GetScene();
    if (!s.ready) {
        state.SkipWithError("no display, no GL context or no DejaVu Sans");
        return;
    }
    TimeApart(state, [&] { LayOutPopup(s); }, [&] { WrapPlain(s); });
}

}  // namespace

BENCHMARK(PopupOverWrap)->Unit(benchmark::kMicrosecond)->MinTime(1.0)->UseRealTime()->Repetitions(5)
    ->ReportAggregatesOnly(true);
