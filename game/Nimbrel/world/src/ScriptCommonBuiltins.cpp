// The table of the common builtins.
#include "NimbrelWorld/ScriptCommonBuiltins.h"

#include "NimbrelScript/ScriptHost.h"

const ScriptCommonBuiltin* ScriptCommonBuiltins()
{
    static const ScriptCommonBuiltin kBuiltins[kScriptCommonBuiltinCount] = {
        {"eTRACE", "int eTRACE(string str)", 0x4},
        {"eASSERT", "int eASSERT(string str)", 0x4},
        {"randomFloat", "int randomFloat(int min, int max)", 0x22},
        {"randomLong", "int randomLong(int min, int max)", 0x11},
        {"_command", "int _command(string str, string str, string str)", 0x444},
        {"sendObjectMessage", "int sendObjectMessage(string object, string message, int wParam, int lParam)", 0x1144},
    };
    return kBuiltins;
}

Status RegisterCommonBuiltinNames(ScriptVM* vm, ScriptModule* module, ScriptBuiltinFunction function)
{
    const ScriptCommonBuiltin* builtins = ScriptCommonBuiltins();
    for (uint32_t i = 0; i < kScriptCommonBuiltinCount; ++i) {
        const Status status = ScriptModule_RegisterBuiltin(vm, module, builtins[i].name, function,
                                                           ScriptPackArgumentCode(builtins[i].code), 0, 0);
        if (status < 0)
            return status;
    }
    return kStatusOk;
}
