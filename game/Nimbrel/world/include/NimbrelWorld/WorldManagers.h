#pragma once
// The game world's manager slots, in the world's member order.
#include <cstdint>

enum WorldManager : int32_t {
    kManagerProfile,       // CProfileManager
    kManagerExtraText,     // CExtraTextManager
    kManagerObjective,     // CObjectiveManager
    kManagerPopup,         // CPopupManager
    kManagerToolbox,       // CToolboxManager
    kManagerObjects,       // CObjectsManager
    kManagerScript,        // CScriptManager
    kManagerCommandList,   // CCommandListManager
    kManagerPosition,      // CPositionManager
    kManagerRotation,      // CRotationManager
    kManagerScaling,       // CScalingManager
    kManagerFade,          // CFadeManager
    kManagerShader,        // CShaderManager
    kManagerDragDrop,      // CDragDropManager
    kManagerChapters,      // CChaptersManager
    kManagerTimer,         // CTimerManager
    kManagerSurround,      // CSurroundManager
    kManagerTuto,          // CTutoManager
    kManagerSplash,        // CSplashscreens
    kManagerTransitions,   // CTransitions
    kManagerParticles,     // CParticules
    kManagerFlashlight,    // CFlashlight
    kManagerLoading,       // CLoading
    kManagerBorders,       // CBorders
    kManagerAbuse,         // CAbuse
    kManagerTouchScreen,   // CTouchScreen
    kManagerCursors,       // CCursors
    kManagerProgressBar,   // CProgressBar
    kManagerObstruction,   // CObstruction
    kManagerGroups,        // CGroups
    kManagerLabels,        // CLabels
    kManagerCount
};

// The class name of a slot's manager ("CObjectsManager"); "" outside the slots.
const char16_t* WorldManagerName(int32_t slot);
