// vornel shader: a GLSL fragment shader compiled and linked by the GL renderer, as the game
// would load it, so that a game maker sees the driver's complaints before the game does.
#include "Commands.h"

#include <cstdio>
#include <cstring>
#include <string>

#include "OffscreenRenderer.h"
#include "Vornel3D/C3DEngine.h"
#include "Vornel3D/C3DShader.h"
#include "VornelUtils/UtilsString.h"

namespace {

int Check(const char* path)
{
    COffscreenRenderer renderer;
    std::string why;
    if (!renderer.Open(16, 16, why)) {
        std::fprintf(stderr, "vornel shader: %s\n", why.c_str());
        return 1;
    }
    C3DEngine* engine = renderer.Engine();
    if (Failed(engine->IsShaderSupported())) {
        std::fprintf(stderr, "vornel shader: the GL renderer offers no shaders here\n");
        return 1;
    }
    C3DShader* shader = engine->CreateShader(1, 0);
    if (!shader) {
        std::fprintf(stderr, "vornel shader: no shader could be made\n");
        return 1;
    }
    // A text that does not compile or link has the driver's log written to standard error
    // by the shader itself.
    const Status status = shader->LoadFromFile(UtilsString_FromUtf8(path).c_str());
    engine->ReleaseShader(shader);
    if (status == kStatusSystemCallFailed) {
        std::fprintf(stderr, "vornel shader: %s does not compile or link (0x80000007)\n", path);
        return 1;
    }
    if (Failed(status)) {
        std::fprintf(stderr, "vornel shader: cannot read %s: %s\n", path, StatusWords(status).c_str());
        return 1;
    }
    std::printf("ok\n");
    return 0;
}

}  // namespace

int CommandShader(int argc, char** argv)
{
    if (argc == 2 && std::strcmp(argv[0], "check") == 0)
        return Check(argv[1]);
    return kExitUsage;
}
