#pragma once
// A game world called "Game" with a per-user folder of its own, three profile slots, a chapter
// table of three chapters (identifiers 100, 200, 300; first levels 1, 4, 7; chapters flag
// set) and construction stamps A 5 and B 7.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "NimbrelWorld/CNimbrelWorld.h"
#include "NimbrelWorld/ChaptersManager.h"
#include "NimbrelWorld/ProfileManager.h"
#include "VornelPlatform/PlatformFile.h"
#include "VornelUtils/UtilsMemory.h"
#include "VornelUtils/UtilsParameters_Static.h"
#include "VornelUtils/UtilsStream_Static.h"
#include "VornelUtils/UtilsString.h"

using Bytes = std::string;

// A chapter section of the construction file.
inline Bytes ChapterSection(const std::vector<std::pair<uint32_t, uint32_t>>& entries, uint8_t flag)
{
    Bytes out;
    auto u32 = [&out](uint32_t v) { out.append(reinterpret_cast<const char*>(&v), 4); };
    u32(static_cast<uint32_t>(entries.size()));
    for (const auto& e : entries) {
        u32(e.first);
        u32(e.second);
    }
    out.push_back(static_cast<char>(flag));
    return out;
}

// A world whose object count a test chooses (none: no objects manager).
class ProfileWorld : public CNimbrelWorld {
public:
    int64_t objects = -1;
    bool GetObjectCount(uint32_t* pCount) override
    {
        if (objects < 0)
            return false;
        *pCount = static_cast<uint32_t>(objects);
        return true;
    }
};

class ProfileTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        const char* data = std::getenv("XDG_DATA_HOME");
        m_hadData = data != nullptr;
        if (data)
            m_oldData = data;
        char pattern[] = "/tmp/nimbrel_profiles_XXXXXX";
        ASSERT_NE(mkdtemp(pattern), nullptr);
        m_root = pattern;
        setenv("XDG_DATA_HOME", (m_root + "/share").c_str(), 1);
        m_world.reset(new ProfileWorld());
        ASSERT_NE(m_world->GetGameData(), nullptr);
        ASSERT_EQ(m_world->LoadOptions(u"Game", nullptr, 0, 0, 1), kStatusOk);
        const std::string settings = "[PROFILES]\nPROFILES_COUNT = 3\n";
        m_settings.reset(new UtilsParameters_Static(settings.data(), static_cast<uint32_t>(settings.size()), 0));
        W()->pAppSettings = m_settings.get();
        Game().constructionStampA = 5;
        Game().constructionStampB = 7;
        m_chapters = new CChaptersManager(W());
        LoadChapters(ChapterSection({{100, 1}, {200, 4}, {300, 7}}, 1));
        m_world->SetManager(kManagerChapters, m_chapters);
        m_profiles = new CProfileManager(W());
        m_world->SetManager(kManagerProfile, m_profiles);
        ASSERT_EQ(m_profiles->LoadParameters(), kStatusOk);
        ASSERT_EQ(m_profiles->LoadSlots(), kStatusOk);
    }
    void TearDown() override
    {
        Platform_SetSaveHook(nullptr, nullptr);
        m_world.reset();
        if (m_hadData)
            setenv("XDG_DATA_HOME", m_oldData.c_str(), 1);
        else
            unsetenv("XDG_DATA_HOME");
        std::error_code error;
        std::filesystem::remove_all(m_root, error);
    }

    WorldData* W() { return m_world->GetWorldData(); }
    GameData& Game() { return *m_world->GetGameData(); }
    void LoadChapters(const Bytes& section)
    {
        Bytes copy = section;
        UtilsStream_Static stream(kStreamRead, copy.data(), static_cast<uint32_t>(copy.size()));
        ASSERT_EQ(stream.Open(), kStatusOk);
        ASSERT_EQ(m_chapters->Load(&stream), kStatusOk);
    }

    std::string Folder() const { return m_root + "/share/Nimbrel Game"; }
    std::string File(int index) const { return Folder() + "/Game.v3.profile_full_" + std::to_string(index) + ".sav"; }
    Bytes ReadFile(int index) const
    {
        std::ifstream in(File(index), std::ios::binary);
        std::stringstream bytes;
        bytes << in.rdbuf();
        return bytes.str();
    }
    void WriteFile(int index, const Bytes& bytes) const
    {
        std::filesystem::create_directories(Folder());
        std::ofstream(File(index), std::ios::binary | std::ios::trunc) << bytes;
    }
    bool Exists(int index) const { return std::filesystem::exists(File(index)); }

    // A used, changed slot in progress at chapter 1, level 4, named as given.
    ProfileSlot* Played(int index, const char16_t* name)
    {
        ProfileSlot* slot = m_profiles->GetSlot(index);
        slot->used = 1;
        slot->changed = 1;
        slot->gameInProgress = 1;
        slot->chapterIndex = 1;
        slot->levelObjectIndex = 4;
        slot->completedGames = 2;
        slot->flags = 1;
        slot->playTime = ProfileTime{600.0f, 5, 1, 3};
        slot->completionDate = ProfileDate{1, 2, 3, 4, 5, 2026};
        UTILS_FREE(slot->name);
        slot->name = UtilsString_DupW(name);
        m_chapters->SetCurrentChapter(1);
        return slot;
    }
    std::string Name(int index)
    {
        const ProfileSlot* slot = m_profiles->GetSlot(index);
        return slot && slot->name ? UtilsString_ToUtf8(slot->name) : std::string("<none>");
    }

    std::unique_ptr<ProfileWorld> m_world;
    std::unique_ptr<UtilsParameters_Static> m_settings;
    CChaptersManager* m_chapters = nullptr;
    CProfileManager* m_profiles = nullptr;
    std::string m_root;
    std::string m_oldData;
    bool m_hadData = false;
};
