// vornel profile dump: every chunk of a profile file, and the profile's own chunks and the
// scene objects' decoded by the game's readers.
#include "Commands.h"

#include <cstdio>
#include <memory>
#include <cstring>
#include <string>

#include "NimbrelManagers/CEasedAnimators.h"
#include "NimbrelManagers/CFadeManager.h"
#include "NimbrelManagers/CPopupManager.h"
#include "NimbrelManagers/CToolboxManager.h"
#include "NimbrelManagers/CSplashscreens.h"
#include "NimbrelManagers/CTimerManager.h"
#include "NimbrelObjects/ObjectProfile.h"
#include "NimbrelWorld/CCommandListManager.h"
#include "NimbrelWorld/CObjectiveManager.h"
#include "NimbrelWorld/CObjectsManager.h"
#include "NimbrelWorld/CScriptManager.h"
#include "NimbrelWorld/ProfileChunks.h"
#include "ProfileManagerDump.h"
#include "ProfileObjectDump.h"
#include "VornelUtils/UtilsMemory.h"
#include "VornelUtils/UtilsStream_Chunk.h"
#include "VornelUtils/UtilsStream_ChunkList.h"
#include "VornelUtils/UtilsStream_File.h"
#include "VornelUtils/UtilsStream_Static.h"
#include "VornelUtils/UtilsString.h"
#include "VornelUtils/WorldData.h"

namespace {

std::string Quoted(const std::string& text)
{
    return "\"" + text + "\"";
}

// The text ready for one more line of a chunk's decoded text.
std::string& NextLine(std::string& text)
{
    if (!text.empty())
        text += "\n  ";
    return text;
}

// The objects manager's seven interface indices.
bool DescribeInterfaces(UtilsStream_Chunk* chunk, std::string& line)
{
    static const char* const kRoles[kInterfaceRoleCount] = {"menu",     "labels", "popups", "tool box",
                                                            "tutorial", "hint",   "effects"};
    for (uint32_t i = 0; i < kInterfaceRoleCount; ++i) {
        int32_t index = 0;
        if (!chunk->Read(&index, 4, 1))
            return false;
        AppendFormat(NextLine(line), "%s object %d", kRoles[i], index);
    }
    return true;
}

// The handler entries of every script context, the queued results and the main script's
// blocks.
bool DescribeScripts(UtilsStream_Chunk* chunk, std::string& line)
{
    ScriptSavedState state;
    if (Failed(CScriptManager::ReadSavedState(chunk, &state)))
        return false;
    AppendFormat(NextLine(line), "%zu contexts, %zu queued results", state.contexts.size(), state.pending.size());
    for (size_t c = 0; c < state.contexts.size(); ++c)
        for (size_t h = 0; h < state.contexts[c].size(); ++h) {
            const ScriptHandlerEntry* entry = state.contexts[c][h];
            if (entry)
                AppendFormat(NextLine(line), "context %zu handler %zu \"%s\": flags 0x%X%s", c, h, entry->name, entry->flags,
                           entry->persistent ? ", persistent" : "");
            else
                AppendFormat(NextLine(line), "context %zu handler %zu: free", c, h);
        }
    for (const ScriptPendingResult& record : state.pending)
        AppendFormat(NextLine(line), "queued result: context %u handler %u value %d", record.contextIndex, record.handlerIndex,
                   static_cast<int32_t>(record.value));
    for (UtilsStream_Chunk* child = chunk->ReadFirstChild(); child; child = chunk->ReadNextChild()) {
        if (child->GetTag() != kProfileTagMainScript)
            continue;
        // Globals: size and bytes; run state: event mask, size and bytes.
        uint32_t globals = 0, mask = 0, run = 0;
        if (!child->Read(&globals, 4, 1) || globals > child->BytesLeft())
            return false;
        UtilsStream_Static* payload = child->GetInnerStream();
        payload->Seek(payload->Tell() + globals, kSeekStart);
        if (!child->Read(&mask, 4, 1) || !child->Read(&run, 4, 1) || run > child->BytesLeft())
            return false;
        AppendFormat(NextLine(line), "main script: globals %u bytes, event mask 0x%X, run state %u bytes", globals, mask, run);
    }
    return Succeeded(chunk->GetLastReadStatus());
}

// The command list manager's records that are in use.
bool DescribeCommands(UtilsStream_Chunk* chunk, std::string& line)
{
    auto world = std::make_unique<WorldData>();
    CCommandListManager commands(world.get());
    ChunkStream stream(chunk);
    if (Failed(commands.Load(&stream)))
        return false;
    AppendFormat(NextLine(line), "%u records, next magic index %u, last added %u", commands.GetCount(),
               commands.GetNextMagicIndex(), commands.GetLastAdded());
    for (uint32_t i = 0; i < commands.GetCount(); ++i) {
        const CommandRecord* r = commands.GetRecord(i);
        if (r->magicIndex)
            AppendFormat(NextLine(line), "command %u: magic %u, object %u, kind %u, event %u, function %d, locks %u%s", i,
                       r->magicIndex, r->target, r->kind, r->event, static_cast<int32_t>(r->functionIndex),
                       r->lockCount, r->keep ? ", kept" : "");
    }
    return true;
}

// The fades, scalings or moves of a chunk, read by their manager without a scene to check them
// against (the game refuses items of elements it lacks; the dump shows them).
template <typename Manager>
bool DescribeTimedItems(UtilsStream_Chunk* chunk, std::string& line)
{
    Manager manager(nullptr);
    if (Failed(manager.LoadItemsFromStream(chunk, 0)))
        return false;
    AppendFormat(NextLine(line), "%u items in %u slots", manager.GetCount(), manager.GetCapacity());
    manager.DescribeItems(line);
    return true;
}

// The timers that were running, in their order.
bool DescribeTimers(UtilsStream_Chunk* chunk, std::string& line)
{
    auto world = std::make_unique<WorldData>();
    CTimerManager timers(world.get());
    if (Failed(timers.LoadFromStream(chunk)))
        return false;
    AppendFormat(NextLine(line), "%u timers", timers.GetCount());
    CFIFOList& list = timers.GetTimers();
    for (void* p = list.GetFirst(); p; p = list.GetNext()) {
        const auto* t = static_cast<const TimerRecord*>(p);
        AppendFormat(NextLine(line), "timer of object %d: %g units left, mode %u, call %u, %s%s%s%s, key 0x%X",
                     static_cast<int32_t>(t->objectIndex), double(t->remaining), t->mode, t->callId,
                     t->pFunction ? "function \"" : "a wait", t->pFunction ? t->pFunction : "",
                     t->pFunction ? "\"" : "", t->pParameter ? (std::string(" (\"") + t->pParameter + "\")").c_str() : "",
                     t->handlerKey);
    }
    return true;
}

// The popup text's page, the narrator line and the object popup's message.
bool DescribePopups(UtilsStream_Chunk* chunk, std::string& line)
{
    auto world = std::make_unique<WorldData>();
    CPopupManager popups(world.get());
    if (Failed(popups.Load()) || Failed(popups.LoadFromStream(chunk)))
        return false;
    // One line each: a line break shows as "\n".
    const auto text = [](const char16_t* t) {
        std::string out;
        for (char c : UtilsString_ToUtf8(t ? t : u""))
            out += c == '\n' ? std::string("\\n") : std::string(1, c);
        return Quoted(out);
    };
    if (popups.IsPopupOpen())
        AppendFormat(NextLine(line), "popup text: part %u, page %u of %u: %s", popups.GetPartIndex() + 1,
                     popups.GetPageIndex() + 1, popups.GetPageCount(), text(popups.GetPageText()).c_str());
    else
        AppendFormat(NextLine(line), "no popup text");
    if (popups.IsNarratorShowing())
        AppendFormat(NextLine(line), "narrator line: alpha %g, %g units held: %s", double(popups.GetNarratorAlpha()),
                     double(popups.GetNarratorHold()), text(popups.GetNarratorText()).c_str());
    if (popups.IsObjectPopupOpen())
        AppendFormat(NextLine(line), "object popup: %s", text(popups.GetMessageText()).c_str());
    return true;
}

// The tool box panel's state and the queued requests.
bool DescribeToolbox(UtilsStream_Chunk* chunk, std::string& line)
{
    auto world = std::make_unique<WorldData>();
    CToolboxManager toolbox(world.get());
    if (Failed(toolbox.Load()) || Failed(toolbox.LoadFromStream(chunk)))
        return false;
    static const char* const kStates[] = {"fading in", "shown", "fading out", "closed", "idle"};
    AppendFormat(NextLine(line), "panel %s, alpha %g, caller %d; %u queued", kStates[toolbox.GetState()],
                 double(toolbox.GetAlpha()), toolbox.GetCaller(), toolbox.GetQueueCount());
    for (const CToolboxRequest* r = toolbox.GetFirstRequest(); r; r = nullptr) {
        AppendFormat(NextLine(line), "first: %s of object %u for object %u: %s%s%s", r->kind ? "message" : "panel",
                     r->interfaceObject, r->callerObject, Quoted(r->pFirst ? r->pFirst : "").c_str(),
                     r->pSecond ? " " : "", r->pSecond ? Quoted(r->pSecond).c_str() : "");
    }
    return true;
}

// The objectives in list order (the current one last), each with its sub-objectives.
bool DescribeObjectives(UtilsStream_Chunk* chunk, std::string& line)
{
    auto world = std::make_unique<WorldData>();
    CObjectiveManager objectives(world.get());
    if (Failed(objectives.LoadFromStream(chunk)))
        return false;
    CFIFOList& list = objectives.GetObjectives();
    AppendFormat(NextLine(line), "%u objectives, order counter %u, current %d", list.GetCount(),
                 objectives.GetOrderCounter(), objectives.GetCurrentObjective());
    auto describe = [&](const char* what, const ObjectiveRecord* r) {
        AppendFormat(NextLine(line), "%s %u: order %u%s%s", what, r->identifier, r->orderNumber,
                     r->implicit ? ", implicit" : "", r->done ? ", done" : "");
    };
    for (void* p = list.GetFirst(); p; p = list.GetNext()) {
        const auto* objective = static_cast<ObjectiveRecord*>(p);
        describe("objective", objective);
        CFIFOList* subs = objective->pSubObjectives;
        for (void* s = subs ? subs->GetFirst() : nullptr; s; s = subs->GetNext())
            describe("  sub-objective", static_cast<ObjectiveRecord*>(s));
    }
    return true;
}

// The decoded payload of one of the profile's own chunks, or false when it is cut short.
bool Decode(UtilsStream_Chunk* chunk, std::string& line)
{
    char text[256];
    switch (chunk->GetTag()) {
    case kProfileTagHeader: {
        ProfileHeader h{};
        if (!ProfileChunk_ReadHeader(chunk, &h))
            return false;
        std::snprintf(text, sizeof text, "version %u, layout %u, program %u.%u, construction 0x%X, stamp A %u, %u %u",
                      h.version, h.layout, h.programVersion >> 16, h.programVersion & 0xFFFF, h.constructionVersion,
                      h.stampA, unsigned(h.byte20), unsigned(h.byte21));
        line = text;
        return true;
    }
    case kProfileTagIdentity:
    case kProfileTagPlatform: {
        char* value = nullptr;
        if (!chunk->ReadStringA(&value, false))
            return false;
        line = (chunk->GetTag() == kProfileTagIdentity ? "identity " : "platform ") +
               (value ? Quoted(value) : std::string("none"));
        UTILS_FREE(value);
        return true;
    }
    case kProfileTagName: {
        char16_t* name = nullptr;
        if (!ProfileChunk_ReadName(chunk, &name))
            return false;
        line = "name " + (name ? Quoted(UtilsString_ToUtf8(name)) : std::string("none"));
        UTILS_FREE(name);
        return true;
    }
    case kProfileTagPlayTime: {
        ProfileTime t{};
        if (!ProfileChunk_ReadTime(chunk, &t))
            return false;
        std::snprintf(text, sizeof text, "play time %u days %02u:%02u, fraction %g (%u s)", t.days, unsigned(t.hours),
                      unsigned(t.minutes), double(t.fraction),
                      t.fraction >= 0.0f && t.fraction < 1800.0f ? unsigned(t.fraction / 30.0f) : 0u);
        line = text;
        return true;
    }
    case kProfileTagDate: {
        ProfileDate d{};
        if (!ProfileChunk_ReadDate(chunk, &d))
            return false;
        std::snprintf(text, sizeof text, "completed on %04u-%02u-%02u %02u:%02u:%02u", unsigned(d.year),
                      unsigned(d.month), unsigned(d.day), unsigned(d.hour), unsigned(d.minute), unsigned(d.second));
        line = text;
        return true;
    }
    case kProfileTagState: {
        uint8_t inProgress = 0;
        uint32_t completed = 0, flags = 0;
        if (!ProfileChunk_ReadState(chunk, &inProgress, &completed, &flags))
            return false;
        std::snprintf(text, sizeof text, "game in progress %u, completed games %u, flags 0x%X", unsigned(inProgress),
                      completed, flags);
        line = text;
        return true;
    }
    case kProfileTagChaptersCheck: {
        uint32_t version = 0, stampB = 0;
        uint8_t flag = 0;
        if (!ProfileChunk_ReadChaptersCheckWords(chunk, &version, &stampB) || !chunk->Read(&flag, 1, 1))
            return false;
        std::snprintf(text, sizeof text, "check version %u, stamp B %u, chapters flag %u", version, stampB,
                      unsigned(flag));
        line = text;
        return true;
    }
    case kProfileTagLevel: {
        uint32_t level = 0;
        int32_t chapter = 0;
        ProfileChapterBlock b{};
        if (!ProfileChunk_ReadLevelWords(chunk, &level, &chapter) || !ProfileChunk_ReadChapterBlock(chunk, &b))
            return false;
        std::snprintf(text, sizeof text,
                      "level %u, chapter %d; chapters flag %u, count %u, current %d, identifier 0x%X", level, chapter,
                      unsigned(b.chaptersFlag), b.chapterCount, int32_t(b.currentChapter), b.identifier);
        line = text;
        return true;
    }
    case kProfileTagSpare: {
        uint8_t c = 0, d = 0;
        if (!ProfileChunk_ReadSpare(chunk, &c, &d))
            return false;
        std::snprintf(text, sizeof text, "spare %u %u", unsigned(c), unsigned(d));
        line = text;
        return true;
    }
    case kProfileTagObject:
        return DescribeObjectChunk(chunk, line);
    case kProfileTagObjectsManager:
        return DescribeInterfaces(chunk, line);
    case kProfileTagScriptManager:
        return DescribeScripts(chunk, line);
    case kProfileTagCommandLists:
        return DescribeCommands(chunk, line);
    case kProfileTagRotations:
        line = "no rotations";
        return true;
    case kProfileTagPositions:
        return DescribeTimedItems<CPositionManager>(chunk, line);
    case kProfileTagScalings:
        return DescribeTimedItems<CScalingManager>(chunk, line);
    case kProfileTagTimers:
        return DescribeTimers(chunk, line);
    case kProfileTagPopups:
        return DescribePopups(chunk, line);
    case kProfileTagToolbox:
        return DescribeToolbox(chunk, line);
    case kProfileTagFades:
        return DescribeTimedItems<CFadeManager>(chunk, line);
    case kProfileTagObjectives:
        return DescribeObjectives(chunk, line);
    case kProfileTagSplash:
        return DescribeSplashChunk(chunk, line);
    case kProfileTagSurround:
        return DescribeSurroundChunk(chunk, line);
    case kProfileTagCursors:
        return DescribeCursorsChunk(chunk, line);
    case kProfileTagTutorial:
        return DescribeTutoChunk(chunk, line);
    case kProfileTagDragDrop:
        return DescribeDragDropChunk(chunk, line);
    default:
        return true;   // written by the game's managers: sizes only
    }
}

bool Print(UtilsStream_Chunk* chunk, int depth, const char* path)
{
    const std::string indent(static_cast<size_t>(depth) * 2, ' ');
    const uint32_t children = chunk->GetChildren().GetCount();
    std::printf("%schunk %u at %u: size %u, payload %u", indent.c_str(), chunk->GetTag(), chunk->GetPosition(),
                chunk->GetTotalSize(), chunk->GetPayloadSize());
    if (children)
        std::printf(", %u children", children);
    std::printf("\n");
    std::string line;
    if (depth == 0 && !Decode(chunk, line)) {
        std::fprintf(stderr, "vornel profile: %s: the payload of chunk %u at %u is cut short\n", path,
                     chunk->GetTag(), chunk->GetPosition());
        return false;
    }
    if (!line.empty())
        std::printf("%s  %s\n", indent.c_str(), line.c_str());
    CFIFOList& list = chunk->GetChildren();
    bool ok = true;
    for (void* p = list.GetFirst(); p && ok; p = list.GetNext())
        ok = Print(static_cast<UtilsStream_Chunk*>(p), depth + 1, path);
    return ok;
}

int Dump(const char* path)
{
    const std::u16string widePath = UtilsString_FromUtf8(path);
    UtilsStream_File stream(kStreamRead, widePath.c_str());
    if (Failed(stream.Open())) {
        std::fprintf(stderr, "vornel profile: cannot read %s\n", path);
        return 1;
    }
    UtilsStream_ChunkList list(&stream);
    UtilsStream_Chunk* first = list.ReadFirst();
    if (!first) {
        std::fprintf(stderr, "vornel profile: %s holds no chunk%s: the game reads it as an empty slot\n", path,
                     Failed(list.GetLastReadStatus()) ? " that can be read" : "");
        return 1;
    }
    const bool whole = Succeeded(list.ReadTree(first));
    bool ok = true;
    CFIFOList& chunks = list.GetChunks();
    for (void* p = chunks.GetFirst(); p && ok; p = chunks.GetNext())
        ok = Print(static_cast<UtilsStream_Chunk*>(p), 0, path);
    stream.Close();
    if (ok && !whole)
        std::fprintf(stderr, "vornel profile: %s: a chunk after the last one shown is cut short or overlaps\n",
                     path);
    return ok && whole ? 0 : 1;
}

}  // namespace

int CommandProfile(int argc, char** argv)
{
    if (argc == 2 && std::strcmp(argv[0], "dump") == 0)
        return Dump(argv[1]);
    return kExitUsage;
}
