#include "app/line_preview.h"

#include <sys/stat.h>

#include <cerrno>
#include <system_error>
#include <utility>

#include "core/io_reasons.h"
#include "core/text/string_common.h"

namespace quonder {
namespace {

// Long enough for a typical source line, short enough for a tool tip on a small screen.
constexpr size_t kMaxPreviewChars = 160;
// Tips kept: a screenful of rows and then some.
constexpr size_t kKeptTips = 64;

QString FromUtf16(std::u16string_view text) {
  return QString(reinterpret_cast<const QChar*>(text.data()), static_cast<qsizetype>(text.size()));
}

// Escaped for HTML; tabs shown as spaces, other control characters as their escape form.
QString Html(std::u16string_view text) {
  QString plain = FromUtf16(text);
  plain.replace(QChar(u'\t'), QStringLiteral("    "));
  for (QChar& c : plain) {
    if (c.unicode() < 0x20) c = QChar(0xFFFD);
  }
  return plain.toHtmlEscaped();
}

constexpr char kChangedReason[] = "the file has changed since the find run";

// "The file has changed since the find run.": the reason as a sentence of the tip.
QString ChangedSentence() {
  QString sentence = QString::fromLatin1(kChangedReason) + QLatin1Char('.');
  sentence[0] = sentence[0].toUpper();
  return sentence;
}

QString Note(const QString& text) {
  return QStringLiteral("<p><i>") + text.toHtmlEscaped() + QStringLiteral("</i></p>");
}

// The tip of a line that cannot be shown: why, in a few words.
QString FailureTip(const std::string& reason) {
  return Note(QStringLiteral("Cannot read the file: ") + QString::fromStdString(reason) +
              QStringLiteral("."));
}

QString TipHtml(const LinePreview& preview) {
  QString html = QStringLiteral("<p style='white-space:pre'>");
  if (preview.cut_before) html += QStringLiteral("\u2026");
  html += Html(preview.before);
  html += QStringLiteral("<b style='background-color:#ffe066;color:#000000'>");
  html += Html(preview.hit);
  html += QStringLiteral("</b>");
  html += Html(preview.after);
  if (preview.cut_after) html += QStringLiteral("\u2026");
  html += QStringLiteral("</p>");
  if (preview.stale) html += Note(ChangedSentence());
  return html;
}

bool SameRequest(const LinePreviewer::Request& a, const LinePreviewer::Request& b) {
  return a.pointer == b.pointer && a.reg_exp == b.reg_exp && a.whole_line == b.whole_line &&
         a.full_path == b.full_path && a.charset == b.charset && a.found == b.found;
}

}  // namespace

LinePreviewer::LinePreviewer(QObject* parent) : QObject(parent) {}

LinePreviewer::~LinePreviewer() { thread_.Shutdown(); }

std::optional<QString> LinePreviewer::Text(const Request& request, QString* why) {
  if (why != nullptr) why->clear();
  const auto failed = [&request, why](const std::string& reason) {
    if (why != nullptr) *why = QString::fromStdString(reason);
    return request.whole_line ? QString() : FailureTip(reason);
  };
  // One stat on the window's thread: a tip made before the file changed is not shown again.
  struct stat info;
  if (stat(request.full_path.c_str(), &info) != 0) {
    return failed(std::generic_category().message(errno));
  }
  if (!S_ISREG(info.st_mode)) return failed(kNotARegularFile);
  const FileStamp stamp = StampOf(info);
  for (auto entry = cache_.begin(); entry != cache_.end(); ++entry) {
    if (!SameRequest(entry->request, request) || entry->stamp != stamp) continue;
    if (why != nullptr) *why = entry->why;
    if (!request.whole_line) return entry->tip;
    // A whole line can be megabytes (a minified file): handed out once, not kept.
    QString line = std::move(entry->tip);
    cache_.erase(entry);
    return line;
  }
  if (thread_.Running() && SameRequest(reading_.request, request) && reading_.stamp == stamp) {
    pending_.reset();  // the read in hand is the one wanted
    return std::nullopt;
  }
  pending_ = Entry{request, stamp, QString(), QString()};
  if (thread_.Running()) {
    thread_.RequestStop();  // OnReadEnded starts the pending read
  } else {
    StartRead();
  }
  return std::nullopt;
}

void LinePreviewer::Reset() {
  cache_.clear();
  pending_.reset();
  if (thread_.Running()) thread_.RequestStop();
}

void LinePreviewer::StartRead() {
  reading_ = std::move(*pending_);
  pending_.reset();
  read_done_ = false;
  thread_.ClearStop();
  thread_.Start(
      [this] {
        const Request& request = reading_.request;
        if (codec_ == nullptr || codec_->Name() != request.charset) {
          codec_.reset();
          if (Status opened = TextCodec::Open(request.charset, codec_); !opened.ok()) {
            reading_.why = QString::fromStdString(opened.message());
            if (!request.whole_line) reading_.tip = FailureTip(opened.message());
            read_done_ = true;
            return;
          }
        }
        const std::u16string hit =
            request.reg_exp ? UnescapeControlChars(request.found) : request.found;
        LinePreview preview;
        const LineReader::Outcome outcome = reader_.Read(
            request.full_path, *codec_, request.pointer, hit,
            request.whole_line ? LineReader::kWholeLine : kMaxPreviewChars,
            [this] { return thread_.StopRequested(); }, preview);
        if (outcome == LineReader::Outcome::kCancelled) return;
        if (outcome == LineReader::Outcome::kShown) {
          reading_.tip = request.whole_line
                             ? FromUtf16(preview.before + preview.hit + preview.after)
                             : TipHtml(preview);
        } else {
          const bool changed = outcome == LineReader::Outcome::kBeyondText;
          reading_.why = QString::fromStdString(changed ? kChangedReason : reader_.failure());
          if (!request.whole_line) {
            reading_.tip =
                changed ? Note(ChangedSentence()) : FailureTip(reader_.failure());
          }
        }
        read_done_ = !thread_.StopRequested();
      },
      [this] { OnReadEnded(); });
}

void LinePreviewer::OnReadEnded() {
  const bool made = read_done_;
  if (made) {
    cache_.push_front(std::move(reading_));
    if (cache_.size() > kKeptTips) cache_.pop_back();
  }
  reading_ = Entry();
  if (pending_) StartRead();
  if (made) emit ready();
}

}  // namespace quonder
