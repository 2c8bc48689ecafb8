// The command that opens a hit in the external editor: the `Editor` template with its
// placeholders filled in, and its split into a program and arguments.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace quonder {

// A template that works on a stock desktop: the desktop's application for the file type.
// Editors that take a line and column are shown in the README ("Editor command").
inline constexpr char kDefaultEditor[] = "xdg-open %P";

// The command line for opening `full_path` at `line`/`column`: %NAME% references in the
// template are expanded (ExpandEnvVariables), then every "%P" becomes the path in double quotes,
// every "%L" `line` and every "%C" `column`, case-sensitive, in one pass (text put in is not
// searched again, so a path holding "%L" stays as it is). Backslashes and
// double quotes inside the path are escaped so that SplitCommandLine gives the path back as
// one word whatever it holds.
std::string BuildEditorCommandLine(const std::string& editor_template, const std::string& full_path,
                                   const std::string& line, const std::string& column);

// Splits a command line into words: blanks (space, TAB) outside double quotes separate words;
// a double quote opens or closes a quoted part, which may hold blanks and joins the text around
// it ("a b"c is one word, a bc); a backslash before a double quote or a backslash stands for
// that character, any other backslash is kept. An unclosed quote runs to the end. "" alone is
// an empty word. Never fails; an empty or blank line gives no words.
std::vector<std::string> SplitCommandLine(std::string_view command_line);

// BuildEditorCommandLine for the row's file (the source folder, expanded, joined with the
// relative path) followed by SplitCommandLine. Line and column are given as the list shows them.
// A program path that an environment variable filled with blanks ("%APPS%/my editor/ed" left
// unquoted) is taken whole: when the first word holds a '/' and names no file, but it and the
// words after it joined by single blanks name one, those words become the program.
std::vector<std::string> EditorCommandWords(const std::string& editor_template,
                                            const std::string& source_folder,
                                            const std::string& relative_path, int64_t line,
                                            int64_t column);

}  // namespace quonder
