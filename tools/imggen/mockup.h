// Review pictures of the whole window at scale 1.0, put together from the
// generated images the way the UI description lays them out: the sound
// editor page with a control in every labelled cell, and the librarian page.
// They show whether the pictures work together; the editor itself is built
// from the UI description.
#pragma once

#include <string>

namespace imggen {

// False when an image is missing or the picture cannot be written.
bool writeEditorMockup(const std::string& imageDir, const std::string& path);
bool writeLibrarianMockup(const std::string& imageDir, const std::string& path);

}  // namespace imggen
