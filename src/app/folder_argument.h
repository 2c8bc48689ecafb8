// The one path argument of the window program, when it names a folder: the window opens with
// that folder in its Source Folder field instead of taking the path as a settings file.
// Qt-free, so that it is decided before the toolkit starts.
#pragma once

#include <string>

namespace quonder {

struct FolderArgument {
  enum class Kind {
    kNotFolder,  // no existing folder: the path keeps its meaning as a settings file
    kFolder,     // `folder` goes into the field
    kRefused,    // a folder, but the field cannot hold it as it is: `refusal` says why
  };
  Kind kind = Kind::kNotFolder;
  // kFolder: the folder as an absolute path. A relative path is taken from the current folder;
  // "." components and trailing '/' are dropped; a path with ".." is resolved on the real
  // folders (links followed), since ".." after a link leads out of the link's target. Links
  // elsewhere stay as named.
  std::string folder;
  std::string refusal;  // kRefused: one line that names the folder and the reason
};

// Reads `path` (as given; links followed to decide whether it is a folder). A folder is
// refused when its absolute path is not valid UTF-8 (the field holds text: it would search a
// folder of other bytes) or when the field's %NAME% expansion would turn it into another path
// (the field has no way to write a literal '%'); a path whose '%' expand to nothing set
// ("100%", "%NO_SUCH%") is taken as it is.
FolderArgument ReadFolderArgument(const std::string& path);

}  // namespace quonder
