#include "uri.h"

#include <cctype>

namespace {

int HexValue(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    const int lower = std::tolower(static_cast<unsigned char>(c));
    return lower >= 'a' && lower <= 'f' ? lower - 'a' + 10 : -1;
}

#ifdef _WIN32
constexpr bool kWindows = true;
#else
constexpr bool kWindows = false;
#endif

bool IsDriveAt(const std::string& path, std::size_t at) {
    return path.size() >= at + 2 && std::isalpha(static_cast<unsigned char>(path[at])) != 0 && path[at + 1] == ':';
}

}  // namespace

std::optional<std::string> PathFromUri(const std::string& uri) {
    const std::string scheme = "file://";
    if (uri.compare(0, scheme.size(), scheme) != 0) return std::nullopt;
    std::string path;
    for (std::size_t i = scheme.size(); i < uri.size(); ++i) {
        if (uri[i] == '%' && i + 2 < uri.size() && HexValue(uri[i + 1]) >= 0 && HexValue(uri[i + 2]) >= 0) {
            path += static_cast<char>(HexValue(uri[i + 1]) * 16 + HexValue(uri[i + 2]));
            i += 2;
        } else {
            path += uri[i];
        }
    }
#ifdef _WIN32
    if (path.size() >= 3 && path[0] == '/' && IsDriveAt(path, 1))
        path.erase(0, 1);
    else if (!path.empty() && path[0] != '/')
        path = "//" + path;  // file://server/share
    for (char& c : path) {
        if (c == '/') c = '\\';
    }
#endif
    return path;
}

std::string UriFromPath(const std::string& path) {
    std::string uri = "file://";
#ifdef _WIN32
    if (IsDriveAt(path, 0)) uri += '/';
#endif
    constexpr char kHex[] = "0123456789ABCDEF";
    for (std::size_t i = 0; i < path.size(); ++i) {
        const auto c = static_cast<unsigned char>(path[i]);
        if (std::isalnum(c) != 0 || c == '-' || c == '.' || c == '_' || c == '~' || c == '/' ||
            (c == ':' && IsDriveAt(path, 0) && i == 1)) {
            uri += static_cast<char>(c);
        } else if (c == '\\' && kWindows) {
            uri += '/';
        } else {
            uri += '%';
            uri += kHex[c >> 4];
            uri += kHex[c & 15];
        }
    }
    return uri;
}
