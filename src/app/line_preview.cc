#include "app/line_preview.h"

#include <QFileInfo>

#include <cstdint>
#include <memory>

#include "core/text/string_common.h"
#include "core/text/text_stream.h"

namespace quonder {
namespace {

// Long enough for a typical source line, short enough for a tool tip on a small screen.
constexpr size_t kMaxPreviewChars = 160;

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

}  // namespace

bool LinePreviewer::Load(const std::string& full_path, const std::string& charset) {
  const QFileInfo info(QString::fromStdString(full_path));
  if (!info.isFile()) return false;
  const qint64 size = info.size();
  const QDateTime modified = info.lastModified();
  if (full_path == path_ && charset == charset_ && size == size_ && modified == modified_) {
    return true;
  }
  Reset();
  std::unique_ptr<TextCodec> codec;
  if (!TextCodec::Open(charset, codec).ok()) return false;
  TextFileInfo file_info;
  if (!ReadTextFile(full_path, *codec, text_, file_info).ok()) {
    text_.clear();
    return false;
  }
  path_ = full_path;
  charset_ = charset;
  size_ = size;
  modified_ = modified;
  return true;
}

bool LinePreviewer::Preview(const std::string& full_path, const std::string& charset,
                            int32_t pointer, std::u16string_view found, bool reg_exp,
                            size_t max_chars, LinePreview& preview) {
  if (!Load(full_path, charset)) return false;
  const std::u16string hit =
      reg_exp ? UnescapeControlChars(std::u16string(found)) : std::u16string(found);
  return ExtractLinePreview(text_, pointer, hit, max_chars, preview);
}

QString LinePreviewer::LineText(const std::string& full_path, const std::string& charset,
                                int32_t pointer, std::u16string_view found, bool reg_exp) {
  LinePreview preview;
  if (!Preview(full_path, charset, pointer, found, reg_exp, SIZE_MAX, preview)) return {};
  return FromUtf16(preview.before) + FromUtf16(preview.hit) + FromUtf16(preview.after);
}

QString LinePreviewer::ToolTip(const std::string& full_path, const std::string& charset,
                               int32_t pointer, std::u16string_view found, bool reg_exp) {
  LinePreview preview;
  if (!Preview(full_path, charset, pointer, found, reg_exp, kMaxPreviewChars, preview)) return {};

  QString html = QStringLiteral("<p style='white-space:pre'>");
  if (preview.cut_before) html += QStringLiteral("\u2026");
  html += Html(preview.before);
  html += QStringLiteral("<b style='background-color:#ffe066;color:#000000'>");
  html += Html(preview.hit);
  html += QStringLiteral("</b>");
  html += Html(preview.after);
  if (preview.cut_after) html += QStringLiteral("\u2026");
  html += QStringLiteral("</p>");
  if (preview.stale)
    html += QStringLiteral("<p><i>The file has changed since the find run.</i></p>");
  return html;
}

void LinePreviewer::Reset() {
  path_.clear();
  charset_.clear();
  size_ = -1;
  modified_ = QDateTime();
  text_.clear();
  text_.shrink_to_fit();
}

}  // namespace quonder
