// vornel level run: plays a mini-game outside the game. The level object is made as the
// factory makes its kind and built from its element-info file; its script runs "OnStart",
// the level's check and "OnRun" with the scene builtins of `script run --scene`, but for the
// level's own: its words (setObjectParameters), its events (setObjectExtraRender) and the
// commands and "finished" of _waitForEvent reach the level's real handlers. Then the moves of
// the file play it, frame by frame; "finish solved=N" is printed when the level finishes, and
// the call waiting for it goes on. "!key up|down|left|right" plays one frame with that arrow
// key down. The level's callbacks are printed with their arguments and run in the script. A
// match-3 deals from the seed and the seeds after it, and the monitor and popups objects its
// script names are stand-ins that print each score they are sent that differs from the last and
// each narrator line.
#include "Commands.h"
#include "ScriptSceneRun.h"

#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "NimbrelLevels/CObjectsLevelGame.h"
#include "NimbrelLevels/CObjectsLevelMatch3.h"
#include "NimbrelObjects/CObjectsBase.h"
#include "NimbrelScript/ScriptRun.h"
#include "NimbrelScript/ScriptStatus.h"
#include "NimbrelWorld/ObjectKindTable.h"
#include "VornelUtils/UtilsRandom.h"
#include "VornelUtils/UtilsString.h"
#include "VornelUtils/WorldData.h"

namespace {

// The level kind whose code is `code` (case aside, without its padding), 0 when none is.
uint32_t KindByCode(const std::string& code)
{
    const ObjectsTypeInfo* rows = ObjectKindTable();
    for (int i = 0; i < kObjectKindCount; ++i) {
        std::string own = UtilsString_ToUtf8(rows[i].code);
        own.erase(own.find_last_not_of(' ') + 1);
        if (IsLevelKind(rows[i].typeCode) && !code.empty() && own.size() == code.size() &&
            std::equal(own.begin(), own.end(), code.begin(),
                       [](char a, char b) { return std::toupper(uint8_t(a)) == std::toupper(uint8_t(b)); }))
            return rows[i].typeCode;
    }
    return 0;
}

// The monitor and popups objects of a match-3, by the names its script gives.
class CStandIns : public Match3Outlets {
public:
    int32_t FindObject(const char* name, uint32_t typeCode) override
    {
        m_names.push_back(std::string(typeCode == kObjectKindMonitor ? "monitor " : "popups ") + name);
        return int32_t(m_names.size() - 1);
    }
    Status SetScore(int32_t monitor, uint32_t, float score) override
    {
        const std::string& name = Name(monitor);
        if (m_scores.count(name) == 0 || m_scores[name] != score)
            std::printf("%s set_score %g\n", name.c_str(), double(score));
        m_scores[name] = score;
        return kStatusOk;
    }
    void ShowNarratorLine(int32_t popups, uint32_t stringNumber) override
    {
        std::printf("%s narrator common string %u\n", Name(popups).c_str(), unsigned(stringNumber));
    }

private:
    const std::string& Name(int32_t object)
    {
        static const std::string none = "none";
        return object >= 0 && size_t(object) < m_names.size() ? m_names[size_t(object)] : none;
    }

    std::vector<std::string> m_names;
    std::map<std::string, float> m_scores;
};

class CLevelRun {
public:
    int Run(const std::string& elements, const std::string& script, uint32_t seed, const std::string& kind,
            const std::string& moves);

private:
    // The level's own builtins; false for the others, which print as the scene run prints them.
    bool Take(const std::string& name, const std::vector<std::string>& texts, uint32_t tail, Status* pStatus);
    // One line of the moves; false when it cannot be read.
    bool Move(const std::string& line);
    // After every step: a finish is said once, and the call waiting for it goes on.
    void CheckFinish();
    bool RunEvent(const char* name, bool reuse);
    // A level's callback: said with its arguments, then run in the level's module.
    Status RunCallback(const char* function, uintptr_t* words, uint32_t typeWord);
    void PrintBoard();

    // What a drawn frame shows beyond the level's update: a match-3's score.
    void Shown();

    CSceneRun m_scene;
    CStandIns m_standIns;
    CObjectsBase* m_pLevel = nullptr;
    ScriptVM* m_pVM = nullptr;
    ScriptModule* m_pModule = nullptr;
    bool m_finishWaiter = false;
    bool m_finishSaid = false;
    int m_exit = 0;
};

bool CLevelRun::Take(const std::string& name, const std::vector<std::string>& texts, uint32_t, Status* pStatus)
{
    const char* first = texts.size() > 0 ? texts[0].c_str() : "";
    const char* second = texts.size() > 1 ? texts[1].c_str() : "";
    *pStatus = kScriptBuiltinResult;
    if (name == "setObjectParameters" || name == "setObjectExtraRender") {
        ScriptBuiltinCall call = ScriptBuiltinCall::Texts(first, second);
        const Status status = name == "setObjectParameters" ? m_pLevel->setObjectParameters(call)
                                                             : m_pLevel->setObjectExtraRender(call);
        // A refused word is said, and the script goes on to show the rest.
        if (Failed(status) && status != kStatusDoneStoreResult && status != kStatusDoneNoResult)
            std::printf("refused %s(\"%s\", \"%s\"): %s\n", name.c_str(), first, second, StatusWords(status).c_str());
        return true;
    }
    if (name != "_waitForEvent")
        return false;
    const Status status = m_pLevel->OnCommand(first);
    const bool finished = std::strcmp(first, "finished") == 0;
    // A level that answers "finished" itself (the timed tubing) ends the wait by its finish.
    if (status == kStatusWait && finished) {
        std::printf("wait finished\n");
        m_finishWaiter = true;
        *pStatus = kScriptWait;
        return true;
    }
    if (status != kStatusFailed)
        return true;
    if (!finished || !m_pLevel->IsLevel())
        return false;
    std::printf("wait finished\n");
    m_finishWaiter = true;
    *pStatus = kScriptWait;
    return true;
}

bool CLevelRun::RunEvent(const char* name, bool reuse)
{
    if (ScriptModule_HasFunction(m_pVM, m_pModule, name) < 0)
        return true;
    const Status status =
        ScriptModule_Run(m_pVM, m_pModule, name, reuse, 0, nullptr, 0, reuse ? 0u : kScriptNoResume);
    if (status < 0 && status != kScriptWait && status != kScriptCallerStopped) {
        m_exit = PrintScriptError(m_pVM, status);
        return false;
    }
    return true;
}

Status CLevelRun::RunCallback(const char* function, uintptr_t* words, uint32_t typeWord)
{
    // The type word counts the words in its top four bits, one type digit each, the leading 0
    // in the lowest.
    const uint32_t count = typeWord >> 28;
    std::string said;
    for (uint32_t i = 1; i < count; ++i) {
        if (i > 1)
            said += ", ";
        if ((typeWord >> (4 * i) & 0xF) == 4)
            said += std::string("\"") + reinterpret_cast<const char*>(words[i]) + "\"";
        else
            said += std::to_string(int32_t(uint32_t(words[i])));
    }
    std::printf("callback %s(%s)\n", function, said.c_str());
    if (ScriptModule_HasFunction(m_pVM, m_pModule, function) < 0) {
        std::printf("no function %s\n", function);
        return kStatusFailed;
    }
    const Status status = ScriptModule_Run(m_pVM, m_pModule, function, false, 0, words, typeWord, kScriptNoResume);
    if (status < 0 && status != kScriptWait && status != kScriptCallerStopped)
        std::printf("callback %s failed: %s\n", function, StatusWords(status).c_str());
    return status;
}

void CLevelRun::CheckFinish()
{
    if (m_finishSaid || !m_pLevel->IsFinished())
        return;
    m_finishSaid = true;
    const auto* game = dynamic_cast<const CObjectsLevelGame*>(m_pLevel);
    std::printf("finish solved=%d\n", game ? int(game->IsSolved()) : 1);
    if (m_finishWaiter) {
        m_finishWaiter = false;
        RunEvent("OnRun", true);
    }
}

void CLevelRun::Shown()
{
    if (auto* match3 = dynamic_cast<CObjectsLevelMatch3*>(m_pLevel))
        match3->ShowScore();
}

void CLevelRun::PrintBoard()
{
    char text[512] = "no board";
    if (const auto* game = dynamic_cast<const CObjectsLevelGame*>(m_pLevel))
        game->PrintBoard(text, sizeof text);
    std::printf("%s\n", text);
}

bool CLevelRun::Move(const std::string& line)
{
    std::istringstream words(line);
    std::string move;
    words >> move;
    if (move == "!print") {
        PrintBoard();
    } else if (move == "!frames") {
        uint32_t count = 0;
        if (!(words >> count))
            return false;
        for (uint32_t i = 0; i < count && m_exit == 0; ++i) {
            m_pLevel->UpdateState();
            Shown();
            CheckFinish();
        }
    } else if (move == "!event") {
        std::string name, value;
        if (!(words >> name))
            return false;
        std::getline(words >> std::ws, value);
        ScriptBuiltinCall call = ScriptBuiltinCall::Texts(name.c_str(), value.c_str());
        const Status status = m_pLevel->setObjectExtraRender(call);
        if (status == kStatusFailed)
            std::printf("refused %s: %s\n", line.c_str(), StatusWords(status).c_str());
    } else if (move == "!command") {
        std::string text;
        std::getline(words >> std::ws, text);
        const Status status = m_pLevel->OnCommand(text.c_str());
        if (Failed(status))
            std::printf("refused %s: %s\n", line.c_str(), StatusWords(status).c_str());
    } else if (move == "!click" || move == "!press" || move == "!move" || move == "!release") {
        float x = 0.0f, y = 0.0f;
        if (!(words >> x >> y))
            return false;
        const Status status = move == "!click"   ? m_pLevel->OnClick(x, y, 0)
                              : move == "!press" ? m_pLevel->OnMouseDown(x, y, 1)
                              : move == "!move"  ? m_pLevel->OnMouseMove(x, y, 1)
                                                 : m_pLevel->OnMouseUp(x, y, 0);
        if (Failed(status))
            std::printf("not taken %s\n", line.c_str());
    } else if (move == "!item") {
        std::string name;
        if (!(words >> name))
            return false;
        const int32_t element = m_pLevel->FindElementByName(name.c_str());
        if (element < 0)
            std::printf("no item %s\n", name.c_str());
        else
            m_pLevel->OnElementClicked(m_pLevel->GetItemRecord(uint32_t(element)));
    } else if (move == "!key") {
        // One frame with the arrow key down, as the world sets it for the frame it goes down.
        std::string name;
        if (!(words >> name))
            return false;
        GameFrameInput& input = m_scene.World()->game.input;
        uint8_t* key = name == "up"      ? &input.arrowUp
                       : name == "down"  ? &input.arrowDown
                       : name == "left"  ? &input.arrowLeft
                       : name == "right" ? &input.arrowRight
                                         : nullptr;
        if (!key)
            return false;
        *key = 1;
        m_pLevel->UpdateState();
        *key = 0;
    } else {
        return false;
    }
    CheckFinish();
    return true;
}

int CLevelRun::Run(const std::string& elements, const std::string& script, uint32_t seed, const std::string& kind,
                   const std::string& moves)
{
    std::vector<std::string> lines;
    if (!moves.empty()) {
        std::ifstream in(moves);
        if (!in) {
            std::printf("error cannot read the moves in %s\n", moves.c_str());
            return 1;
        }
        for (std::string line; std::getline(in, line);) {
            line.erase(0, line.find_first_not_of(" \t"));
            if (!line.empty() && line[0] != '#')
                lines.push_back(line);
        }
    }
    // The kind: the one named, else the one whose code the object's name is.
    uint32_t typeCode = KindByCode(kind);
    if (kind.empty()) {
        if (!m_scene.LoadElements(elements))
            return 1;
        const char* name = m_scene.Object()->GetName();
        typeCode = KindByCode(name ? name : "");
    }
    if (typeCode == 0) {
        std::printf("error no level kind named %s\n", kind.empty() ? "by the object" : kind.c_str());
        return 1;
    }
    if (!m_scene.LoadElements(elements, typeCode))
        return 1;
    m_pLevel = m_scene.Object();
    WorldData* world = m_scene.World();
    UtilsRandom_Seed(world, seed);
    world->frameTime = 1.0;
    if (auto* match3 = dynamic_cast<CObjectsLevelMatch3*>(m_pLevel)) {
        match3->SetOutlets(&m_standIns);
        match3->SetSeedSource([seed]() mutable { return seed++; });
    }
    m_scene.SetTaker([this](const std::string& name, const std::vector<std::string>& texts, uint32_t tail,
                            Status* pStatus) { return Take(name, texts, tail, pStatus); });

    m_pVM = ScriptVM_Create();
    if (!m_pVM) {
        std::printf("error out of memory\n");
        return 1;
    }
    m_pModule = LoadRunModule(m_pVM, nullptr, script, true, &m_scene, &m_exit);
    if (auto* game = dynamic_cast<CObjectsLevelGame*>(m_pLevel))
        game->SetCallbackSink([this](const char* function, uintptr_t* words, uint32_t typeWord) {
            return RunCallback(function, words, typeWord);
        });
    if (m_pModule) {
        m_pLevel->ResetRunState();
        if (RunEvent("OnStart", false)) {
            const Status check = m_pLevel->CheckSetup();
            if (Failed(check))
                std::printf("setup incomplete: %s\n", StatusWords(check).c_str());
            if (RunEvent("OnRun", false)) {
                CheckFinish();
                for (const std::string& line : lines)
                    if (m_exit == 0 && !Move(line)) {
                        std::printf("error cannot read the move \"%s\"\n", line.c_str());
                        m_exit = 1;
                    }
            }
        }
    }
    std::fflush(stdout);
    ScriptVM_Destroy(m_pVM);
    return m_exit;
}

}  // namespace

int CommandLevel(int argc, char** argv)
{
    if (argc < 3 || std::strcmp(argv[0], "run") != 0)
        return kExitUsage;
    uint32_t seed = 1;
    std::string kind, moves;
    for (int i = 3; i < argc; ++i) {
        const std::string option = argv[i];
        if (i + 1 >= argc)
            return kExitUsage;
        if (option == "--seed") {
            char* end = nullptr;
            const unsigned long value = std::strtoul(argv[++i], &end, 10);
            if (!*argv[i] || *end || value > 0xFFFFFFFFul)
                return kExitUsage;
            seed = uint32_t(value);
        } else if (option == "--moves") {
            moves = argv[++i];
        } else if (option == "--kind") {
            kind = argv[++i];
        } else {
            return kExitUsage;
        }
    }
    CLevelRun run;
    return run.Run(argv[1], argv[2], seed, kind, moves);
}
