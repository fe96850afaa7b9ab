#include "Vornel3D_GL/C3DShader_GL.h"

#include <climits>
#include <cstdio>
#include <string>

#include "GLHeaders_GL.h"
#include "Vornel3D/C3DTexture.h"
#include "Vornel3D_GL/GLContext_GL.h"
#include "VornelPlatform/PlatformFile.h"
#include "VornelUtils/UtilsLog.h"
#include "VornelUtils/UtilsMemory.h"
#include "VornelUtils/UtilsString.h"
#include "VornelUtils/WorldData.h"

namespace {

// A GLSL error raises no GL error: only the object's status and its info log tell.
bool ObjectSucceeded(GLhandleARB object, GLenum status)
{
    GLint result = 0;
    glGetObjectParameterivARB(object, status, &result);
    return result != 0;
}

std::string InfoLog(GLhandleARB object)
{
    GLint length = 0;
    glGetObjectParameterivARB(object, GL_OBJECT_INFO_LOG_LENGTH_ARB, &length);
    if (length <= 1)
        return std::string();
    std::string log(size_t(length), '\0');
    GLsizei written = 0;
    glGetInfoLogARB(object, length, &written, &log[0]);
    log.resize(size_t(written > 0 ? written : 0));
    return log;
}

}  // namespace

C3DShader_GL::C3DShader_GL(WorldData* pWorldData) : C3DShader(pWorldData) {}

C3DShader_GL::~C3DShader_GL()
{
    DeleteObjects();
}

void C3DShader_GL::DeleteObjects()
{
    if (m_nProgram != 0 && m_nShader != 0)
        glDetachObjectARB(m_nProgram, m_nShader);
    if (m_nProgram != 0)
        glDeleteObjectARB(m_nProgram);
    if (m_nShader != 0)
        glDeleteObjectARB(m_nShader);
    m_nProgram = 0;
    m_nShader = 0;
}

Status C3DShader_GL::Fail(Status status)
{
    if (m_pWorldData)
        m_pWorldData->lastErrorCode = status;
    return status;
}

Status C3DShader_GL::Init()
{
    return kStatusOk;
}

Status C3DShader_GL::Release()
{
    if (Failed(C3DShader::Release()))
        return kStatusFailed;
    DeleteObjects();
    return kStatusOk;
}

bool C3DShader_GL::HasNamedUniforms()
{
    return true;
}

// ---- compiling ------------------------------------------------------------------------------

Status C3DShader_GL::CreateShaderObject()
{
    // Without a context offering shader objects the entry points are not even loaded.
    const C3DGLContext* context = GLContextFromWorld(m_pWorldData);
    if (!context || !context->features.shader || !glCreateShaderObjectARB)
        return Fail(kStatusSystemCallFailed);
    m_nShader = glCreateShaderObjectARB(GL_FRAGMENT_SHADER_ARB);
    return m_nShader != 0 ? kStatusOk : Fail(kStatusSystemCallFailed);
}

Status C3DShader_GL::Build(const char* text, uint32_t length)
{
    if (length > uint32_t(INT_MAX)) {
        DeleteObjects();
        return Fail(kStatusFailed);
    }
    // GL copies the text here: whoever owns it keeps it.
    const GLcharARB* source = text;
    const GLint sourceLength = GLint(length);
    glShaderSourceARB(m_nShader, 1, &source, &sourceLength);
    while (glGetError() != GL_NO_ERROR) {
    }
    glCompileShaderARB(m_nShader);
    const char* failedStep = nullptr;
    GLhandleARB logged = m_nShader;
    if (glGetError() != GL_NO_ERROR || !ObjectSucceeded(m_nShader, GL_OBJECT_COMPILE_STATUS_ARB)) {
        failedStep = "compile";
    } else {
        m_nProgram = glCreateProgramObjectARB();
        if (m_nProgram == 0) {
            DeleteObjects();
            return Fail(kStatusSystemCallFailed);
        }
        glAttachObjectARB(m_nProgram, m_nShader);
        glLinkProgramARB(m_nProgram);
        if (!ObjectSucceeded(m_nProgram, GL_OBJECT_LINK_STATUS_ARB)) {
            failedStep = "link";
            logged = m_nProgram;
        }
    }
    if (!failedStep)
        return kStatusOk;
    const std::string log = InfoLog(logged);
    Log(m_pWorldData ? m_pWorldData->logPath : nullptr, 1, u"# C3DShader_GL::Build - %S failed! (\"%s\")\n%S\n",
        failedStep, m_pName ? m_pName : u"", log.c_str());
    DeleteObjects();
    return Fail(kStatusSystemCallFailed);
}

Status C3DShader_GL::MakeFromAddress(const void* data, uint32_t size, const char16_t* name)
{
    Release();
    C3DShader::MakeFromAddress(data, size, name);
    if (!data)
        return Fail(kStatusFailed);
    const Status status = CreateShaderObject();
    if (Failed(status))
        return status;
    return Build(static_cast<const char*>(data), size);
}

Status C3DShader_GL::BuildFromFile(std::FILE* file, uint32_t length)
{
    char* text = static_cast<char*>(UTILS_MALLOC(size_t(length) + 1));
    if (!text) {
        DeleteObjects();
        return Fail(kStatusOutOfMemory);
    }
    if (std::fread(text, 1, length, file) != length) {
        UTILS_FREE(text);
        DeleteObjects();
        return kStatusFailed;
    }
    text[length] = '\0';
    const Status status = Build(text, length);
    UTILS_FREE(text);
    return status;
}

Status C3DShader_GL::LoadFromPacker(PackRecord* pEntry)
{
    Release();
    C3DShader::LoadFromPacker(pEntry);
    if (!pEntry || !pEntry->pFile)
        return Fail(kStatusFailed);
    const Status status = CreateShaderObject();
    if (Failed(status))
        return status;
    return BuildFromFile(pEntry->pFile, pEntry->lastEntrySize);
}

Status C3DShader_GL::LoadFromFile(const char16_t* path)
{
    Release();
    C3DShader::LoadFromFile(path);
    Status status = CreateShaderObject();
    if (Failed(status))
        return status;
    std::FILE* file = path && *path ? Platform_OpenFile(UtilsString_ToUtf8(path).c_str(), "rb") : nullptr;
    if (!file) {
        DeleteObjects();
        return Fail(kStatusFileNotOpened);
    }
    long end = -1;
    if (std::fseek(file, 0, SEEK_END) == 0)
        end = std::ftell(file);
    if (end < 0 || uint64_t(end) > uint64_t(INT_MAX) || std::fseek(file, 0, SEEK_SET) != 0) {
        DeleteObjects();
        status = kStatusFailed;
    } else {
        status = BuildFromFile(file, uint32_t(end));
    }
    std::fclose(file);
    return status;
}

// ---- drawing --------------------------------------------------------------------------------

void C3DShader_GL::CopyScreen(C3DTexture* pTexture, int32_t level)
{
    if (m_nProgram != 0 && pTexture)
        pTexture->CopyFromScreen(0, 1, 0, level);
}

void C3DShader_GL::Begin(C3DTexture* pTexture0, C3DTexture* pTexture1, C3DTexture* pTexture2)
{
    if (m_nProgram == 0)
        return;
    glUseProgramObjectARB(m_nProgram);
    const C3DGLContext* context = GLContextFromWorld(m_pWorldData);
    // Without texture units only unit 0 is ever bound (the texture refuses the others).
    m_bUnit2 = pTexture2 && context && context->features.multiTexture;
    if (pTexture2)
        pTexture2->Select(kShaderTextureDrawFlags, 2);
    if (pTexture1)
        pTexture1->Select(kShaderTextureDrawFlags, 1);
    if (pTexture0)
        pTexture0->Select(kShaderTextureDrawFlags, 0);
    glUniform1iARB(glGetUniformLocationARB(m_nProgram, "Texture0"), 0);
    glUniform1iARB(glGetUniformLocationARB(m_nProgram, "Texture1"), 1);
    glUniform1iARB(glGetUniformLocationARB(m_nProgram, "Texture2"), 2);
}

void C3DShader_GL::End()
{
    if (m_nProgram == 0)
        return;
    glUseProgramObjectARB(0);
    if (m_bUnit2) {
        glActiveTextureARB(GL_TEXTURE2);
        glEnable(GL_TEXTURE_2D);
        glBindTexture(GL_TEXTURE_2D, 0);
        // Texture loads and single-unit draws that follow bind on the active unit.
        glActiveTextureARB(GL_TEXTURE0);
        m_bUnit2 = false;
    }
}

// ---- uniforms -------------------------------------------------------------------------------

template <typename Set> Status C3DShader_GL::SetUniform(const char* name, Set set)
{
    if (m_nProgram == 0 || !name)
        return kStatusFailed;
    const GLint location = glGetUniformLocationARB(m_nProgram, name);
    if (location < 0)
        return kStatusFailed;
    // A uniform is set on the current program: outside Begin and End this one is made
    // current for the call.
    const GLhandleARB current = glGetHandleARB(GL_PROGRAM_OBJECT_ARB);
    if (current != m_nProgram)
        glUseProgramObjectARB(m_nProgram);
    set(location);
    if (current != m_nProgram)
        glUseProgramObjectARB(current);
    return kStatusOk;
}

Status C3DShader_GL::SetInt(const char* name, int32_t value)
{
    return SetUniform(name, [&](GLint location) { glUniform1iARB(location, value); });
}

Status C3DShader_GL::SetFloat(const char* name, float value)
{
    return SetUniform(name, [&](GLint location) { glUniform1fARB(location, value); });
}

Status C3DShader_GL::SetVector(const char* name, float x, float y)
{
    const GLfloat v[2] = {x, y};
    return SetUniform(name, [&](GLint location) { glUniform2fvARB(location, 1, v); });
}

Status C3DShader_GL::SetVector3(const char* name, float x, float y, float z)
{
    const GLfloat v[3] = {x, y, z};
    return SetUniform(name, [&](GLint location) { glUniform3fvARB(location, 1, v); });
}

Status C3DShader_GL::SetVector4(const char* name, float x, float y, float z, float w)
{
    const GLfloat v[4] = {x, y, z, w};
    return SetUniform(name, [&](GLint location) { glUniform4fvARB(location, 1, v); });
}
