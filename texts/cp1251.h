// Conversions between Windows-1251 bytes and UTF-8.
#pragma once

#include <string>
#include <string_view>

// Characters that Windows-1251 cannot hold become '?'.
std::string Cp1251FromUtf8(std::string_view utf8);
std::string Utf8FromCp1251(std::string_view bytes);
