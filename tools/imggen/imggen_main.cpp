// vivivi-imggen: draws the editor's images into a folder.
//
//   vivivi-imggen --out DIR                  every image of the table
//   vivivi-imggen --out DIR --only FILE ...  just the named files
//   vivivi-imggen --sheet DIR SHEET.png      a review sheet of the images in DIR
//   vivivi-imggen --mockup DIR PREFIX        PREFIX-editor.png and PREFIX-librarian.png:
//                                            the window put together from the images
//
// Exit status 0 on success, 1 when a file cannot be written, 2 on bad usage.
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <set>
#include <string>

#include "tools/imggen/contact-sheet.h"
#include "tools/imggen/image-table.h"
#include "tools/imggen/mockup.h"
#include "tools/imggen/png-write.h"

int main(int argc, char** argv) {
  std::string out;
  std::set<std::string> only;
  for (int i = 1; i < argc; ++i) {
    if (!std::strcmp(argv[i], "--out") && i + 1 < argc) {
      out = argv[++i];
    } else if (!std::strcmp(argv[i], "--only") && i + 1 < argc) {
      only.insert(argv[++i]);
    } else if (!std::strcmp(argv[i], "--sheet") && i + 2 < argc) {
      if (!imggen::writeContactSheet(argv[i + 1], argv[i + 2])) {
        std::fprintf(stderr, "vivivi-imggen: cannot make the sheet %s from %s\n", argv[i + 2], argv[i + 1]);
        return 1;
      }
      return 0;
    } else if (!std::strcmp(argv[i], "--mockup") && i + 2 < argc) {
      const std::string prefix = argv[i + 2];
      if (!imggen::writeEditorMockup(argv[i + 1], prefix + "-editor.png") ||
          !imggen::writeLibrarianMockup(argv[i + 1], prefix + "-librarian.png")) {
        std::fprintf(stderr, "vivivi-imggen: cannot make the mock-ups %s-*.png from %s\n", argv[i + 2],
                     argv[i + 1]);
        return 1;
      }
      return 0;
    } else {
      std::fprintf(
          stderr,
          "usage: vivivi-imggen --out DIR [--only FILE ...] | --sheet DIR SHEET.png | --mockup DIR PREFIX\n");
      return 2;
    }
  }
  if (out.empty()) {
    std::fprintf(stderr, "vivivi-imggen: no --out folder\n");
    return 2;
  }
  std::error_code error;
  std::filesystem::create_directories(out, error);
  for (size_t i = 0; i < imggen::kImageCount; ++i) {
    const imggen::ImageEntry& entry = imggen::kImages[i];
    if (!only.empty() && !only.count(entry.file)) continue;
    imggen::Canvas strip(entry.width, entry.frameHeight * entry.frames);
    imggen::renderImage(entry, strip);
    const std::string path = out + "/" + entry.file;
    if (!imggen::writePng(&strip.bitmap(), path)) {
      std::fprintf(stderr, "vivivi-imggen: cannot write %s\n", path.c_str());
      return 1;
    }
  }
  return 0;
}
