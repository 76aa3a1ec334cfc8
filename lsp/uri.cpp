#include "uri.h"

#include <algorithm>
#include <cctype>
#include <string_view>
#include <vector>

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

#ifdef _WIN32
constexpr char kSeparator = '\\';
#else
constexpr char kSeparator = '/';
#endif

// "/w/root/../x.ini" is "/w/x.ini": a path that climbs out of a folder must
// not pass for one inside it.
std::string WithoutDotSegments(const std::string& path) {
    std::size_t root = 0;
    while (root < path.size() && path[root] == kSeparator) ++root;
    if (root == 0) root = std::min(path.find(kSeparator), path.size() - 1) + 1;  // "C:\"
    std::vector<std::string_view> kept;
    std::string_view rest(path);
    rest.remove_prefix(root);
    while (!rest.empty()) {
        const std::size_t end = std::min(rest.find(kSeparator), rest.size());
        const std::string_view segment = rest.substr(0, end);
        rest.remove_prefix(std::min(end + 1, rest.size()));
        if (segment == "..") {
            if (!kept.empty()) kept.pop_back();
        } else if (!segment.empty() && segment != ".") {
            kept.push_back(segment);
        }
    }
    std::string out = path.substr(0, root);
    for (std::size_t i = 0; i < kept.size(); ++i) {
        if (i > 0) out += kSeparator;
        out += kept[i];
    }
    return out;
}

}  // namespace

std::optional<std::string> PathFromUri(const std::string& uri) {
    const std::string scheme = "file://";
    if (uri.compare(0, scheme.size(), scheme) != 0) return std::nullopt;
    // "file://localhost/x" names the same file as "file:///x".
    std::size_t from = scheme.size();
    const std::string_view host = std::string_view(uri).substr(from, uri.find('/', from) - from);
    if (host.size() == 9 && std::equal(host.begin(), host.end(), "localhost", [](char a, char b) {
            return std::tolower(static_cast<unsigned char>(a)) == b;
        })) {
        from += host.size();
    } else if (!host.empty() && !kWindows) {
        return std::nullopt;  // another machine's file
    }
    std::string path;
    for (std::size_t i = from; i < uri.size(); ++i) {
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
    return path.empty() ? path : WithoutDotSegments(path);
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
