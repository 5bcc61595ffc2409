// The user-colour file (usercolor.dat): one line per row of six colours, each six upper-case
// hexadecimal digits blue, green, red, separated by commas, CR LF after every row.
#pragma once

#include "mainwindow/main_state.h"

#include <string>

namespace mainwindow {

inline constexpr const char *kUserColorFileName = "usercolor.dat";

// The file's bytes for a table.
std::string UserColorFileText(const UserColorTable &table);
bool SaveUserColorFile(const std::string &path, const UserColorTable &table, std::string *error = nullptr);

// The most rows a user-colour table holds: 1000 sets, each an item of the user-colour menu.
inline constexpr size_t kMaxUserColorRows = 6 * 1000;

// Reads a user-colour file into table, grown a whole set of six rows at a time (new cells black).
// A missing or damaged file of another name gives the program folder's usercolor.dat instead;
// a missing or damaged usercolor.dat gives one set of white. Of a longer file only the first
// kMaxUserColorRows rows are read; false tells that rows were left out.
bool LoadUserColorFile(const std::string &path, UserColorTable &table);

}  // namespace mainwindow
