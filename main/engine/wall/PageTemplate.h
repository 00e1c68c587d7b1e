// The page template that every wall's index.html is a copy of.
#pragma once

#include <filesystem>

namespace PageTemplate {

/// The template installed with the running program: beside it in the build tree, else in the
/// share folder of its installation. When there is none, the first place looked at, where
/// reading it fails with the missing-template message.
std::filesystem::path find();

} // namespace PageTemplate
