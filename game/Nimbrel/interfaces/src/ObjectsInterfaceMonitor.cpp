// The score monitor's records: their parameters, the score updates, the bounds and the callback,
// and the text each display type shows.
#include "NimbrelInterfaces/CObjectsInterfaceMonitor.h"

#include <cfloat>
#include <cstring>
#include <string>

#include "NimbrelLevels/LevelValues.h"
#include "NimbrelObjects/BuiltinTrace.h"
#include "NimbrelWorld/CNimbrelWorld.h"
#include "NimbrelWorld/ObjectKindTable.h"
#include "Vornel3D_ToolBox/CStringsManager.h"
#include "Vornel3D_ToolBox/CVornelFont.h"
#include "Vornel3D_ToolBox/FontRecords.h"
#include "VornelUtils/UtilsMemory.h"
#include "VornelUtils/UtilsString.h"
#include "VornelUtils/WorldData.h"

namespace {

// The words of "monitor_type", by display type.
constexpr const char* kTypeWords[] = {"score",        "score_count",      "score_multiply",
                                      "score_countdown", "timer_count", "timer_countdown"};
constexpr uint32_t kTypeWordCount = sizeof kTypeWords / sizeof kTypeWords[0];

// The callback's arguments: the leading 0, the monitor's name and the event word.
constexpr uint32_t kCallbackArguments = 0x30000441u;
constexpr uint32_t kCallbackMask = 0x0FFFFFFFu;

bool Is(const char* text, const char* word) { return text && std::strcmp(text, word) == 0; }

// The types that hold a score: the timers never change their text or reach a bound.
bool HoldsScore(uint32_t type) { return type <= kMonitorScoreCountdown; }

}  // namespace

CObjectsInterfaceMonitor::CObjectsInterfaceMonitor(WorldData* pWorldData, uint32_t objectNumber, uint32_t constructWord)
    : CObjectsInterface(pWorldData, objectNumber, constructWord)
{
    m_typeCode = kObjectKindMonitor;
}

CObjectsInterfaceMonitor::~CObjectsInterfaceMonitor()
{
    FreeRecords();
}

void CObjectsInterfaceMonitor::FreeRecords()
{
    for (uint32_t i = 0; i < m_recordCount; ++i)
        if (MonitorRecord* record = m_ppRecords[i]) {
            UTILS_FREE(record->pCallback);
            UTILS_FREE(record);
        }
    UTILS_FREE(m_ppRecords);
    m_ppRecords = nullptr;
    m_recordCount = 0;
}

Status CObjectsInterfaceMonitor::Release()
{
    FreeRecords();
    return CObjectsInterface::Release();
}

MonitorRecord* CObjectsInterfaceMonitor::MakeRecord(uint32_t level, Status* pStatus)
{
    *pStatus = kStatusOk;
    if (!m_ppRecords) {
        const uint32_t count = SceneObjectCount();
        m_ppRecords = static_cast<MonitorRecord**>(UTILS_CALLOC(count ? count : 1, sizeof(MonitorRecord*)));
        if (!m_ppRecords) {
            *pStatus = OutOfMemory();
            return nullptr;
        }
        m_recordCount = count;
    }
    if (level >= m_recordCount) {
        *pStatus = kStatusFailed;
        return nullptr;
    }
    if (!m_ppRecords[level]) {
        auto* record = static_cast<MonitorRecord*>(UTILS_CALLOC(1, sizeof(MonitorRecord)));
        if (!record) {
            *pStatus = OutOfMemory();
            return nullptr;
        }
        // No losing score until a script sets one: the lowest float, which no score goes below.
        record->maximum = FLT_MAX;
        record->minimum = -FLT_MAX;
        record->displayType = kMonitorNothing;
        m_ppRecords[level] = record;
    }
    return m_ppRecords[level];
}

Status CObjectsInterfaceMonitor::SetParameters(uint32_t level, const char* word, const char* value)
{
    Status status = kStatusOk;
    MonitorRecord* record = MakeRecord(level, &status);
    if (!record)
        return status;
    if (Is(word, "monitor_type")) {
        for (uint32_t type = 0; type < kTypeWordCount; ++type)
            if (Is(value, kTypeWords[type])) {
                record->displayType = type;
                return kStatusOk;
            }
        NoTrace("invalid monitor type %s", value ? value : "");
        return kStatusFailed;
    }
    if (Is(word, "callback_events")) {
        char* copy = value ? UtilsString_DupA(value) : nullptr;
        if (value && !copy)
            return OutOfMemory();
        UTILS_FREE(record->pCallback);
        record->pCallback = copy;
    } else if (Is(word, "set_score_to_win")) {
        record->maximum = TokenFloat(value);
    } else if (Is(word, "set_score_to_lose")) {
        record->minimum = TokenFloat(value);
    }
    return kStatusOk;
}

Status CObjectsInterfaceMonitor::Update(uint32_t level, const char* command, float score)
{
    MonitorRecord* record = level < m_recordCount ? m_ppRecords[level] : nullptr;
    if (!record)
        return kStatusFailed;
    const bool empty = record->text[0] == 0;
    if (Is(command, "set_score")) {
        if (score == record->lastScore && !empty)
            return kStatusOk;
        record->value = record->lastScore = score;
    } else if (Is(command, "add_score")) {
        if (score == 0.0f && !empty)
            return kStatusOk;
        record->value += score;
        record->lastScore = record->value;
    } else if (Is(command, "set_timer") || Is(command, "start_timer") || Is(command, "stop_timer") ||
               Is(command, "pause_timer")) {
        return kStatusOk;
    } else {
        return kStatusFailed;
    }
    const Status status = CheckBounds(level, *record);
    // The callback may have replaced this level's records: look again.
    if (MonitorRecord* now = level < m_recordCount ? m_ppRecords[level] : nullptr)
        Format(*now);
    return Failed(status) ? status : kStatusOk;
}

Status CObjectsInterfaceMonitor::CheckBounds(uint32_t level, MonitorRecord& record)
{
    if (!HoldsScore(record.displayType))
        return kStatusOk;
    const char* event = nullptr;
    if (record.value >= record.maximum) {
        record.value = record.maximum;
        event = "on_max_score_reached";
    } else if (record.value <= record.minimum) {
        record.value = record.minimum;
        event = "on_min_score_reached";
    }
    return event ? CallBack(level, record, event) : kStatusOk;
}

Status CObjectsInterfaceMonitor::CallBack(uint32_t level, const MonitorRecord& record, const char* event)
{
    CObjectsBase* target = SceneObject(level);
    if (!record.pCallback || !target)
        return kStatusOk;
    // The function may set another callback, freeing this name, while it runs.
    const std::string name = record.pCallback;
    uintptr_t arguments[3] = {0, reinterpret_cast<uintptr_t>(m_pName ? m_pName : ""),
                              reinterpret_cast<uintptr_t>(event)};
    const Status status = target->CallScriptFunction(name.c_str(), kCallbackMask, 0, arguments, kCallbackArguments);
    return Failed(status) && status != kStatusWait ? kStatusFailed : kStatusOk;
}

void CObjectsInterfaceMonitor::Format(MonitorRecord& record)
{
    const int32_t value = TruncateToInt32(record.value), maximum = TruncateToInt32(record.maximum);
    switch (record.displayType) {
    case kMonitorScore:
        UtilsString_Format(record.text, kMonitorTextLength, u"%d", value);
        break;
    case kMonitorScoreCount:
        UtilsString_Format(record.text, kMonitorTextLength, u"%d/%d", value, maximum);
        break;
    case kMonitorScoreMultiply:
        UtilsString_Format(record.text, kMonitorTextLength, u"%d x", value);
        break;
    case kMonitorScoreCountdown:
        UtilsString_Format(record.text, kMonitorTextLength, u"%d/%d", TruncateToInt32(record.maximum - record.value),
                           maximum);
        break;
    default:
        return;
    }
    // A charset font draws its own codes.
    auto* world = m_pWorldData ? dynamic_cast<CNimbrelWorld*>(m_pWorldData->pWorld) : nullptr;
    const CVornelFont* font = world ? world->GetMainFont() : nullptr;
    if (font && font->GetFontType() == kFontCharset)
        if (const CStringsManager* strings = world->GetStringsManager())
            strings->RemapChars(record.text);
}

// ---- words -------------------------------------------------------------------------------------

Status CObjectsInterfaceMonitor::setObjectParameters(ScriptBuiltinCall& call)
{
    if (!Is(call.Text(0), "monitor_item_name"))
        return kStatusDoneStoreResult;
    const int32_t element = call.Text(1) ? FindElementByName(call.Text(1)) : -1;
    if (element < 0) {
        TraceCall(call, kTraceError, "unknown monitor item %s", call.Text(1) ? call.Text(1) : "");
        return kStatusFailed;
    }
    m_monitorElement = element;
    return kStatusDoneStoreResult;
}

Status CObjectsInterfaceMonitor::getObjectParameters(ScriptBuiltinCall&) { return kStatusFailed; }

Status CObjectsInterfaceMonitor::CheckSetup() { return m_monitorElement < 0 ? kStatusFailed : kStatusOk; }

Status CObjectsInterfaceMonitor::ReloadElementInfos()
{
    const Status status = CObjectsInterface::ReloadElementInfos();
    m_monitorElement = -1;
    return status;
}
