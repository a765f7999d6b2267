#include "net/SocketStack.h"

#include "base/Format.h"
#include "base/Text.h"
#include "net/NetMessages.h"
#include "net/SocketErrors.h"

#include <algorithm>

namespace {

struct TErrorText {
    int code;
    const char* text;
};

constexpr TErrorText ErrorTexts[] = {
    {10004, "Interrupted system call."},
    {10009, "Bad file number."},
    {10013, "Access denied."},
    {10014, "Bad address."},
    {10022, "Invalid argument."},
    {10024, "Too many open files."},
    {10035, "Operation would block. "},
    {10036, "Operation now in progress."},
    {10037, "Operation already in progress."},
    {10038, "Socket operation on non-socket."},
    {10039, "Destination address required."},
    {10040, "Message too long."},
    {10041, "Protocol wrong type for socket."},
    {10042, "Bad protocol option."},
    {10043, "Protocol not supported."},
    {10044, "Socket type not supported."},
    {10045, "Operation not supported on socket."},
    {10046, "Protocol family not supported."},
    {10047, "Address family not supported by protocol family."},
    {10048, "Address already in use."},
    {10049, "Cannot assign requested address."},
    {10050, "Network is down."},
    {10051, "Network is unreachable."},
    {10052, "Net dropped connection or reset."},
    {10053, "Software caused connection abort."},
    {10054, "Connection reset by peer."},
    {10055, "No buffer space available."},
    {10056, "Socket is already connected."},
    {10057, "Socket is not connected."},
    {10058, "Cannot send or receive after socket is closed."},
    {10059, "Too many references, cannot splice."},
    {10060, "Connection timed out."},
    {10061, "Connection refused."},
    {10062, "Too many levels of symbolic links."},
    {10063, "File name too long."},
    {10064, "Host is down."},
    {10065, "No route to host."},
    {10066, "Directory not empty"},
    {11001, "Host not found."},
};

} // namespace

int TSocketStack::RaiseOnSocketError(int result, std::initializer_list<int> handled)
{
    if (result == SocketCallFailed) {
        lastError_ = LastCallError();
        if (std::find(handled.begin(), handled.end(), lastError_) == handled.end())
            throw ESocketError(lastError_);
    }
    return result;
}

std::string TSocketStack::SocketErrorMessage(int code)
{
    const auto* entry = std::find_if(std::begin(ErrorTexts), std::end(ErrorTexts),
                                     [code](const TErrorText& e) { return e.code == code; });
    return Format(NetMessages::SocketErrorFormat, code, entry == std::end(ErrorTexts) ? "" : entry->text);
}

bool TSocketStack::ParseAddress(const std::string& text, unsigned char (&bytes)[4])
{
    size_t start = 0;
    for (int i = 0; i < 4; ++i) {
        const size_t end = i < 3 ? text.find('.', start) : text.size();
        if (end == std::string::npos || end == start)
            return false;
        unsigned value = 0;
        for (size_t k = start; k < end; ++k) {
            const char c = text[k];
            if (c < '0' || c > '9')
                return false;
            value = value * 10 + static_cast<unsigned>(c - '0');
            if (value > 255)
                return false;
        }
        bytes[i] = static_cast<unsigned char>(value);
        start = end + 1;
    }
    return true;
}

bool TSocketStack::IsNumericAddress(const std::string& text)
{
    unsigned char bytes[4];
    return ParseAddress(text, bytes);
}

std::string TSocketStack::FormatAddress(const unsigned char (&bytes)[4])
{
    return Format("%u.%u.%u.%u", bytes[0], bytes[1], bytes[2], bytes[3]);
}

bool TSocketStack::NeedsLookup(const std::string& host)
{
    return !SameText(host, "LOCALHOST") && !IsNumericAddress(host);
}

std::string TSocketStack::ResolveHost(const std::string& host)
{
    if (SameText(host, "LOCALHOST"))
        return "127.0.0.1";
    if (IsNumericAddress(host))
        return host;
    std::string ip = LookupHost(host);
    if (ip.empty())
        RaiseOnSocketError(SocketCallFailed);
    return ip;
}
