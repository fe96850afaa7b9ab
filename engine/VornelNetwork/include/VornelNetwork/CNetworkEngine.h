#pragma once
// The network module: creates and owns network clients and servers, one list per kind. Only
// the HTTP client does anything: one blocking GET whose first block of answer goes to a
// callback. The TCP and UDP clients and servers succeed without effect. "OS" (network id 1)
// is the implementation over the system's HTTP: libcurl on Linux, WinINet on Windows.
#include <cstdint>

#include "VornelUtils/EngineModule.h"
#include "VornelUtils/FIFOList.h"
#include "VornelUtils/Status.h"

constexpr uint16_t kModuleNetworkId_OS = 1;
// The most of an answer that reaches the callback.
constexpr uint32_t kHttpAnswerSize = 16535;

// Receives the first block of an answer: data, byte count, the client's user value.
using HttpCallback = void (*)(const uint8_t* data, uint32_t size, uint32_t userValue);

class CNetworkClientHTTPBase : public CBaseObject {
public:
    explicit CNetworkClientHTTPBase(WorldData* pWorldData) : CBaseObject(pWorldData) {}
    virtual Status Init() { return kStatusOk; }
    virtual Status Release() { return kStatusOk; }
    virtual Status Request(const char16_t* url) { return kStatusFailed; }
    virtual void Reserved() {}

    void SetCallback(HttpCallback callback, uint32_t userValue)
    {
        m_pfnCallback = callback;
        m_userValue = userValue;
    }

protected:
    uint32_t m_userValue = 0;
    HttpCallback m_pfnCallback = nullptr;
};

class CNetworkClientHTTP : public CNetworkClientHTTPBase {
public:
    explicit CNetworkClientHTTP(WorldData* pWorldData) : CNetworkClientHTTPBase(pWorldData) {}
    // A GET of the URL (http or https) with the agent "WebForm 1"; the first kHttpAnswerSize
    // bytes of the answer, whatever its status, go to the callback and the rest is not read.
    // No answer (bad URL, refused, no progress for 5 s): 0x80000001 and no callback. An answer
    // cut before its body was read: no callback, 0.
    Status Request(const char16_t* url) override;
};

// The TCP and UDP clients and servers: nothing behind them.
class CNetworkPeer : public CBaseObject {
public:
    explicit CNetworkPeer(WorldData* pWorldData) : CBaseObject(pWorldData) {}
    virtual Status Init() { return kStatusOk; }
    virtual Status Release() { return kStatusOk; }
};
class CNetworkClientTCP : public CNetworkPeer {
public:
    using CNetworkPeer::CNetworkPeer;
};
class CNetworkServerTCP : public CNetworkPeer {
public:
    using CNetworkPeer::CNetworkPeer;
};
class CNetworkClientUDP : public CNetworkPeer {
public:
    using CNetworkPeer::CNetworkPeer;
};
class CNetworkServerUDP : public CNetworkPeer {
public:
    using CNetworkPeer::CNetworkPeer;
};

class CNetworkEngine : public CEngineModule {
public:
    explicit CNetworkEngine(WorldData* pWorldData) : CEngineModule(pWorldData) {}
    // Deletes what Release left (a world never unloaded).
    ~CNetworkEngine() override;

    // Every object left in the lists is released and deleted (a leak line with flag 0 per list). 0.
    Status Release() override;

    // The base makes nothing: null. A release of null gives 0x80000001; of an object not in
    // the list 0, nothing else; otherwise the object's Release, after which it is deleted.
    virtual CNetworkClientHTTP* CreateClientHTTP(HttpCallback callback, uint32_t userValue) { return nullptr; }
    virtual Status ReleaseClientHTTP(CNetworkClientHTTP* pClient) { return kStatusFailed; }
    virtual CNetworkClientTCP* CreateClientTCP() { return nullptr; }
    virtual Status ReleaseClientTCP(CNetworkClientTCP* pClient) { return kStatusFailed; }
    virtual CNetworkServerTCP* CreateServerTCP() { return nullptr; }
    virtual Status ReleaseServerTCP(CNetworkServerTCP* pServer) { return kStatusFailed; }
    virtual CNetworkClientUDP* CreateClientUDP() { return nullptr; }
    virtual Status ReleaseClientUDP(CNetworkClientUDP* pClient) { return kStatusFailed; }
    virtual CNetworkServerUDP* CreateServerUDP() { return nullptr; }
    virtual Status ReleaseServerUDP(CNetworkServerUDP* pServer) { return kStatusFailed; }

protected:
    CFIFOList m_listNertworkClientHTTP;
    CFIFOList m_listNertworkClientTCP;
    CFIFOList m_listNertworkServerTCP;
    CFIFOList m_listNertworkClientUDP;
    CFIFOList m_listNertworkServerUDP;
};

class CNetworkEngineOS : public CNetworkEngine {
public:
    explicit CNetworkEngineOS(WorldData* pWorldData);
    ~CNetworkEngineOS() override;

    CNetworkClientHTTP* CreateClientHTTP(HttpCallback callback, uint32_t userValue) override;
    Status ReleaseClientHTTP(CNetworkClientHTTP* pClient) override;
    CNetworkClientTCP* CreateClientTCP() override;
    Status ReleaseClientTCP(CNetworkClientTCP* pClient) override;
    CNetworkServerTCP* CreateServerTCP() override;
    Status ReleaseServerTCP(CNetworkServerTCP* pServer) override;
    CNetworkClientUDP* CreateClientUDP() override;
    Status ReleaseClientUDP(CNetworkClientUDP* pClient) override;
    CNetworkServerUDP* CreateServerUDP() override;
    Status ReleaseServerUDP(CNetworkServerUDP* pServer) override;

private:
    uint32_t m_record = 0;  // published in the world data record's network block
};

// A new "OS" network engine; null when out of memory.
CBaseObject* CreateModuleNetwork_OS(WorldData* pWorldData);
// Appends {descriptor 1 "OS", CreateModuleNetwork_OS, ReleaseModule} to the network module
// list. Out of memory or no record: 0x80000002 (latched when there is a record).
Status RegisterModuleNetwork_OS(WorldData* pWorldData);
