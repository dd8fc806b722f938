// The picture of the plot surface written into a file (PNG, BMP, SVG or
// PDF), for korvel-batch plot. This header names no Qt type, so that the
// Qt-free programs can include it; the renderer itself lives in the Qt
// library korvel_render.
#pragma once

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <optional>
#include <string>

#include "core/analysis_state.h"

namespace korvel::render {

enum class PictureFormat { Png, Bmp, Svg, Pdf };

inline constexpr const char* kPictureExtensions = ".png, .bmp, .svg or .pdf";
// The largest width and height of a picture: beyond this an image of 32-bit
// pixels would run to hundreds of megabytes.
inline constexpr int kMaxPictureSide = 10000;

// The format a file name asks for by its extension, in any case.
inline std::optional<PictureFormat> PictureFormatOf(const std::string& path) {
  std::string ext = std::filesystem::path(path).extension().string();
  std::transform(ext.begin(), ext.end(), ext.begin(),
                 [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  if (ext == ".png") return PictureFormat::Png;
  if (ext == ".bmp") return PictureFormat::Bmp;
  if (ext == ".svg") return PictureFormat::Svg;
  if (ext == ".pdf") return PictureFormat::Pdf;
  return std::nullopt;
}

// Why a picture of that name and size cannot be written, or nothing.
inline std::optional<std::string> PictureProblem(const std::string& path, int width, int height) {
  if (!PictureFormatOf(path))
    return "Unknown picture format: " + path + " (the name must end in " + kPictureExtensions +
           ")...";
  if (width < 1 || height < 1 || width > kMaxPictureSide || height > kMaxPictureSide)
    return "--width and --height must be 1 .. " + std::to_string(kMaxPictureSide) + " pixels...";
  return std::nullopt;
}

// Draws the whole picture of the state (as the window's paint does, on the
// window colour) on a width x height surface and writes it to path in the
// format of its extension. Returns the message of a failure, and then has
// written nothing; a file that exists is replaced only by a complete one.
// The paint writes what a paint writes into the state (the frames of the
// view, Phase). Without a running application it starts a headless one for
// the time of the call.
std::optional<std::string> RenderPicture(AnalysisState& s, const std::string& path, int width,
                                         int height);

}  // namespace korvel::render
