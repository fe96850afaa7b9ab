// The HTTP client of the Windows tree, over WinINet.
#include <windows.h>
#include <wininet.h>

#include <cstdlib>
#include <initializer_list>

#include "VornelNetwork/CNetworkEngine.h"

namespace {

constexpr const wchar_t* kUserAgent = L"WebForm 1";
constexpr DWORD kTimeoutMs = 5000;  // to connect, to send, and without a byte coming

// WinINet would also take ftp and file addresses; the client is for the web only.
bool IsWebAddress(const char16_t* url)
{
    for (const char16_t* scheme : {u"http://", u"https://"}) {
        size_t i = 0;
        while (scheme[i] && (url[i] >= u'A' && url[i] <= u'Z' ? url[i] + (u'a' - u'A') : url[i]) == scheme[i])
            ++i;
        if (!scheme[i])
            return true;
    }
    return false;
}

void SetTimeouts(HINTERNET handle)
{
    DWORD timeout = kTimeoutMs;
    for (const DWORD option :
         {INTERNET_OPTION_CONNECT_TIMEOUT, INTERNET_OPTION_SEND_TIMEOUT, INTERNET_OPTION_RECEIVE_TIMEOUT})
        InternetSetOptionW(handle, option, &timeout, sizeof timeout);
}

// The request handle gets the timeouts itself as soon as it exists, before anything is sent:
// not every WinINet hands those of the internet handle down to it.
void CALLBACK OnStatus(HINTERNET, DWORD_PTR, DWORD status, void* information, DWORD)
{
    if (status == INTERNET_STATUS_HANDLE_CREATED && information)
        SetTimeouts(reinterpret_cast<HINTERNET>(static_cast<INTERNET_ASYNC_RESULT*>(information)->dwResult));
}

// The first block of the answer, as much of it as the server sends, into `buffer`; false when
// a read fails or the answer breaks off before the length it announced.
bool ReadFirstBlock(HINTERNET request, uint8_t* buffer, uint32_t* pSize)
{
    // One read may hand over only what has come so far.
    uint32_t total = 0;
    while (total < kHttpAnswerSize) {
        DWORD read = 0;
        if (!InternetReadFile(request, buffer + total, kHttpAnswerSize - total, &read))
            return false;
        if (read == 0)
            break;
        total += read;
    }
    *pSize = total;
    DWORD announced = 0, size = sizeof announced;
    if (total < kHttpAnswerSize &&
        HttpQueryInfoW(request, HTTP_QUERY_CONTENT_LENGTH | HTTP_QUERY_FLAG_NUMBER, &announced, &size, nullptr) &&
        announced > total)
        return false;
    return true;
}

}  // namespace

Status CNetworkClientHTTP::Request(const char16_t* url)
{
    if (!url || !IsWebAddress(url))
        return kStatusFailed;
    // Room for the terminator after a short answer.
    auto* buffer = static_cast<uint8_t*>(std::calloc(kHttpAnswerSize + 1, 1));
    if (!buffer)
        return kStatusFailed;
    HINTERNET internet = InternetOpenW(kUserAgent, INTERNET_OPEN_TYPE_PRECONFIG, nullptr, nullptr, 0);
    if (!internet) {
        std::free(buffer);
        return kStatusFailed;
    }
    // A server that never answers is given up rather than holding the frame for ever. The
    // status callback is only called for a request with a context.
    SetTimeouts(internet);
    InternetSetStatusCallbackW(internet, OnStatus);
    constexpr DWORD_PTR kContext = 1;
    HINTERNET request = InternetOpenUrlW(internet, reinterpret_cast<const wchar_t*>(url), nullptr, 0,
                                         INTERNET_FLAG_RELOAD, kContext);
    if (!request) {
        InternetCloseHandle(internet);
        std::free(buffer);
        return kStatusFailed;
    }
    uint32_t size = 0;
    if (ReadFirstBlock(request, buffer, &size) && m_pfnCallback)
        m_pfnCallback(buffer, size, m_userValue);
    InternetCloseHandle(request);
    InternetCloseHandle(internet);
    std::free(buffer);
    return kStatusOk;
}
