#include "app/shown_text.h"

namespace quillfold {

QString ShownText(std::string_view text) {
  return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

QString ShownLines(std::string_view text) {
  QString shown = ShownText(text);
  shown.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
  return shown;
}

}  // namespace quillfold
