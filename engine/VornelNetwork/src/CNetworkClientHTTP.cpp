#include <curl/curl.h>

#include <cstring>
#include <new>
#include <string>

#include "VornelNetwork/CNetworkEngine.h"
#include "VornelUtils/UtilsString.h"

namespace {

constexpr const char* kUserAgent = "WebForm 1";
constexpr long kMaxRedirects = 5;
constexpr long kTimeoutSeconds = 5;  // to connect, and without a byte coming

struct Answer {
    uint8_t data[kHttpAnswerSize + 1];  // room for the terminator after a short answer
    uint32_t size;
    bool headers;  // the server answered
    bool full;     // the first block is complete: the rest is not read
};

size_t OnHeader(char*, size_t size, size_t count, void* user)
{
    static_cast<Answer*>(user)->headers = true;
    return size * count;
}

size_t OnBody(char* data, size_t size, size_t count, void* user)
{
    auto* answer = static_cast<Answer*>(user);
    const size_t bytes = size * count;
    const size_t room = kHttpAnswerSize - answer->size;
    const size_t taken = bytes < room ? bytes : room;
    std::memcpy(answer->data + answer->size, data, taken);
    answer->size += static_cast<uint32_t>(taken);
    if (answer->size == kHttpAnswerSize && bytes > taken)
        answer->full = true;
    // Taking less than offered stops the transfer.
    return answer->full ? taken : bytes;
}

}  // namespace

Status CNetworkClientHTTP::Request(const char16_t* url)
{
    if (!url)
        return kStatusFailed;
    CURL* curl = curl_easy_init();
    if (!curl)
        return kStatusFailed;
    auto* answer = new (std::nothrow) Answer{};
    if (!answer) {
        curl_easy_cleanup(curl);
        return kStatusFailed;
    }
    const std::string address = UtilsString_ToUtf8(url);
    curl_easy_setopt(curl, CURLOPT_URL, address.c_str());
    curl_easy_setopt(curl, CURLOPT_USERAGENT, kUserAgent);
    curl_easy_setopt(curl, CURLOPT_PROTOCOLS_STR, "http,https");
    curl_easy_setopt(curl, CURLOPT_REDIR_PROTOCOLS_STR, "http,https");
    curl_easy_setopt(curl, CURLOPT_FOLLOWLOCATION, 1L);
    curl_easy_setopt(curl, CURLOPT_MAXREDIRS, kMaxRedirects);
    curl_easy_setopt(curl, CURLOPT_CONNECTTIMEOUT, kTimeoutSeconds);
    curl_easy_setopt(curl, CURLOPT_LOW_SPEED_LIMIT, 1L);
    curl_easy_setopt(curl, CURLOPT_LOW_SPEED_TIME, kTimeoutSeconds);
    curl_easy_setopt(curl, CURLOPT_NOPROXY, "localhost,127.0.0.1,::1");
    curl_easy_setopt(curl, CURLOPT_NOSIGNAL, 1L);
    // Always a fresh answer, never one from a cache on the way.
    curl_slist* headers = curl_slist_append(nullptr, "Cache-Control: no-cache");
    curl_easy_setopt(curl, CURLOPT_HTTPHEADER, headers);
    curl_easy_setopt(curl, CURLOPT_HEADERFUNCTION, OnHeader);
    curl_easy_setopt(curl, CURLOPT_HEADERDATA, answer);
    curl_easy_setopt(curl, CURLOPT_WRITEFUNCTION, OnBody);
    curl_easy_setopt(curl, CURLOPT_WRITEDATA, answer);
    const CURLcode result = curl_easy_perform(curl);
    curl_easy_cleanup(curl);
    curl_slist_free_all(headers);

    Status status = kStatusOk;
    if (result == CURLE_OK || (result == CURLE_WRITE_ERROR && answer->full)) {
        if (m_pfnCallback)
            m_pfnCallback(answer->data, answer->size, m_userValue);
    } else if (!answer->headers) {
        status = kStatusFailed;  // no answer at all
    }
    // Otherwise the answer broke off before its first block was read: nothing to hand on.
    delete answer;
    return status;
}
