#include "ScriptSceneRun.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "Commands.h"
#include "NimbrelLevels/CObjectsLevel.h"
#include "NimbrelObjects/BuiltinTrace.h"
#include "NimbrelObjects/ObjectBuiltins.h"
#include "NimbrelScript/ScriptHost.h"
#include "NimbrelScript/ScriptTree.h"
#include "NimbrelScript/ScriptValue.h"
#include "NimbrelWorld/CObjectsManager.h"
#include "NimbrelWorld/GameData.h"
#include "NimbrelWorld/ObjectKindTable.h"
#include "NimbrelWorld/ScriptCommonBuiltins.h"
#include "Vornel3D_ToolBox/CManagedWorld.h"
#include "VornelUtils/UtilsMemory.h"
#include "VornelUtils/UtilsString.h"
#include "VornelUtils/WorldData.h"

namespace {

// What the iterator reports, one line each.
void PrintTrace(void*, const BuiltinTrace& trace, const char* format, va_list args)
{
    char text[1024];
    UtilsString_VFormatA(text, sizeof text, format, args);
    std::printf("trace %s %s: %s\n", trace.builtin, trace.severity == kTraceWarning ? "warning" : "error", text);
}

// The item lists among a builtin's parameters (bit i: parameter i); 0 for a common builtin.
uint32_t ItemListsOf(const std::string& name)
{
    const ObjectBuiltin* builtins = ObjectBuiltins();
    for (uint32_t i = 0; i < kObjectBuiltinCount; ++i)
        if (name == builtins[i].name)
            return builtins[i].itemLists;
    return 0;
}

std::string FloatText(float value)
{
    char text[32];
    std::snprintf(text, sizeof text, "%g", static_cast<double>(value));
    return text;
}

// An --answer value read as --arg reads it: digits a ULONG, digits with '.' a FLOAT, else a text.
void SetAnswer(const std::string& value, ScriptBuiltinResult* result)
{
    const bool digits = !value.empty() && value.find_first_not_of("0123456789") == std::string::npos;
    const bool decimal = !digits && value.find('.') != std::string::npos &&
                         value.find_first_not_of("0123456789.") == std::string::npos;
    if (digits) {
        result->type = kScriptTypeULong;
        result->value = static_cast<uint32_t>(std::strtoul(value.c_str(), nullptr, 10));
    } else if (decimal) {
        result->type = kScriptTypeFloat;
        result->value = FloatToBits(std::strtof(value.c_str(), nullptr));
    } else {
        result->type = kScriptTypeString;
        result->text = UtilsString_DupA(value.c_str());
    }
}

}  // namespace

CSceneRun::CSceneRun() = default;

CSceneRun::~CSceneRun()
{
    m_object.reset();
    if (m_pGame)
        GameDataFree(m_pGame);
}

bool CSceneRun::AddAnswer(const std::string& option)
{
    const size_t equals = option.find('=');
    if (equals == std::string::npos || equals == 0)
        return false;
    m_answers[option.substr(0, equals)] = option.substr(equals + 1);
    return true;
}

bool CSceneRun::LoadElements(const std::string& path) { return LoadElements(path, kObjectKindLevelBase); }

bool CSceneRun::LoadElements(const std::string& path, uint32_t typeCode)
{
    m_object.reset();
    if (!m_world) {
        m_world = std::make_unique<WorldData>();
        m_pGame = GameDataCreate();
        if (!m_pGame) {
            std::printf("error out of memory\n");
            return false;
        }
        m_world->pGame = m_pGame;
        m_pGame->modeWord = kResourceSourceFile;  // the path as given, no data folder in front
        m_pGame->traceSink = PrintTrace;
    }
    if (typeCode == kObjectKindLevelBase) {
        m_object = std::make_unique<CObjectsLevel>(m_world.get(), 0, 0);
    } else {
        CObjectsManager factory(m_world.get());
        m_object.reset(factory.CreateObject(typeCode, 0, 0));
    }
    if (!m_object) {
        std::printf("error no level kind %u in this build\n", typeCode);
        return false;
    }
    const Status status = m_object->BuildFromRaw(UtilsString_FromUtf8(path.c_str()).c_str());
    if (Failed(status)) {
        std::printf("error %s: not a readable element-info file: %s\n", path.c_str(), StatusWords(status).c_str());
        return false;
    }
    return true;
}

bool CSceneRun::Register(ScriptVM* vm, ScriptModule* module)
{
    const auto self = reinterpret_cast<uintptr_t>(this);
    const ScriptCommonBuiltin* common = ScriptCommonBuiltins();
    for (uint32_t i = 0; i < kScriptCommonBuiltinCount; ++i)
        if (ScriptModule_RegisterBuiltin(vm, module, common[i].name, Call, ScriptPackArgumentCode(common[i].code), self,
                                         0) < 0)
            return false;
    const ObjectBuiltin* builtins = ObjectBuiltins();
    for (uint32_t i = 0; i < kObjectBuiltinCount; ++i)
        if (ScriptModule_RegisterBuiltin(vm, module, builtins[i].name, Call, ScriptPackArgumentCode(builtins[i].code),
                                         self, 0) < 0)
            return false;
    return true;
}

void CSceneRun::ResolveItems(const char* builtin, const char* list, uint32_t fileIndex, uint32_t line)
{
    ItemListIterator it;
    const BuiltinReport report = {builtin, fileIndex, line};
    for (m_object->ItemListStart(it, list, report, false); !it.done; m_object->NextListItem(it, report, false)) {
    }
}

Status CSceneRun::Call(ScriptVM* vm, ScriptModule* module, ScriptFunction* node, ScriptActivation* caller, uint32_t,
                       uint32_t argumentCode, uintptr_t* bound1, uintptr_t*, uint32_t tail, ScriptBuiltinResult* result,
                       uint32_t fileIndex, uint32_t line)
{
    auto* run = reinterpret_cast<CSceneRun*>(*bound1);
    const std::string& name = node->name;
    const uint32_t itemLists = ItemListsOf(name);
    std::string text = "call " + name + "(";
    std::vector<const char*> lists;
    std::vector<std::string> texts;
    const uint32_t count = ScriptArgumentCount(argumentCode);
    for (uint32_t i = 0; i < count; ++i) {
        const uint32_t digit = (argumentCode >> (4 * i)) & 0xFu;
        if (digit == 0)
            break;
        if (i)
            text += ", ";
        if (digit == kScriptArgLong) {
            texts.push_back(std::to_string(ScriptModule_GetParamLong(vm, module, node, caller, i + 1)));
            text += texts.back();
        } else if (digit == kScriptArgFloat) {
            texts.push_back(FloatText(ScriptModule_GetParamFloat(vm, module, node, caller, i + 1)));
            text += texts.back();
        } else {
            const char* value = ScriptModule_GetParamString(vm, module, node, caller, i + 1);
            texts.emplace_back(value ? value : "");
            text += "\"" + texts.back() + "\"";
            if (value && (itemLists >> i) & 1u)
                lists.push_back(value);
        }
    }
    std::printf("%s)\n", text.c_str());
    if (run->m_object)
        for (const char* list : lists)
            run->ResolveItems(name.c_str(), list, fileIndex, line);
    Status taken = kScriptBuiltinResult;
    if (run->m_taker && run->m_taker(name, texts, tail, &taken)) {
        std::fflush(stdout);
        return taken;
    }
    if (name[0] == '_') {
        // As in the game, a wait that nothing would follow does not wait.
        std::printf("%s %s\n", tail ? "tail" : "wait", name.c_str());
        std::fflush(stdout);
        return tail ? kScriptBuiltinResult : kScriptWait;
    }
    std::fflush(stdout);
    auto answer = run->m_answers.find(name);
    if (answer != run->m_answers.end())
        SetAnswer(answer->second, result);
    return kScriptBuiltinResult;
}
