// The Editor template a settings file gets at the first start, when it holds none: an editor
// that goes to the hit's line and column where one is installed, else the desktop's opener.
// The choice is then stored like any other value, so the user sees it and can change it.
#pragma once

#include <string>
#include <string_view>

namespace quonder {

struct LineColumnEditor {
  const char* program;  // looked for on PATH
  const char* command;  // its Editor template (editor_command.h)
};

// In order of preference.
inline constexpr LineColumnEditor kLineColumnEditors[] = {
    {"code", "code -g %P:%L:%C"},
    {"kate", "kate --line %L --column %C %P"},
    {"gnome-text-editor", "gnome-text-editor +%L:%C %P"},
    {"gedit", "gedit +%L:%C %P"},
    {"gvim", "gvim +%L %P"},
};

// The template of the first editor above that a folder of `path_variable` (the value of PATH:
// folders separated by ':') holds as an executable file, else kDefaultEditor (the desktop's
// opener). Empty and relative folders of the list are passed over: they would depend on the
// folder the program was started in.
std::string ChooseDefaultEditor(std::string_view path_variable);

}  // namespace quonder
