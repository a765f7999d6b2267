#pragma once

#include <string>

// A URL split into its parts. Parsing fills every part; the full URL puts them back together.
class TIdURI {
public:
    TIdURI() = default;
    explicit TIdURI(const std::string& uri) { SetURI(uri); }

    // Clears every part and fills them from the text; backslashes count as slashes.
    void SetURI(const std::string& uri);
    // The text last given to SetURI.
    const std::string& URI() const { return uri_; }

    // protocol "://" [user [":" password] "@"] host [":" port] path document params ["#" bookmark].
    // Raises EIdURIException "Protocol field is empty" or "Host field is empty".
    std::string GetFullURI(bool includeUser = true, bool includeBookmark = true) const;

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
    std::string uri_;
};
