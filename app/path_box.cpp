#include "app/path_box.h"

#include <QKeyEvent>
#include <optional>

namespace quillfold {
namespace {

// The longest start `a` and `b` share, never ending inside a UTF-8 character.
std::string CommonStart(const std::string& a, const std::string& b) {
  std::size_t length = 0;
  while (length < a.size() && length < b.size() && a[length] == b[length]) ++length;
  while (length > 0 && length < a.size() &&
         (static_cast<unsigned char>(a[length]) & 0xC0) == 0x80) {
    --length;
  }
  return a.substr(0, length);
}

}  // namespace

PathBox::PathBox(SubfolderNames subfolders, QWidget* parent)
    : QLineEdit(parent), subfolders_(std::move(subfolders)) {}

bool PathBox::event(QEvent* event) {
  if (event->type() == QEvent::KeyPress) {
    const auto* key = static_cast<QKeyEvent*>(event);
    if (key->key() == Qt::Key_Tab && key->modifiers() == Qt::NoModifier && CompleteCommonPart()) {
      return true;
    }
  }
  return QLineEdit::event(event);
}

bool PathBox::CompleteCommonPart() {
  const std::string typed = text().toStdString();
  const std::size_t slash = typed.rfind('/');
  if (slash == std::string::npos) return false;
  const std::string folder = typed.substr(0, slash + 1);
  const std::string start = typed.substr(slash + 1);
  std::optional<std::string> common;
  int matches = 0;
  for (const std::string& name : subfolders_(folder)) {
    if (!name.starts_with(start)) continue;
    ++matches;
    common = common ? CommonStart(*common, name) : name;
  }
  if (!common) return false;
  const std::string completed = folder + *common + (matches == 1 ? "/" : "");
  if (completed.size() <= typed.size()) return false;
  setText(QString::fromStdString(completed));
  return true;
}

}  // namespace quillfold
