// What every mini-game kind shares: its words, events, commands, callbacks, saved state, the
// force-solve, random picks and animation steps.
#include "NimbrelLevels/CObjectsLevelGame.h"

#include <cstring>

#include "NimbrelLevels/LevelValues.h"
#include "VornelUtils/UtilsLog.h"
#include "VornelUtils/UtilsMemory.h"
#include "VornelUtils/UtilsRandom.h"
#include "VornelUtils/UtilsStream_Chunk.h"
#include "VornelUtils/UtilsString.h"
#include "VornelUtils/WorldData.h"

namespace {

bool Is(const char* text, const char* word) { return text && std::strcmp(text, word) == 0; }

}  // namespace

// ---- saved fields ----------------------------------------------------------------------------

LevelState& LevelState::Move(void* buffer, uint32_t size, uint32_t count)
{
    if (m_ok && count)
        m_ok = m_write ? m_pChunk->Write(buffer, size, count) : m_pChunk->Read(buffer, size, count);
    return *this;
}

int64_t LevelState::BytesLeft() const { return m_ok && m_pChunk ? m_pChunk->BytesLeft() : 0; }

LevelState& LevelState::MoveText(std::string& value, bool wide)
{
    if (!m_ok)
        return *this;
    if (m_write) {
        if (wide) {
            const std::u16string text = UtilsString_FromUtf8(value.c_str());
            m_ok = m_pChunk->WriteString(value.empty() ? nullptr : text.c_str(), false);
        } else {
            m_ok = m_pChunk->WriteStringA(value.empty() ? nullptr : value.c_str(), false);
        }
        return *this;
    }
    if (wide) {
        char16_t* text = nullptr;
        m_ok = m_pChunk->ReadString(&text, false);
        value = text ? UtilsString_ToUtf8(text) : std::string();
        UTILS_FREE(text);
    } else {
        char* text = nullptr;
        m_ok = m_pChunk->ReadStringA(&text, false);
        value = text ? text : "";
        UTILS_FREE(text);
    }
    return *this;
}

// ---- callbacks -------------------------------------------------------------------------------

LevelCallback::~LevelCallback() { Clear(); }

void LevelCallback::Clear()
{
    UTILS_FREE(m_pName);
    m_pName = nullptr;
}

Status LevelCallback::Set(const char* name)
{
    Clear();
    if (!name || !*name)
        return kStatusOk;
    m_pName = UtilsString_DupA(name);
    return m_pName ? kStatusOk : kStatusOutOfMemory;
}

// ---- the level ---------------------------------------------------------------------------------

CObjectsLevelGame::CObjectsLevelGame(WorldData* pWorldData, uint32_t objectNumber, uint32_t constructWord)
    : CObjectsLevel(pWorldData, objectNumber, constructWord)
{
}

CObjectsLevelGame::~CObjectsLevelGame() = default;

Status CObjectsLevelGame::setObjectParameters(ScriptBuiltinCall& call)
{
    const Status status =
        WithWritableValue(call, [this](const char* name, char* value) { return LoadEventsFromParam(name, value); });
    return status == kStatusOutOfMemory ? OutOfMemory() : status;
}

Status CObjectsLevelGame::LoadEventsFromParam(const char*, char*) { return kStatusDoneStoreResult; }

Status CObjectsLevelGame::OnEvent(const char* name, char* value)
{
    const Status base = CObjectsLevel::OnEvent(name, value);
    if (base == kStatusDoneStoreResult)
        return base;
    if (Is(name, "event")) {
        if (!Is(value, "skip"))
            return kStatusDoneNoResult;
        Solve();
        return kStatusDoneStoreResult;
    }
    return OnAction(name, value);
}

Status CObjectsLevelGame::OnAction(const char*, char*) { return kStatusDoneNoResult; }

uint32_t CObjectsLevelGame::PrintBoard(char* out, uint32_t capacity) const
{
    if (!capacity)
        return 0;
    UtilsString_CopyA(out, capacity, "no board");
    return uint32_t(std::strlen(out));
}

Status CObjectsLevelGame::OnCommand(const char* command)
{
    // The base clears the finished mark on "reset" and never takes a command.
    CObjectsLevel::OnCommand(command);
    if (Is(command, "reset")) {
        m_solved = 0;
        return Failed(ResetBoard()) ? kStatusFailed : kStatusOk;
    }
    if (Is(command, "pause") || Is(command, "resume")) {
        m_paused = Is(command, "pause");
        return kStatusOk;
    }
    return OnKindCommand(command);
}

Status CObjectsLevelGame::OnKindCommand(const char*) { return kStatusFailed; }

Status CObjectsLevelGame::OnCheatCodes(uint32_t next)
{
    if (m_paused)
        return kStatusOk;
    if (Failed(CObjectsLevel::OnCheatCodes(next)))
        return kStatusFailed;
    m_paused = 0;
    ClearMoveState();
    Solve();
    return kStatusOk;
}

Status CObjectsLevelGame::ResetRunState()
{
    ResetFields();
    return kStatusOk;
}

void CObjectsLevelGame::ResetFields()
{
    m_paused = 0;
    m_solved = 0;
}

void CObjectsLevelGame::Solve()
{
    m_solved = 1;
    FinishLevel();
}

void CObjectsLevelGame::FinishLevel() { Finish(m_solved); }

// ---- words and callbacks -----------------------------------------------------------------------

Status CObjectsLevelGame::TakeItemWord(const char* name, const char* value, int32_t* pReference)
{
    const int32_t element = value ? FindElementByName(value) : -1;
    if (element < 0) {
        NoTrace("%s: no item named %s", name, value ? value : "");
        return kStatusFailed;
    }
    *pReference = element;
    return kStatusDoneStoreResult;
}

Status CObjectsLevelGame::TakeCallbackWord(LevelCallback& callback, const char* value)
{
    return Failed(callback.Set(value)) ? kStatusOutOfMemory : kStatusDoneStoreResult;
}

uint32_t CObjectsLevelGame::CallbackTypeWord(std::initializer_list<LevelArgument> arguments)
{
    uint32_t word = kLevelArgumentInt;  // the leading 0
    uint32_t digit = 1;
    for (const LevelArgument& argument : arguments)
        word |= (argument.isText ? kLevelArgumentText : kLevelArgumentInt) << (4 * digit++);
    return word | digit << 28;
}

Status CObjectsLevelGame::CallResponse(const LevelCallback& callback, std::initializer_list<LevelArgument> arguments)
{
    return CallFunction(callback.Name(), arguments);
}

Status CObjectsLevelGame::CallFunction(const char* function, std::initializer_list<LevelArgument> arguments)
{
    if (!function || arguments.size() > kLevelCallbackArguments)
        return kStatusFailed;
    uintptr_t words[1 + kLevelCallbackArguments] = {0};
    uint32_t i = 1;
    for (const LevelArgument& argument : arguments)
        words[i++] = argument.isText ? reinterpret_cast<uintptr_t>(argument.text ? argument.text : "")
                                     : uintptr_t(uint32_t(argument.number));
    if (m_callbackSink)
        return m_callbackSink(function, words, CallbackTypeWord(arguments));
    return CallScriptFunction(function, kLevelCallbackAnyInstance, 0, words, CallbackTypeWord(arguments));
}

// ---- saved state -------------------------------------------------------------------------------

Status CObjectsLevelGame::LoadFromProfile(UtilsStream_Chunk* pChunk)
{
    ResetFields();
    if (Failed(CObjectsLevel::LoadFromProfile(pChunk)))
        return kStatusFailed;
    const char16_t* log = m_pWorldData ? m_pWorldData->logPath : nullptr;
    LevelState state(pChunk, false);
    StateFields(state);
    if (!state.Ok()) {
        ResetFields();
        return LogAndReturn(kStatusFailed, log, 0, u"ERROR: level %d : its state is cut short\n", int(m_objectNumber));
    }
    if (!StateFits()) {
        // The rest of the profile is sound: this level alone starts afresh.
        ResetFields();
        Log(log, 0, u"ERROR: level %d : its state does not fit, started afresh\n", int(m_objectNumber));
    }
    return kStatusOk;
}

Status CObjectsLevelGame::SaveState(UtilsStream_ChunkList* pList, UtilsStream_Chunk* pChunk)
{
    if (Failed(CObjectsLevel::SaveState(pList, pChunk)))
        return kStatusFailed;
    LevelState state(pChunk, true);
    StateFields(state);
    return state.Ok() ? kStatusOk : kStatusFailed;
}

bool CObjectsLevelGame::ReferenceFits(int32_t reference) const
{
    return reference == -1 || (reference >= 0 && uint32_t(reference) < m_elementCount);
}

// ---- random picks and animation steps -----------------------------------------------------------

uint32_t CObjectsLevelGame::PickRandom(uint32_t n)
{
    return uint32_t(uint64_t(UtilsRandom_Next(m_pWorldData)) * n >> 32);
}

float CObjectsLevelGame::FrameStep() const { return m_pWorldData ? float(m_pWorldData->frameTime) : 0.0f; }

bool CObjectsLevelGame::StepDown(float* pProgress, float rate) const
{
    *pProgress -= FrameStep() * rate;
    return *pProgress < 0.0f;
}

bool CObjectsLevelGame::StepUp(float* pProgress, float rate) const
{
    *pProgress += FrameStep() * rate;
    return *pProgress > 1.0f;
}
