// vornel construct: the construction file "NAME_construct.raw" built from a line-based
// description, with the labels, item-group and popup-group tables in "groups/" beside it, and
// printed back in that form through the game's own readers. The objects are listed in index
// order, each with a label that the chapter and interface lines name.
#include "Commands.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "NimbrelWorld/ChaptersManager.h"
#include "NimbrelWorld/ConstructionFile.h"
#include "NimbrelWorld/GroupTableFile.h"
#include "NimbrelWorld/ObjectKindTable.h"
#include "OutputFile.h"
#include "Vornel3D_ToolBox/CManagedWorld.h"
#include "VornelUtils/UtilsMemory.h"
#include "VornelUtils/UtilsStream_File.h"
#include "VornelUtils/UtilsStream_Static.h"
#include "VornelUtils/UtilsString.h"
#include "VornelUtils/WorldData.h"

namespace {

// A label, item group or popup group as its line gives it.
struct GroupSource {
    std::string name;
    uint32_t word1 = 0, word2 = 0;
    uint8_t byte1 = 0, byte2 = 0;
    uint32_t value = 0;
    std::vector<std::string> members;
};

struct ConstructionSource {
    std::string identity;
    std::vector<GroupSource> tables[kGroupTableKindCount];
    ConstructionStamps stamps = {};
    uint8_t chaptersFlag = 0;
    std::vector<std::string> labels;
    std::vector<ConstructionRecord> objects;
    std::vector<uint32_t> chapters;  // pairs {identifier, first level}
    uint32_t interfaces[kInterfaceRoleCount];
};

// The kind's code without its padding blanks ("EXPLORE"), or its type number.
std::string KindWord(uint32_t typeCode)
{
    if (const ObjectsTypeInfo* kind = FindObjectKind(typeCode)) {
        std::string code = UtilsString_ToUtf8(kind->code);
        code.erase(code.find_last_not_of(' ') + 1);
        return code;
    }
    return std::to_string(typeCode);
}

bool ParseWord(const std::string& text, uint32_t* pWord)
{
    if (text.empty() || text[0] == '-' || text[0] == '+')
        return false;
    char* end = nullptr;
    errno = 0;
    const unsigned long long value = std::strtoull(text.c_str(), &end, 0);
    if (errno != 0 || *end != 0 || value > 0xFFFFFFFFull)
        return false;
    *pWord = uint32_t(value);
    return true;
}

bool ParseByte(const std::string& text, uint8_t* pByte)
{
    uint32_t word = 0;
    if (!ParseWord(text, &word) || word > 0xFF)
        return false;
    *pByte = uint8_t(word);
    return true;
}

// A name or reference the tables can store (1 to 4095 bytes); references are "@level@element".
bool IsTableText(const std::string& text)
{
    return !text.empty() && text.size() < kGroupTextLimit;
}

bool IsReference(const std::string& text)
{
    return IsTableText(text) && text[0] == '@' && text.find('@', 1) != std::string::npos;
}

// "label NAME W1 W2 B1 B2 @level@element ...", "group NAME @level@element ..." or
// "popup NAME VALUE" into its table; the usage of the line when it does not parse.
const char* ParseGroupLine(const std::string& keyword, const std::vector<std::string>& args,
                           ConstructionSource& source)
{
    GroupSource group;
    size_t first = 1;
    if (keyword == "label") {
        if (args.size() < 5 || !ParseWord(args[1], &group.word1) || !ParseWord(args[2], &group.word2) ||
            !ParseByte(args[3], &group.byte1) || !ParseByte(args[4], &group.byte2))
            return "label NAME WORD1 WORD2 BYTE1 BYTE2 @level@element ...";
        first = 5;
    } else if (keyword == "popup") {
        if (args.size() != 2 || !ParseWord(args[1], &group.value) || !IsTableText(args[0]))
            return "popup NAME VALUE";
        group.name = args[0];
        source.tables[kGroupTablePopups].push_back(group);
        return nullptr;
    } else if (args.empty()) {
        return "group NAME @level@element ...";
    }
    if (!IsTableText(args[0]))
        return keyword == "label" ? "label NAME WORD1 WORD2 BYTE1 BYTE2 @level@element ..."
                                  : "group NAME @level@element ...";
    group.name = args[0];
    for (size_t i = first; i < args.size(); ++i) {
        if (!IsReference(args[i]))
            return "a member is \"@level@element\"";
        group.members.push_back(args[i]);
    }
    source.tables[keyword == "label" ? kGroupTableLabels : kGroupTableItems].push_back(group);
    return nullptr;
}

bool ParseKind(const std::string& text, uint32_t* pTypeCode)
{
    const ObjectsTypeInfo* rows = ObjectKindTable();
    for (int i = 0; i < kObjectKindCount; ++i)
        if (KindWord(rows[i].typeCode) == text) {
            *pTypeCode = rows[i].typeCode;
            return true;
        }
    return ParseWord(text, pTypeCode);
}

bool ReadSource(const char* path, ConstructionSource& source, std::string& error)
{
    std::ifstream in(path);
    if (!in) {
        error = std::string("cannot read ") + path;
        return false;
    }
    for (uint32_t& index : source.interfaces)
        index = kNoObjectIndex;
    std::map<std::string, uint32_t> labels;
    std::string line;
    bool identitySeen = false;
    for (int number = 1; std::getline(in, line); ++number) {
        std::istringstream words(line);
        std::string keyword;
        if (!(words >> keyword) || keyword[0] == '#')
            continue;
        std::vector<std::string> args;
        for (std::string word; words >> word;)
            args.push_back(word);
        auto fail = [&](const std::string& why) {
            error = std::string(path) + ":" + std::to_string(number) + ": " + why;
            return false;
        };
        auto label = [&](const std::string& name, uint32_t* pIndex) {
            const auto found = labels.find(name);
            if (found == labels.end())
                return false;
            *pIndex = found->second;
            return true;
        };
        if (keyword == "identity") {
            // The rest of the line, as it stands.
            const size_t start = line.find_first_not_of(" \t", line.find("identity") + 8);
            source.identity = start == std::string::npos ? "" : line.substr(start);
            source.identity.erase(source.identity.find_last_not_of(" \t\r") + 1);
            if (source.identity.empty() || source.identity.size() + 1 > kConstructionIdentitySize)
                return fail("the identity takes 1 to 259 bytes");
            identitySeen = true;
        } else if (keyword == "stamps") {
            if (args.size() != 3 || !ParseWord(args[0], &source.stamps.stampA) ||
                !ParseWord(args[1], &source.stamps.stampB) || !ParseWord(args[2], &source.stamps.reserved))
                return fail("stamps A B RESERVED");
        } else if (keyword == "chapters-flag") {
            if (args.size() != 1 || (args[0] != "0" && args[0] != "1"))
                return fail("chapters-flag 0|1");
            source.chaptersFlag = uint8_t(args[0] == "1");
        } else if (keyword == "object") {
            ConstructionRecord record = {0, uint32_t(source.objects.size()), 0};
            if (args.size() < 2 || args.size() > 3 || !ParseKind(args[1], &record.typeCode) ||
                (args.size() == 3 && !ParseWord(args[2], &record.wordB)))
                return fail("object LABEL KIND [WORD_B]");
            if (!labels.emplace(args[0], record.wordA).second)
                return fail("the label " + args[0] + " is taken");
            source.labels.push_back(args[0]);
            source.objects.push_back(record);
        } else if (keyword == "chapter") {
            uint32_t identifier = 0, first = 0;
            if (args.size() != 2 || !ParseWord(args[0], &identifier))
                return fail("chapter ID LABEL");
            if (!label(args[1], &first))
                return fail("no object is labelled " + args[1]);
            source.chapters.push_back(identifier);
            source.chapters.push_back(first);
        } else if (keyword == "interface") {
            uint32_t role = 0;
            while (role < kInterfaceRoleCount && (args.empty() || args[0] != InterfaceRoleName(role)))
                ++role;
            if (args.size() != 2 || role == kInterfaceRoleCount)
                return fail("interface menu|labels|popups|toolbox|tutorial|hint|effects LABEL");
            if (!label(args[1], &source.interfaces[role]))
                return fail("no object is labelled " + args[1]);
        } else if (keyword == "label" || keyword == "group" || keyword == "popup") {
            if (const char* usage = ParseGroupLine(keyword, args, source))
                return fail(usage);
        } else {
            return fail("unknown line " + keyword);
        }
    }
    if (!identitySeen) {
        error = std::string(path) + ": no identity line";
        return false;
    }
    return true;
}

// "groups/" beside the construction file.
std::string GroupsFolder(const std::string& constructionPath)
{
    const size_t slash = constructionPath.find_last_of('/');
    return (slash == std::string::npos ? std::string() : constructionPath.substr(0, slash + 1)) + "groups/";
}

std::string GroupTablePath(const std::string& constructionPath, GroupTableKind kind)
{
    // The name after "groups/".
    return GroupsFolder(constructionPath) + (UtilsString_ToUtf8(GroupTableFileName(kind)).c_str() + 7);
}

bool WriteGroupTable(const std::string& path, const std::string& identity, GroupTableKind kind,
                     const std::vector<GroupSource>& groups)
{
    std::vector<GroupTableRecord> records(groups.size());
    std::vector<std::vector<char*>> members(groups.size());
    for (size_t i = 0; i < groups.size(); ++i) {
        const GroupSource& g = groups[i];
        for (const std::string& m : g.members)
            members[i].push_back(const_cast<char*>(m.c_str()));
        records[i] = GroupTableRecord{const_cast<char*>(g.name.c_str()), g.word1, g.word2, g.byte1, g.byte2, g.value,
                                      uint32_t(members[i].size()), members[i].data()};
    }
    const GroupTable table = {records.data(), uint32_t(records.size()), nullptr};
    UtilsStream_Static stream(kStreamReadWriteGrowable, nullptr, 0);
    stream.Open();
    const bool ok = Succeeded(GroupTable_Write(&stream, identity.c_str(), kind, table)) &&
                    WriteWholeFile(path, stream.GetBlock(), stream.GetSize());
    stream.Close();
    return ok;
}

int Build(const char* descPath, const char* outPath)
{
    ConstructionSource source;
    std::string error;
    if (!ReadSource(descPath, source, error)) {
        std::fprintf(stderr, "vornel construct: %s\n", error.c_str());
        return 1;
    }
    ConstructionView view = {};
    view.identity = source.identity.c_str();
    view.stamps = source.stamps;
    view.pChapters = source.chapters.data();
    view.chapterCount = uint32_t(source.chapters.size() / 2);
    view.chaptersFlag = source.chaptersFlag;
    std::memcpy(view.interfaces, source.interfaces, sizeof view.interfaces);
    view.pObjects = source.objects.data();
    view.objectCount = uint32_t(source.objects.size());
    UtilsStream_Static stream(kStreamReadWriteGrowable, nullptr, 0);
    stream.Open();
    bool ok = Succeeded(WriteConstruction(&stream, view));
    ok = ok && WriteWholeFile(outPath, stream.GetBlock(), stream.GetSize());
    stream.Close();
    if (!ok) {
        std::fprintf(stderr, "vornel construct: cannot write %s\n", outPath);
        return 1;
    }
    std::error_code folderError;
    std::filesystem::create_directories(GroupsFolder(outPath), folderError);
    for (uint32_t kind = 0; kind < kGroupTableKindCount; ++kind) {
        const std::string path = GroupTablePath(outPath, GroupTableKind(kind));
        if (!WriteGroupTable(path, source.identity, GroupTableKind(kind), source.tables[kind])) {
            std::fprintf(stderr, "vornel construct: cannot write %s\n", path.c_str());
            return 1;
        }
    }
    return 0;
}

// The whole file through the game's readers, printed as its description; an empty text and
// the reason when it cannot be read.
std::string Print(UtilsStream* stream, std::string& reason)
{
    uint16_t header = 0;
    char identity[kConstructionIdentitySize];
    if (!stream->Read(&header, sizeof header, 1) || header != kConstructionHeaderVersion) {
        reason = "not a construction file (header version 0x01F1)";
        return "";
    }
    if (!ReadConstructionIdentity(stream, identity)) {
        reason = "damaged identity text";
        return "";
    }
    ConstructionStamps stamps = {};
    Status status = ReadConstructionStamps(stream, &stamps);
    WorldData world = {};
    CChaptersManager chapters(&world);
    if (Succeeded(status))
        status = chapters.Load(stream);
    uint32_t count = 0;
    uint32_t interfaces[kInterfaceRoleCount];
    ConstructionRecord* records = nullptr;
    if (Succeeded(status))
        status = ReadConstructionObjects(stream, &count, interfaces, &records);
    if (Succeeded(status) && Failed(chapters.CheckFirstLevels(count)))
        status = kStatusMismatch;
    if (Failed(status)) {
        UTILS_FREE(records);
        reason = status == kStatusMismatch ? "invalid construction (" + StatusWords(status) + ")" : StatusWords(status);
        return "";
    }
    std::string text = "identity " + std::string(identity) + "\n";
    text += "stamps " + std::to_string(stamps.stampA) + " " + std::to_string(stamps.stampB) + " " +
            std::to_string(stamps.reserved) + "\n";
    text += "chapters-flag " + std::to_string(chapters.GetChaptersFlag()) + "\n";
    for (uint32_t i = 0; i < count; ++i)
        text += "object object_" + std::to_string(i) + " " + KindWord(records[i].typeCode) + " " +
                std::to_string(records[i].wordB) + "\n";
    for (uint32_t i = 0; i < chapters.GetChapterCount(); ++i) {
        const ChapterEntry* chapter = chapters.GetChapter(int32_t(i));
        text += "chapter " + std::to_string(chapter->identifier) + " object_" + std::to_string(chapter->firstLevel) +
                "\n";
    }
    for (uint32_t role = 0; role < kInterfaceRoleCount; ++role)
        if (interfaces[role] != kNoObjectIndex)
            text += "interface " + std::string(InterfaceRoleName(role)) + " object_" +
                    std::to_string(interfaces[role]) + "\n";
    UTILS_FREE(records);
    return text;
}

// A "groups/" table printed as its description lines; an empty text when the file is not there,
// false with the reason when it cannot be read.
bool PrintGroupTable(const std::string& path, GroupTableKind kind, std::string& text, std::string& reason)
{
    const std::u16string widePath = UtilsString_FromUtf8(path.c_str());
    UtilsStream_File stream(kStreamRead, widePath.c_str());
    if (Failed(stream.Open()))
        return true;
    uint16_t header = 0;
    char identity[kConstructionIdentitySize];
    GroupTable table = {};
    Status status = kStatusFailed;
    if (!stream.Read(&header, sizeof header, 1) || header != kGroupTableHeaderVersion)
        reason = "not a groups table (header version 20)";
    else if (!ReadConstructionIdentity(&stream, identity))
        reason = "damaged identity text";
    else if (Failed(status = GroupTable_Read(&stream, kind, &table, nullptr)))
        reason = status == kStatusMismatch ? "invalid construction (" + StatusWords(status) + ")" : StatusWords(status);
    stream.Close();
    if (Failed(status)) {
        GroupTable_Free(&table);
        return false;
    }
    static const char* const kKeywords[kGroupTableKindCount] = {"label", "group", "popup"};
    for (uint32_t i = 0; i < table.count; ++i) {
        const GroupTableRecord& r = table.pRecords[i];
        text += std::string(kKeywords[kind]) + " " + r.pName;
        if (kind == kGroupTableLabels)
            text += " " + std::to_string(r.word1) + " " + std::to_string(r.word2) + " " + std::to_string(r.byte1) +
                    " " + std::to_string(r.byte2);
        if (kind == kGroupTablePopups)
            text += " " + std::to_string(r.value);
        for (uint32_t m = 0; m < r.memberCount; ++m)
            text += std::string(" ") + r.ppMembers[m];
        text += "\n";
    }
    GroupTable_Free(&table);
    return true;
}

int Dump(const char* path)
{
    const std::u16string widePath = UtilsString_FromUtf8(path);
    UtilsStream_File stream(kStreamRead, widePath.c_str());
    if (Failed(stream.Open())) {
        std::fprintf(stderr, "vornel construct: cannot read %s\n", path);
        return 1;
    }
    std::string reason;
    const std::string text = Print(&stream, reason);
    stream.Close();
    if (text.empty()) {
        std::fprintf(stderr, "vornel construct: %s: %s\n", path, reason.c_str());
        return 1;
    }
    std::string tables;
    for (uint32_t kind = 0; kind < kGroupTableKindCount; ++kind) {
        const std::string tablePath = GroupTablePath(path, GroupTableKind(kind));
        if (!PrintGroupTable(tablePath, GroupTableKind(kind), tables, reason)) {
            std::fprintf(stderr, "vornel construct: %s: %s\n", tablePath.c_str(), reason.c_str());
            return 1;
        }
    }
    std::fputs(text.c_str(), stdout);
    std::fputs(tables.c_str(), stdout);
    return 0;
}

}  // namespace

int CommandConstruct(int argc, char** argv)
{
    if (argc == 2 && std::strcmp(argv[0], "dump") == 0)
        return Dump(argv[1]);
    if (argc == 3 && std::strcmp(argv[0], "build") == 0)
        return Build(argv[1], argv[2]);
    return kExitUsage;
}
