#pragma once
// The game managers' chunks of a profile, in the order the profile writes them: each manager
// in its world slot saves and loads its own chunk. A manager this build does not make (its
// slot stays empty) writes no chunk, and its chunk in a file is skipped.
#include <cstdint>

#include "VornelUtils/Status.h"

class CManagedObject;
class UtilsStream_Chunk;
class UtilsStream_ChunkList;

struct ProfileManagerChunk {
    uint32_t tag;
    int32_t slot;  // WorldManager
    // The manager's state into its chunk (children made through the list).
    Status (*save)(CManagedObject* pManager, UtilsStream_ChunkList* pList, UtilsStream_Chunk* pChunk);
    Status (*load)(CManagedObject* pManager, UtilsStream_Chunk* pChunk);
};

// The managers' chunks after the scripts' (40000 to 190000), in file order; 150000, written
// before the scene objects, is among them for the load.
const ProfileManagerChunk* ProfileManagerChunks(uint32_t* pCount);
const ProfileManagerChunk* FindProfileManagerChunk(uint32_t tag);
