#include "VornelNetwork/CNetworkEngine.h"

#include <new>

#include "VornelUtils/RegisterModules.h"
#include "VornelUtils/UtilsLog.h"
#include "VornelUtils/WorldData.h"

namespace {

// Every object left in the list released and deleted; a leak line when there was any.
template <class T>
void ReleaseAll(CFIFOList& list, WorldData* w, const char16_t* listName)
{
    if (list.IsEmpty())
        return;
    for (void* p = list.GetFirst(); p; p = list.RemoveCurrent(0)) {
        static_cast<T*>(p)->Release();
        delete static_cast<T*>(p);
    }
    Log(w ? w->logPath : nullptr, 0, u"# CNetworkEngine::%s detected memory leaks !\n", listName);
}

template <class T>
void DeleteAll(CFIFOList& list)
{
    for (void* p = list.GetFirst(); p; p = list.RemoveCurrent(0))
        delete static_cast<T*>(p);
}

// A new object, initialised and listed; null when any step fails.
template <class T>
T* Create(CFIFOList& list, WorldData* w)
{
    T* p = new (std::nothrow) T(w);
    if (!p)
        return nullptr;
    if (Failed(p->Init()) || Failed(list.Add(p, 0))) {
        p->Release();
        delete p;
        return nullptr;
    }
    return p;
}

template <class T>
Status Remove(CFIFOList& list, T* p)
{
    if (!p)
        return kStatusFailed;
    if (Failed(list.Remove(p)))
        return kStatusOk;  // not ours
    const Status status = p->Release();
    delete p;
    return status;
}

}  // namespace

CNetworkEngine::~CNetworkEngine()
{
    DeleteAll<CNetworkClientHTTPBase>(m_listNertworkClientHTTP);
    DeleteAll<CNetworkPeer>(m_listNertworkClientTCP);
    DeleteAll<CNetworkPeer>(m_listNertworkServerTCP);
    DeleteAll<CNetworkPeer>(m_listNertworkClientUDP);
    DeleteAll<CNetworkPeer>(m_listNertworkServerUDP);
}

Status CNetworkEngine::Release()
{
    ReleaseAll<CNetworkClientHTTPBase>(m_listNertworkClientHTTP, m_pWorldData, u"m_listNertworkClientHTTP");
    ReleaseAll<CNetworkPeer>(m_listNertworkClientTCP, m_pWorldData, u"m_listNertworkClientTCP");
    ReleaseAll<CNetworkPeer>(m_listNertworkServerTCP, m_pWorldData, u"m_listNertworkServerTCP");
    ReleaseAll<CNetworkPeer>(m_listNertworkClientUDP, m_pWorldData, u"m_listNertworkClientUDP");
    ReleaseAll<CNetworkPeer>(m_listNertworkServerUDP, m_pWorldData, u"m_listNertworkServerUDP");
    return kStatusOk;
}

CNetworkEngineOS::CNetworkEngineOS(WorldData* pWorldData) : CNetworkEngine(pWorldData)
{
    if (m_pWorldData)
        m_pWorldData->pNetworkBlock = &m_record;
}

CNetworkEngineOS::~CNetworkEngineOS()
{
    if (m_pWorldData && m_pWorldData->pNetworkBlock == &m_record)
        m_pWorldData->pNetworkBlock = nullptr;
}

CNetworkClientHTTP* CNetworkEngineOS::CreateClientHTTP(HttpCallback callback, uint32_t userValue)
{
    CNetworkClientHTTP* client = Create<CNetworkClientHTTP>(m_listNertworkClientHTTP, m_pWorldData);
    if (client)
        client->SetCallback(callback, userValue);
    return client;
}

Status CNetworkEngineOS::ReleaseClientHTTP(CNetworkClientHTTP* pClient)
{
    return Remove(m_listNertworkClientHTTP, pClient);
}

CNetworkClientTCP* CNetworkEngineOS::CreateClientTCP()
{
    return Create<CNetworkClientTCP>(m_listNertworkClientTCP, m_pWorldData);
}

Status CNetworkEngineOS::ReleaseClientTCP(CNetworkClientTCP* pClient)
{
    return Remove(m_listNertworkClientTCP, pClient);
}

CNetworkServerTCP* CNetworkEngineOS::CreateServerTCP()
{
    return Create<CNetworkServerTCP>(m_listNertworkServerTCP, m_pWorldData);
}

Status CNetworkEngineOS::ReleaseServerTCP(CNetworkServerTCP* pServer)
{
    return Remove(m_listNertworkServerTCP, pServer);
}

CNetworkClientUDP* CNetworkEngineOS::CreateClientUDP()
{
    return Create<CNetworkClientUDP>(m_listNertworkClientUDP, m_pWorldData);
}

Status CNetworkEngineOS::ReleaseClientUDP(CNetworkClientUDP* pClient)
{
    return Remove(m_listNertworkClientUDP, pClient);
}

CNetworkServerUDP* CNetworkEngineOS::CreateServerUDP()
{
    return Create<CNetworkServerUDP>(m_listNertworkServerUDP, m_pWorldData);
}

Status CNetworkEngineOS::ReleaseServerUDP(CNetworkServerUDP* pServer)
{
    return Remove(m_listNertworkServerUDP, pServer);
}

CBaseObject* CreateModuleNetwork_OS(WorldData* pWorldData)
{
    return new (std::nothrow) CNetworkEngineOS(pWorldData);
}

Status RegisterModuleNetwork_OS(WorldData* pWorldData)
{
    return RegisterModuleOfKind(kModuleNetwork, kModuleNetworkId_OS, CreateModuleNetwork_OS, pWorldData);
}
