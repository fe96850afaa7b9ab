#pragma once
// The root of nearly every engine and game class: it keeps the world data record that every
// engine object shares.
struct WorldData;

class CBaseObject {
public:
    explicit CBaseObject(WorldData* pWorldData) : m_pWorldData(pWorldData) {}
    virtual ~CBaseObject() = default;

    CBaseObject(const CBaseObject&) = delete;
    CBaseObject& operator=(const CBaseObject&) = delete;

    WorldData* GetWorldData() const { return m_pWorldData; }

protected:
    WorldData* m_pWorldData;
};
