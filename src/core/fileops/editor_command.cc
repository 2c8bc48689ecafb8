#include "core/fileops/editor_command.h"

#include "core/fileops/file_common.h"

namespace quonder {
namespace {

// The path as one quoted word that SplitCommandLine reads back unchanged.
std::string QuotePath(const std::string& path) {
  std::string quoted = "\"";
  for (char c : path) {
    if (c == '"' || c == '\\') quoted += '\\';
    quoted += c;
  }
  quoted += '"';
  return quoted;
}

}  // namespace

std::string BuildEditorCommandLine(const std::string& editor_template, const std::string& full_path,
                                   const std::string& line, const std::string& column) {
  // One pass over the template, so a path holding "%L" or "%C" is not rewritten; for every
  // template and path without them this equals replacing %P, then %L, then %C.
  const std::string expanded = ExpandEnvVariables(editor_template);
  std::string command;
  for (size_t i = 0; i < expanded.size(); ++i) {
    const char next = i + 1 < expanded.size() ? expanded[i + 1] : '\0';
    if (expanded[i] == '%' && next == 'P') {
      command += QuotePath(full_path);
    } else if (expanded[i] == '%' && next == 'L') {
      command += line;
    } else if (expanded[i] == '%' && next == 'C') {
      command += column;
    } else {
      command += expanded[i];
      continue;
    }
    ++i;
  }
  return command;
}

std::vector<std::string> SplitCommandLine(std::string_view command_line) {
  std::vector<std::string> words;
  std::string word;
  bool in_word = false;  // a word has begun (possibly an empty quoted one)
  bool quoted = false;
  for (size_t i = 0; i < command_line.size(); ++i) {
    const char c = command_line[i];
    if (c == '\\' && i + 1 < command_line.size() &&
        (command_line[i + 1] == '"' || command_line[i + 1] == '\\')) {
      word += command_line[++i];
      in_word = true;
    } else if (c == '"') {
      quoted = !quoted;
      in_word = true;
    } else if (!quoted && (c == ' ' || c == '\t')) {
      if (in_word) words.push_back(std::move(word));
      word.clear();
      in_word = false;
    } else {
      word += c;
      in_word = true;
    }
  }
  if (in_word) words.push_back(std::move(word));
  return words;
}

std::vector<std::string> EditorCommandWords(const std::string& editor_template,
                                            const std::string& source_folder,
                                            const std::string& relative_path, int64_t line,
                                            int64_t column) {
  const std::string full_path = BuildPath(ExpandEnvVariables(source_folder), relative_path);
  std::vector<std::string> words = SplitCommandLine(BuildEditorCommandLine(
      editor_template, full_path, std::to_string(line), std::to_string(column)));
  if (words.empty() || words[0].find('/') == std::string::npos || FileExists(words[0])) {
    return words;
  }
  std::string program = words[0];
  for (size_t last = 1; last < words.size(); ++last) {
    program += ' ' + words[last];
    if (FileExists(program)) {
      words.erase(words.begin() + 1, words.begin() + static_cast<std::ptrdiff_t>(last) + 1);
      words[0] = program;
      break;
    }
  }
  return words;
}

}  // namespace quonder
