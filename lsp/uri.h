// file: URIs and the platform's paths.
#pragma once

#include <optional>
#include <string>

// nullopt for a URI of another scheme.
std::optional<std::string> PathFromUri(const std::string& uri);
std::string UriFromPath(const std::string& path);
