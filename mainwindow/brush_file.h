// The brush file (brush.dat): the version "030" and the count, then per brush its name and its
// path record in the drawing file's path-block layout. CP932 text with CR LF.
#pragma once

#include "core/brush_list.h"

#include <string>

namespace mainwindow {

inline constexpr const char *kBrushFileName = "brush.dat";

std::string BrushFileBytes(const core::BrushList &brushes);
bool SaveBrushFile(const std::string &path, const core::BrushList &brushes, std::string *error = nullptr);

// Reads the names and paths (entries 1 .. count). False when the file is missing, unreadable,
// holds fewer than one brush or does not hold what its count says. Of a file counting more than
// kMaxBrushes only the first kMaxBrushes are read; skipped tells how many were left out.
bool ReadBrushFile(const std::string &path, core::PathArray &paths, std::vector<std::string> &names,
                   int32_t &skipped);

}  // namespace mainwindow
