// The tool tip of a result row: the text of the hit's line, read again from its file, with the
// hit marked. Rich text (HTML), every character of the file escaped. Also the whole line as plain
// text, for Copy Line.
//
// The file is read on a thread of its own, never on the window's: the line reader
// (core/search/line_reader.h) reads no more of the file than the charset makes necessary, and
// a read that a newer request makes useless is cancelled. The tips last made are kept, keyed by
// the row and the file's identity, size, modification and change times: a file put in place of
// the old one, or rewritten, with the old size and modification time (as copies that keep
// times make) still changes its inode or change time, which nobody can set back.
//
// Threads: a LinePreviewer lives on, and is called from, the window's thread; ready() is
// emitted there.
#pragma once

#include <QObject>
#include <QString>

#include <cstdint>
#include <deque>
#include <memory>
#include <optional>
#include <string>

#include "app/worker_thread.h"
#include "core/fileops/file_stamp.h"
#include "core/search/line_reader.h"
#include "core/text/text_stream.h"

namespace quonder {

class LinePreviewer : public QObject {
  Q_OBJECT

 public:
  // The hit whose line is wanted.
  struct Request {
    std::string full_path;
    std::string charset;
    int64_t pointer = 0;  // 1-based, UTF-16 units of the decoded text
    // The row's "Found" text, unescaped first when `reg_exp` (the row came from a
    // regular-expression run): it gives the marked length and shows whether the file still
    // holds the hit (otherwise the tip says that the file has changed).
    std::u16string found;
    bool reg_exp = false;
    // The whole line as plain text, not the tip (a long line cut around the hit, in HTML).
    bool whole_line = false;
  };

  explicit LinePreviewer(QObject* parent = nullptr);
  ~LinePreviewer() override;  // cancels a read and waits for its thread

  // The text for `request` when it is known. A tip says why when there is no line to show (the
  // file cannot be read or decoded, or the pointer lies beyond its text: the file has changed);
  // a whole line is empty then. Otherwise nullopt: the file is being read for it, and ready()
  // follows. Only the latest request is read; an earlier one still being read is cancelled. A
  // whole line is kept only until it is handed out. With the text, `why` (when given) gets the
  // tip's reason in a few words (the system's, the charset's, or that the file has changed)
  // when there is no line, and is cleared when there is one.
  std::optional<QString> Text(const Request& request, QString* why = nullptr);

  // Forgets the tips made (call when a run or a replace changes what files hold).
  void Reset();

 signals:
  // A text asked for has been made: ask Text again.
  void ready();

 private:
  struct Entry {
    Request request;
    FileStamp stamp;  // what the file was when its tip was asked for
    QString tip;
    QString why;  // empty when the line was read
  };

  void StartRead();
  void OnReadEnded();

  WorkerThread thread_{QStringLiteral("line preview")};
  std::deque<Entry> cache_;       // most recent first
  std::optional<Entry> pending_;  // the latest request not yet read
  // The read in hand. Written by its thread until it ends, read by the window's after.
  Entry reading_;
  bool read_done_ = false;
  // Used by the reading thread only (one read at a time).
  LineReader reader_;
  std::unique_ptr<TextCodec> codec_;
};

}  // namespace quonder
