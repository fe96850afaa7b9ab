// The load of a DirectSound sound against a device of the test's own, for the failures that
// the system's device never shows: every interface a load was handed is given back when the
// load fails.
#include <gtest/gtest.h>

#include <windows.h>

#include <cstring>
#include <vector>

#include "AudioTestSupport.h"
#include "CAudioEngineDX81.h"
#include "CAudioObjectDX81.h"
#include "VornelUtils/UtilsString.h"
#include "VornelUtils/WorldData.h"

namespace {

// What the objects below were asked; references counts the interfaces handed out and not yet
// released.
struct DeviceLog {
    int references = 0;
    int parametersSet = 0;
};

// The 3D side of a buffer whose parameters cannot be read.
class Unreadable3DBuffer final : public IDirectSound3DBuffer {
public:
    explicit Unreadable3DBuffer(DeviceLog& log) : m_log(log) {}

    STDMETHOD(QueryInterface)(REFIID, void** object) override
    {
        *object = nullptr;
        return E_NOINTERFACE;
    }
    STDMETHOD_(ULONG, AddRef)() override { return ULONG(++m_log.references); }
    STDMETHOD_(ULONG, Release)() override { return ULONG(--m_log.references); }

    STDMETHOD(GetAllParameters)(LPDS3DBUFFER) override { return DSERR_GENERIC; }
    STDMETHOD(SetAllParameters)(LPCDS3DBUFFER, DWORD) override
    {
        ++m_log.parametersSet;
        return DS_OK;
    }
    STDMETHOD(GetConeAngles)(LPDWORD, LPDWORD) override { return E_NOTIMPL; }
    STDMETHOD(GetConeOrientation)(LPD3DVECTOR) override { return E_NOTIMPL; }
    STDMETHOD(GetConeOutsideVolume)(LPLONG) override { return E_NOTIMPL; }
    STDMETHOD(GetMaxDistance)(LPD3DVALUE) override { return E_NOTIMPL; }
    STDMETHOD(GetMinDistance)(LPD3DVALUE) override { return E_NOTIMPL; }
    STDMETHOD(GetMode)(LPDWORD) override { return E_NOTIMPL; }
    STDMETHOD(GetPosition)(LPD3DVECTOR) override { return E_NOTIMPL; }
    STDMETHOD(GetVelocity)(LPD3DVECTOR) override { return E_NOTIMPL; }
    STDMETHOD(SetConeAngles)(DWORD, DWORD, DWORD) override { return E_NOTIMPL; }
    STDMETHOD(SetConeOrientation)(D3DVALUE, D3DVALUE, D3DVALUE, DWORD) override { return E_NOTIMPL; }
    STDMETHOD(SetConeOutsideVolume)(LONG, DWORD) override { return E_NOTIMPL; }
    STDMETHOD(SetMaxDistance)(D3DVALUE, DWORD) override { return E_NOTIMPL; }
    STDMETHOD(SetMinDistance)(D3DVALUE, DWORD) override { return E_NOTIMPL; }
    STDMETHOD(SetMode)(DWORD, DWORD) override { return E_NOTIMPL; }
    STDMETHOD(SetPosition)(D3DVALUE, D3DVALUE, D3DVALUE, DWORD) override { return E_NOTIMPL; }
    STDMETHOD(SetVelocity)(D3DVALUE, D3DVALUE, D3DVALUE, DWORD) override { return E_NOTIMPL; }

private:
    DeviceLog& m_log;
};

// A buffer in memory whose 3D side is the one above.
class MemoryBuffer final : public IDirectSoundBuffer {
public:
    MemoryBuffer(DeviceLog& log, DWORD bytes) : m_log(log), m_3D(log), m_bytes(bytes) {}

    STDMETHOD(QueryInterface)(REFIID id, void** object) override
    {
        if (IsEqualIID(id, IID_IDirectSound3DBuffer)) {
            m_3D.AddRef();
            *object = &m_3D;
            return S_OK;
        }
        *object = nullptr;
        return E_NOINTERFACE;
    }
    STDMETHOD_(ULONG, AddRef)() override { return ULONG(++m_log.references); }
    STDMETHOD_(ULONG, Release)() override { return ULONG(--m_log.references); }

    STDMETHOD(Lock)(DWORD offset, DWORD bytes, LPVOID* first, LPDWORD firstBytes, LPVOID* second,
                    LPDWORD secondBytes, DWORD) override
    {
        if (offset + bytes > m_bytes.size())
            return DSERR_INVALIDPARAM;
        *first = m_bytes.data() + offset;
        *firstBytes = bytes;
        if (second)
            *second = nullptr;
        if (secondBytes)
            *secondBytes = 0;
        return DS_OK;
    }
    STDMETHOD(Unlock)(LPVOID, DWORD, LPVOID, DWORD) override { return DS_OK; }
    STDMETHOD(GetStatus)(LPDWORD status) override
    {
        *status = 0;
        return DS_OK;
    }
    STDMETHOD(SetCurrentPosition)(DWORD) override { return DS_OK; }
    STDMETHOD(SetVolume)(LONG) override { return DS_OK; }
    STDMETHOD(SetPan)(LONG) override { return DS_OK; }
    STDMETHOD(GetCaps)(LPDSBCAPS) override { return E_NOTIMPL; }
    STDMETHOD(GetCurrentPosition)(LPDWORD, LPDWORD) override { return E_NOTIMPL; }
    STDMETHOD(GetFormat)(LPWAVEFORMATEX, DWORD, LPDWORD) override { return E_NOTIMPL; }
    STDMETHOD(GetVolume)(LPLONG) override { return E_NOTIMPL; }
    STDMETHOD(GetPan)(LPLONG) override { return E_NOTIMPL; }
    STDMETHOD(GetFrequency)(LPDWORD) override { return E_NOTIMPL; }
    STDMETHOD(Initialize)(LPDIRECTSOUND, LPCDSBUFFERDESC) override { return E_NOTIMPL; }
    STDMETHOD(Play)(DWORD, DWORD, DWORD) override { return E_NOTIMPL; }
    STDMETHOD(SetFormat)(LPCWAVEFORMATEX) override { return E_NOTIMPL; }
    STDMETHOD(SetFrequency)(DWORD) override { return E_NOTIMPL; }
    STDMETHOD(Stop)() override { return DS_OK; }
    STDMETHOD(Restore)() override { return DS_OK; }

private:
    DeviceLog& m_log;
    Unreadable3DBuffer m_3D;
    std::vector<uint8_t> m_bytes;
};

// Makes one buffer, kept for the test's length.
class OneBufferDevice final : public IDirectSound8 {
public:
    explicit OneBufferDevice(DeviceLog& log) : m_log(log) {}
    ~OneBufferDevice() { delete m_buffer; }

    STDMETHOD(QueryInterface)(REFIID, void** object) override
    {
        *object = nullptr;
        return E_NOINTERFACE;
    }
    STDMETHOD_(ULONG, AddRef)() override { return 1; }
    STDMETHOD_(ULONG, Release)() override { return 1; }

    STDMETHOD(CreateSoundBuffer)(LPCDSBUFFERDESC description, LPLPDIRECTSOUNDBUFFER buffer, IUnknown*) override
    {
        if (m_buffer)
            return DSERR_OUTOFMEMORY;
        m_buffer = new MemoryBuffer(m_log, description->dwBufferBytes);
        m_buffer->AddRef();
        *buffer = m_buffer;
        return DS_OK;
    }
    STDMETHOD(GetCaps)(LPDSCAPS) override { return E_NOTIMPL; }
    STDMETHOD(DuplicateSoundBuffer)(LPDIRECTSOUNDBUFFER, LPLPDIRECTSOUNDBUFFER) override { return E_NOTIMPL; }
    STDMETHOD(SetCooperativeLevel)(HWND, DWORD) override { return E_NOTIMPL; }
    STDMETHOD(Compact)() override { return E_NOTIMPL; }
    STDMETHOD(GetSpeakerConfig)(LPDWORD) override { return E_NOTIMPL; }
    STDMETHOD(SetSpeakerConfig)(DWORD) override { return E_NOTIMPL; }
    STDMETHOD(Initialize)(LPCGUID) override { return E_NOTIMPL; }
    STDMETHOD(VerifyCertification)(LPDWORD) override { return E_NOTIMPL; }

private:
    DeviceLog& m_log;
    MemoryBuffer* m_buffer = nullptr;
};

TEST(AudioDX81Load, A3DSoundWhoseParametersCannotBeReadFailsAndGivesItsBuffersBack)
{
    DeviceLog log;
    OneBufferDevice device(log);
    AudioDeviceDX81 block{};
    block.pDevice = &device;
    block.applyMode = DS3D_IMMEDIATE;
    WorldData data{};
    data.dataPathWord = -1;
    data.pAudioBlock = &block;

    ScratchFolder folder;
    const std::string path = folder.Write("mono.wav", PcmWave(1, 22050, Tone(1, 22050, 440, 0.1, 0.5)));
    CAudioObjectDX81 sound(&data, kAudioCreate3D, 0);
    EXPECT_EQ(sound.LoadFromFile(UtilsString_FromUtf8(path.c_str()).c_str(), 0), kStatusFailed);
    EXPECT_FALSE(sound.IsLoaded());
    EXPECT_EQ(log.references, 0);
    EXPECT_EQ(log.parametersSet, 0);  // nothing unread was set back
}

}  // namespace
