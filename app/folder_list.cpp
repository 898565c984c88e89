#include "app/folder_list.h"

#include <QApplication>
#include <QHeaderView>
#include <QKeyEvent>

#include "app/shown_text.h"
#include "errors/run_error.h"

namespace quillfold {
namespace {

constexpr int kPathRole = Qt::UserRole;

std::vector<std::string> VisibleSubfolders(const FolderListing& listing) {
  std::vector<std::string> visible;
  for (const std::string& name : listing.folders) {
    if (!name.starts_with('.')) visible.push_back(name);
  }
  return visible;
}

std::string JoinPath(const std::string& folder, const std::string& name) {
  return folder == "/" ? folder + name : folder + "/" + name;
}

// The names below `mount_point` on the way to `folder`.
std::vector<std::string> ChainBelow(const std::string& mount_point, const std::string& folder) {
  std::vector<std::string> names;
  std::size_t start = mount_point == "/" ? 1 : mount_point.size() + 1;
  while (start < folder.size()) {
    const std::size_t end = std::min(folder.find('/', start), folder.size());
    names.push_back(folder.substr(start, end - start));
    start = end + 1;
  }
  return names;
}

}  // namespace

FolderList::FolderList(FileSystem& file_system, const VolumeTable& volumes, QWidget* parent)
    : QTreeWidget(parent), file_system_(file_system), volumes_(volumes) {
  setObjectName(QStringLiteral("Dir1"));
  setHeaderHidden(true);
  setRootIsDecorated(false);
  setItemsExpandable(false);
  setExpandsOnDoubleClick(false);
  setIndentation(fontMetrics().averageCharWidth() * 2);
  setEditTriggers(QAbstractItemView::NoEditTriggers);
  setSelectionMode(QAbstractItemView::SingleSelection);
  header()->setStretchLastSection(false);
  header()->setSectionResizeMode(QHeaderView::ResizeToContents);
  connect(this, &QTreeWidget::itemClicked, this, &FolderList::entryClicked);
  connect(this, &QTreeWidget::itemDoubleClicked, this, &FolderList::OpenHighlighted);
}

bool FolderList::CanOpen(const std::string& folder) {
  try {
    file_system_.ListFolder(NormalFolderPath(folder));
    return true;
  } catch (const RunError&) {
    return false;
  }
}

std::vector<std::string> FolderList::SubfolderNames(const std::string& folder) {
  try {
    return VisibleSubfolders(file_system_.ListFolder(NormalFolderPath(folder)));
  } catch (const RunError&) {
    return {};
  }
}

bool FolderList::SetPath(const std::string& folder) {
  const std::string normal = NormalFolderPath(folder);
  FolderListing listing;
  try {
    listing = file_system_.ListFolder(normal);
  } catch (const RunError&) {
    return false;
  }
  Fill(normal, VisibleSubfolders(listing));
  if (normal == path_) return true;
  path_ = normal;
  emit pathChanged();
  return true;
}

std::string FolderList::HighlightedPath() const {
  const QTreeWidgetItem* item = currentItem();
  return item == nullptr ? std::string() : item->data(0, kPathRole).toByteArray().toStdString();
}

void FolderList::Fill(const std::string& folder, const std::vector<std::string>& subfolders) {
  clear();
  const std::string& mount_point = volumes_.volumes()[volumes_.VolumeOf(folder)].mount_point;
  QTreeWidgetItem* current = AddEntry(nullptr, mount_point, mount_point, Drawn::kOpen);
  std::string chain = mount_point;
  for (const std::string& name : ChainBelow(mount_point, folder)) {
    chain = JoinPath(chain, name);
    current = AddEntry(current, name, chain, Drawn::kOpen);
  }
  for (const std::string& name : subfolders)
    AddEntry(current, name, JoinPath(folder, name), Drawn::kClosed);
  expandAll();
  setCurrentItem(current);
  scrollToItem(current);
}

QTreeWidgetItem* FolderList::AddEntry(QTreeWidgetItem* parent, const std::string& text,
                                      const std::string& full_path, Drawn drawn) {
  auto* item = parent == nullptr ? new QTreeWidgetItem(this) : new QTreeWidgetItem(parent);
  item->setText(0, ShownText(text));
  item->setIcon(0, style()->standardIcon(drawn == Drawn::kOpen ? QStyle::SP_DirOpenIcon
                                                               : QStyle::SP_DirClosedIcon));
  item->setData(0, kPathRole, QByteArray::fromStdString(full_path));
  return item;
}

void FolderList::OpenHighlighted() {
  const std::string highlighted = HighlightedPath();
  if (highlighted.empty()) return;
  // A folder that cannot be listed (no permission, gone meanwhile) is not
  // entered; the list stays where it is.
  if (!SetPath(highlighted)) QApplication::beep();
}

void FolderList::keyPressEvent(QKeyEvent* event) {
  if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
    OpenHighlighted();
    return;
  }
  const QTreeWidgetItem* before = currentItem();
  QTreeWidget::keyPressEvent(event);
  if (currentItem() != before) emit entryClicked();
}

}  // namespace quillfold
