#include "NimbrelScript/ScriptText.h"
#include "NimbrelScript/ScriptVM.h"

#include "VornelUtils/UtilsMemory.h"

#include <cstdarg>
#include <vector>

namespace {

void ReportV(ScriptVM* vm, ScriptModule* module, uint32_t fileIndex, uint32_t line, const char16_t* format,
             va_list args)
{
    if (!vm || !format)
        return;
    std::vector<char16_t> message(kScriptTextCapacity);
    std::vector<char16_t> text(kScriptTextCapacity);
    ScriptFormatV(message.data(), message.size(), format, args);
    if (vm->errorText) {
        UTILS_FREE(vm->errorText);
        vm->errorText = nullptr;
    }
    const char* fileName = ScriptModule_GetFileName(vm, module, fileIndex);
    ScriptFormatW(text.data(), text.size(), u"Script error! %s (\"%S\" : line=%d)", message.data(), fileName,
                  static_cast<int>(line));
    vm->errorText = StrDupW(text.data());
}

} // namespace

void ScriptReportError(ScriptVM* vm, ScriptModule* module, uint32_t fileIndex, uint32_t line, const char16_t* format,
                       ...)
{
    va_list args;
    va_start(args, format);
    ReportV(vm, module, fileIndex, line, format, args);
    va_end(args);
}

Status ScriptFail(ScriptVM* vm, ScriptModule* module, Status status, uint32_t fileIndex, uint32_t line,
                  const char16_t* format, ...)
{
    va_list args;
    va_start(args, format);
    ReportV(vm, module, fileIndex, line, format, args);
    va_end(args);
    if (vm)
        vm->status = status;
    return status;
}

Status ScriptVM_GetLastError(ScriptVM* vm, char16_t* buffer, size_t size)
{
    if (buffer && size > 0)
        buffer[0] = 0;
    if (vm->errorText && buffer && UtilsString_Length(vm->errorText) < size)
        UtilsString_Copy(buffer, size, vm->errorText);
    return vm->status;
}
