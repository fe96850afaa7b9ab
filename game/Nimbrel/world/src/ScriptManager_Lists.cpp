// Object lists as scripts write them: names, "this" and "parent", each with an optional '*'.
#include <cstring>

#include "NimbrelObjects/BuiltinTrace.h"
#include "NimbrelObjects/CObjectsBase.h"
#include "NimbrelWorld/CNimbrelWorld.h"
#include "NimbrelWorld/CObjectsManager.h"
#include "NimbrelWorld/CScriptManager.h"
#include "VornelUtils/UtilsString.h"

void CScriptManager::ResolveObjectList(ObjectListIterator& it, const char* list, uint32_t caller,
                                       const BuiltinReport& report, bool quiet)
{
    it.caller = caller;
    it.quiet = quiet ? 1 : 0;
    it.object = -1;
    it.done = it.text.Start(list) ? 0 : 1;
    ResolveObjectListNext(it, report);
}

void CScriptManager::ResolveObjectListNext(ObjectListIterator& it, const BuiltinReport& report)
{
    it.object = -1;
    CNimbrelWorld* world = GetWorld();
    CObjectsManager* objects = world ? world->GetObjectsManager() : nullptr;
    while (!it.done) {
        char* token = it.text.NextToken(&it.prefix);
        if (!token || !objects) {
            it.done = 1;
            return;
        }
        int32_t index = -1;
        if (std::strcmp(token, "this") == 0) {
            index = static_cast<int32_t>(it.caller);
        } else if (std::strcmp(token, "parent") == 0) {
            // The object a level opened over, marked by its release mode.
            for (uint32_t i = 0; i < objects->GetObjectCount() && index < 0; ++i)
                if (CObjectsBase* object = objects->GetObject(i); object && object->GetReleaseMode() == 1)
                    index = static_cast<int32_t>(object->GetObjectNumber());
        } else {
            index = objects->FindLevelIndexByName(token);
        }
        if (index >= 0 && objects->GetObject(static_cast<uint32_t>(index))) {
            it.object = index;
            return;
        }
        if (!it.quiet) {
            const BuiltinTrace trace = {objects->GetObject(it.caller), report.builtin, report.fileIndex, report.line,
                                        kTraceError};
            TraceBuiltin(m_pWorldData, trace, "unrecognized object \"%S\"", UtilsString_FromUtf8(token).c_str());
        }
    }
}
