#pragma once

#include <string>

// A URL split into its parts. Parsing fills every part; the full URL puts them back together.
class TUri {
public:
    TUri() = default;
    explicit TUri(const std::string& url) { Parse(url); }

    // Clears every part and fills them from the text; backslashes count as slashes.
    void Parse(const std::string& url);
    // The text last given to Parse.
    const std::string& Text() const { return text_; }

    // protocol "://" [user [":" password] "@"] host [":" port] path document params ["#" bookmark].
    // Raises EUriError "Protocol field is empty" or "Host field is empty".
    std::string FullUrl(bool includeUser = true, bool includeBookmark = true) const;

    // The port as a number. A port is 1 to 65535 written in decimal digits only (leading
    // zeros allowed); anything else raises EUriError. 0 when the URL names no port.
    int PortNumber() const;

    // Resolves a relative path (one not starting with "/") against basePath and removes the
    // "." and ".." segments; an absolute path only has its segments resolved.
    static std::string ResolvePath(const std::string& basePath, const std::string& path);

    std::string Protocol;
    std::string Host;
    std::string Port;
    std::string Path;       // with leading and trailing "/", e.g. "/vellumbox/"
    std::string Document;   // e.g. "upload.php"
    std::string Params;     // the query with its "?", e.g. "?id=7"
    std::string Bookmark;   // without the "#"
    std::string Username;
    std::string Password;

private:
    std::string text_;
};
