// A settings file that cannot be written fails every write: the window stores a dozen keys per
// find and two per resize. The user is told once, not once per key or per command: the first
// failure gives a message, later ones none, until another settings file is in use. (A write
// that changes nothing succeeds even on a read-only file, so "until a write works" would tell
// the same news again and again.)
#pragma once

#include <string>

#include "core/status.h"

namespace quonder {

class SaveNotice {
 public:
  // Takes the result of a settings write: the message to show ("Settings not saved: " and
  // the reason) for the first failure, "" for success and for every later failure.
  std::string Note(const Status& status) {
    if (status.ok() || told_) return "";
    told_ = true;
    return "Settings not saved: " + status.message();
  }

  // Another settings file is in use: its first failure is told again.
  void Reset() { told_ = false; }

 private:
  bool told_ = false;
};

}  // namespace quonder
