// Replacing a file so that it holds either its old content or the complete new one, never a mix: the data
// goes to a temporary file beside the target, is flushed to the disk, and only then takes its place.
#pragma once

#include <filesystem>
#include <string_view>
#include <system_error>

std::error_code WriteFileAtomically(const std::filesystem::path& target, std::string_view data);
