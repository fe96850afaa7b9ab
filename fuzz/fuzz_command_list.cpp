// The command lists of a saved game: the manager's records and a holder's handles. The first
// byte chooses the reader (even: the manager, odd: a list), the rest is the stream. Any bytes
// must load or be refused with a status; what loads is burnt, added to and saved again.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "NimbrelWorld/CCommandListManager.h"
#include "VornelUtils/UtilsStream_Static.h"
#include "VornelUtils/WorldData.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size == 0)
        return 0;
    static WorldData* world = new WorldData{};
    std::vector<uint8_t> bytes(data + 1, data + size);
    UtilsStream_Static in(kStreamRead, bytes.data(), static_cast<uint32_t>(bytes.size()));
    in.Open();
    CCommandListManager manager(world);
    UtilsStream_Static out(kStreamReadWriteGrowable, nullptr, 0);
    out.Open();
    if (data[0] % 2 == 0) {
        if (manager.Load(&in) < 0)
            return 0;
        for (uint32_t i = 0; i < manager.GetCount(); ++i) {
            const CommandRecord record = *manager.GetRecord(i);
            const CommandHandle handle{record.kind, i, record.magicIndex, 0, 0};
            manager.Unlock(handle);
            manager.OnBurnCommand(handle, record.event, 0, 0, 0);
        }
        CommandHandle added{};
        manager.AddCommand(1, 0, kCommandResumeWait, kCommandEventClick, 0, 0, 0, &added);
        manager.RemoveLastCommand();
        manager.Save(&out);
    } else {
        CCommandList list(world);
        if (list.Load(&in) < 0)
            return 0;
        for (uint32_t i = 0; i < list.GetCount(); ++i)
            manager.OnBurnCommand(*list.GetHandle(i), kCommandEventClick, 0, 0, 0);
        list.Add(CommandHandle{3, 0, 1, 0, 0});
        list.Save(&out);
    }
    out.Close();
    return 0;
}
