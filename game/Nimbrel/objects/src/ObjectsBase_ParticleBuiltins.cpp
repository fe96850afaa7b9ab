// addParticulesOnItems: a score pop-up, a star, a pulse or an explosion on each listed element,
// at the element's point on screen.
#include <cstdint>
#include <cstdlib>
#include <cstring>

#include "NimbrelManagers/CParticules.h"
#include "NimbrelObjects/CObjectsBase.h"
#include "NimbrelLevels/LevelValues.h"
#include "NimbrelWorld/CNimbrelWorld.h"
#include "NimbrelWorld/GameData.h"
#include "VornelUtils/WorldData.h"

namespace {

enum ParticleCommand { kParticleTextCommand, kStarCommand, kPulseCommand, kExplosionUpCommand, kExplosionAroundCommand };

struct ParticleParameters {
    uint32_t sizeClass = 16;
    uint32_t texture = 1;  // star
    uint32_t quarter = 0;
    float seconds = 1.0f;
    uint32_t color = 0xFFFFFFFFu;
};

constexpr uint32_t kParticleEnvelope = 3;
constexpr uint32_t kExplosionSizeClass = 4;
constexpr float kScoreTextSeconds = 1.0f;

bool CommandOf(const char* name, ParticleCommand* pCommand)
{
    static const char* const kNames[] = {"add_particule_text", "add_particule_star", "add_particule_pulse",
                                         "add_particule_explosion_up", "add_particule_explosion_around"};
    for (uint32_t i = 0; name && i < sizeof kNames / sizeof kNames[0]; ++i)
        if (std::strcmp(name, kNames[i]) == 0) {
            *pCommand = static_cast<ParticleCommand>(i);
            return true;
        }
    return false;
}

// Comma-separated tokens, each optional, later ones overriding earlier ones; others ignored.
ParticleParameters ReadParticleParameters(const char* text, bool withSize)
{
    ParticleParameters p;
    if (!withSize)
        p.sizeClass = kExplosionSizeClass;
    for (const char* token = text; token && *token;) {
        const char* end = std::strchr(token, ',');
        const size_t length = end ? size_t(end - token) : std::strlen(token);
        char word[64] = {};
        std::memcpy(word, token, length < sizeof word - 1 ? length : sizeof word - 1);
        if (withSize && std::strncmp(word, "size=", 5) == 0) {
            const long n = std::strtol(word + 5, nullptr, 10);
            p.sizeClass = n == 1 ? 4 : n == 2 ? 8 : n == 3 ? 12 : 16;
        } else if (std::strncmp(word, "texture=", 8) == 0) {
            static const char* const kTextures[] = {"firework", "star", "pulse", "extra"};
            for (uint32_t i = 0; i < 4; ++i)
                if (std::strcmp(word + 8, kTextures[i]) == 0)
                    p.texture = i;
        } else if (std::strncmp(word, "quarter=", 8) == 0) {
            const long n = std::strtol(word + 8, nullptr, 10);
            const long q = n == 0 ? 0 : n - 1;
            p.quarter = q < 0 || q > 3 ? 3 : uint32_t(q);
        } else if (std::strncmp(word, "seconds=", 8) == 0) {
            p.seconds = std::strtof(word + 8, nullptr);
        } else if (std::strncmp(word, "color=", 6) == 0) {
            p.color = ParseColor(word + 6, 0xFFFFFFFFu);
        }
        token = end ? end + 1 : nullptr;
    }
    return p;
}

// The score of a text pop-up: the number truncated, held within the range of an int (no
// number at all is 0).
int32_t ScoreOf(const char* text)
{
    return TruncateToInt32(std::strtof(text ? text : "", nullptr));
}

}  // namespace

Status CObjectsBase::addParticulesOnItems(ScriptBuiltinCall& call)
{
    ParticleCommand command;
    auto* world = m_pWorldData ? dynamic_cast<CNimbrelWorld*>(m_pWorldData->pWorld) : nullptr;
    CParticules* particles = world ? world->GetParticules() : nullptr;
    if (!CommandOf(call.Text(1), &command) || !particles)
        return kStatusDoneStoreResult;
    const char* parameters = call.Text(2);
    const ParticleParameters p = ReadParticleParameters(parameters, command == kStarCommand || command == kPulseCommand);
    const uint32_t frame = p.sizeClass + p.quarter;
    const GameScreenScale* screen = m_pWorldData->pGame ? &m_pWorldData->pGame->screen : nullptr;
    const float scaleX = screen ? screen->viewScaleX : 1.0f, scaleY = screen ? screen->viewScaleY : 1.0f;
    ForEachListedItem(call, call.Text(0), [&](CObjectsBase* owner, ElementRecord* element) {
        float at[3];
        owner->ProjectElementToScreen(at, element);
        const C3DVector3 point{at[0], at[1], at[2]};
        switch (command) {
        case kParticleTextCommand:
            particles->AddText(point, ScoreOf(parameters), scaleX, scaleY, kScoreTextSeconds);
            break;
        case kStarCommand:
            particles->AddStar(point, p.texture, frame, kParticleEnvelope, p.seconds, p.color, nullptr);
            break;
        case kPulseCommand:
            particles->AddPulse(point, p.texture, frame, kParticleEnvelope, p.seconds, 0, p.color, nullptr);
            break;
        case kExplosionUpCommand:
            particles->AddExplosionUp(point, p.texture, frame, kParticleEnvelope, p.seconds, p.color, nullptr);
            break;
        case kExplosionAroundCommand:
            particles->AddExplosionAround(point, p.texture, frame, kParticleEnvelope, p.seconds, p.color, nullptr);
            break;
        }
        return kStatusOk;
    });
    return kStatusDoneStoreResult;
}
