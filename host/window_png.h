// Writing a window's pixels to a PNG file.
#pragma once

#include <cstdint>
#include <string>

// Writes width x height pixel words (alpha, red, green, blue bytes in
// memory), rowSpan apart, as an 8-bit RGB PNG: windows show no alpha, so
// none is stored. False with a message when the file cannot be written.
bool WriteWindowPng(const std::string& path, const uint32_t* pixels, int rowSpan, int width, int height,
                    std::string* error);
