# Every outside library comes from a Debian package, found here once.
find_package(Threads REQUIRED)
find_package(PkgConfig REQUIRED)
find_package(ZLIB REQUIRED)
find_package(PNG REQUIRED)
pkg_check_modules(TINYXML2 REQUIRED IMPORTED_TARGET tinyxml2)
pkg_check_modules(RTMIDI REQUIRED IMPORTED_TARGET rtmidi)
pkg_check_modules(JACK REQUIRED IMPORTED_TARGET jack)
pkg_check_modules(FREETYPE REQUIRED IMPORTED_TARGET freetype2)
pkg_check_modules(FONTCONFIG REQUIRED IMPORTED_TARGET fontconfig)
find_package(X11 REQUIRED)
# GL contexts of the windowing layer's views, through GLX (libGL of Mesa).
pkg_check_modules(GL REQUIRED IMPORTED_TARGET gl glx)
find_package(Poco REQUIRED COMPONENTS Foundation)
